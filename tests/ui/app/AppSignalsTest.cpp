// The window program under SIGTERM: it closes as when its window is closed, and makes no core
// file.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QString procFile(const QProcess& p, const char* name)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(p.processId()).arg(QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

// True once the program has its SIGTERM handler (bit 15 of SigCgt).
bool catchesSigterm(const QProcess& p)
{
    const auto m = QRegularExpression("SigCgt:\\s*([0-9a-f]+)").match(procFile(p, "status"));
    return m.hasMatch() && (m.captured(1).toULongLong(nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
}

} // namespace

TEST(WindowProgram, SigtermClosesItAsClosingItsWindowDoes)
{
    QTemporaryDir config;
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", config.path());
    app.setProcessEnvironment(env);
    app.start(TABULEX_APP_PROGRAM, QStringList());
    ASSERT_TRUE(app.waitForStarted());
    for (int i = 0; i < 200 && !catchesSigterm(app); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(catchesSigterm(app));
    EXPECT_TRUE(procFile(app, "limits").contains(QRegularExpression("Max core file size +0 +0 ")));
    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(30000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}

// --help and --version answer on the terminal without a display or a window.
TEST(WindowProgram, HelpAndVersionAnswerWithoutADisplay)
{
    for (const char* option : {"--version", "--help"}) {
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb");
        app.setProcessEnvironment(env);
        app.start(TABULEX_APP_PROGRAM, QStringList{option});
        ASSERT_TRUE(app.waitForFinished(30000)) << option;
        EXPECT_EQ(app.exitCode(), 0) << option;
        const QString out = QString::fromUtf8(app.readAllStandardOutput());
        if (QLatin1String(option) == QLatin1String("--version"))
            EXPECT_TRUE(QRegularExpression("^tabulex \\d+\\.\\d+\\.\\d+\n$").match(out).hasMatch())
                << out.toStdString();
        else
            EXPECT_TRUE(out.startsWith("Usage: tabulex")) << out.toStdString();
    }
}
