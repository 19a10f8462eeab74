#include "transfer/TableDamage.h"

#include "core/DataError.h"
#include "drivers/paradox/ParadoxCursor.h"
#include "paradox/CodePage.h"
#include "paradox/DamageReport.h"
#include "paradox/Error.h"
#include "paradox/TableFiles.h"
#include "paradox/TableReader.h"
#include "transfer/Transfers.h"

#include <filesystem>

namespace tabulex {

namespace {

namespace fs = std::filesystem;

constexpr qint64 kTickRecords = 4096;

std::optional<fs::path> tableFile(const QString& folder, const QString& table)
{
    try {
        return paradox::findTableFile(fs::path(folder.toStdString()), table.toStdString());
    } catch (const fs::filesystem_error&) {
        return std::nullopt;
    }
}

std::unique_ptr<paradox::TableReader> salvageReader(const fs::path& file, int codePage = 0)
{
    paradox::ReadOptions options;
    options.salvage = true;
    if (codePage != 0)
        options.encoding = paradox::encodingForCodePage(codePage);
    return paradox::TableReader::open(file, options);
}

// Reads every record; false when the reader refuses the table.
bool readsToTheEnd(paradox::TableReader& reader, qint64& records, const std::function<void()>& tick)
{
    std::vector<paradox::Value> row;
    try {
        while (reader.next(row))
            if (++records % kTickRecords == 0)
                tick();
    } catch (const paradox::Error&) {
        return false;
    }
    return true;
}

} // namespace

std::optional<TableDamage> findDamage(const QString& folder, const QString& table,
                                      const std::function<void()>& tick)
{
    const auto file = tableFile(folder, table);
    if (!file)
        return std::nullopt;
    try {
        const auto salvage = salvageReader(*file);
        TableDamage damage;
        if (!readsToTheEnd(*salvage, damage.records, tick) || salvage->damage()->empty())
            return std::nullopt;
        qint64 plainRecords = 0;
        if (readsToTheEnd(*paradox::TableReader::open(*file), plainRecords, tick))
            return std::nullopt;
        damage.report = QString::fromStdString(salvage->damage()->text());
        return damage;
    } catch (const paradox::Error&) {
        return std::nullopt;
    }
}

std::unique_ptr<DriverCursor> openSalvaged(const QString& folder, const QString& table,
                                           qint64 records, int codePage)
{
    const auto file = tableFile(folder, table);
    if (!file)
        throw DataError(paradoxdriver::tableError(
            table, QStringLiteral("there is no table of that name in %1").arg(folder)));
    try {
        return std::make_unique<paradoxdriver::ParadoxCursor>(
            salvageReader(*file, codePage), table, -1, std::filesystem::path{},
            paradox::TableStamp{}, nullptr, records);
    } catch (const paradox::Error& e) {
        throw DataError(paradoxdriver::tableError(table, QString::fromStdString(e.cause())));
    }
}

QString salvageQuestion(const QString& table, const TableDamage& damage)
{
    return table + QStringLiteral(" is damaged:\n") + damage.report +
           QStringLiteral("Would you like to send the %1 %2 that can be read?")
               .arg(damage.records)
               .arg(damage.records == 1 ? QStringLiteral("record") : QStringLiteral("records"));
}

QString salvagedText(const SalvagedTable& table)
{
    const QString records =
        QStringLiteral("salvaged: %1 %2, ")
            .arg(table.records)
            .arg(table.records == 1 ? QStringLiteral("record") : QStringLiteral("records"));
    if (table.reportFile.isEmpty())
        return records + QStringLiteral("the report could not be kept: ") + table.error;
    return records + QStringLiteral("the report in ") + table.reportFile;
}

} // namespace tabulex
