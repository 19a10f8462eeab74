#include "transfer/Statements.h"

#include "core/DataError.h"
#include "core/DecimalText.h"
#include "core/SqlQuoting.h"
#include "data/Recordset.h"

#include <cmath>

namespace tabulex {

namespace {

double roundedTo(double v, int decimals)
{
    return std::round(v * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
}

bool rounds(const Value& v, const ColumnPlan& plan)
{
    return plan.roundedDecimals >= 0 && v.kind() == Value::Kind::Double;
}

void appendLiteral(QString& out, const Field& f, const ColumnPlan& plan)
{
    const Value& v = f.value;
    if (writtenAsNull(v)) {
        out += QLatin1String("NULL");
        return;
    }
    if (rounds(v, plan)) {
        out += u'\'' +
               QString::number(roundedTo(v.toDouble(), plan.roundedDecimals), 'f',
                               plan.roundedDecimals) +
               u'\'';
        return;
    }
    bool national = false;
    switch (plan.style) {
    case LiteralStyle::Hex:
        if (v.kind() == Value::Kind::Bytes) {
            out += QLatin1String("0x");
            v.appendText(out);
            return;
        }
        break;
    case LiteralStyle::BooleanDigits:
        if (v.kind() == Value::Kind::Bool) {
            out += v.toBool() ? u'1' : u'0';
            return;
        }
        break;
    case LiteralStyle::UnicodeQuoted:
        national = true;
        break;
    case LiteralStyle::Quoted:
        break;
    }
    // Text goes as the same characters, a NUL or other control character included.
    if (v.kind() == Value::Kind::Text) {
        appendTextLiteral(out, v.toString(), national);
        return;
    }
    // Numbers, dates and the like hold no apostrophe.
    if (national)
        out += u'N';
    out += u'\'';
    v.appendText(out);
    out += u'\'';
}

} // namespace

bool writtenAsNull(const Value& v)
{
    return v.isNull() || (v.kind() == Value::Kind::Text && v.toString().isEmpty()) ||
           (v.kind() == Value::Kind::Bytes && v.toBytes().isEmpty()) ||
           (v.kind() == Value::Kind::Decimal && v.toDecimal().text.isEmpty());
}

QString completeCreateTable(const QString& statement, const Fields& fields,
                            const std::vector<ColumnPlan>& columns)
{
    QString s = statement;
    for (int i = 0; i < fields.count(); ++i) {
        s += bracketName(fields[i].name) + u' ' + columns[size_t(i)].type + u',';
    }
    s.chop(1);
    return s + QLatin1String(");");
}

void appendValues(QString& out, const Fields& fields, const std::vector<ColumnPlan>& columns)
{
    out += u'(';
    for (int i = 0; i < fields.count(); ++i) {
        if (i)
            out += QLatin1String(", ");
        appendLiteral(out, fields[i], columns[size_t(i)]);
    }
    out += u')';
}

QString insertHead(const QString& table)
{
    return QLatin1String("INSERT INTO ") + bracketName(table) + QLatin1String(" VALUES");
}

QString buildInsertStatement(const QString& table, const Fields& fields,
                             const std::vector<ColumnPlan>& columns)
{
    QString s;
    s.reserve(64 + fields.count() * 16);
    s += insertHead(table);
    appendValues(s, fields, columns);
    return s;
}

void verifyValuesFit(const Fields& fields, const std::vector<ColumnPlan>& columns)
{
    for (int i = 0; i < fields.count(); ++i) {
        const ColumnPlan& plan = columns[size_t(i)];
        if (!rounds(fields[i].value, plan)) {
            refuseSilentChange(fields[i], plan.guard);
            continue;
        }
        Field rounded = fields[i];
        rounded.value = Value(roundedTo(fields[i].value.toDouble(), plan.roundedDecimals));
        refuseSilentChange(rounded, plan.guard);
    }
}

bool changedByRounding(const Value& v, const ColumnPlan& plan)
{
    return rounds(v, plan) && roundedTo(v.toDouble(), plan.roundedDecimals) != v.toDouble();
}

Value valueAsWritten(const Value& v, const ColumnPlan& plan)
{
    if (writtenAsNull(v))
        return Value();
    if (rounds(v, plan))
        return Value(roundedTo(v.toDouble(), plan.roundedDecimals));
    if (v.kind() == Value::Kind::Bool && plan.style == LiteralStyle::BooleanDigits)
        return Value(v.toBool() ? 1 : 0);
    if (v.kind() == Value::Kind::Bytes && plan.style == LiteralStyle::Hex)
        return v;
    const QString type = plan.type.toUpper();
    const bool character = type.contains(QLatin1String("CHAR")) ||
                           type.contains(QLatin1String("TEXT")) ||
                           type.contains(QLatin1String("XML"));
    if (character)
        return v.kind() == Value::Kind::Text ? v : Value(v.toText());
    if (v.kind() == Value::Kind::Text) {
        bool number = false;
        v.toString().trimmed().toDouble(&number);
        if (number)
            return Value(Decimal{v.toString().trimmed()});
    }
    return v;
}

QString collapseBackslashes(const QString& path)
{
    auto collapse = [](const QString& p) {
        QString out;
        out.reserve(p.size());
        for (qsizetype i = 0; i < p.size(); ++i) {
            out += p[i];
            if (p[i] == u'/' && i + 1 < p.size() && p[i + 1] == u'/')
                ++i; // a pair becomes one; the scan goes on after the pair
        }
        return out;
    };
    if (!path.startsWith(u'/'))
        return collapse(path);
    qsizetype first = 1;
    while (first < path.size() && path[first] == u'/')
        ++first;
    // Two or more leading separators keep exactly two; the root's single one stays single.
    const QString lead = first > 1 ? QStringLiteral("//") : QStringLiteral("/");
    return lead + collapse(path.mid(first));
}

} // namespace tabulex
