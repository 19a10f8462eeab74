#include "ui/connection/ConnectionWindow.h"

#include "connect/ParadoxFolder.h"
#include "connect/SqlServerLogin.h"
#include "core/AppInfo.h"
#include "core/StopRequest.h"
#include "folders/FileTests.h"
#include "folders/FolderPicker.h"
#include "host/CommandHost.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "tables/ListFill.h"
#include "ui/common/AppIcon.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/PlainFrameStyle.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowCommands.h"
#include "ui/common/WindowPlacement.h"
#include "ui/common/WindowPointer.h"
#include "ui/tables/TableWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

namespace tabulex {

namespace {

const QString kConnectionSuccessful = QStringLiteral("Connection successful.");
const QString kFolderFailed = QStringLiteral("Could not connect.");
const QString kLoginFailed =
    QStringLiteral("Could not connect. Please check with your administrator.");
// The window's name in the error reports.
const QString kModule = QStringLiteral("Form1");
const QString kConnectionHelp =
    QStringLiteral("If you cannot establish connection to your MS SQL Server database with this "
                   "program, please go to: ") +
    QStringLiteral("\r\r") +
    QStringLiteral("https://learn.microsoft.com/sql/linux/sql-server-linux-setup-tools") +
    QStringLiteral("\r\r") +
    QStringLiteral("Install the command-line tool sqlcmd from there (or use tsql, which comes with "
                   "FreeTDS: \"tsql -H server -p port -U user -D database\"). Try to "
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
constexpr int kCaptionPadding = 12;
constexpr qint64 kEventIntervalMs = 10;

const QString kLineBreaks = QStringLiteral("\r\n\r\n");

// What the folder check needs of a window: the prompter for its error report and events
// that keep running while it walks the subfolders.
class FolderCheckHost : public CommandHost {
public:
    FolderCheckHost(Prompter& prompter, WindowPointer& pointer)
        : m_prompter(prompter), m_pointer(pointer)
    {
    }
    Prompter& prompter() override { return m_prompter; }
    void setWaitPointer(bool wait) override
    {
        m_pointer.setMousePointer(wait ? MousePointer::Hourglass : MousePointer::Default);
    }
    void processEvents() override
    {
        if (m_since.isValid() && m_since.elapsed() < kEventIntervalMs)
            return;
        QCoreApplication::processEvents();
        m_since.start();
    }
    void setProgress(int) override {}
    void setProgressText(const QString&) override {}

private:
    Prompter& m_prompter;
    WindowPointer& m_pointer;
    QElapsedTimer m_since;
};

} // namespace

ConnectionWindow::ConnectionWindow(Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_prompter(prompter), m_pointer(new WindowPointer(this))
{
    setFont(QFont(QStringLiteral("Arial"), kFontPointSize));
    createControls();
    arrangeControls();
    connectHandlers();
    attachPointer();
}

ConnectionWindow::~ConnectionWindow() = default;

void ConnectionWindow::createControls()
{
    paradoxFrame = new QGroupBox(QStringLiteral("Paradox Database"), this);
    loginFrame = new QGroupBox(QStringLiteral("MS SQL Server Login"), this);
    serverLabel = new QLabel(QStringLiteral("&Server:"), loginFrame);
    portLabel = new QLabel(QStringLiteral("P&ort:"), loginFrame);
    userLabel = new QLabel(QStringLiteral("&Username:"), loginFrame);
    passwordLabel = new QLabel(QStringLiteral("&Password:"), loginFrame);
    databaseLabel = new QLabel(QStringLiteral("&Database:"), loginFrame);
    folderLabel = new QLabel(QStringLiteral("Paradox &Folder:"), paradoxFrame);
    folderEdit = new QLineEdit(paradoxFrame);
    serverEdit = new QLineEdit(loginFrame);
    userEdit = new QLineEdit(loginFrame);
    passwordEdit = new QLineEdit(loginFrame);
    databaseEdit = new QLineEdit(loginFrame);
    portEdit = new QLineEdit(loginFrame);
    localConnectionCheck = new QCheckBox(QStringLiteral("Local Connect&ion"), loginFrame);
    testSqlConnectionButton = new QPushButton(QStringLiteral("Test &Connection"), loginFrame);
    helpButton = new QPushButton(QStringLiteral("&Help"), loginFrame);
    browseButton = new QPushButton(QStringLiteral("&..."), paradoxFrame);
    testParadoxFolderButton = new QPushButton(QStringLiteral("&Test Connection"), paradoxFrame);
    loadSampleButton =
        new QPushButton(QStringLiteral("&Load Sample/Example Database"), paradoxFrame);
    nextButton = new QPushButton(QStringLiteral("&Next >"), this);
    aboutButton = new QPushButton(QStringLiteral("&About Tabulex"), this);

    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    serverLabel->setBuddy(serverEdit);
    portLabel->setBuddy(portEdit);
    userLabel->setBuddy(userEdit);
    passwordLabel->setBuddy(passwordEdit);
    databaseLabel->setBuddy(databaseEdit);
    folderLabel->setBuddy(folderEdit);
    // Enter anywhere in the boxes is "Next >".
    nextButton->setDefault(true);

    // One white for the frames' bodies, their titles, the labels and the check box.
    for (QGroupBox* frame : {paradoxFrame, loginFrame})
        frame->setStyle(PlainFrameStyle::instance());
    for (QWidget* w : {static_cast<QWidget*>(paradoxFrame), static_cast<QWidget*>(loginFrame),
                       static_cast<QWidget*>(localConnectionCheck)})
        setBackground(w, Qt::white);
    for (QLabel* label :
         {serverLabel, folderLabel, databaseLabel, userLabel, passwordLabel, portLabel})
        setBackground(label, Qt::white);
}

void ConnectionWindow::arrangeControls()
{
    folderEdit->setMinimumWidth(kTextWidth);
    portEdit->setFixedWidth(kPortWidth);
    browseButton->setFixedWidth(browseButton->sizeHint().height() + 8);
    nextButton->setMinimumWidth(kNextWidth);
    // The buttons beside each other in the frames have the same room around their captions.
    for (QPushButton* b :
         {testParadoxFolderButton, loadSampleButton, testSqlConnectionButton, helpButton})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) +
                         2 * kCaptionPadding);
    int labelWidth = 0;
    for (QLabel* label : {serverLabel, folderLabel, databaseLabel, userLabel, passwordLabel})
        labelWidth = qMax(labelWidth, label->sizeHint().width());

