#include "customize/CodePagePreview.h"

#include "core/AdoTypes.h"
#include "core/SqlQuoting.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "host/CustomizeRequest.h"

#include "paradox/CodePage.h"

#include <algorithm>

namespace tabulex {

namespace {

constexpr int kMaxLines = 12;
constexpr int kMaxRowsLooked = 2000; // for values beyond ASCII, which differ by code page
constexpr int kMaxShown = 60;        // characters of a value

bool isText(int adoType)
{
    switch (adoType) {
    case ado::adChar:
    case ado::adVarChar:
    case ado::adLongVarChar:
    case ado::adWChar:
    case ado::adVarWChar:
    case ado::adLongVarWChar:
        return true;
    default:
        return false;
    }
}

// The characters of a text that the code page cannot hold, as a note, or nothing.
QString missingNote(const QString& text, int codePage)
{
    const paradox::TextEncoder encoder(paradox::encodingForCodePage(codePage));
    QStringList missing;
    std::string out;
    char32_t bad = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80)
            continue;
        const QString one = QString::fromUcs4(&c, 1);
        const QString shown = QString::fromStdString(paradox::describeCharacter(c));
        if (!encoder.encode(one.toStdString(), out, bad) && !missing.contains(shown))
            missing << shown;
    }
    if (missing.isEmpty())
        return {};
    return QStringLiteral("  [code page %1 cannot hold %2]")
        .arg(codePage)
        .arg(missing.join(QStringLiteral(", ")));
}

} // namespace

std::vector<CodePageEntry> codePageEntries()
{
    std::vector<CodePageEntry> out;
    for (const int cp : paradox::paradoxCodePages())
        out.push_back({cp, codePageText(cp)});
    return out;
}

QString codePageText(int codePage)
{
    static const struct {
        int codePage;
        const char* title;
    } kTitles[] = {
        {1252, "Western European (Windows)"},
        {1250, "Central European (Windows)"},
        {1251, "Cyrillic (Windows)"},
        {1253, "Greek (Windows)"},
        {1254, "Turkish (Windows)"},
        {1255, "Hebrew (Windows)"},
        {936, "Chinese Simplified (GBK)"},
        {437, "United States (DOS)"},
        {850, "Western European (DOS)"},
        {852, "Central European (DOS)"},
        {857, "Turkish (DOS)"},
        {865, "Nordic (DOS)"},
        {866, "Cyrillic (DOS)"},
    };
    for (const auto& t : kTitles)
        if (t.codePage == codePage)
            return QStringLiteral("%1 %2").arg(codePage).arg(QLatin1String(t.title));
    return QString::number(codePage);
}

QStringList previewTextValues(const QString& target, const QString& sourceConnectionString,
                              const QString& table, int codePage, int rows)
{
    const bool paradoxSource = target == kSqlServerTarget;
    Connection c;
    c.cursorLocation = ado::adUseClient;
    if (paradoxSource)
        c.setTextCodePage(codePage);
    c.open(sourceConnectionString);
    Recordset rs;
    rs.open(QStringLiteral("SELECT TOP %1 * FROM ").arg(kMaxRowsLooked) + bracketName(table), c,
            ado::adOpenStatic, ado::adLockOptimistic);
    // The first values beyond ASCII, else the first values of the first rows.
    QStringList lines, plain;
    for (int r = 0; r < kMaxRowsLooked && !rs.atEnd() && lines.size() < kMaxLines; ++r) {
        for (const Field& f : rs.fields()) {
            if (!isText(f.type) || f.value.isNull() || lines.size() >= kMaxLines)
                continue;
            const QString text = f.value.toString();
            if (text.trimmed().isEmpty())
                continue;
            const bool ascii =
                std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
            if (ascii && (r >= rows || plain.size() >= kMaxLines))
                continue;
            QString line = f.name + QStringLiteral(": ") +
                           (text.size() > kMaxShown ? text.left(kMaxShown) + u'…' : text);
            if (!paradoxSource && codePage != 0)
                line += missingNote(text, codePage);
            line.replace(u'\n', u' ').replace(u'\r', u' ');
            (ascii ? plain : lines) << line;
        }
        rs.moveNext();
    }
    if (lines.isEmpty())
        lines = plain;
    rs.close();
    c.close();
    return lines;
}

} // namespace tabulex
