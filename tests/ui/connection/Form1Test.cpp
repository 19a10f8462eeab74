#include "ui/connection/Form1.h"
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

QString caption(QWidget* w)
{
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
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

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(Settings::filePath()); }
    test::ScriptedPrompter m_prompter;
};

} // namespace

TEST_F(Form1Test, ControlsCaptionsAndFrames)
{
    Form1 form(m_prompter);
    form.Form_Load();
    struct Row {
        QWidget* control;
        const char* caption;
        QWidget* frame;
    };
    const Row rows[] = {
        {form.Frame2, "MS SQL Server Login", &form},
        {form.Label1, "Server:", form.Frame2},
        {form.Label10, "Port:", form.Frame2},
        {form.Label4, "Username:", form.Frame2},
        {form.Label5, "Password:", form.Frame2},
        {form.Label3, "Database:", form.Frame2},
        {form.Check4, "Local Connection", form.Frame2},
        {form.PushButton6, "Test Connection", form.Frame2},
        {form.PushButton1, "Help", form.Frame2},
        {form.Frame1, "Paradox Database", &form},
        {form.Label2, "Paradox Folder:", form.Frame1},
        {form.PushButton5, "...", form.Frame1},
        {form.PushButton3, "Test Connection", form.Frame1},
        {form.PushButton4, "Load Sample/Example Database", form.Frame1},
        {form.PushButton2, "Next >", &form},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(caption(r.control), QString(r.caption));
        EXPECT_EQ(r.control->parentWidget(), r.frame);
        EXPECT_EQ(r.control->font().family(), "Arial");
        EXPECT_TRUE(r.control->isVisible());
    }
    for (QLineEdit* box : {form.Text2, form.Text3, form.Text4, form.Text5, form.Text6})
        EXPECT_EQ(box->parentWidget(), form.Frame2);
    EXPECT_EQ(form.Text1->parentWidget(), form.Frame1);
    EXPECT_EQ(form.windowTitle(), "Tabulex");
    EXPECT_FALSE(form.windowIcon().isNull());

    EXPECT_EQ(form.Text4->echoMode(), QLineEdit::Password);
    EXPECT_EQ(
        form.Text4->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, form.Text4),
        '*');
    // Without a skin file the frames, labels and check box stay white.
    for (QWidget* w : std::initializer_list<QWidget*>{form.Frame1, form.Frame2, form.Check4,
                                                      form.Label1, form.Label2, form.Label10}) {
        EXPECT_TRUE(w->autoFillBackground());
        EXPECT_EQ(background(w), QColor(Qt::white));
    }
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(Form1Test, TabOrderAndRows)
{
    Form1 form(m_prompter);
    form.Form_Load();
    QList<QWidget*> boxes;
    QWidget* w = form.Text1;
    do {
        if (qobject_cast<QLineEdit*>(w))
            boxes << w;
        w = w->nextInFocusChain();
    } while (w != form.Text1);
    EXPECT_EQ(boxes, (QList<QWidget*>{form.Text1, form.Text2, form.Text6, form.Text3, form.Text4,
                                      form.Text5}));

    auto top = [&](QWidget* c) { return c->mapTo(&form, QPoint(0, 0)).y(); };
    auto left = [&](QWidget* c) { return c->mapTo(&form, QPoint(0, 0)).x(); };
    EXPECT_LT(top(form.Text2), top(form.Text3));
    EXPECT_LT(top(form.Text3), top(form.Text4));
    EXPECT_LT(top(form.Text4), top(form.Text5));
    EXPECT_LT(top(form.Text5), top(form.Check4));
    EXPECT_EQ(top(form.Text6), top(form.Text2));
    EXPECT_GT(left(form.Text6), left(form.Text2) + form.Text2->width() - 1);
    for (QWidget* label :
         std::initializer_list<QWidget*>{form.Label1, form.Label4, form.Label5, form.Label3})
        EXPECT_LT(left(label), left(form.Text2));
}

TEST_F(Form1Test, FirstStartShowsThePortAndStoresOnlyIt)
{
    Form1 form(m_prompter);
    form.Form_Load();
    for (QLineEdit* box : {form.Text1, form.Text2, form.Text3, form.Text4, form.Text5})
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_EQ(form.Text6->text(), "1433");
    EXPECT_FALSE(form.Check4->isChecked());
    EXPECT_EQ(storedKeys(), QStringList{"Port"});
    EXPECT_EQ(Settings::read(keys::Port), "1433");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Settings::filePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(appTitle(), "Tabulex");
}

