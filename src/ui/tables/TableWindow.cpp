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
#include "ui/common/PlainFrameStyle.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowCommands.h"
#include "ui/common/WindowPlacement.h"
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
// The lists show this many rows at least, so that the window fits a small screen.
constexpr int kListRows = 6;
// Names a delete question lists before it counts the rest.
constexpr int kNamesAsked = 10;
const QString kStillRunning =
    QStringLiteral("A command is still running. Stop it and close Tabulex?\r\n\r\nA table "
                   "being sent is left as it was before; tables sent before it stay.");
const QString kStopped =
    QStringLiteral("The transfer was stopped. The table it was sending is as it was before; "
                   "the tables sent before it are complete.");
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
    // Frames drawn as the connection window draws them, without a tinted body.
    frame->setStyle(PlainFrameStyle::instance());
    list = new QListWidget(frame);
    selectAll = new QPushButton(frame);
    deselectAll = new QPushButton(frame);
    send = new QPushButton(frame);
    customize = new QCheckBox(frame);
    remove = new QPushButton(frame);
    rename = new QPushButton(frame);
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
    sqlFrame = createSide(QStringLiteral("&MS SQL Server Tables"), sqlTableList,
                          selectAllSqlTablesButton, deselectAllSqlTablesButton, sendToParadoxButton,
                          customizeToParadoxCheck, deleteSqlTablesButton, renameSqlTableButton);
    paradoxFrame = createSide(QStringLiteral("Parado&x Tables"), paradoxTableList,
                              selectAllParadoxTablesButton, deselectAllParadoxTablesButton,
                              sendToSqlServerButton, customizeToSqlServerCheck,
                              deleteParadoxTablesButton, renameParadoxTableButton);
    // Captions with access keys, each key once in the window.
    selectAllSqlTablesButton->setText(QStringLiteral("Select &All"));
    deselectAllSqlTablesButton->setText(QStringLiteral("&Deselect All"));
    sendToParadoxButton->setText(QStringLiteral("Send Table/s To &Paradox"));
    customizeToParadoxCheck->setText(QStringLiteral("Send with data type &customization"));
    deleteSqlTablesButton->setText(QStringLiteral("D&elete Table/s"));
    renameSqlTableButton->setText(QStringLiteral("&Rename Table"));
    selectAllParadoxTablesButton->setText(QStringLiteral("Selec&t All"));
    deselectAllParadoxTablesButton->setText(QStringLiteral("Deselect A&ll"));
    sendToSqlServerButton->setText(QStringLiteral("Send Table/s To S&QL Server"));
    customizeToSqlServerCheck->setText(QStringLiteral("Send with data type c&ustomization"));
    deleteParadoxTablesButton->setText(QStringLiteral("Delete Table/&s"));
    renameParadoxTableButton->setText(QStringLiteral("Re&name Table"));
    faithfulMappingCheck = new QCheckBox(
        QStringLiteral("&Keep keys, autoincrement and field types (faithful mapping, both ways)"),
        this);
    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setFormat(kProgressBarText);
    progressBar->setAlignment(Qt::AlignCenter);
    progressLabel = new QLabel(this);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));
    stopButton = new QPushButton(QStringLiteral("St&op"), this);
    stopButton->setToolTip(QStringLiteral("Stop the transfer; the table being sent is left as "
                                          "it was"));
    stopButton->setEnabled(false);
    backButton = new QPushButton(QStringLiteral("< &Back"), this);
    refreshButton = new QPushButton(QStringLiteral("Re&fresh"), this);
    refreshButton->setToolTip(QStringLiteral("Read both lists again (F5)"));
    helpButton = new QPushButton(QStringLiteral("&Help"), this);
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
    auto* progress = new QHBoxLayout;
    progress->addWidget(progressBar, 1);
    progress->addWidget(stopButton);
    window->addLayout(progress);
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
                                stopButton,
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
        connect(button, &QPushButton::clicked, this, [this, h = handler] {
            ++m_running;
            runWindowCommand([&] { (this->*h)(); });
            --m_running;
        });
    connect(stopButton, &QPushButton::clicked, this, [this] { onStop(); });
    // Keys that press a button: F5 Refresh, F1 Help, Delete in a list its side's delete.
    const auto pressOn = [this](QKeySequence keys, QPushButton* button, QWidget* where) {
        auto* shortcut = new QShortcut(keys, where);
        if (where != this)
            shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    pressOn(QKeySequence::Refresh, refreshButton, this);
    pressOn(QKeySequence::HelpContents, helpButton, this);
    pressOn(QKeySequence::Delete, deleteSqlTablesButton, sqlTableList);
    pressOn(QKeySequence::Delete, deleteParadoxTablesButton, paradoxTableList);
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
    m_closing = true;
    requestStop(); // whatever runs ends at its next row or statement
    emit unloaded();
}

