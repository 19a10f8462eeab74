#pragma once

#include <QString>

namespace tabulex {

class Fields;
class RowDigests;

// What became of rows a target settled, told in the order of the rows.
class RowOutcomes {
public:
    virtual ~RowOutcomes() = default;
    // The next `rows` rows arrived.
    virtual void arrived(qint64 rows) = 0;
    // The next row did not arrive: its own INSERT statement as it can be run on the table,
    // why, and the statement that was sent when it differs (the table being built).
    virtual void failed(const QString& statement, const QString& description,
                        const QString& sent = {}) = 0;
};

// Where the row copy writes the rows of one table. A row the target refuses fails alone and
// the copy goes on; a failure that ends the table (the connection lost, the store full) is
// thrown, with the statement that failed in hand.
class RowTarget {
public:
    virtual ~RowTarget() = default;

    // The target table, as the INSERT statements of reports name it.
    virtual const QString& table() const = 0;
    // Takes the source's current row. The target may hold rows back and send them together;
    // it tells the outcomes of the rows it settles, this one or earlier ones.
    virtual void add(const Fields& row, RowOutcomes& outcomes) = 0;
    // Settles the rows held back.
    virtual void flush(RowOutcomes&) {}
    // True when the statements of rows that failed can be run on the target as they are.
    virtual bool statementsRun() const { return true; }

    // Where each row's values go as the target will store them, one held row per row
    // added, settled by the outcomes of the copy; none when nothing is verified.
    RowDigests* digests = nullptr;
};

} // namespace tabulex
