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

namespace {

bool isJoinedIn(QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'; }

} // namespace

void appendTextLiteral(QString& out, QStringView text, bool national)
{
    qsizetype from = 0;
    bool first = true;
    const auto quoted = [&](QStringView part) {
        if (!first)
            out += QLatin1String(" + ");
        first = false;
        if (national)
            out += u'N';
        appendQuoted(out, part);
    };
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!isJoinedIn(text[at]))
            continue;
        if (at > from)
            quoted(text.mid(from, at - from));
        if (!first)
            out += QLatin1String(" + ");
        first = false;
        out += national ? QLatin1String("NCHAR(") : QLatin1String("CHAR(");
        out += QString::number(text[at].unicode());
        out += u')';
        from = at + 1;
    }
    if (from < text.size() || first)
        quoted(text.mid(from));
}

QString quotedText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
    return out;
}

} // namespace tabulex
