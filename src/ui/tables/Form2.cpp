#include "ui/tables/Form2.h"

#include "ui/common/AppIcon.h"
#include "core/AppInfo.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowPointer.h"
#include "customize/Customize.h"
#include "ui/datatype/Form3.h"
#include "folders/AddFolder.h"
#include "ui/tables/ListBoxTableList.h"
#include "tables/ListFill.h"
#include "tables/TableCommands.h"
#include "transfer/Transfers.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tabulex {

namespace {

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

Form2::Form2(Prompter& prompter, std::function<ConnectionFields()> fields,
             QWidget& connectionWindow, QWidget* parent)
    : QWidget(parent), m_prompter(prompter), m_fields(std::move(fields)),
      m_connectionWindow(connectionWindow), m_pointer(new WindowPointer(this))
{
    setFont(QFont(QStringLiteral("Arial"), kFontPointSize));
    createControls();
    arrangeControls();
    connectHandlers();
    attachPointer();
    m_sqlTables = std::make_unique<ListBoxTableList>(*List1);
    m_paradoxTables = std::make_unique<ListBoxTableList>(*List2);
}

Form2::~Form2() = default;

QGroupBox* Form2::createSide(const QString& title, QListWidget*& list, QPushButton*& selectAll,
                             QPushButton*& deselectAll, QPushButton*& send, QCheckBox*& customize,
                             QPushButton*& remove, QPushButton*& rename)
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

void Form2::createControls()
{
    Frame1 = createSide(QStringLiteral("MS SQL Server Tables"), List1, PushButton10, PushButton11,
                        PushButton3, Check15, PushButton1, PushButton6);
    Frame2 = createSide(QStringLiteral("Paradox Tables"), List2, PushButton8, PushButton9,
                        PushButton4, Check16, PushButton5, PushButton7);
    PushButton3->setText(QStringLiteral("Send Table/s To Paradox"));
    PushButton4->setText(QStringLiteral("Send Table/s To SQL Server"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setFormat(kProgressBarText);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    PushButton2 = new QPushButton(QStringLiteral("< Back"), this);
    PushButton12 = new QPushButton(QStringLiteral("Help"), this);
}

void Form2::arrangeControls()
{
    auto* frames = new QHBoxLayout;
    frames->addWidget(Frame1, 1);
    frames->addWidget(Frame2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(PushButton2, 1);
    bottom->addWidget(PushButton12, 1);
    auto* window = new QVBoxLayout(this);
    window->addLayout(frames, 1);
    window->addWidget(ProgressBar1);
    window->addLayout(bottom);
    setMinimumSize(window->minimumSize());
    resize(sizeHint());

    const QList<QWidget*> order{List1,       PushButton10, PushButton11, PushButton3,
                                Check15,     PushButton1,  PushButton6,  List2,
                                PushButton8, PushButton9,  PushButton4,  Check16,
                                PushButton5, PushButton7,  PushButton2,  PushButton12};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Form2::connectHandlers()
{
    connect(Check15, &QCheckBox::toggled, this, [this] { Check15_Click(); });
    connect(Check16, &QCheckBox::toggled, this, [this] { Check16_Click(); });
    const std::pair<QPushButton*, void (Form2::*)()> buttons[] = {
        {PushButton1, &Form2::PushButton1_Click},   {PushButton2, &Form2::PushButton2_Click},
        {PushButton3, &Form2::PushButton3_Click},   {PushButton4, &Form2::PushButton4_Click},
        {PushButton5, &Form2::PushButton5_Click},   {PushButton6, &Form2::PushButton6_Click},
        {PushButton7, &Form2::PushButton7_Click},   {PushButton8, &Form2::PushButton8_Click},
        {PushButton9, &Form2::PushButton9_Click},   {PushButton10, &Form2::PushButton10_Click},
        {PushButton11, &Form2::PushButton11_Click}, {PushButton12, &Form2::PushButton12_Click},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [this, h = handler] { (this->*h)(); });
}

void Form2::attachPointer()
{
    for (QPushButton* b :
         {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton6, PushButton7,
          PushButton8, PushButton9, PushButton10, PushButton11, PushButton12})
        m_pointer->attachButton(b);
    for (QWidget* surface : std::initializer_list<QWidget*>{Frame1, Frame2, List1, List2})
        m_pointer->attachSurface(surface);
}

TableList& Form2::sqlTables() { return *m_sqlTables; }
TableList& Form2::paradoxTables() { return *m_paradoxTables; }

CommandGuard Form2::commandGuard()
{
    return CommandGuard({List1, List2, Check15, Check16, PushButton1, PushButton2, PushButton3,
                         PushButton4, PushButton5, PushButton6, PushButton7, PushButton8,
                         PushButton9, PushButton10, PushButton11, PushButton12});
}

void Form2::Form_Load()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("Form_Load"));
    trap.step(100, [&] { setSystemColors(this); });
    trap.step(102, [&] { setWindowIcon(applicationIcon()); });
    trap.step(104, [&] { loadHandCursor(); });
    trap.step(106, [&] { setWindowTitle(kProductTitle); });
    trap.step(108, [&] { setHeightBelowBack(); });
}

void Form2::loadHandCursor()
{
    const QString file = applicationFolder() + QStringLiteral("/HAND-M.CUR");
    if (pathExists(file))
        m_pointer->loadMouseIcon(file); // an unreadable file keeps the standard hand
}

void Form2::setHeightBelowBack()
{
    // The window ends one margin below "< Back"; the window system adds the title bar.
    layout()->activate();
    const int below = layout()->contentsMargins().bottom();
    resize(width(), PushButton2->geometry().bottom() + 1 + below);
}

void Form2::Form_Unload() { emit unloaded(); }

void Form2::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

QString Form2::folder() const { return m_fields().paradoxFolder; }

QString Form2::sqlConnectionString() const { return tabulex::sqlConnectionString(m_fields()); }

void Form2::Check15_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("Check15_Click"));
    trap.step(100, [&] { Settings::write(keys::WithDataTypeChange1, checkValue(Check15)); });
}

void Form2::Check16_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("Check16_Click"));
    trap.step(100, [&] { Settings::write(keys::WithDataTypeChange2, checkValue(Check16)); });
}