void TableWindow::closeEvent(QCloseEvent* event)
{
    if (commandRunning() && !stopRequested() &&
        !m_prompter.questionDefaultNo(kStillRunning, appTitle())) {
        event->ignore(); // No: the command goes on
        return;
    }
    if (isVisible())
        rememberPlace();
    event->accept();
    unload();
}

void TableWindow::showInPlaceOf(const QWidget& other)
{
    setWindowTitle(connectionTitle(m_fields()));
    if (!m_placed) {
        // The size the window had last; the place is other's.
        m_placed = true;
        restorePlacement(*this, Settings::read(keys::TableWindowPlace));
    }
    placeLike(*this, other);
    show();
}

void TableWindow::rememberPlace()
{
    const QString here = placementText(*this);
    Settings::write(keys::TableWindowPlace, here);
    // The connection window comes back at the same corner.
    Settings::write(keys::ConnectionWindowPlace,
                    placementText(frameGeometry().topLeft(), m_connectionWindow.size()));
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

bool TableWindow::confirmDelete(TableList& list, const QString& side)
{
    if (list.currentIndex() == -1)
        return true; // the command asks for a selection
    const QStringList names = selectedItems(list);
    if (names.isEmpty())
        return true; // nothing is deleted
    const qsizetype n = names.size();
    QString listed = names.mid(0, kNamesAsked).join(QStringLiteral(", "));
    if (n > kNamesAsked)
        listed += QStringLiteral(" and %1 more").arg(n - kNamesAsked);
    const QString text =
        QStringLiteral("Delete %1 from %2: %3? This cannot be undone.")
            .arg(n == 1 ? QStringLiteral("1 table") : QStringLiteral("%1 tables").arg(n), side,
                 listed);
    return m_prompter.questionDefaultNo(text, appTitle());
}

void TableWindow::onDeleteSqlTables()
{
    const CommandGuard busy = commandGuard();
    if (!confirmDelete(sqlTables(), QStringLiteral("SQL Server")))
        return;
    deleteSqlTables(sqlTables(), sqlConnectionString(), *this);
}

const QString kBackProcedure = QStringLiteral("PushButton2_Click");

void TableWindow::onBack()
{
    ErrorTrap trap(m_prompter, kModule, kBackProcedure);
    trap.step(100, [&] {
        placeLike(m_connectionWindow, *this);
        m_connectionWindow.show();
    });
    trap.step(102, [&] {
        rememberPlace();
        hide();
    });
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

void TableWindow::runTransfer(const std::function<void()>& send)
{
    m_stopAsked = false;
    stopButton->setEnabled(true);
    runWindowCommand(send);
    stopButton->setEnabled(false);
    if (!m_stopAsked || m_closing)
        return;
    m_stopAsked = false;
    // Stopped by the button: the program goes on.
    clearStopRequest();
    progressBar->setValue(0);
    progressBar->setFormat(kProgressBarText);
    setWaitPointer(false);
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("Stop_Click"));
    trap.step(100, [&] { fillSqlTableList(sqlTables(), sqlConnectionString(), *this); });
    trap.step(102, [&] { fillParadoxTableList(paradoxTables(), folder(), *this); });
    trap.step(104, [&] { m_prompter.message(kStopped, appTitle()); });
}

void TableWindow::onStop()
{
    stopButton->setEnabled(false);
    m_stopAsked = true;
    requestStop(); // the send ends at its next row or statement
}

void TableWindow::onSendToParadox()
{
    const CommandGuard busy = commandGuard();
    TransferContext ctx = transferContext();
    ctx.customize = customizeToParadoxCheck->isChecked();
    ctx.mapping = faithfulMappingCheck->isChecked() ? Mapping::Faithful : Mapping::Classic;
    TransferSummary summary;
    runTransfer([&] { summary = sendTablesToParadox(ctx); });
    sendEnded(summary, sendToParadoxButton->text());
}

void TableWindow::onSendToSqlServer()
{
    const CommandGuard busy = commandGuard();
    TransferContext ctx = transferContext();
    ctx.customize = customizeToSqlServerCheck->isChecked();
    ctx.mapping = faithfulMappingCheck->isChecked() ? Mapping::Faithful : Mapping::Classic;
    TransferSummary summary;
    runTransfer([&] { summary = sendTablesToSqlServer(ctx); });
    sendEnded(summary, sendToSqlServerButton->text());
}

void TableWindow::sendEnded(const TransferSummary& summary, const QString& command)
{
    progressLabel->clear();
    m_tableCount = 0;
    if (summary.tables.size() > 1)
        m_prompter.showResults(runResults(summary, QString(command).remove(u'&')));
}

void TableWindow::onDeleteParadoxTables()
{
    const CommandGuard busy = commandGuard();
    if (!confirmDelete(paradoxTables(), QStringLiteral("the Paradox folder")))
        return;
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

void TableWindow::tableVerifying(const QString& table)
{
    progressLabel->setText(
        (m_tableCount > 1 ? QStringLiteral("Table %1 of %2: ").arg(m_tableNumber).arg(m_tableCount)
                          : QString()) +
        table + QStringLiteral(": reading it back to verify"));
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
