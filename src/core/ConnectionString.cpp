#include "core/ConnectionString.h"

namespace tabulex {

std::optional<QString> ConnectionKeys::value(QStringView name) const
{
    for (const ConnectionKey& k : m_keys)
        if (QStringView(k.name).compare(name, Qt::CaseInsensitive) == 0)
            return k.value;
    return std::nullopt;
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
            qsizetype close = i + 1;
            while (close < n && !(cs[close] == u'}' && (close + 1 == n || cs[close + 1] == u';')))
                ++close;
            key.value = cs.mid(i + 1, close - i - 1);
            key.braced = true;
            i = close + 1;
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
