#include "ui/connection/Form1.h"

#include "ui/common/AppIcon.h"
#include "core/AppInfo.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowPointer.h"
#include "connect/MSSQL.h"
#include "connect/Paradox.h"
#include "folders/AddFolder.h"
#include "ui/common/CommandGuard.h"
#include "ui/tables/Form2.h"
#include "tables/ListFill.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tabulex {

namespace {

const QString kConnectionSuccessful = QStringLiteral("Connection successful.");
const QString kFolderFailed = QStringLiteral("Could not connect.");
const QString kLoginFailed =
    QStringLiteral("Could not connect. Please check with your administrator.");
const QString kModule = QStringLiteral("Form1");
const QString kConnectionHelp =
    QStringLiteral("If you cannot establish connection to your MS SQL Server database with this "
                   "program, please go to: ") +
    QStringLiteral("\r\r") + QStringLiteral("https://www.sqlmanager.net/products/mssql/manager") +
    QStringLiteral("\r\r") +
    QStringLiteral("Download and install the EMS SQL Manager 2005 Lite for SQL Server. Try to "
                   "connect to ") +
    QStringLiteral("the same database (with the same login information you are using here). "
                   "This will determine if ") +
    QStringLiteral("the login you are using is correct.");
const QString kSeeLocalConnection =
    QStringLiteral("Would you like to see an image of how I connect locally?");
const QString kLocalConnectionPicture = QStringLiteral("/local-connection-example.jpg");

constexpr int kFontPointSize = 9;
constexpr int kTextWidth = 260;
constexpr int kPortWidth = 64;
constexpr int kNextWidth = 96;

} // namespace

Form1::Form1(Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_prompter(prompter), m_pointer(new WindowPointer(this))
{
    setFont(QFont(QStringLiteral("Arial"), kFontPointSize));
    createControls();
    arrangeControls();
    connectHandlers();
    attachPointer();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    Frame1 = new QGroupBox(QStringLiteral("Paradox Database"), this);
    Frame2 = new QGroupBox(QStringLiteral("MS SQL Server Login"), this);
    Label1 = new QLabel(QStringLiteral("Server:"), Frame2);
    Label10 = new QLabel(QStringLiteral("Port:"), Frame2);
    Label4 = new QLabel(QStringLiteral("Username:"), Frame2);
    Label5 = new QLabel(QStringLiteral("Password:"), Frame2);
    Label3 = new QLabel(QStringLiteral("Database:"), Frame2);
    Label2 = new QLabel(QStringLiteral("Paradox Folder:"), Frame1);
    Text1 = new QLineEdit(Frame1);
    Text2 = new QLineEdit(Frame2);
    Text3 = new QLineEdit(Frame2);
    Text4 = new QLineEdit(Frame2);
    Text5 = new QLineEdit(Frame2);
    Text6 = new QLineEdit(Frame2);
    Check4 = new QCheckBox(QStringLiteral("Local Connection"), Frame2);
    PushButton6 = new QPushButton(QStringLiteral("Test Connection"), Frame2);
    PushButton1 = new QPushButton(QStringLiteral("Help"), Frame2);
    PushButton5 = new QPushButton(QStringLiteral("..."), Frame1);
    PushButton3 = new QPushButton(QStringLiteral("Test Connection"), Frame1);
    PushButton4 = new QPushButton(QStringLiteral("Load Sample/Example Database"), Frame1);
    PushButton2 = new QPushButton(QStringLiteral("Next >"), this);

    Text4->setEchoMode(QLineEdit::Password);
    Text4->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    Label1->setBuddy(Text2);
    Label10->setBuddy(Text6);
    Label4->setBuddy(Text3);
    Label5->setBuddy(Text4);
    Label3->setBuddy(Text5);
    Label2->setBuddy(Text1);

    for (QWidget* w : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
                       static_cast<QWidget*>(Check4)})
        setBackground(w, Qt::white);
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label10})
        setBackground(label, Qt::white);
}

