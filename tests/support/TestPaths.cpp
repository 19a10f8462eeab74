#include "TestPaths.h"

namespace tabulex::test {

QString paradoxFixtures() { return QStringLiteral(TABULEX_PARADOX_FIXTURES_DIR); }
QString testsSourceDir() { return QStringLiteral(TABULEX_TESTS_SOURCE_DIR); }

} // namespace tabulex::test
