// The main of every Qt test program: an offscreen application, a private settings store and
// state folder, and no FreeTDS environment variables that would override the connection strings.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    for (const char* name : {"TDSPORT", "TDSHOST", "TDSVER", "TDSDUMP", "FREETDSCONF", "FREETDS"})
        unsetenv(name);
    QTemporaryDir config;
    if (!config.isValid())
        return 2;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    // Rejected rows are kept in a folder of our own too.
    QTemporaryDir state;
    if (!state.isValid())
        return 2;
    setenv("XDG_STATE_HOME", state.path().toLocal8Bit().constData(), 1);
    // A runtime folder of our own, so that Qt need not complain about a missing one.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid()) {
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    }

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
