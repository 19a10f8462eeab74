#pragma once

#include <QFileInfo>
#include <QString>

namespace tabulex::test {

// The folder of real Paradox tables in the source tree.
QString paradoxFixtures();
// The source tree's tests folder (tools such as the SQL Server stand-in live there).
QString testsSourceDir();

} // namespace tabulex::test

// Fails the running test when the Paradox fixtures are missing from the source tree.
#define TABULEX_REQUIRE_FIXTURES()                                                                 \
    do {                                                                                           \
        if (!QFileInfo(::tabulex::test::paradoxFixtures()).isDir())                                \
            FAIL() << "Paradox fixtures not found at "                                             \
                   << ::tabulex::test::paradoxFixtures().toStdString();                            \
    } while (0)
