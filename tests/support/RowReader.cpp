#include "RowReader.h"

namespace tabulex::test {

Rows readRows(Connection& c, const QString& statement, std::vector<Field>* fields)
{
    Recordset rs;
    rs.Open(statement, c);
    if (fields)
        fields->assign(rs.Fields().begin(), rs.Fields().end());
    Rows rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::vector<Value> row;
        for (const Field& f : rs.Fields())
            row.push_back(f.Value);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace tabulex::test
