#include "ui/connection/ConnectionWindow.h"
#include "FreePort.h"
#include "ScriptedPrompter.h"
#include "core/AppInfo.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowPointer.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tabulex;
using Kind = test::ScriptedPrompter::Kind;

namespace {

const QString kLoginFailed = "Could not connect. Please check with your administrator.";

// A control's caption as the user reads it: without the access key's "&".
QString caption(QWidget* w)
{
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return QString(g->title()).remove(u'&');
    if (auto* l = qobject_cast<QLabel*>(w))
        return QString(l->text()).remove(u'&');
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return QString(b->text()).remove(u'&');
    return qobject_cast<QLineEdit*>(w)->text();
}

QColor background(QWidget* w) { return w->palette().color(w->backgroundRole()); }

// The keys written to the settings store.
QStringList storedKeys()
{
    QSettings s(Settings::filePath(), QSettings::IniFormat);
    s.beginGroup("Tabulex");
    return s.childKeys();
}

// A file beside the program for the length of a test.
class BesideProgram {
public:
    BesideProgram(const QString& relative, const QByteArray& content)
        : m_path(applicationFolder() + "/" + relative)
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QFile f(m_path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ~BesideProgram()
    {
        QFile::remove(m_path);
        QDir().rmdir(QFileInfo(m_path).absolutePath()); // only when we made it and it is empty
    }

private:
    QString m_path;
};

// A Windows cursor file: an icon file with type 2 and the hot spot in its directory entry.
QByteArray cursorFile(int hotX, int hotY)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int i = 0; i < 32; ++i)
        image.setPixel(i, i, qRgba(0, 0, 0, 255));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "ico").write(image))
        return {};
    QByteArray bytes = buffer.data();
    bytes[2] = 2;
    bytes[6 + 4] = char(hotX);
    bytes[6 + 5] = 0;
    bytes[6 + 6] = char(hotY);
    bytes[6 + 7] = 0;
    return bytes;
}

#define REQUIRE_WRITABLE_PROGRAM_FOLDER()                                                          \
    do {                                                                                           \
        if (!QFileInfo(applicationFolder()).isWritable())                                          \
            GTEST_SKIP() << "cannot put files beside the test program in "                         \
                         << applicationFolder().toStdString();                                     \
    } while (0)

class ConnectionWindowTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(Settings::filePath()); }
    test::ScriptedPrompter m_prompter;
};

} // namespace

TEST_F(ConnectionWindowTest, ControlsCaptionsAndFrames)
{
    ConnectionWindow window(m_prompter);
    window.load();
    struct Row {
        QWidget* control;
        const char* caption;
        QWidget* frame;
    };
    const Row rows[] = {
        {window.loginFrame, "MS SQL Server Login", &window},
        {window.serverLabel, "Server:", window.loginFrame},
        {window.portLabel, "Port:", window.loginFrame},
        {window.userLabel, "Username:", window.loginFrame},
        {window.passwordLabel, "Password:", window.loginFrame},
        {window.databaseLabel, "Database:", window.loginFrame},
        {window.localConnectionCheck, "Local Connection", window.loginFrame},
        {window.testSqlConnectionButton, "Test Connection", window.loginFrame},
        {window.helpButton, "Help", window.loginFrame},
        {window.paradoxFrame, "Paradox Database", &window},
        {window.folderLabel, "Paradox Folder:", window.paradoxFrame},
        {window.browseButton, "...", window.paradoxFrame},
        {window.testParadoxFolderButton, "Test Connection", window.paradoxFrame},
        {window.loadSampleButton, "Load Sample/Example Database", window.paradoxFrame},
        {window.nextButton, "Next >", &window},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(caption(r.control), QString(r.caption));
        EXPECT_EQ(r.control->parentWidget(), r.frame);
        EXPECT_EQ(r.control->font().family(), "Arial");
        EXPECT_TRUE(r.control->isVisible());
    }
    for (QLineEdit* box : {window.serverEdit, window.userEdit, window.passwordEdit,
                           window.databaseEdit, window.portEdit})
        EXPECT_EQ(box->parentWidget(), window.loginFrame);
    EXPECT_EQ(window.folderEdit->parentWidget(), window.paradoxFrame);
    EXPECT_EQ(window.windowTitle(), "Tabulex");
    EXPECT_FALSE(window.windowIcon().isNull());

    EXPECT_EQ(window.passwordEdit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window.passwordEdit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter,
                                                      nullptr, window.passwordEdit),
              '*');
    // Without a skin file the frames, labels and check box stay white.
    for (QWidget* w : std::initializer_list<QWidget*>{
             window.paradoxFrame, window.loginFrame, window.localConnectionCheck,
             window.serverLabel, window.folderLabel, window.portLabel}) {
        EXPECT_TRUE(w->autoFillBackground());
        EXPECT_EQ(background(w), QColor(Qt::white));
    }
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(ConnectionWindowTest, TabOrderAndRows)
{
    ConnectionWindow window(m_prompter);
    window.load();
    QList<QWidget*> boxes;
    QWidget* w = window.folderEdit;
    do {
        if (qobject_cast<QLineEdit*>(w))
            boxes << w;
        w = w->nextInFocusChain();
    } while (w != window.folderEdit);
    EXPECT_EQ(boxes, (QList<QWidget*>{window.folderEdit, window.serverEdit, window.portEdit,
                                      window.userEdit, window.passwordEdit, window.databaseEdit}));

    auto top = [&](QWidget* c) { return c->mapTo(&window, QPoint(0, 0)).y(); };
    auto left = [&](QWidget* c) { return c->mapTo(&window, QPoint(0, 0)).x(); };
    EXPECT_LT(top(window.serverEdit), top(window.userEdit));
    EXPECT_LT(top(window.userEdit), top(window.passwordEdit));
    EXPECT_LT(top(window.passwordEdit), top(window.databaseEdit));
    EXPECT_LT(top(window.databaseEdit), top(window.localConnectionCheck));
    EXPECT_EQ(top(window.portEdit), top(window.serverEdit));
    EXPECT_GT(left(window.portEdit), left(window.serverEdit) + window.serverEdit->width() - 1);
    for (QWidget* label : std::initializer_list<QWidget*>{
             window.serverLabel, window.userLabel, window.passwordLabel, window.databaseLabel})
        EXPECT_LT(left(label), left(window.serverEdit));
}

