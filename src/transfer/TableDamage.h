#pragma once

#include "core/Driver.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tabulex {

struct SalvagedTable;

// A Paradox table that its plain read refuses and a salvage read gives in part.
struct TableDamage {
    qint64 records = 0; // the records the salvage read gives
    QString report;     // the damage found, one line each
};

// Reads the table of the folder with a salvage read: nothing when it is sound, when the plain
// read takes it after all, or when no salvage read can either (the send then meets the
// table as it always did). `tick` runs every few thousand records.
std::optional<TableDamage> findDamage(const QString& folder, const QString& table,
                                      const std::function<void()>& tick);

// The records of a salvage read of the table, as the send reads a source; `records` is the
// count findDamage gave.
std::unique_ptr<DriverCursor> openSalvaged(const QString& folder, const QString& table,
                                           qint64 records, int codePage = 0);

// The question before a damaged table is sent: the report and the records that can be read.
QString salvageQuestion(const QString& table, const TableDamage& damage);

// The end message of a salvaged table and its line in the batch summary, after the table's
// name.
QString salvagedText(const SalvagedTable& table);

inline const QString kSalvageTitle = QStringLiteral("Salvage?");

} // namespace tabulex