void Form1::arrangeControls()
{
    Text1->setMinimumWidth(kTextWidth);
    Text6->setFixedWidth(kPortWidth);
    PushButton5->setFixedWidth(PushButton5->sizeHint().height() + 8);
    PushButton2->setMinimumWidth(kNextWidth);
    int labelWidth = 0;
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5})
        labelWidth = qMax(labelWidth, label->sizeHint().width());

    auto* paradox = new QGridLayout(Frame1);
    paradox->setColumnMinimumWidth(0, labelWidth);
    paradox->addWidget(Label2, 0, 0);
    paradox->addWidget(Text1, 0, 1);
    paradox->addWidget(PushButton5, 0, 2);
    auto* paradoxButtons = new QHBoxLayout;
    paradoxButtons->addWidget(PushButton3);
    paradoxButtons->addWidget(PushButton4);
    paradoxButtons->addStretch();
    paradox->addLayout(paradoxButtons, 1, 1, 1, 2);

    auto* login = new QGridLayout(Frame2);
    login->setColumnMinimumWidth(0, labelWidth);
    login->setColumnStretch(1, 1);
    login->addWidget(Label1, 0, 0);
    login->addWidget(Text2, 0, 1);
    login->addWidget(Label10, 0, 2);
    login->addWidget(Text6, 0, 3);
    login->addWidget(Label4, 1, 0);
    login->addWidget(Text3, 1, 1);
    login->addWidget(Label5, 2, 0);
    login->addWidget(Text4, 2, 1);
    login->addWidget(Label3, 3, 0);
    login->addWidget(Text5, 3, 1);
    login->addWidget(Check4, 4, 1, 1, 3);
    auto* loginButtons = new QHBoxLayout;
    loginButtons->addWidget(PushButton6);
    loginButtons->addWidget(PushButton1);
    loginButtons->addStretch();
    login->addLayout(loginButtons, 5, 1, 1, 3);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(PushButton2);
    auto* window = new QVBoxLayout(this);
    window->addWidget(Frame1);
    window->addWidget(Frame2);
    window->addLayout(bottom);
    window->setSizeConstraint(QLayout::SetFixedSize);

    // Among the text boxes the Paradox folder comes first, then the login top to bottom.
    const QList<QWidget*> order{Text1,       PushButton5, PushButton3, PushButton4, Text2,
                                Text6,       Text3,       Text4,       Text5,       Check4,
                                PushButton6, PushButton1, PushButton2};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Form1::connectHandlers()
{
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
    connect(Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
    connect(Text5, &QLineEdit::textChanged, this, [this] { Text5_Change(); });
    connect(Text6, &QLineEdit::textChanged, this, [this] { Text6_Change(); });
    connect(Check4, &QCheckBox::toggled, this, [this] { Check4_Click(); });
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    for (QLineEdit* box : {Text1, Text2, Text3, Text4, Text5, Text6})
        box->installEventFilter(this);
}

void Form1::attachPointer()
{
    for (QPushButton* button :
         {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton6})
        m_pointer->attachButton(button);
    for (QWidget* surface :
         std::initializer_list<QWidget*>{Frame1, Frame2, Text1, Text2, Text3, Text4, Text5, Text6})
        m_pointer->attachSurface(surface);
}

ConnectionFields Form1::fields() const
{
    ConnectionFields f;
    f.paradoxFolder = Text1->text();
    f.server = Text2->text();
    f.port = Text6->text();
    f.user = Text3->text();
    f.password = Text4->text();
    f.database = Text5->text();
    f.localConnection = Check4->isChecked();
    return f;
}

QString Form1::sqlConnectionString() const { return tabulex::sqlConnectionString(fields()); }

QString Form1::paradoxConnectionString() const
{
    return tabulex::paradoxConnectionString(Text1->text());
}

void Form1::Form_Load()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("Form_Load"));
    trap.step(100, [&] { applySkin(this); });
    trap.step(102, [&] { setWindowTitle(kProductTitle); });
    trap.step(104, [&] { setWindowIcon(applicationIcon()); });
    trap.step(106, [&] { setAppTitle(); });
    trap.step(108, [&] { loadHandCursor(); });
    trap.step(110, [&] { Text1->setText(Settings::read(keys::ParadoxFolder)); });
    trap.step(112, [&] { Text2->setText(Settings::read(keys::Server)); });
    trap.step(114, [&] { Text3->setText(Settings::read(keys::User)); });
    trap.step(116, [&] { Text4->setText(Settings::read(keys::Password)); });
    trap.step(118, [&] { Text5->setText(Settings::read(keys::Database)); });
    trap.step(120, [&] { Text6->setText(Settings::read(keys::Port, keys::kDefaultPort)); });
    trap.step(122, [&] {
        Check4->setChecked(Settings::read(keys::LocalConnection, QStringLiteral("0")) !=
                           QStringLiteral("0"));
    });
    trap.step(124, [&] {
        if (!Text1->text().isEmpty() && !Text2->text().isEmpty() &&
            paradoxFolderHasTables(Text1->text()) && openSqlConnection(sqlConnectionString()))
            PushButton2_Click();
    });
    // Shown unless the table window took its place.
    trap.step(126, [&] {
        if (!m_form2 || !m_form2->isVisible())
            show();
    });
}

void Form1::loadHandCursor()
{
    const QString file = applicationFolder() + QStringLiteral("/HAND-M.CUR");
    if (pathExists(file))
        m_pointer->loadMouseIcon(file); // an unreadable file keeps the standard hand
}

