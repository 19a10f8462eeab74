#include "core/SqlQuoting.h"

namespace tabulex {

QString bracketName(const QString& name)
{
    QString n = name;
    return u'[' + n.replace(u']', QLatin1String("]]")) + u']';
}

QString graveName(const QString& name)
{
    QString n = name;
    return u'`' + n.replace(u'`', QLatin1String("``")) + u'`';
}

void appendQuoted(QString& out, QStringView text)
{
    out += u'\'';
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(u'\'', from)) >= 0; from = at + 1) {
        out.append(text.mid(from, at - from + 1));
        out += u'\'';
    }
    out.append(text.mid(from));
    out += u'\'';
}

QString quotedText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
    return out;
}

} // namespace tabulex