void Form2::PushButton1_Click()
{
    const CommandGuard busy = commandGuard();
    deleteSqlTables(sqlTables(), sqlConnectionString(), *this);
}

void Form2::PushButton2_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton2_Click"));
    trap.step(100, [&] { m_connectionWindow.show(); });
    trap.step(102, [&] { hide(); });
}

TransferContext Form2::transferContext()
{
    TransferContext ctx;
    ctx.host = this;
    ctx.sqlList = &sqlTables();
    ctx.paradoxList = &paradoxTables();
    ctx.sqlConnectionString = [this] { return sqlConnectionString(); };
    ctx.paradoxConnectionString = [this] { return tabulex::paradoxConnectionString(folder()); };
    ctx.paradoxFolder = [this] { return folder(); };
    ctx.refillParadoxList = [this] { fillParadoxTableList(paradoxTables(), folder(), *this); };
    ctx.customizeTypes = [this](const CustomizeRequest& r) { return customizeTypes(r); };
    return ctx;
}

std::optional<CustomizeResult> Form2::customizeTypes(const CustomizeRequest& request)
{
    // One data type window for the run of the program, without an owner window.
    if (!m_form3)
        m_form3 = std::make_unique<Form3>(
            m_prompter, [this] { return sqlConnectionString(); },
            [this] { return tabulex::paradoxConnectionString(folder()); });
    Form3& form3 = *m_form3;
    CustomizeCancelled = true;
    if (request.type == QLatin1String("Paradox"))
        form3.mNumeric.clear();
    form3.mType = request.type;
    form3.mSQL = request.head;
    form3.mTableName = request.tableName;
    form3.Form_Load();
    m_prompter.showDataTypeWindow(form3);
    if (CustomizeCancelled)
        return std::nullopt;
    const QStringList types = form3.chosenTypes();
    const QStringList& names = form3.appliedColumns();
    return CustomizeResult{form3.mSQL, std::vector<QString>(names.begin(), names.end()),
                           std::vector<QString>(types.begin(), types.end())};
}

void Form2::PushButton3_Click()
{
    const CommandGuard busy = commandGuard();
    TransferContext ctx = transferContext();
    ctx.customize = Check15->isChecked();
    sendTablesToParadox(ctx);
}

void Form2::PushButton4_Click()
{
    const CommandGuard busy = commandGuard();
    TransferContext ctx = transferContext();
    ctx.customize = Check16->isChecked();
    sendTablesToSqlServer(ctx);
}

void Form2::PushButton5_Click()
{
    const CommandGuard busy = commandGuard();
    deleteParadoxTables(paradoxTables(), folder(), *this);
}

void Form2::PushButton6_Click()
{
    const CommandGuard busy = commandGuard();
    renameSqlTable(sqlTables(), sqlConnectionString(), *this);
}

void Form2::PushButton7_Click()
{
    const CommandGuard busy = commandGuard();
    renameParadoxTable(paradoxTables(), folder(), *this);
}

void Form2::PushButton8_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton8_Click"));
    trap.step(100, [&] { List2->selectAll(); });
}

void Form2::PushButton9_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton9_Click"));
    trap.step(100, [&] { List2->clearSelection(); });
}

void Form2::PushButton10_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton10_Click"));
    trap.step(100, [&] { List1->selectAll(); });
}

void Form2::PushButton11_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton11_Click"));
    trap.step(100, [&] { List1->clearSelection(); });
}

void Form2::PushButton12_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton12_Click"));
    trap.step(100, [&] { m_prompter.message(kHelpText, appTitle()); });
}

void Form2::setWaitPointer(bool wait)
{
    m_pointer->setMousePointer(wait ? MousePointer::Hourglass : MousePointer::Default);
}

void Form2::processEvents()
{
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void Form2::setProgress(int percent) { ProgressBar1->setValue(percent); }

void Form2::setProgressText(const QString& text) { ProgressBar1->setFormat(text); }

} // namespace tabulex
