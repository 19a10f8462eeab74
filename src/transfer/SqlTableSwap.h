#pragma once

#include <QString>

namespace tabulex {

class Connection;

// A table towards SQL Server is built under a name of its own until it is complete, and only
// then takes the table's name; a table it replaces is renamed aside meanwhile and dropped
// once the new one has its name. A table built but not published (a stop that unwinds the
// run, say) is dropped with the object, where the connection still allows. Both names carry
// the run's mark (tables/SqlRunMark), so that what a run that died left can be told apart.
class SqlTableSwap {
public:
    SqlTableSwap(Connection& connection, QString table, const QString& mark);
    ~SqlTableSwap();
    SqlTableSwap(const SqlTableSwap&) = delete;
    SqlTableSwap& operator=(const SqlTableSwap&) = delete;

    // The name the new table is built under: the table's name with the run's mark.
    const QString& building() const { return m_building; }
    // Executes the CREATE TABLE statement of the table, begun with head ("CREATE TABLE
    // [t]("), for the table being built; `statement` becomes the statement sent. Throws
    // DataError.
    void create(QString& statement, const QString& head);

    // "sp_rename '[new table]', 'table'" that gives the new table its name.
    QString publishStatement() const;
    // Gives the new table the table's name. With `replace` an old table of that name is
    // renamed aside first (when there is one) and put back when the new one cannot take the
    // name. Throws the failure of the rename, the statement that failed in `statement`.
    void publish(bool replace, QString& statement);
    // Drops the table set aside by publish(); throws its failure. The statement in `statement`.
    void dropReplaced(QString& statement);
    // Drops the table being built, where the connection still allows.
    void discard();

private:
    Connection& m_connection;
    QString m_table;
    QString m_building;
    QString m_aside;
    bool m_setAside = false;
    bool m_built = false; // created and not yet published or dropped
};

// "sp_rename '[old]', 'new'", the old name in brackets so that dots and brackets in it are
// taken literally.
QString renameStatement(const QString& oldName, const QString& newName);

} // namespace tabulex
