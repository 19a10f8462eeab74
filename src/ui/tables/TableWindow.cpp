#include "ui/tables/TableWindow.h"

#include "core/AppInfo.h"
#include "core/StopRequest.h"
#include "folders/FileTests.h"
#include "host/ErrorTrap.h"
#include "host/ProgressText.h"
#include "host/Prompter.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "tables/ListFill.h"
#include "tables/ParadoxTableCommands.h"
#include "tables/SqlTableCommands.h"
#include "transfer/Transfers.h"
#include "ui/common/AppIcon.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowCommands.h"
#include "ui/common/WindowPointer.h"
#include "ui/tables/ListBoxTableList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tabulex {

namespace {

// The window's name in the error reports; the delete, rename and send commands name it too.
const QString kModule = QStringLiteral("Form2");
const QString kProgressBarText = QStringLiteral("Progress Bar");
const QString kHelpText =
    QStringLiteral("Questions? Please contact Team Quorvane at https://www.quorvane.com/contact");

constexpr int kFontPointSize = 9;
constexpr qint64 kEventIntervalMs = 10;
constexpr int kListRows = 14;
constexpr int kListMinimumWidth = 250;

QString checkValue(const QCheckBox* box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

TableWindow::TableWindow(Prompter& prompter, std::function<ConnectionFields()> fields,
                         QWidget& connectionWindow, QWidget* parent)
    : QWidget(parent), m_prompter(prompter), m_fields(std::move(fields)),
      m_connectionWindow(connectionWindow), m_pointer(new WindowPointer(this))
{
    setFont(QFont(QStringLiteral("Arial"), kFontPointSize));
    createControls();
    arrangeControls();
    connectHandlers();
    attachPointer();
    m_sqlTables = std::make_unique<ListBoxTableList>(*sqlTableList);
    m_paradoxTables = std::make_unique<ListBoxTableList>(*paradoxTableList);
}

TableWindow::~TableWindow() = default;

QGroupBox* TableWindow::createSide(const QString& title, QListWidget*& list,
                                   QPushButton*& selectAll, QPushButton*& deselectAll,
                                   QPushButton*& send, QCheckBox*& customize, QPushButton*& remove,
                                   QPushButton*& rename)
{
    auto* frame = new QGroupBox(title, this);
    list = new QListWidget(frame);
    selectAll = new QPushButton(QStringLiteral("Select All"), frame);
    deselectAll = new QPushButton(QStringLiteral("Deselect All"), frame);
    send = new QPushButton(frame);
    customize = new QCheckBox(QStringLiteral("Send with data type customization"), frame);
    remove = new QPushButton(QStringLiteral("Delete Table/s"), frame);
    rename = new QPushButton(QStringLiteral("Rename Table"), frame);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSortingEnabled(false);
    list->setUniformItemSizes(true);
    list->setMinimumWidth(kListMinimumWidth);
    list->setMinimumHeight(list->fontMetrics().height() * kListRows);

    auto* selection = new QHBoxLayout;
    selection->addWidget(selectAll);
    selection->addWidget(deselectAll);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(list, 1);
    layout->addLayout(selection);
    layout->addWidget(send);
    layout->addWidget(customize, 0, Qt::AlignLeft);
    layout->addWidget(remove);
    layout->addWidget(rename);
    return frame;
}

void TableWindow::createControls()
{
    sqlFrame = createSide(QStringLiteral("MS SQL Server Tables"), sqlTableList,
                          selectAllSqlTablesButton, deselectAllSqlTablesButton, sendToParadoxButton,
                          customizeToParadoxCheck, deleteSqlTablesButton, renameSqlTableButton);
    paradoxFrame =
        createSide(QStringLiteral("Paradox Tables"), paradoxTableList, selectAllParadoxTablesButton,
                   deselectAllParadoxTablesButton, sendToSqlServerButton, customizeToSqlServerCheck,
                   deleteParadoxTablesButton, renameParadoxTableButton);
    sendToParadoxButton->setText(QStringLiteral("Send Table/s To Paradox"));
    sendToSqlServerButton->setText(QStringLiteral("Send Table/s To SQL Server"));
    faithfulMappingCheck = new QCheckBox(
        QStringLiteral("Keep keys, autoincrement and field types (faithful mapping, both ways)"),
        this);
    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setFormat(kProgressBarText);
    progressBar->setAlignment(Qt::AlignCenter);
    progressLabel = new QLabel(this);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));
    backButton = new QPushButton(QStringLiteral("< Back"), this);
    refreshButton = new QPushButton(QStringLiteral("Refresh"), this);
    refreshButton->setToolTip(QStringLiteral("Read both lists again (F5)"));
    helpButton = new QPushButton(QStringLiteral("Help"), this);
}

