#pragma once

#include "ScriptedPrompter.h"
#include "StandinServer.h"
#include "connect/ConnectionStrings.h"
#include "host/TableList.h"
#include "settings/Settings.h"
#include "tables/ListFill.h"
#include "ui/tables/TableWindow.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tabulex::test {

// The table window over a private stand-in and a temporary Paradox folder, answering its
// questions from a scripted prompter.
class TableWindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<StandinServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        s_server->reset();
        QFile::remove(Settings::filePath());
        ConnectionFields fields;
        fields.paradoxFolder = m_folder.path();
        fields.server = QStringLiteral("127.0.0.1");
        fields.port = QString::number(s_server->port());
        fields.user = s_server->user();
        fields.password = s_server->password();
        fields.database = s_server->database();
        m_window = std::make_unique<TableWindow>(
            m_prompter, [fields] { return fields; }, m_connection);
    }

    // Both lists filled from their sources, as "Next >" fills them.
    void fillLists()
    {
        fillSqlTableList(m_window->sqlTables(), s_server->connectionString(), *m_window);
        fillParadoxTableList(m_window->paradoxTables(), m_folder.path(), *m_window);
    }

    // Selects the named items, the last of them current.
    static void select(TableList& list, const QStringList& names)
    {
        for (int i = 0; i < list.count(); ++i) {
            list.setSelected(i, names.contains(list.item(i)));
            if (names.contains(list.item(i)))
                list.setCurrentIndex(i);
        }
    }

    static QStringList items(const TableList& list)
    {
        QStringList out;
        for (int i = 0; i < list.count(); ++i)
            out << list.item(i);
        return out;
    }

    static inline std::unique_ptr<StandinServer> s_server;
    ScriptedPrompter m_prompter;
    QWidget m_connection;
    QTemporaryDir m_folder;
    std::unique_ptr<TableWindow> m_window;
};

} // namespace tabulex::test
