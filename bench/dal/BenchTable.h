#pragma once

#include <QString>

namespace tabulex::bench {

// Ten columns of mixed SQL Server types, as a transferred Paradox table arrives.
QString createTableStatement(const QString& table);
// One INSERT of row i into that table, with every value written as quoted text.
QString insertStatement(const QString& table, int i);

// Peak resident memory of this process so far, in MiB (the kernel's high-water mark).
double peakResidentMiB();
// CPU seconds (user + system) used so far by process pid.
double cpuSeconds(qint64 pid);

} // namespace tabulex::bench