TEST_F(ConnectionWindowTest, FirstStartShowsThePortAndStoresOnlyIt)
{
    ConnectionWindow window(m_prompter);
    window.load();
    for (QLineEdit* box : {window.folderEdit, window.serverEdit, window.userEdit,
                           window.passwordEdit, window.databaseEdit})
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_EQ(window.portEdit->text(), "1433");
    EXPECT_FALSE(window.localConnectionCheck->isChecked());
    EXPECT_EQ(storedKeys(), QStringList{"Port"});
    EXPECT_EQ(Settings::read(keys::Port), "1433");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Settings::filePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(appTitle(), "Tabulex");
}

TEST_F(ConnectionWindowTest, StoredValuesComeBack)
{
    const QString password = "p;w=\"x\" 'y' {z}";
    Settings::write(keys::ParadoxFolder, "/home/anna/Paradox Data");
    Settings::write(keys::Server, "db01");
    Settings::write(keys::User, "");
    Settings::write(keys::Password, password);
    Settings::write(keys::Database, "Λογιστήριο");
    Settings::write(keys::Port, "");
    ConnectionWindow window(m_prompter);
    window.load();
    EXPECT_EQ(window.folderEdit->text(), "/home/anna/Paradox Data");
    EXPECT_EQ(window.serverEdit->text(), "db01");
    EXPECT_EQ(window.userEdit->text(), "");
    EXPECT_EQ(window.passwordEdit->text(), password);
    EXPECT_EQ(window.databaseEdit->text(), "Λογιστήριο");
    EXPECT_EQ(window.portEdit->text(), ""); // a stored empty port stays empty
    // The stored password stays as typed; the string carries it in braces.
    EXPECT_EQ(window.sqlConnectionString(), "Driver={SQL Server};Server=db01,;Database=Λογιστήριο;"
                                            "Uid=;Pwd={p;w=\"x\" 'y' {z}}};");
    EXPECT_EQ(Settings::read(keys::Password), password);
}

TEST_F(ConnectionWindowTest, LocalConnectionTicksForAnyValueButZero)
{
    struct Row {
        const char* stored; // nullptr: no key
        bool ticked;
    };
    for (const Row& r : {Row{nullptr, false}, Row{"0", false}, Row{"1", true}, Row{"yes", true},
                         Row{"", true}, Row{" 0", true}}) {
        SCOPED_TRACE(r.stored ? r.stored : "(no key)");
        QFile::remove(Settings::filePath());
        if (r.stored)
            Settings::write(keys::LocalConnection, r.stored);
        ConnectionWindow window(m_prompter);
        window.load();
        EXPECT_EQ(window.localConnectionCheck->isChecked(), r.ticked);
        EXPECT_EQ(window.sqlConnectionString().contains(",1433;"), !r.ticked);
    }
}

