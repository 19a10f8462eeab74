#include "RowReader.h"

namespace tabulex::test {

Rows readRows(Connection& c, const QString& statement, std::vector<Field>* fields)
{
    Recordset rs;
    rs.open(statement, c);
    if (fields)
        fields->assign(rs.fields().begin(), rs.fields().end());
    Rows rows;
    for (; !rs.atEnd(); rs.moveNext()) {
        std::vector<Value> row;
        for (const Field& f : rs.fields())
            row.push_back(f.value);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace tabulex::test
