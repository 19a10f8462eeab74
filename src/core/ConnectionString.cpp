#include "core/ConnectionString.h"

namespace tabulex {

std::map<QString, QString> parseConnectionString(const QString& cs)
{
    std::map<QString, QString> result;
    qsizetype i = 0;
    const qsizetype n = cs.size();
    while (i < n) {
        while (i < n && (cs[i] == u' ' || cs[i] == u';'))
            ++i;
        const qsizetype eq = cs.indexOf(u'=', i);
        if (eq < 0)
            break;
        const QString key = cs.mid(i, eq - i).trimmed().toUpper();
        i = eq + 1;
        QString value;
        if (i < n && cs[i] == u'{') {
            // A braced value runs to the first "}" followed by ";" or the end.
            qsizetype close = i + 1;
            while (close < n && !(cs[close] == u'}' && (close + 1 == n || cs[close + 1] == u';')))
                ++close;
            value = cs.mid(i + 1, close - i - 1);
            i = close + 1;
        } else {
            qsizetype semi = cs.indexOf(u';', i);
            if (semi < 0)
                semi = n;
            value = cs.mid(i, semi - i);
            i = semi;
        }
        result.emplace(key, value);
    }
    return result;
}

} // namespace tabulex