TEST_F(Form1Test, StoredValuesComeBack)
{
    const QString password = "p;w=\"x\" 'y' {z}";
    Settings::write(keys::ParadoxFolder, "/home/anna/Paradox Data");
    Settings::write(keys::Server, "db01");
    Settings::write(keys::User, "");
    Settings::write(keys::Password, password);
    Settings::write(keys::Database, "Λογιστήριο");
    Settings::write(keys::Port, "");
    Form1 form(m_prompter);
    form.Form_Load();
    EXPECT_EQ(form.Text1->text(), "/home/anna/Paradox Data");
    EXPECT_EQ(form.Text2->text(), "db01");
    EXPECT_EQ(form.Text3->text(), "");
    EXPECT_EQ(form.Text4->text(), password);
    EXPECT_EQ(form.Text5->text(), "Λογιστήριο");
    EXPECT_EQ(form.Text6->text(), ""); // a stored empty port stays empty
    EXPECT_EQ(form.sqlConnectionString(),
              "Driver={SQL Server};Server=db01,;Database=Λογιστήριο;Uid=;Pwd=" + password + ";");
}

TEST_F(Form1Test, LocalConnectionTicksForAnyValueButZero)
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
        Form1 form(m_prompter);
        form.Form_Load();
        EXPECT_EQ(form.Check4->isChecked(), r.ticked);
        EXPECT_EQ(form.sqlConnectionString().contains(",1433;"), !r.ticked);
    }
}

TEST_F(Form1Test, EveryChangeIsStoredAtOnce)
{
    {
        Form1 form(m_prompter);
        form.Form_Load();
        QTest::keyClicks(form.Text3, "an");
        EXPECT_EQ(Settings::read(keys::User), "an");
        QTest::keyClicks(form.Text3, "na");
        EXPECT_EQ(Settings::read(keys::User), "anna");
        QTest::keyClicks(form.Text4, "a;b=\"c\"");
        form.Text6->setText("1500");
        form.Text2->setText("db02");
        form.Text5->setText("Sales");
        form.Text1->setText("/data/px");
        form.Check4->click();
        EXPECT_EQ(Settings::read(keys::LocalConnection), "1");
        form.Check4->click();
        EXPECT_EQ(Settings::read(keys::LocalConnection), "0");
        form.Check4->click();
    }
    Form1 again(m_prompter);
    again.Form_Load();
    const ConnectionFields f = again.fields();
    EXPECT_EQ(f.paradoxFolder, "/data/px");
    EXPECT_EQ(f.server, "db02");
    EXPECT_EQ(f.port, "1500");
    EXPECT_EQ(f.user, "anna");
    EXPECT_EQ(f.password, "a;b=\"c\"");
    EXPECT_EQ(f.database, "Sales");
    EXPECT_TRUE(f.localConnection);
}

TEST_F(Form1Test, FocusSelectsTheWholeText)
{
    Form1 form(m_prompter);
    form.Form_Load();
    for (QLineEdit* box :
         {form.Text1, form.Text2, form.Text3, form.Text4, form.Text5, form.Text6}) {
        box->setText("some value");
        box->deselect();
        box->setCursorPosition(3);
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(box, &in);
        EXPECT_EQ(box->selectionStart(), 0);
        EXPECT_EQ(box->selectedText(), "some value");
    }
}

TEST_F(Form1Test, ParadoxTestConnectionLooksForTables)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath("tables");
    QDir(dir.path()).mkpath("none/sub.db");
    QFile(dir.filePath("tables/.Orders.DB")).open(QIODevice::WriteOnly);
    struct Row {
        QString folder;
        const char* message;
    };
    const Row rows[] = {
        {"", "Could not connect."},
        {dir.filePath("none"), "Could not connect."},
        {dir.filePath("missing"), "Could not connect."},
        {dir.filePath("tables"), "Connection successful."},
        {dir.filePath("tables") + "/", "Connection successful."},
    };
    Form1 form(m_prompter);
    form.Form_Load();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.folder.toStdString());
        m_prompter.clear();
        form.Text1->setText(r.folder);
        form.PushButton3->click();
        ASSERT_EQ(m_prompter.prompts.size(), 1u);
        EXPECT_EQ(m_prompter.prompts[0].kind, Kind::Message);
        EXPECT_EQ(m_prompter.prompts[0].text, r.message);
        EXPECT_EQ(m_prompter.prompts[0].title, appTitle());
        EXPECT_EQ(form.pointer().mousePointer(), MousePointer::Default);
    }
}

