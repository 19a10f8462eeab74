#include "batch/NameEscapes.h"

namespace tabulex::batch {

namespace {

bool isControl(char16_t c) { return c < 32 || (c >= 127 && c <= 159); }

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The character an escape after a backslash stands for, and how many characters it takes.
std::pair<QChar, qsizetype> escape(QStringView rest)
{
    if (rest.isEmpty())
        return {QChar(), 0};
    switch (rest[0].unicode()) {
    case u'\\':
        return {u'\\', 1};
    case u'n':
        return {u'\n', 1};
    case u't':
        return {u'\t', 1};
    case u'r':
        return {u'\r', 1};
    case u'x':
        if (rest.size() >= 3 && isHexDigit(rest[1]) && isHexDigit(rest[2]))
            return {QChar(char16_t(rest.mid(1, 2).toUInt(nullptr, 16))), 3};
        break;
    default:
        break;
    }
    return {QChar(), 0};
}

} // namespace

QString escapedName(const QString& name)
{
    QString out;
    for (const QChar c : name) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (isControl(c.unicode()))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

QString unescapedName(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto [c, length] =
            text[i] == u'\\' ? escape(QStringView(text).mid(i + 1)) : std::pair<QChar, qsizetype>{};
        if (length == 0) {
            out += text[i];
            continue;
        }
        out += c;
        i += length;
    }
    return out;
}

} // namespace tabulex::batch