    auto* paradox = new QGridLayout(paradoxFrame);
    paradox->setColumnMinimumWidth(0, labelWidth);
    paradox->addWidget(folderLabel, 0, 0);
    paradox->addWidget(folderEdit, 0, 1);
    paradox->addWidget(browseButton, 0, 2);
    auto* paradoxButtons = new QHBoxLayout;
    paradoxButtons->addWidget(testParadoxFolderButton);
    paradoxButtons->addWidget(loadSampleButton);
    paradoxButtons->addStretch();
    paradox->addLayout(paradoxButtons, 1, 1, 1, 2);

    auto* login = new QGridLayout(loginFrame);
    login->setColumnMinimumWidth(0, labelWidth);
    login->setColumnStretch(1, 1);
    login->addWidget(serverLabel, 0, 0);
    login->addWidget(serverEdit, 0, 1);
    login->addWidget(portLabel, 0, 2);
    login->addWidget(portEdit, 0, 3);
    login->addWidget(userLabel, 1, 0);
    login->addWidget(userEdit, 1, 1);
    login->addWidget(passwordLabel, 2, 0);
    login->addWidget(passwordEdit, 2, 1);
    login->addWidget(databaseLabel, 3, 0);
    login->addWidget(databaseEdit, 3, 1);
    login->addWidget(localConnectionCheck, 4, 1, 1, 3);
    auto* loginButtons = new QHBoxLayout;
    loginButtons->addWidget(testSqlConnectionButton);
    loginButtons->addWidget(helpButton);
    loginButtons->addStretch();
    login->addLayout(loginButtons, 5, 1, 1, 3);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(aboutButton);
    bottom->addStretch();
    bottom->addWidget(nextButton);
    auto* window = new QVBoxLayout(this);
    window->addWidget(paradoxFrame);
    window->addWidget(loginFrame);
    window->addLayout(bottom);
    window->setSizeConstraint(QLayout::SetFixedSize);

