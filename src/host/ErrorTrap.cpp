#include "host/ErrorTrap.h"

#include "core/DataError.h"

namespace tabulex {

QString describe(const std::exception& e)
{
    if (auto* d = dynamic_cast<const DataError*>(&e))
        return d->description();
    return QString::fromUtf8(e.what());
}

void ErrorTrap::report(int line, const std::exception& e) { report(line, describe(e)); }

void ErrorTrap::report(int line, const QString& description)
{
    m_lastError = description;
    m_prompter.errorReport(reportText(line, description));
}

QString ErrorTrap::reportText(int line, const QString& description) const
{
    return errorReportText(description, location(line), m_statement);
}

} // namespace tabulex
