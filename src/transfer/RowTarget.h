#pragma once

#include <QString>

namespace tabulex {

class Fields;

// Where the row copy writes the rows of one table. While a row is written its INSERT
// statement is the statement in hand, so that an error report shows it.
class RowTarget {
public:
    virtual ~RowTarget() = default;

    // The target table, as the INSERT statements name it.
    virtual const QString& table() const = 0;
    // Writes the source's current row; throws when the target refuses it, with that row's
    // INSERT statement in hand.
    virtual void write(const Fields& row) = 0;
    // After the last row: the statement in hand is the last row's INSERT.
    virtual void finish() {}
};

} // namespace tabulex
