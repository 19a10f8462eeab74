#include "customize/AppliedTypes.h"

#include "core/SqlQuoting.h"

#include <QLocale>

#include <cmath>

namespace tabulex {

bool isNumericFieldName(const QString& name)
{
    const QString t = name.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    double value = QLocale::system().toDouble(t, &ok);
    if (!ok)
        value = t.toDouble(&ok);
    // Qt also reads "nan" and "inf", which are no numbers a field name could mean.
    return ok && std::isfinite(value);
}

QString newFieldName(const QStringList& fieldNames, const QStringList& generated)
{
    QString candidate = QStringLiteral("newfieldname0");
    for (int counter = 1; fieldNames.contains(candidate) || generated.contains(candidate);
         ++counter)
        candidate = QStringLiteral("tempid%1").arg(counter);
    return candidate;
}

AppliedTypes applyDataTypes(const QString& target, const QString& head, const QStringList& names,
                            const QStringList& types)
{
    const bool paradox = target == QLatin1String("Paradox");
    AppliedTypes out;
    out.statement = head;
    for (int i = 0; i < types.size(); ++i) {
        QString column = i < names.size() ? names[i] : QString();
        if (isNumericFieldName(column)) {
            const QString generated = newFieldName(names, out.newNames);
            out.oldNames << column;
            out.newNames << generated;
            column = generated;
        }
        out.columns << column;
        if (paradox) {
            column = bracketName(column);
            const QString lower = types[i].toLower();
            if (lower == QLatin1String("int") || lower == QLatin1String("currency"))
                out.numeric += QString::number(i) + u',';
        } else {
            column = u'"' + column.replace(u'"', QLatin1String("\"\"")) + u'"';
        }
        out.statement += column + u' ' + types[i] + u',';
    }
    out.statement.chop(1);
    out.statement += u')';
    return out;
}

} // namespace tabulex