TEST_F(Form1Test, ParadoxTestOfARejectedPathShowsTheErrorReportOnly)
{
    Form1 form(m_prompter);
    form.Form_Load();
    form.Text1->setText("/tmp/" + QString(300, 'x'));
    form.PushButton3->click();
    const auto reports = m_prompter.errorReports();
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains(
        "\r\nin Verandi2021/08/31.Form1.PushButton3_Click at line 102\r\rPlease email"));
    EXPECT_EQ(form.pointer().mousePointer(), MousePointer::Default);
}

TEST_F(Form1Test, SqlTestConnectionFailsWhereNothingListens)
{
    Form1 form(m_prompter);
    form.Form_Load();
    const int port = test::freePort();
    ASSERT_NE(port, 0);
    form.Text2->setText("127.0.0.1");
    form.Text6->setText(QString::number(port));
    form.Text5->setText("master");
    form.Text3->setText("sa");
    form.Text4->setText("x;y");
    form.PushButton6->click();
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].kind, Kind::Message);
    EXPECT_EQ(m_prompter.prompts[0].text, kLoginFailed);
    EXPECT_EQ(m_prompter.prompts[0].title, appTitle());
    EXPECT_EQ(form.pointer().mousePointer(), MousePointer::Default);
}

TEST_F(Form1Test, SampleAndBrowseButtonsSetTheFolder)
{
    Settings::write(keys::LastFolderDot, "/start/here");
    Form1 form(m_prompter);
    form.Form_Load();
    form.PushButton4->click();
    const QString samples = applicationFolder() + "/Samples";
    EXPECT_EQ(form.Text1->text(), samples);
    EXPECT_EQ(Settings::read(keys::ParadoxFolder), samples);

    m_prompter.folderAnswers = {QString(), "/chosen/folder"};
    form.PushButton5->click(); // cancelled
    EXPECT_EQ(form.Text1->text(), samples);
    EXPECT_EQ(Settings::read(keys::ParadoxFolder), samples);
    form.PushButton5->click();
    EXPECT_EQ(form.Text1->text(), "/chosen/folder");
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

TEST_F(Form1Test, ClosingTheWindowEndsTheProgram)
{
    Form1 form(m_prompter);
    form.Form_Load();
    int unloaded = 0;
    QObject::connect(&form, &Form1::unloaded, [&] { ++unloaded; });
    EXPECT_TRUE(form.close());
    EXPECT_EQ(unloaded, 1);
}

// Files beside the program: these tests hold the ctest lock "app_folder".
TEST_F(Form1Test, SkinFileGivesTheSystemColours)
{
    REQUIRE_WRITABLE_PROGRAM_FOLDER();
    BesideProgram skin("x/o.cjs", "skin");
    Form1 form(m_prompter);
    form.Form_Load();
    for (QWidget* w : std::initializer_list<QWidget*>{&form, form.Frame1, form.Frame2, form.Check4,
                                                      form.Label1, form.Label2})
        EXPECT_EQ(background(w), buttonFace());
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(Form1Test, HandCursorFileBesideTheProgram)
{
    REQUIRE_WRITABLE_PROGRAM_FOLDER();
    const QByteArray cur = cursorFile(5, 7);
    if (cur.isEmpty())
        GTEST_SKIP() << "this Qt cannot write icon files to make a cursor file from";
    {
        BesideProgram file("HAND-M.CUR", cur);
        Form1 form(m_prompter);
        form.Form_Load();
        EXPECT_EQ(form.pointer().mouseIcon().shape(), Qt::BitmapCursor);
        EXPECT_EQ(form.pointer().mouseIcon().hotSpot(), QPoint(5, 7));
    }
    BesideProgram broken("HAND-M.CUR", "not a cursor");
    Form1 form(m_prompter);
    form.Form_Load();
    EXPECT_EQ(form.pointer().mouseIcon().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(m_prompter.prompts.empty());
}
