#pragma once

#include "core/Value.h"

#include <QString>

#include <QSet>
#include <optional>
#include <vector>

namespace tabulex {

// Finds, among the keys of a table's rows, two that a SQL Server primary key takes for one
// before anything is written: text compared as the default collation
// (SQL_Latin1_General_CP1_CI_AS) compares it, ignoring case and trailing blanks, every
// other value exactly. A blank key value is refused too: a primary key column is NOT NULL.
class KeyCollisions {
public:
    // `columns`: the positions of the key's fields in a row, `names` their names.
    KeyCollisions(std::vector<int> columns, std::vector<QString> names);

    // Nothing when the row's key is new and whole; else the reason it cannot be a key.
    std::optional<QString> add(const std::vector<Value>& row);

private:
    QString shown(const std::vector<Value>& row) const;

    std::vector<int> m_columns;
    std::vector<QString> m_names;
    QSet<QString> m_seen;
};

} // namespace tabulex
