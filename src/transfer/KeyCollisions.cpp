#include "transfer/KeyCollisions.h"

namespace tabulex {

namespace {

// The key as the server compares it, one text for the whole key.
QString comparedForm(const std::vector<Value>& row, const std::vector<int>& columns)
{
    QString key;
    for (const int c : columns) {
        const Value& v = row[std::size_t(c)];
        if (v.kind() == Value::Kind::Text) {
            QString t = v.toString().toCaseFolded();
            while (t.endsWith(u' '))
                t.chop(1);
            key += t;
        } else {
            key += QString::number(int(v.kind())) + u':' + v.toText();
        }
        key += QChar(0x1F);
    }
    return key;
}

} // namespace

KeyCollisions::KeyCollisions(std::vector<int> columns, std::vector<QString> names)
    : m_columns(std::move(columns)), m_names(std::move(names))
{
}

QString KeyCollisions::shown(const std::vector<Value>& row) const
{
    QStringList parts;
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        parts << m_names[i] + QStringLiteral(" = '") + row[std::size_t(m_columns[i])].toText() +
                     u'\'';
    return parts.join(QStringLiteral(", "));
}

std::optional<QString> KeyCollisions::add(const std::vector<Value>& row)
{
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (row[std::size_t(m_columns[i])].isNull())
            return QStringLiteral("the key field %1 is blank in a record; a primary key on SQL "
                                  "Server cannot be")
                .arg(m_names[i]);
    const QString key = comparedForm(row, m_columns);
    if (m_seen.contains(key))
        return QStringLiteral("two records have keys that SQL Server takes for the same (%1)")
            .arg(shown(row));
    m_seen.insert(key);
    return std::nullopt;
}

} // namespace tabulex