TEST_F(ConnectionWindowTest, EveryChangeIsStoredAtOnce)
{
    {
        ConnectionWindow window(m_prompter);
        window.load();
        QTest::keyClicks(window.userEdit, "an");
        EXPECT_EQ(Settings::read(keys::User), "an");
        QTest::keyClicks(window.userEdit, "na");
        EXPECT_EQ(Settings::read(keys::User), "anna");
        QTest::keyClicks(window.passwordEdit, "a;b=\"c\"");
        window.portEdit->setText("1500");
        window.serverEdit->setText("db02");
        window.databaseEdit->setText("Sales");
        window.folderEdit->setText("/data/px");
        window.localConnectionCheck->click();
        EXPECT_EQ(Settings::read(keys::LocalConnection), "1");
        window.localConnectionCheck->click();
        EXPECT_EQ(Settings::read(keys::LocalConnection), "0");
        window.localConnectionCheck->click();
    }
    ConnectionWindow again(m_prompter);
    again.load();
    const ConnectionFields f = again.fields();
    EXPECT_EQ(f.paradoxFolder, "/data/px");
    EXPECT_EQ(f.server, "db02");
    EXPECT_EQ(f.port, "1500");
    EXPECT_EQ(f.user, "anna");
    EXPECT_EQ(f.password, "a;b=\"c\"");
    EXPECT_EQ(f.database, "Sales");
    EXPECT_TRUE(f.localConnection);
}

TEST_F(ConnectionWindowTest, FocusSelectsTheWholeText)
{
    ConnectionWindow window(m_prompter);
    window.load();
    for (QLineEdit* box : {window.folderEdit, window.serverEdit, window.userEdit,
                           window.passwordEdit, window.databaseEdit, window.portEdit}) {
        box->setText("some value");
        box->deselect();
        box->setCursorPosition(3);
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(box, &in);
        EXPECT_EQ(box->selectionStart(), 0);
        EXPECT_EQ(box->selectedText(), "some value");
    }
}

TEST_F(ConnectionWindowTest, ParadoxTestConnectionLooksForTables)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath("tables");
    QDir(dir.path()).mkpath("none/sub.db");
    QFile(dir.filePath("tables/.Orders.DB")).open(QIODevice::WriteOnly);
    struct Row {
        QString folder;
        QString message;
    };
    const Row rows[] = {
        {"", "Could not connect.\r\n\r\nParadox folder: no folder is given"},
        {dir.filePath("none"), "Could not connect.\r\n\r\nParadox folder: no Paradox tables"},
        {dir.filePath("missing"),
         "Could not connect.\r\n\r\nParadox folder: this folder does not exist:\r\n" +
             dir.filePath("missing")},
        {dir.filePath("tables"),
         "Connection successful.\r\n\r\nParadox folder: 1 table in\r\n" + dir.filePath("tables")},
        {dir.filePath("tables") + "/", "Connection successful."},
    };
    ConnectionWindow window(m_prompter);
    window.load();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.folder.toStdString());
        m_prompter.clear();
        window.folderEdit->setText(r.folder);
        window.testParadoxFolderButton->click();
        ASSERT_EQ(m_prompter.prompts.size(), 1u);
        EXPECT_EQ(m_prompter.prompts[0].kind, Kind::Message);
        EXPECT_TRUE(m_prompter.prompts[0].text.startsWith(r.message))
            << m_prompter.prompts[0].text.toStdString();
        EXPECT_EQ(m_prompter.prompts[0].title, appTitle());
        EXPECT_EQ(window.pointer().mousePointer(), MousePointer::Default);
    }
}

TEST_F(ConnectionWindowTest, ParadoxTestOfARejectedPathShowsTheErrorReportOnly)
{
    ConnectionWindow window(m_prompter);
    window.load();
    window.folderEdit->setText("/tmp/" + QString(300, 'x'));
    window.testParadoxFolderButton->click();
    const auto reports = m_prompter.errorReports();
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains(
        "\r\nin Verandi2021/08/31.Form1.PushButton3_Click at line 102\r\rPlease email"));
    EXPECT_EQ(window.pointer().mousePointer(), MousePointer::Default);
}

