#include "drivers/paradox/ParadoxConnection.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "core/MemoryCursor.h"
#include "drivers/paradox/ParadoxCursor.h"
#include "drivers/paradox/ParadoxStatement.h"
#include "paradox/CodePage.h"
#include "paradox/Error.h"
#include "paradox/FileNames.h"
#include "paradox/TableFiles.h"
#include "paradox/TableReader.h"
#include "paradox/TableShape.h"

namespace tabulex::paradoxdriver {

namespace fs = std::filesystem;

namespace {

fs::path pathOf(const QString& s) { return fs::path(s.toStdString()); }

QString textOf(const fs::path& p)
{
    return QString::fromStdString(paradox::fileNameText(p.native()));
}

ParadoxStatement parsed(const QString& statement)
{
    const auto s = parseParadoxStatement(statement);
    if (!s)
        throw DataError(QStringLiteral("The Paradox driver does not support this statement: %1")
                            .arg(statement));
    return *s;
}

} // namespace

std::unique_ptr<ParadoxConnection> ParadoxConnection::open(const ConnectionKeys& keys,
                                                           const DriverOptions& options)
{
    QString folder = keys.value(u"DefaultDir").value_or(QString());
    if (folder.isEmpty())
        folder = keys.value(u"Dbq").value_or(QString());
    if (folder.isEmpty())
        throw DataError(QStringLiteral("The connection string names no Paradox folder."));
    std::error_code ec;
    if (!fs::is_directory(pathOf(folder), ec))
        throw DataError(QStringLiteral("The Paradox folder %1 does not exist.").arg(folder));
    std::unique_ptr<ParadoxConnection> c(new ParadoxConnection(folder));
    c->setTextCodePage(options.textCodePage);
    return c;
}

ParadoxConnection::ParadoxConnection(QString folder)
    : m_folder(std::move(folder)), m_path(pathOf(m_folder))
{
}

fs::path ParadoxConnection::tableFile(const QString& table) const
{
    std::optional<fs::path> file;
    try {
        file = paradox::findTableEntry(m_path, table.toStdString());
    } catch (const fs::filesystem_error& e) {
        throw DataError(tableError(table, QString::fromLocal8Bit(e.code().message().c_str())));
    }
    if (!file)
        throw DataError(tableError(
            table, QStringLiteral("there is no table of that name in %1").arg(m_folder)));
    return *file;
}

void ParadoxConnection::execute(const QString& statement)
{
    const ParadoxStatement s = parsed(statement);
    if (s.kind == ParadoxStatement::Kind::Drop)
        return dropTable(s.table);
    query(statement);
}

std::unique_ptr<DriverCursor> ParadoxConnection::query(const QString& statement)
{
    const ParadoxStatement s = parsed(statement);
    if (s.kind != ParadoxStatement::Kind::Select)
        throw DataError(
            QStringLiteral("The Paradox driver does not return rows for this statement: %1")
                .arg(statement));
    const fs::path file = tableFile(s.table);
    try {
        paradox::TableStamp stamp = paradox::stampOf(file);
        paradox::ReadOptions read;
        if (m_codePage != 0)
            read.encoding = paradox::encodingForCodePage(m_codePage);
        auto reader = paradox::TableReader::open(file, read);
        std::optional<paradox::TableShape> shape;
        try {
            shape = paradox::readTableShape(file);
        } catch (const std::exception&) {
            // A table whose rows read without its shape is read as an unkeyed one.
        }
        return std::make_unique<ParadoxCursor>(std::move(reader), s.table, s.limit, file,
                                               std::move(stamp), shape ? &*shape : nullptr);
    } catch (const paradox::Error& e) {
        throw DataError(tableError(s.table, QString::fromStdString(e.cause())));
    }
}

void ParadoxConnection::dropTable(const QString& table)
{
    const fs::path file = tableFile(table);
    // The family is known while its .db is there, so that a table differing from it only in
    // case never counts as its own.
    std::vector<fs::path> family;
    try {
        family = paradox::tableFamily(file);
    } catch (const fs::filesystem_error& e) {
        throw DataError(tableError(table, QString::fromLocal8Bit(e.code().message().c_str())));
    }
    std::error_code ec;
    // The .db goes first: a failure after it leaves companions without a table, never a
    // table without its memo file.
    if (!fs::remove(file, ec) && ec)
        throw DataError(tableError(table, QStringLiteral("cannot delete %1: %2")
                                              .arg(textOf(file.filename()),
                                                   QString::fromLocal8Bit(ec.message().c_str()))));
    for (const fs::path& companion : family)
        if (!fs::remove(companion, ec) && ec)
            throw DataError(
                tableError(table, QStringLiteral("cannot delete %1: %2")
                                      .arg(textOf(companion.filename()),
                                           QString::fromLocal8Bit(ec.message().c_str()))));
}

std::unique_ptr<DriverCursor> ParadoxConnection::tables()
{
    std::vector<paradox::TableEntry> entries;
    try {
        entries = paradox::tableEntries(m_path);
    } catch (const fs::filesystem_error& e) {
        throw DataError(QStringLiteral("Cannot list the Paradox folder %1: %2")
                            .arg(m_folder, QString::fromLocal8Bit(e.code().message().c_str())));
    }
    std::vector<ColumnInfo> columns;
    for (const char* name : {"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "TABLE_TYPE"})
        columns.push_back(ColumnInfo{QString::fromLatin1(name), ado::adVarWChar, 255, 0, 0});
    std::vector<std::vector<Value>> rows;
    for (const paradox::TableEntry& e : entries)
        rows.push_back({Value(), Value(), Value(QString::fromStdString(e.entry)),
                        Value(QStringLiteral("TABLE"))});
    return std::make_unique<MemoryCursor>(std::move(columns), std::move(rows));
}

} // namespace tabulex::paradoxdriver