void TableWindow::arrangeControls()
{
    auto* frames = new QHBoxLayout;
    frames->addWidget(sqlFrame, 1);
    frames->addWidget(paradoxFrame, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(backButton, 1);
    bottom->addWidget(refreshButton, 1);
    bottom->addWidget(helpButton, 1);
    auto* window = new QVBoxLayout(this);
    window->addLayout(frames, 1);
    window->addWidget(faithfulMappingCheck, 0, Qt::AlignLeft);
    window->addWidget(progressBar);
    window->addWidget(progressLabel);
    window->addLayout(bottom);
    setMinimumSize(window->minimumSize());
    resize(sizeHint());

    const QList<QWidget*> order{sqlTableList,
                                selectAllSqlTablesButton,
                                deselectAllSqlTablesButton,
                                sendToParadoxButton,
                                customizeToParadoxCheck,
                                deleteSqlTablesButton,
                                renameSqlTableButton,
                                paradoxTableList,
                                selectAllParadoxTablesButton,
                                deselectAllParadoxTablesButton,
                                sendToSqlServerButton,
                                customizeToSqlServerCheck,
                                deleteParadoxTablesButton,
                                renameParadoxTableButton,
                                faithfulMappingCheck,
                                backButton,
                                refreshButton,
                                helpButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TableWindow::connectHandlers()
{
    connect(customizeToParadoxCheck, &QCheckBox::toggled, this,
            [this] { onCustomizeToParadoxClicked(); });
    connect(customizeToSqlServerCheck, &QCheckBox::toggled, this,
            [this] { onCustomizeToSqlServerClicked(); });
    connect(faithfulMappingCheck, &QCheckBox::toggled, this,
            [this] { onFaithfulMappingClicked(); });
    const std::pair<QPushButton*, void (TableWindow::*)()> buttons[] = {
        {deleteSqlTablesButton, &TableWindow::onDeleteSqlTables},
        {backButton, &TableWindow::onBack},
        {refreshButton, &TableWindow::onRefresh},
        {sendToParadoxButton, &TableWindow::onSendToParadox},
        {sendToSqlServerButton, &TableWindow::onSendToSqlServer},
        {deleteParadoxTablesButton, &TableWindow::onDeleteParadoxTables},
        {renameSqlTableButton, &TableWindow::onRenameSqlTable},
        {renameParadoxTableButton, &TableWindow::onRenameParadoxTable},
        {selectAllParadoxTablesButton, &TableWindow::onSelectAllParadoxTables},
        {deselectAllParadoxTablesButton, &TableWindow::onDeselectAllParadoxTables},
        {selectAllSqlTablesButton, &TableWindow::onSelectAllSqlTables},
        {deselectAllSqlTablesButton, &TableWindow::onDeselectAllSqlTables},
        {helpButton, &TableWindow::onHelp},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this,
                [this, h = handler] { runWindowCommand([&] { (this->*h)(); }); });
    auto* refresh = new QShortcut(QKeySequence::Refresh, this);
    connect(refresh, &QShortcut::activated, this, [this] {
        if (refreshButton->isEnabled())
            refreshButton->click();
    });
}

QList<QPushButton*> TableWindow::pushButtons() const
{
    return {deleteSqlTablesButton,
            backButton,
            refreshButton,
            sendToParadoxButton,
            sendToSqlServerButton,
            deleteParadoxTablesButton,
            renameSqlTableButton,
            renameParadoxTableButton,
            selectAllParadoxTablesButton,
            deselectAllParadoxTablesButton,
            selectAllSqlTablesButton,
            deselectAllSqlTablesButton,
            helpButton};
}

void TableWindow::attachPointer()
{
    for (QPushButton* b : pushButtons())
        m_pointer->attachButton(b);
    for (QWidget* surface :
         std::initializer_list<QWidget*>{sqlFrame, paradoxFrame, sqlTableList, paradoxTableList})
        m_pointer->attachSurface(surface);
}

TableList& TableWindow::sqlTables() { return *m_sqlTables; }
TableList& TableWindow::paradoxTables() { return *m_paradoxTables; }

CommandGuard TableWindow::commandGuard()
{
    QList<QWidget*> controls{sqlTableList, paradoxTableList, customizeToParadoxCheck,
                             customizeToSqlServerCheck, faithfulMappingCheck};
    for (QPushButton* b : pushButtons())
        controls << b;
    return CommandGuard(controls);
}

const QString kLoadProcedure = QStringLiteral("Form_Load");

void TableWindow::load()
{
    ErrorTrap trap(m_prompter, kModule, kLoadProcedure);
    trap.step(100, [&] { setSystemColors(this); });
    trap.step(102, [&] { setWindowIcon(applicationIcon()); });
    trap.step(104, [&] { loadHandCursor(); });
    trap.step(106, [&] { setWindowTitle(kProductTitle); });
    trap.step(108, [&] { setHeightBelowBack(); });
}

void TableWindow::loadHandCursor()
{
    const QString file = applicationFolder() + QStringLiteral("/HAND-M.CUR");
    if (pathExists(file))
        m_pointer->loadMouseIcon(file); // an unreadable file keeps the standard hand
}

void TableWindow::setHeightBelowBack()
{
    // The window ends one margin below "< Back"; the window system adds the title bar.
    layout()->activate();
    const int below = layout()->contentsMargins().bottom();
    resize(width(), backButton->geometry().bottom() + 1 + below);
}

void TableWindow::unload()
{
    requestStop(); // whatever runs ends at its next row or statement
    emit unloaded();
}

void TableWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    unload();
}

QString TableWindow::folder() const { return m_fields().paradoxFolder; }

QString TableWindow::sqlConnectionString() const
{
    return tabulex::sqlConnectionString(m_fields());
}

const QString kCustomizeToParadoxProcedure = QStringLiteral("Check15_Click");

void TableWindow::onCustomizeToParadoxClicked()
{
    ErrorTrap trap(m_prompter, kModule, kCustomizeToParadoxProcedure);
    trap.step(100, [&] {
        Settings::write(keys::CustomizeToParadox, checkValue(customizeToParadoxCheck));
    });
}

const QString kCustomizeToSqlServerProcedure = QStringLiteral("Check16_Click");

void TableWindow::onCustomizeToSqlServerClicked()
{
    ErrorTrap trap(m_prompter, kModule, kCustomizeToSqlServerProcedure);
    trap.step(100, [&] {
        Settings::write(keys::CustomizeToSqlServer, checkValue(customizeToSqlServerCheck));
    });
}

const QString kFaithfulMappingProcedure = QStringLiteral("Check17_Click");

void TableWindow::onFaithfulMappingClicked()
{
    ErrorTrap trap(m_prompter, kModule, kFaithfulMappingProcedure);
    trap.step(100,
              [&] { Settings::write(keys::FaithfulMapping, checkValue(faithfulMappingCheck)); });
}

void TableWindow::onDeleteSqlTables()
{
    const CommandGuard busy = commandGuard();
    deleteSqlTables(sqlTables(), sqlConnectionString(), *this);
}

const QString kBackProcedure = QStringLiteral("PushButton2_Click");

void TableWindow::onBack()
{
    ErrorTrap trap(m_prompter, kModule, kBackProcedure);
    trap.step(100, [&] { m_connectionWindow.show(); });
    trap.step(102, [&] { hide(); });
}

const QString kRefreshProcedure = QStringLiteral("Refresh_Click");

void TableWindow::onRefresh()
{
    ErrorTrap trap(m_prompter, kModule, kRefreshProcedure);
    const CommandGuard busy = commandGuard();
    setWaitPointer(true);
    trap.step(100, [&] { fillSqlTableList(sqlTables(), sqlConnectionString(), *this); });
    trap.step(102, [&] { fillParadoxTableList(paradoxTables(), folder(), *this); });
    setWaitPointer(false);
}

TransferContext TableWindow::transferContext()
{
    TransferContext ctx;
    ctx.host = this;
    ctx.sqlList = &sqlTables();
    ctx.paradoxList = &paradoxTables();
    ctx.sqlConnectionString = [this] { return sqlConnectionString(); };
    ctx.paradoxConnectionString = [this] { return tabulex::paradoxConnectionString(folder()); };
    ctx.paradoxFolder = [this] { return folder(); };
    ctx.refillParadoxList = [this] { fillParadoxTableList(paradoxTables(), folder(), *this); };
    ctx.module = kModule;
    return ctx;
}

void TableWindow::onSendToParadox()
{
    const CommandGuard busy = commandGuard();
    TransferContext ctx = transferContext();
    ctx.customize = customizeToParadoxCheck->isChecked();
    ctx.mapping = faithfulMappingCheck->isChecked() ? Mapping::Faithful : Mapping::Classic;
    sendEnded(sendTablesToParadox(ctx), sendToParadoxButton->text());
}

void TableWindow::onSendToSqlServer()
{
    const CommandGuard busy = commandGuard();
    TransferContext ctx = transferContext();
    ctx.customize = customizeToSqlServerCheck->isChecked();
    ctx.mapping = faithfulMappingCheck->isChecked() ? Mapping::Faithful : Mapping::Classic;
    sendEnded(sendTablesToSqlServer(ctx), sendToSqlServerButton->text());
}

void TableWindow::sendEnded(const TransferSummary& summary, const QString& command)
{
    progressLabel->clear();
    m_tableCount = 0;
    if (summary.tables.size() > 1)
        m_prompter.showResults(runResults(summary, command));
}

void TableWindow::onDeleteParadoxTables()
{
    const CommandGuard busy = commandGuard();
    deleteParadoxTables(paradoxTables(), folder(), *this);
}

void TableWindow::onRenameSqlTable()
{
    const CommandGuard busy = commandGuard();
    renameSqlTable(sqlTables(), sqlConnectionString(), *this);
}

void TableWindow::onRenameParadoxTable()
{
    const CommandGuard busy = commandGuard();
    renameParadoxTable(paradoxTables(), folder(), *this);
}

const QString kSelectAllParadoxProcedure = QStringLiteral("PushButton8_Click");

void TableWindow::onSelectAllParadoxTables()
{
    ErrorTrap trap(m_prompter, kModule, kSelectAllParadoxProcedure);
    trap.step(100, [&] { paradoxTableList->selectAll(); });
}

const QString kDeselectAllParadoxProcedure = QStringLiteral("PushButton9_Click");

void TableWindow::onDeselectAllParadoxTables()
{
    ErrorTrap trap(m_prompter, kModule, kDeselectAllParadoxProcedure);
    trap.step(100, [&] { paradoxTableList->clearSelection(); });
}

const QString kSelectAllSqlProcedure = QStringLiteral("PushButton10_Click");

void TableWindow::onSelectAllSqlTables()
{
    ErrorTrap trap(m_prompter, kModule, kSelectAllSqlProcedure);
    trap.step(100, [&] { sqlTableList->selectAll(); });
}

const QString kDeselectAllSqlProcedure = QStringLiteral("PushButton11_Click");

void TableWindow::onDeselectAllSqlTables()
{
    ErrorTrap trap(m_prompter, kModule, kDeselectAllSqlProcedure);
    trap.step(100, [&] { sqlTableList->clearSelection(); });
}

const QString kHelpProcedure = QStringLiteral("PushButton12_Click");

void TableWindow::onHelp()
{
    ErrorTrap trap(m_prompter, kModule, kHelpProcedure);
    trap.step(100, [&] { m_prompter.message(kHelpText, appTitle()); });
}

void TableWindow::setWaitPointer(bool wait)
{
    m_pointer->setMousePointer(wait ? MousePointer::Hourglass : MousePointer::Default);
}

void TableWindow::processEvents()
{
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void TableWindow::setProgress(int percent) { progressBar->setValue(percent); }

void TableWindow::setProgressText(const QString& text) { progressBar->setFormat(text); }

void TableWindow::tableStarting(int number, int count)
{
    m_tableNumber = number;
    m_tableCount = count;
}

void TableWindow::setRowProgress(const RowProgress& p)
{
    const bool first = p.done == 0 && !p.finished;
    if (first)
        m_tableClock.start();
    if (!first && !p.finished && m_sinceLabel.isValid() && m_sinceLabel.elapsed() < 250)
        return;
    m_sinceLabel.start();
    progressLabel->setText(
        rowProgressText(p, m_tableNumber, m_tableCount, double(m_tableClock.elapsed()) / 1000.0));
}

} // namespace tabulex
