// The main of every Qt test program: an offscreen application, a private settings store and
// state folder, no FreeTDS environment variables that would override the connection strings,
// and every test started as a fresh program would start.
#include "core/StopRequest.h"
#include "data/BlockingCall.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Closing a window asks the running command to stop, for the rest of the program's life;
// a test that does so must not stop the next one. Calls wait on the calling thread unless a
// test says otherwise.
class FreshStart : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        tabulex::clearStopRequest();
        tabulex::waitForCallsWith({});
    }
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    for (const char* name : {"TDSPORT", "TDSHOST", "TDSVER", "TDSDUMP", "FREETDSCONF", "FREETDS"})
        unsetenv(name);
    QTemporaryDir config;
    if (!config.isValid())
        return 2;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    // No secret store: the tests never touch the user's keyring. (A bus address GLib cannot
    // use fails at once, and keeps it from looking for the user's bus socket.)
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
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
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStart);
    return RUN_ALL_TESTS();
}