TEST_F(ConnectionWindowTest, SqlTestConnectionFailsWhereNothingListens)
{
    ConnectionWindow window(m_prompter);
    window.load();
    const int port = test::freePort();
    ASSERT_NE(port, 0);
    window.serverEdit->setText("127.0.0.1");
    window.portEdit->setText(QString::number(port));
    window.databaseEdit->setText("master");
    window.userEdit->setText("sa");
    window.passwordEdit->setText("x;y");
    window.testSqlConnectionButton->click();
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].kind, Kind::Message);
    EXPECT_EQ(m_prompter.prompts[0].text,
              kLoginFailed + "\r\n\r\nSQL Server: no server answers at 127.0.0.1, port " +
                  QString::number(port) +
                  ". Check the server name and the port, and that the server is running.");
    EXPECT_EQ(m_prompter.prompts[0].title, appTitle());
    EXPECT_EQ(window.pointer().mousePointer(), MousePointer::Default);
}

TEST_F(ConnectionWindowTest, SampleAndBrowseButtonsSetTheFolder)
{
    Settings::write(keys::LastFolderDot, "/start/here");
    ConnectionWindow window(m_prompter);
    window.load();
    window.loadSampleButton->click();
    const QString samples = applicationFolder() + "/Samples";
    EXPECT_EQ(window.folderEdit->text(), samples);
    EXPECT_EQ(Settings::read(keys::ParadoxFolder), samples);

    m_prompter.folderAnswers = {QString(), "/chosen/folder"};
    window.browseButton->click(); // cancelled
    EXPECT_EQ(window.folderEdit->text(), samples);
    EXPECT_EQ(Settings::read(keys::ParadoxFolder), samples);
    window.browseButton->click();
    EXPECT_EQ(window.folderEdit->text(), "/chosen/folder");
    EXPECT_EQ(Settings::read(keys::ParadoxFolder), "/chosen/folder");
    EXPECT_EQ(Settings::read(keys::LastFolderDot), "/start/here"); // never written

    const auto pickers = m_prompter.of(Kind::Folder);
    ASSERT_EQ(pickers.size(), 2u);
    for (const auto& p : pickers) {
        EXPECT_EQ(p.title, "Please select folder:");
        EXPECT_EQ(p.defaultText, "/start/here");
    }
    EXPECT_EQ(m_prompter.prompts.size(), 2u);
}

TEST_F(ConnectionWindowTest, ClosingTheWindowEndsTheProgram)
{
    ConnectionWindow window(m_prompter);
    window.load();
    int unloaded = 0;
    QObject::connect(&window, &ConnectionWindow::unloaded, [&] { ++unloaded; });
    EXPECT_TRUE(window.close());
    EXPECT_EQ(unloaded, 1);
}

// Files beside the program: these tests hold the ctest lock "app_folder".
TEST_F(ConnectionWindowTest, SkinFileGivesTheSystemColours)
{
    REQUIRE_WRITABLE_PROGRAM_FOLDER();
    BesideProgram skin("x/o.cjs", "skin");
    ConnectionWindow window(m_prompter);
    window.load();
    for (QWidget* w : std::initializer_list<QWidget*>{
             &window, window.paradoxFrame, window.loginFrame, window.localConnectionCheck,
             window.serverLabel, window.folderLabel})
        EXPECT_EQ(background(w), buttonFace());
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(ConnectionWindowTest, HandCursorFileBesideTheProgram)
{
    REQUIRE_WRITABLE_PROGRAM_FOLDER();
    const QByteArray cur = cursorFile(5, 7);
    if (cur.isEmpty())
        GTEST_SKIP() << "this Qt cannot write icon files to make a cursor file from";
    {
        BesideProgram file("HAND-M.CUR", cur);
        ConnectionWindow window(m_prompter);
        window.load();
        EXPECT_EQ(window.pointer().mouseIcon().shape(), Qt::BitmapCursor);
        EXPECT_EQ(window.pointer().mouseIcon().hotSpot(), QPoint(5, 7));
    }
    BesideProgram broken("HAND-M.CUR", "not a cursor");
    ConnectionWindow window(m_prompter);
    window.load();
    EXPECT_EQ(window.pointer().mouseIcon().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(m_prompter.prompts.empty());
}
