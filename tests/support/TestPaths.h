#pragma once

#include <QFileInfo>
#include <QString>

namespace tabulex::test {

// The folder of real Paradox tables given to the build; empty or missing means skip.
QString paradoxFixtures();
// The source tree's tests folder (tools such as the SQL Server stand-in live there).
QString testsSourceDir();

} // namespace tabulex::test

// Skips the running test when the Paradox fixtures are not on this machine.
#define TABULEX_REQUIRE_FIXTURES()                                                               \
    do {                                                                                         \
        if (!QFileInfo(::tabulex::test::paradoxFixtures()).isDir())                              \
            GTEST_SKIP() << "Paradox fixtures not found at "                                     \
                         << ::tabulex::test::paradoxFixtures().toStdString()                     \
                         << " (set TABULEX_PARADOX_FIXTURES)";                                   \
    } while (0)