    // Among the text boxes the Paradox folder comes first, then the login top to bottom.
    const QList<QWidget*> order{folderEdit,
                                browseButton,
                                testParadoxFolderButton,
                                loadSampleButton,
                                serverEdit,
                                portEdit,
                                userEdit,
                                passwordEdit,
                                databaseEdit,
                                localConnectionCheck,
                                testSqlConnectionButton,
                                helpButton,
                                aboutButton,
                                nextButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ConnectionWindow::connectHandlers()
{
    connect(folderEdit, &QLineEdit::textChanged, this, [this] { onFolderChanged(); });
    connect(serverEdit, &QLineEdit::textChanged, this, [this] { onServerChanged(); });
    connect(userEdit, &QLineEdit::textChanged, this, [this] { onUserChanged(); });
    connect(passwordEdit, &QLineEdit::textChanged, this, [this] { onPasswordChanged(); });
    connect(databaseEdit, &QLineEdit::textChanged, this, [this] { onDatabaseChanged(); });
    connect(portEdit, &QLineEdit::textChanged, this, [this] { onPortChanged(); });
    connect(localConnectionCheck, &QCheckBox::toggled, this,
            [this] { onLocalConnectionClicked(); });
    const std::pair<QPushButton*, void (ConnectionWindow::*)()> buttons[] = {
        {helpButton, &ConnectionWindow::onHelp},
        {aboutButton, &ConnectionWindow::onAbout},
        {nextButton, &ConnectionWindow::onNext},
        {testParadoxFolderButton, &ConnectionWindow::onTestParadoxFolder},
        {loadSampleButton, &ConnectionWindow::onLoadSample},
        {browseButton, &ConnectionWindow::onBrowse},
        {testSqlConnectionButton, &ConnectionWindow::onTestSqlConnection},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this,
                [this, h = handler] { runWindowCommand([&] { (this->*h)(); }); });
    for (QLineEdit* box : lineEdits()) {
        box->installEventFilter(this);
        connect(box, &QLineEdit::returnPressed, this, [this] {
            if (nextButton->isEnabled())
                nextButton->click();
        });
    }
    connect(localConnectionCheck, &QCheckBox::toggled, this, [this] { updateTitle(); });
    for (QLineEdit* box : {folderEdit, serverEdit, databaseEdit})
        connect(box, &QLineEdit::textChanged, this, [this] { updateTitle(); });
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] {
        if (helpButton->isEnabled())
            helpButton->click();
    });
}

void ConnectionWindow::updateTitle() { setWindowTitle(connectionTitle(fields())); }

QList<QLineEdit*> ConnectionWindow::lineEdits() const
{
    return {folderEdit, serverEdit, userEdit, passwordEdit, databaseEdit, portEdit};
}

void ConnectionWindow::attachPointer()
{
    for (QPushButton* button : {helpButton, nextButton, testParadoxFolderButton, loadSampleButton,
                                browseButton, testSqlConnectionButton, aboutButton})
        m_pointer->attachButton(button);
    m_pointer->attachSurface(paradoxFrame);
    m_pointer->attachSurface(loginFrame);
    for (QLineEdit* box : lineEdits())
        m_pointer->attachSurface(box);
}

ConnectionFields ConnectionWindow::fields() const
{
    ConnectionFields f;
    f.paradoxFolder = folderEdit->text();
    f.server = serverEdit->text();
    f.port = portEdit->text();
    f.user = userEdit->text();
    f.password = passwordEdit->text();
    f.database = databaseEdit->text();
    f.localConnection = localConnectionCheck->isChecked();
    return f;
}

QString ConnectionWindow::sqlConnectionString() const
{
    return tabulex::sqlConnectionString(fields());
}

QString ConnectionWindow::paradoxConnectionString() const
{
    return tabulex::paradoxConnectionString(folderEdit->text());
}

const QString kLoadProcedure = QStringLiteral("Form_Load");

void ConnectionWindow::load()
{
    ErrorTrap trap(m_prompter, kModule, kLoadProcedure);
    trap.step(100, [&] { applySkin(this); });
    trap.step(102, [&] { setWindowTitle(kProductTitle); });
    trap.step(104, [&] { setWindowIcon(applicationIcon()); });
    trap.step(106, [&] { setAppTitle(); });
    trap.step(108, [&] { loadHandCursor(); });
    trap.step(110, [&] { folderEdit->setText(Settings::read(keys::ParadoxFolder)); });
    trap.step(112, [&] { serverEdit->setText(Settings::read(keys::Server)); });
    trap.step(114, [&] { userEdit->setText(Settings::read(keys::User)); });
    trap.step(116, [&] { passwordEdit->setText(m_password.read()); });
    trap.step(118, [&] { databaseEdit->setText(Settings::read(keys::Database)); });
    trap.step(120, [&] { portEdit->setText(Settings::read(keys::Port)); });
    trap.step(122, [&] {
        localConnectionCheck->setChecked(Settings::read(keys::LocalConnection) !=
                                         QStringLiteral("0"));
    });
    runWindowCommand([&] {
        // On screen with the stored values while the advance tests them.
        trap.step(124, [&] {
            layout()->activate();
            restorePlacement(*this, Settings::read(keys::ConnectionWindowPlace), true);
            show();
            advance();
        });
        // Shown unless the table window took its place.
        trap.step(126, [&] {
            if (!m_tableWindow || !m_tableWindow->isVisible())
                show();
        });
    });
}

void ConnectionWindow::advance()
{
    const CommandGuard busy(commandButtons());
    Hourglass wait(*m_pointer);
    FolderCheckHost host(m_prompter, *m_pointer);
    if (!folderEdit->text().isEmpty() && !serverEdit->text().isEmpty() &&
        checkParadoxFolder(folderEdit->text(), host).usable() &&
        openSqlConnection(sqlConnectionString()))
        onNext();
}

QList<QWidget*> ConnectionWindow::commandButtons() const
{
    return {helpButton,       nextButton,   testParadoxFolderButton,
            loadSampleButton, browseButton, testSqlConnectionButton};
}

void ConnectionWindow::loadHandCursor()
{
    const QString file = applicationFolder() + QStringLiteral("/HAND-M.CUR");
    if (pathExists(file))
        m_pointer->loadMouseIcon(file); // an unreadable file keeps the standard hand
}

void ConnectionWindow::unload()
{
    requestStop(); // whatever runs ends at its next row or statement
    emit unloaded();
}

void ConnectionWindow::closeEvent(QCloseEvent* event)
{
    if (isVisible())
        rememberPlace();
    event->accept();
    unload();
}

void ConnectionWindow::rememberPlace()
{
    Settings::write(keys::ConnectionWindowPlace, placementText(*this));
}

void ConnectionWindow::showInPlaceOf(const QWidget& other)
{
    placeLike(*this, other);
    show();
}

const QString kHelpProcedure = QStringLiteral("PushButton1_Click");

void ConnectionWindow::onHelp()
{
    ErrorTrap trap(m_prompter, kModule, kHelpProcedure);
    trap.step(100, [&] { m_prompter.message(kConnectionHelp, appTitle()); });
    bool see = false;
    trap.step(102, [&] { see = m_prompter.question(kSeeLocalConnection, appTitle()); });
    if (!see)
        return;
    trap.step(104, [&] {
        m_prompter.openUrl(QUrl::fromLocalFile(applicationFolder() + kLocalConnectionPicture));
    });
}

void ConnectionWindow::onAbout()
{
    m_prompter.message(
        kProductTitle + QStringLiteral(" ") + programVersion() +
            QStringLiteral("\r\n\r\nMoves tables between a Microsoft SQL Server database and a "
                           "folder of Paradox tables, both ways, and deletes and renames tables "
                           "on either side.\r\n\r\nThe same work from the command line: "
                           "tabulex-batch --help."),
        QStringLiteral("About ") + kProductTitle);
}

TableWindow& ConnectionWindow::loadTableWindow()
{
    if (!m_tableWindow) {
        m_tableWindow = std::make_unique<TableWindow>(
            m_prompter, [this] { return fields(); }, *this);
        connect(m_tableWindow.get(), &TableWindow::unloaded, this, [this] { unload(); });
        m_tableWindow->load();
    }
    return *m_tableWindow;
}

void ConnectionWindow::fillTableWindow(TableWindow& window, ErrorTrap& trap)
{
    const CommandGuard busy = window.commandGuard();
    trap.step(106, [&] { fillSqlTableList(window.sqlTables(), sqlConnectionString(), window); });
    trap.step(108,
              [&] { fillParadoxTableList(window.paradoxTables(), folderEdit->text(), window); });
    trap.step(110, [&] {
        window.customizeToParadoxCheck->setChecked(Settings::read(keys::CustomizeToParadox) !=
                                                   QStringLiteral("0"));
    });
    trap.step(112, [&] {
        window.customizeToSqlServerCheck->setChecked(Settings::read(keys::CustomizeToSqlServer) !=
                                                     QStringLiteral("0"));
    });
    trap.step(114, [&] {
        window.faithfulMappingCheck->setChecked(Settings::read(keys::FaithfulMapping) !=
                                                QStringLiteral("0"));
    });
}

const QString kNextProcedure = QStringLiteral("PushButton2_Click");

void ConnectionWindow::onNext()
{
    ErrorTrap trap(m_prompter, kModule, kNextProcedure);
    // One "Next >" at a time: the fills let window events run.
    const CommandGuard busy(commandButtons());
    Hourglass wait(*m_pointer);
    FolderCheckHost host(m_prompter, *m_pointer);
    FolderCheck folder;
    if (!trap.step(102, [&] { folder = checkParadoxFolder(folderEdit->text(), host); }))
        return;
    if (!folder.usable()) {
        trap.step(103, [&] { tellFolderCheck(folder); });
        return;
    }
    LoginCheck login;
    if (!trap.step(104, [&] { login = checkSqlLogin(sqlConnectionString()); }))
        return;
    if (!login.ok()) {
        trap.step(105, [&] { tellLoginCheck(login); });
        return;
    }
    TableWindow& window = loadTableWindow();
    fillTableWindow(window, trap);
    trap.step(114, [&] { window.showInPlaceOf(*this); });
    trap.step(116, [&] {
        rememberPlace();
        hide();
    });
}

const QString kTestParadoxFolderProcedure = QStringLiteral("PushButton3_Click");

void ConnectionWindow::onTestParadoxFolder()
{
    ErrorTrap trap(m_prompter, kModule, kTestParadoxFolderProcedure);
    Hourglass wait(*m_pointer);
    FolderCheckHost host(m_prompter, *m_pointer);
    FolderCheck check;
    if (!trap.step(102, [&] { check = checkParadoxFolder(folderEdit->text(), host); }))
        return;
    trap.step(104, [&] { tellFolderCheck(check); });
}

void ConnectionWindow::tellFolderCheck(const FolderCheck& check)
{
    const QString text = folderCheckText(check, folderEdit->text());
    m_prompter.message(
        (check.usable() ? kConnectionSuccessful : kFolderFailed) + kLineBreaks + text, appTitle());
    if (!check.usable())
        mend(folderEdit);
}

void ConnectionWindow::tellLoginCheck(const LoginCheck& check)
{
    const QString text = loginCheckText(check, fields());
    if (check.ok()) {
        m_prompter.message(kConnectionSuccessful + kLineBreaks + text, appTitle());
        return;
    }
    m_prompter.messageWithDetails(kLoginFailed + kLineBreaks + text, check.driverText, appTitle());
    switch (check.failure) {
    case LoginFailure::LoginRefused:
        mend(userEdit->text().isEmpty() ? userEdit : passwordEdit);
        break;
    case LoginFailure::UnknownDatabase:
        mend(databaseEdit);
        break;
    default:
        mend(serverEdit->text().isEmpty() || localConnectionCheck->isChecked() ||
                     !portEdit->text().isEmpty()
                 ? serverEdit
                 : portEdit);
        break;
    }
}

void ConnectionWindow::mend(QLineEdit* box)
{
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

const QString kLoadSampleProcedure = QStringLiteral("PushButton4_Click");

void ConnectionWindow::onLoadSample()
{
    ErrorTrap trap(m_prompter, kModule, kLoadSampleProcedure);
    trap.step(100, [&] { folderEdit->setText(applicationFolder() + QStringLiteral("/Samples")); });
}

const QString kBrowseProcedure = QStringLiteral("PushButton5_Click");

void ConnectionWindow::onBrowse()
{
    ErrorTrap trap(m_prompter, kModule, kBrowseProcedure);
    QString startFolder;
    QString chosen;
    // The folder in the box when there is one, else the stored start folder.
    trap.step(100, [&] {
        const QString typed = folderEdit->text();
        startFolder = !typed.isEmpty() && QFileInfo(typed).isDir()
                          ? typed
                          : Settings::read(keys::LastFolderDot);
    });
    trap.step(102, [&] {
        chosen = browseFolder(QStringLiteral("Please select folder:"), startFolder, m_prompter);
    });
    if (chosen.isEmpty())
        return;
    trap.step(104, [&] { folderEdit->setText(chosen); });
}

void ConnectionWindow::onTestSqlConnection()
{
    const CommandGuard busy(commandButtons());
    Hourglass wait(*m_pointer);
    tellLoginCheck(checkSqlLogin(sqlConnectionString()));
}

void ConnectionWindow::onFolderChanged()
{
    Settings::write(keys::ParadoxFolder, folderEdit->text());
}

void ConnectionWindow::onServerChanged()
{
    Settings::write(keys::Server, serverEdit->text());
    m_password.loginChanged();
}

void ConnectionWindow::onUserChanged()
{
    Settings::write(keys::User, userEdit->text());
    m_password.loginChanged();
}

void ConnectionWindow::onPasswordChanged() { m_password.write(passwordEdit->text()); }

void ConnectionWindow::onDatabaseChanged()
{
    Settings::write(keys::Database, databaseEdit->text());
    m_password.loginChanged();
}

void ConnectionWindow::onPortChanged() { Settings::write(keys::Port, portEdit->text()); }

void ConnectionWindow::onLocalConnectionClicked()
{
    Settings::write(keys::LocalConnection,
                    localConnectionCheck->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ConnectionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* box : lineEdits())
            if (watched == box)
                box->selectAll();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tabulex