void Form1::Form_Unload() { emit unloaded(); }

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void Form1::PushButton1_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton1_Click"));
    trap.step(100, [&] { m_prompter.message(kConnectionHelp, appTitle()); });
    bool see = false;
    trap.step(102, [&] { see = m_prompter.question(kSeeLocalConnection, appTitle()); });
    if (!see)
        return;
    trap.step(104, [&] {
        m_prompter.openUrl(QUrl::fromLocalFile(applicationFolder() + kLocalConnectionPicture));
    });
}

Form2& Form1::loadTableWindow()
{
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>(
            m_prompter, [this] { return fields(); }, *this);
        connect(m_form2.get(), &Form2::unloaded, this, [this] { Form_Unload(); });
        m_form2->Form_Load();
    }
    return *m_form2;
}

void Form1::fillTableWindow(Form2& form2, ErrorTrap& trap)
{
    const CommandGuard busy = form2.commandGuard();
    trap.step(106, [&] { fillSqlTableList(form2.sqlTables(), sqlConnectionString(), form2); });
    trap.step(108, [&] { fillParadoxTableList(form2.paradoxTables(), Text1->text(), form2); });
    trap.step(110, [&] {
        form2.Check15->setChecked(Settings::read(keys::WithDataTypeChange1, QStringLiteral("0")) !=
                                  QStringLiteral("0"));
    });
    trap.step(112, [&] {
        form2.Check16->setChecked(Settings::read(keys::WithDataTypeChange2, QStringLiteral("0")) !=
                                  QStringLiteral("0"));
    });
}

void Form1::PushButton2_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton2_Click"));
    // One "Next >" at a time: the fills let window events run.
    const CommandGuard busy(
        {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton6});
    Hourglass wait(*m_pointer);
    bool works = false;
    if (!trap.step(102, [&] { works = paradoxFolderHasTables(Text1->text()); }) || !works)
        return;
    if (!trap.step(104, [&] { works = openSqlConnection(sqlConnectionString()); }) || !works)
        return;
    Form2& form2 = loadTableWindow();
    fillTableWindow(form2, trap);
    trap.step(114, [&] { form2.show(); });
    trap.step(116, [&] { hide(); });
}

void Form1::PushButton3_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton3_Click"));
    Hourglass wait(*m_pointer);
    bool hasTables = false;
    if (!trap.step(102, [&] { hasTables = paradoxFolderHasTables(Text1->text()); }))
        return;
    trap.step(104, [&] {
        m_prompter.message(hasTables ? kConnectionSuccessful : kFolderFailed, appTitle());
    });
}

void Form1::PushButton4_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton4_Click"));
    trap.step(100, [&] { Text1->setText(applicationFolder() + QStringLiteral("/Samples")); });
}

void Form1::PushButton5_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton5_Click"));
    QString startFolder;
    QString chosen;
    trap.step(100, [&] { startFolder = Settings::read(keys::LastFolderDot); });
    trap.step(102, [&] {
        chosen = browseFolder(QStringLiteral("Please select folder:"), startFolder, m_prompter);
    });
    if (chosen.isEmpty())
        return;
    trap.step(104, [&] { Text1->setText(chosen); });
}

void Form1::PushButton6_Click()
{
    Hourglass wait(*m_pointer);
    const bool opened = openSqlConnection(sqlConnectionString());
    m_prompter.message(opened ? kConnectionSuccessful : kLoginFailed, appTitle());
}

void Form1::Text1_Change() { Settings::write(keys::ParadoxFolder, Text1->text()); }
void Form1::Text2_Change() { Settings::write(keys::Server, Text2->text()); }
void Form1::Text3_Change() { Settings::write(keys::User, Text3->text()); }
void Form1::Text4_Change() { Settings::write(keys::Password, Text4->text()); }
void Form1::Text5_Change() { Settings::write(keys::Database, Text5->text()); }
void Form1::Text6_Change() { Settings::write(keys::Port, Text6->text()); }

void Form1::Check4_Click()
{
    Settings::write(keys::LocalConnection,
                    Check4->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Form1::Text1_GotFocus() { Text1->selectAll(); }
void Form1::Text2_GotFocus() { Text2->selectAll(); }
void Form1::Text3_GotFocus() { Text3->selectAll(); }
void Form1::Text4_GotFocus() { Text4->selectAll(); }
void Form1::Text5_GotFocus() { Text5->selectAll(); }
void Form1::Text6_GotFocus() { Text6->selectAll(); }

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == Text1)
            Text1_GotFocus();
        else if (watched == Text2)
            Text2_GotFocus();
        else if (watched == Text3)
            Text3_GotFocus();
        else if (watched == Text4)
            Text4_GotFocus();
        else if (watched == Text5)
            Text5_GotFocus();
        else if (watched == Text6)
            Text6_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tabulex
