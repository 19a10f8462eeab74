#include "core/ConnectionString.h"

namespace tabulex {

std::optional<QString> ConnectionKeys::value(QStringView name) const
{
    for (const ConnectionKey& k : m_keys)
        if (QStringView(k.name).compare(name, Qt::CaseInsensitive) == 0)
            return k.value;
    return std::nullopt;
}

namespace {

// The braced value from `from` (just after its "{") into value; the index after its "}".
qsizetype readBraced(const QString& cs, qsizetype from, QString& value)
{
    const qsizetype n = cs.size();
    qsizetype i = from;
    for (; i < n; ++i) {
        if (cs[i] != u'}') {
            value += cs[i];
        } else if (i + 1 < n && cs[i + 1] == u'}') {
            value += u'}';
            ++i;
        } else if (i + 1 == n || cs[i + 1] == u';') {
            break;
        } else {
            value += u'}';
        }
    }
    return i + 1;
}

} // namespace

QString quotedConnectionValue(const QString& value)
{
    const bool plain = !value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') &&
                       !value.startsWith(u' ') && !value.endsWith(u' ');
    if (plain)
        return value;
    QString doubled = value;
    doubled.replace(u'}', QStringLiteral("}}"));
    return u'{' + doubled + u'}';
}

ConnectionKeys parseConnectionString(const QString& cs)
{
    std::vector<ConnectionKey> keys;
    qsizetype i = 0;
    const qsizetype n = cs.size();
    while (i < n) {
        while (i < n && (cs[i] == u' ' || cs[i] == u';'))
            ++i;
        const qsizetype eq = cs.indexOf(u'=', i);
        if (eq < 0)
            break;
        ConnectionKey key{cs.mid(i, eq - i).trimmed(), {}, false};
        i = eq + 1;
        if (i < n && cs[i] == u'{') {
            i = readBraced(cs, i + 1, key.value);
            key.braced = true;
        } else {
            qsizetype semi = cs.indexOf(u';', i);
            if (semi < 0)
                semi = n;
            key.value = cs.mid(i, semi - i);
            i = semi;
        }
        keys.push_back(std::move(key));
    }
    return ConnectionKeys(std::move(keys));
}

} // namespace tabulex
