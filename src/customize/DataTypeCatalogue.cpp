#include "customize/DataTypeCatalogue.h"

#include <QRegularExpression>

#include <optional>
#include <vector>

namespace tabulex {

namespace {

using A = TypeArguments;
constexpr TypeTarget S = TypeTarget::SqlServer;
constexpr TypeTarget P = TypeTarget::Paradox;
constexpr unsigned kBoth = kEveryMapping;
constexpr unsigned kFaithful = kFaithfulMapping;
constexpr unsigned kClassic = kClassicMapping;

// Towards SQL Server: the server's own names. Towards Paradox: the names the staging store
// reads (staging/StagingTypes) and, under the faithful mapping, the Paradox field words
// (transfer/FaithfulTypes); the tests hold the three together.
constexpr DataTypeName kNames[] = {
    {S, "CHAR", A::OptionalLength, 1, 8000, kBoth, "text of a fixed length"},
    {S, "VARCHAR", A::LengthOrMax, 1, 8000, kBoth, "text up to the length"},
    {S, "TEXT", A::None, 0, 0, kBoth, "long text"},
    {S, "NCHAR", A::OptionalLength, 1, 4000, kBoth, "Unicode text of a fixed length"},
    {S, "NVARCHAR", A::LengthOrMax, 1, 4000, kBoth, "Unicode text up to the length"},
    {S, "NTEXT", A::None, 0, 0, kBoth, "long Unicode text"},
    {S, "XML", A::None, 0, 0, kBoth, "XML documents"},
    {S, "UNIQUEIDENTIFIER", A::None, 0, 0, kBoth, "GUIDs"},
    {S, "SQL_VARIANT", A::None, 0, 0, kBoth, "values of any type"},
    {S, "BIT", A::None, 0, 0, kBoth, "0 or 1"},
    {S, "TINYINT", A::None, 0, 0, kBoth, "whole numbers 0 to 255"},
    {S, "SMALLINT", A::None, 0, 0, kBoth, "whole numbers of 16 bits"},
    {S, "INT", A::None, 0, 0, kBoth, "whole numbers of 32 bits"},
    {S, "BIGINT", A::None, 0, 0, kBoth, "whole numbers of 64 bits"},
    {S, "DECIMAL", A::PrecisionScale, 1, 38, kBoth, "exact numbers: p digits, s after the point"},
    {S, "NUMERIC", A::PrecisionScale, 1, 38, kBoth, "exact numbers: p digits, s after the point"},
    {S, "MONEY", A::None, 0, 0, kBoth, "amounts with 4 decimals"},
    {S, "SMALLMONEY", A::None, 0, 0, kBoth, "small amounts with 4 decimals"},
    {S, "FLOAT", A::OptionalLength, 1, 53, kBoth, "floating point numbers (bits of mantissa)"},
    {S, "REAL", A::None, 0, 0, kBoth, "floating point numbers of 32 bits"},
    {S, "DATE", A::None, 0, 0, kBoth, "dates"},
    {S, "TIME", A::OptionalLength, 0, 7, kBoth, "times of day (decimals of the second)"},
    {S, "DATETIME", A::None, 0, 0, kBoth, "dates and times to 1/300 s"},
    {S, "DATETIME2", A::OptionalLength, 0, 7, kBoth, "dates and times (decimals of the second)"},
    {S, "SMALLDATETIME", A::None, 0, 0, kBoth, "dates and times to the minute"},
    {S, "DATETIMEOFFSET", A::OptionalLength, 0, 7, kBoth, "dates and times with their zone"},
    {S, "BINARY", A::OptionalLength, 1, 8000, kBoth, "bytes of a fixed length"},
    {S, "VARBINARY", A::LengthOrMax, 1, 8000, kBoth, "bytes up to the length"},
    {S, "IMAGE", A::None, 0, 0, kBoth, "long byte data"},

    {P, "ALPHA", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "TEXT", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "VARCHAR", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "CHAR", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "NVARCHAR", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "NCHAR", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "ALPHANUMERIC", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "STRING", A::OptionalLength, 1, 255, kBoth, "Alpha"},
    {P, "GUID", A::None, 0, 0, kBoth, "Alpha of 38"},
    {P, "UNIQUEIDENTIFIER", A::None, 0, 0, kBoth, "Alpha of 38"},
    {P, "MEMO", A::AnyLength, 0, 0, kBoth, "Memo"},
    {P, "LONGTEXT", A::None, 0, 0, kBoth, "Memo"},
    {P, "LONGCHAR", A::None, 0, 0, kBoth, "Memo"},
    {P, "NOTE", A::None, 0, 0, kBoth, "Memo"},
    {P, "NTEXT", A::None, 0, 0, kBoth, "Memo"},
    {P, "XML", A::None, 0, 0, kBoth, "Memo"},
    {P, "SQL_VARIANT", A::None, 0, 0, kBoth, "Memo"},
    {P, "SHORT", A::None, 0, 0, kBoth, "Short"},
    {P, "SMALLINT", A::None, 0, 0, kBoth, "Short"},
    {P, "INTEGER2", A::None, 0, 0, kBoth, "Short"},
    {P, "BYTE", A::None, 0, 0, kBoth, "Short (0 to 255)"},
    {P, "TINYINT", A::None, 0, 0, kBoth, "Short (0 to 255)"},
    {P, "INTEGER1", A::None, 0, 0, kBoth, "Short (0 to 255)"},
    {P, "LONG", A::None, 0, 0, kBoth, "Long Integer"},
    {P, "INT", A::None, 0, 0, kBoth, "Long Integer"},
    {P, "INTEGER", A::None, 0, 0, kBoth, "Long Integer"},
    {P, "INTEGER4", A::None, 0, 0, kBoth, "Long Integer"},
    {P, "AUTOINCREMENT", A::None, 0, 0, kBoth, "Autoincrement"},
    {P, "COUNTER", A::None, 0, 0, kBoth, "Autoincrement"},
    {P, "NUMBER", A::AnyLength, 0, 0, kBoth, "Number"},
    {P, "FLOAT", A::AnyLength, 0, 0, kBoth, "Number"},
    {P, "DOUBLE", A::AnyLength, 0, 0, kBoth, "Number"},
    {P, "FLOAT8", A::AnyLength, 0, 0, kBoth, "Number"},
    {P, "IEEEDOUBLE", A::AnyLength, 0, 0, kBoth, "Number"},
    {P, "BIGINT", A::None, 0, 0, kBoth, "Number (exact to 2^53)"},
    {P, "SINGLE", A::None, 0, 0, kBoth, "Number (of 32 bits)"},
    {P, "REAL", A::None, 0, 0, kBoth, "Number (of 32 bits)"},
    {P, "FLOAT4", A::None, 0, 0, kBoth, "Number (of 32 bits)"},
    {P, "IEEESINGLE", A::None, 0, 0, kBoth, "Number (of 32 bits)"},
    {P, "DECIMAL", A::PrecisionScale, 1, 28, kBoth, "Number (checked against p and s)"},
    {P, "NUMERIC", A::PrecisionScale, 1, 28, kBoth, "Number (checked against p and s)"},
    {P, "DEC", A::PrecisionScale, 1, 28, kBoth, "Number (checked against p and s)"},
    {P, "BCD", A::PrecisionAndScale, 1, 32, kFaithful, "BCD (32 digits, s after the point)"},
    {P, "MONEY", A::None, 0, 0, kBoth, "Money"},
    {P, "CURRENCY", A::None, 0, 0, kBoth, "Money"},
    {P, "SMALLMONEY", A::None, 0, 0, kBoth, "Money"},
    {P, "LOGICAL", A::None, 0, 0, kBoth, "Logical"},
    {P, "LOGICAL1", A::None, 0, 0, kBoth, "Logical"},
    {P, "BIT", A::None, 0, 0, kBoth, "Logical"},
    {P, "BOOLEAN", A::None, 0, 0, kBoth, "Logical"},
    {P, "YESNO", A::None, 0, 0, kBoth, "Logical"},
    {P, "TIMESTAMP", A::None, 0, 0, kBoth, "Timestamp"},
    {P, "DATETIME", A::None, 0, 0, kBoth, "Timestamp"},
    {P, "SMALLDATETIME", A::None, 0, 0, kBoth, "Timestamp"},
    {P, "DATE", A::None, 0, 0, kClassic, "Timestamp"},
    {P, "DATE", A::None, 0, 0, kFaithful, "Date"},
    {P, "TIME", A::None, 0, 0, kClassic, "Timestamp"},
    {P, "TIME", A::None, 0, 0, kFaithful, "Time"},
    {P, "BINARY", A::OptionalLength, 1, 255, kBoth, "Bytes"},
    {P, "VARBINARY", A::OptionalLength, 1, 255, kBoth, "Bytes"},
    {P, "BYTES", A::Length, 1, 255, kFaithful, "Bytes"},
    {P, "OLEOBJECT", A::None, 0, 0, kBoth, "Binary BLOb"},
    {P, "LONGBINARY", A::None, 0, 0, kBoth, "Binary BLOb"},
    {P, "GENERAL", A::None, 0, 0, kBoth, "Binary BLOb"},
    {P, "IMAGE", A::None, 0, 0, kBoth, "Binary BLOb"},
    {P, "BLOB", A::Length, 10, 250, kFaithful, "Binary BLOb (bytes kept in the record)"},
    {P, "FMTMEMO", A::Length, 10, 250, kFaithful, "Formatted Memo (bytes kept in the record)"},
    {P, "OLE", A::Length, 10, 250, kFaithful, "OLE (bytes kept in the record)"},
    {P, "GRAPHIC", A::Length, 10, 250, kFaithful, "Graphic (bytes kept in the record)"},
};

bool isIntegerType(const QString& name)
{
    for (const char* n : {"TINYINT", "SMALLINT", "INT", "BIGINT"})
        if (name == QLatin1String(n))
            return true;
    return false;
}

std::optional<int> wholeNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

QString rangeProblem(const DataTypeName& row)
{
    const QString name = QString::fromLatin1(row.name);
    switch (row.arguments) {
    case A::None:
        return QStringLiteral("%1 takes nothing in parentheses.").arg(name);
    case A::OptionalLength:
    case A::Length:
        return QStringLiteral("%1 takes a size from %2 to %3.").arg(name).arg(row.min).arg(row.max);
    case A::LengthOrMax:
        return QStringLiteral("%1 takes a length from %2 to %3, or MAX.")
            .arg(name)
            .arg(row.min)
            .arg(row.max);
    case A::AnyLength:
        return QStringLiteral("%1 takes at most one whole number in parentheses.").arg(name);
    case A::PrecisionScale:
    case A::PrecisionAndScale:
        return QStringLiteral("%1 takes a precision from %2 to %3 and a scale from 0 to the "
                              "precision: %4.")
            .arg(name)
            .arg(row.min)
            .arg(row.max)
            .arg(dataTypeForm(row));
    }
    return {};
}

// Empty when the arguments suit the row.
QString argumentProblem(const DataTypeName& row, bool parenthesised, const QStringList& args)
{
    const auto inRange = [&](const QString& a) {
        const auto n = wholeNumber(a);
        return n && *n >= row.min && *n <= row.max;
    };
    bool ok = false;
    switch (row.arguments) {
    case A::None:
        ok = !parenthesised;
        break;
    case A::OptionalLength:
        ok = !parenthesised || (args.size() == 1 && inRange(args[0]));
        break;
    case A::Length:
        ok = parenthesised && args.size() == 1 && inRange(args[0]);
        break;
    case A::LengthOrMax:
        ok =
            !parenthesised ||
            (args.size() == 1 &&
             (args[0].compare(QLatin1String("MAX"), Qt::CaseInsensitive) == 0 || inRange(args[0])));
        break;
    case A::AnyLength:
        ok = !parenthesised || (args.size() == 1 && wholeNumber(args[0]));
        break;
    case A::PrecisionScale:
    case A::PrecisionAndScale: {
        if (!parenthesised) {
            ok = row.arguments == A::PrecisionScale;
            break;
        }
        const bool two = args.size() == 2;
        if (args.size() < 1 || args.size() > 2 || (row.arguments == A::PrecisionAndScale && !two))
            break;
        const auto p = wholeNumber(args[0]);
        const auto s = two ? wholeNumber(args[1]) : std::optional<int>(0);
        ok = p && s && *p >= row.min && *p <= row.max && *s <= *p;
        break;
    }
    }
    if (ok)
        return {};
    if (row.arguments == A::Length && !parenthesised)
        return QStringLiteral("%1 needs its size: %2.")
            .arg(QString::fromLatin1(row.name), dataTypeForm(row));
    return rangeProblem(row);
}

// What may follow the type towards SQL Server; empty when it may.
QString suffixProblem(TypeTarget target, TypeMappings mapping, const QString& name,
                      const QString& suffix)
{
    if (suffix.isEmpty())
        return {};
    if (target == TypeTarget::SqlServer) {
        static const QRegularExpression re(
            QStringLiteral("^(IDENTITY(?:\\s*\\(\\s*-?\\d{1,18}\\s*,\\s*-?\\d{1,18}\\s*\\))?)?"
                           "\\s*((?:NOT\\s+)?NULL)?$"),
            QRegularExpression::CaseInsensitiveOption);
        const auto m = re.match(suffix);
        if (m.hasMatch()) {
            if (m.capturedLength(1) == 0)
                return {};
            if (mapping == kFaithfulMapping && isIntegerType(name))
                return {};
            return QStringLiteral("IDENTITY goes only on a whole number type (TINYINT, "
                                  "SMALLINT, INT, BIGINT) under the faithful mapping.");
        }
    }
    return QStringLiteral("\"%1\" cannot follow the type.").arg(suffix);
}

QString mappingsText(unsigned mappings)
{
    if (mappings == kEveryMapping)
        return QStringLiteral("both");
    return mappings == kFaithfulMapping ? QStringLiteral("faithful only")
                                        : QStringLiteral("classic only");
}

QString escaped(const QString& text) { return text.toHtmlEscaped(); }

} // namespace

std::span<const DataTypeName> dataTypeNames() { return kNames; }

std::vector<DataTypeName> allowedDataTypes(TypeTarget target, TypeMappings mapping)
{
    std::vector<DataTypeName> rows;
    for (const DataTypeName& row : kNames)
        if (row.target == target && (row.mappings & mapping))
            rows.push_back(row);
    return rows;
}

QString dataTypeForm(const DataTypeName& row)
{
    const QString name = QString::fromLatin1(row.name);
    switch (row.arguments) {
    case A::None:
        return name;
    case A::OptionalLength:
        return QStringLiteral("%1[(%2-%3)]").arg(name).arg(row.min).arg(row.max);
    case A::Length:
        return QStringLiteral("%1(%2-%3)").arg(name).arg(row.min).arg(row.max);
    case A::LengthOrMax:
        return QStringLiteral("%1[(%2-%3|MAX)]").arg(name).arg(row.min).arg(row.max);
    case A::AnyLength:
        return QStringLiteral("%1[(n)]").arg(name);
    case A::PrecisionScale:
        return QStringLiteral("%1[(p[,s])]").arg(name);
    case A::PrecisionAndScale:
        return QStringLiteral("%1(p,s)").arg(name);
    }
    return name;
}

QStringList allowedDataTypeForms(TypeTarget target, TypeMappings mapping)
{
    QStringList forms;
    for (const DataTypeName& row : allowedDataTypes(target, mapping))
        if (!forms.contains(dataTypeForm(row)))
            forms << dataTypeForm(row);
    return forms;
}

QString dataTypeProblem(TypeTarget target, TypeMappings mapping, const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*(\\(([^()]*)\\))?\\s*(.*?)\\s*$"));
    if (text.trimmed().isEmpty())
        return QStringLiteral("No type was given.");
    const auto m = form.match(text);
    if (!m.hasMatch())
        return QStringLiteral("\"%1\" is not a type name with its size.").arg(text.trimmed());
    const QString name = m.captured(1).toUpper();
    const DataTypeName* found = nullptr;
    for (const DataTypeName& row : kNames)
        if (row.target == target && (row.mappings & mapping) && name == QLatin1String(row.name))
            found = &row;
    if (!found)
        return QStringLiteral("\"%1\" is not a type name here.").arg(m.captured(1));
    QStringList args;
    if (m.capturedLength(2) > 0)
        for (const QString& a : m.captured(3).split(u','))
            args << a.trimmed();
    if (QString problem = argumentProblem(*found, m.capturedLength(2) > 0, args);
        !problem.isEmpty())
        return problem;
    return suffixProblem(target, mapping, name, m.captured(4));
}

QString dataTypeHelpFile(TypeTarget target)
{
    return target == TypeTarget::SqlServer ? QStringLiteral("help/sql-server-types.html")
                                           : QStringLiteral("help/paradox-types.html");
}

QString dataTypeHelpPage(TypeTarget target)
{
    const bool sql = target == TypeTarget::SqlServer;
    const QString title = sql ? QStringLiteral("The following are the Data Types of MS SQL Server")
                              : QStringLiteral("The following are the Data Types of Paradox");
    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
                                  "charset=\"utf-8\">\n<title>Tabulex: %1</title>\n"
                                  "<style>body{font-family:sans-serif;margin:2em;max-width:50em}"
                                  "table{border-collapse:collapse}td,th{border:1px solid #999;"
                                  "padding:.2em .6em;text-align:left}code{white-space:nowrap}"
                                  "</style>\n</head>\n<body>\n<h1>%1</h1>\n")
                       .arg(escaped(title));
    page += sql ? QStringLiteral(
                      "<p>The data type window accepts these types for a column that is created "
                      "on SQL Server, in any letter case. n, p and s are whole numbers: a "
                      "length, a precision (digits in all) and a scale (digits after the "
                      "point); parts in [ ] may be left out. Each type may be followed by "
                      "<code>NOT NULL</code> or <code>NULL</code>; under the faithful mapping a "
                      "whole number type may also take <code>IDENTITY</code> or "
                      "<code>IDENTITY(seed,increment)</code>.</p>\n")
                : QStringLiteral(
                      "<p>The data type window accepts these types for a field that is created "
                      "in the Paradox folder, in any letter case. The column \"Makes\" names "
                      "the Paradox field the table gets. n, p and s are whole numbers: a size, "
                      "a precision (digits in all) and a scale (digits after the point); parts "
                      "in [ ] may be left out. \"Mapping\" says whether the name is taken under "
                      "the classic mapping, the faithful one (\"Keep keys, autoincrement and "
                      "field types\") or both.</p>\n");
    page += QStringLiteral("<table>\n<tr><th>Type</th><th>%1</th><th>Mapping</th></tr>\n")
                .arg(sql ? QStringLiteral("Holds") : QStringLiteral("Makes"));
    for (const DataTypeName& row : kNames)
        if (row.target == target)
            page += QStringLiteral("<tr><td><code>%1</code></td><td>%2</td><td>%3</td></tr>\n")
                        .arg(escaped(dataTypeForm(row)), escaped(QString::fromLatin1(row.makes)),
                             mappingsText(row.mappings));
    page += QStringLiteral("</table>\n</body>\n</html>\n");
    return page;
}

} // namespace tabulex
