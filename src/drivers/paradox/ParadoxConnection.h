#pragma once

#include "core/ConnectionString.h"
#include "core/Driver.h"

#include <QString>

#include <filesystem>
#include <memory>

namespace tabulex::paradoxdriver {

// The driver behind "Driver={Microsoft Paradox Driver (*.db )};...;DefaultDir=<folder>;...":
// a folder of Paradox tables, read and dropped with the program's Paradox library. A table
// is named as the table list names it ("ORDERS", "sub/ORDERS"; paradox::findTableEntry).
class ParadoxConnection : public DriverConnection {
public:
    // The folder is the string's DefaultDir (else its Dbq). Throws DataError when the string
    // names no folder or the folder does not exist.
    static std::unique_ptr<ParadoxConnection> open(const ConnectionKeys& keys,
                                                   const DriverOptions& options);

    void execute(const QString& statement) override;
    std::unique_ptr<DriverCursor> query(const QString& statement) override;
    std::unique_ptr<DriverCursor> tables() override;
    void setCommandTimeout(int) override {}
    void setTextCodePage(int codePage) override { m_codePage = codePage; }

    const QString& folder() const { return m_folder; }

private:
    explicit ParadoxConnection(QString folder);
    std::filesystem::path tableFile(const QString& table) const;
    void dropTable(const QString& table);

    QString m_folder;
    std::filesystem::path m_path;
    int m_codePage = 0;
};

} // namespace tabulex::paradoxdriver
