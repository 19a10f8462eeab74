#include "ui/datatype/Form3.h"

#include "ui/common/AppIcon.h"
#include "core/AppInfo.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowPointer.h"
#include "customize/Customize.h"
#include "folders/AddFolder.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tabulex {

namespace {

const QString kModule = QStringLiteral("Form3");
const QString kCloseQuestion = QStringLiteral(
    "Data type has been change.\r\nDo you still want to exit without changes?");

} // namespace

Form3::Form3(Prompter& prompter, std::function<QString()> sqlConnectionString,
             std::function<QString()> paradoxConnectionString, QWidget* parent)
    : QDialog(parent), m_prompter(prompter),
      m_sqlConnectionString(std::move(sqlConnectionString)),
      m_paradoxConnectionString(std::move(paradoxConnectionString)),
      m_pointer(new WindowPointer(this))
{
    setFont(QFont(QStringLiteral("Arial"), 9));
    setWindowTitle(QStringLiteral("Data Type Customization"));
    setModal(true);
    createControls();
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(List2, &QListWidget::itemClicked, this, [this] { List2_Click(); });
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
    for (QPushButton* b : {PushButton1, PushButton2, PushButton3, PushButton4})
        m_pointer->attachButton(b);
    for (QWidget* w :
         std::initializer_list<QWidget*>{this, Frame1, Frame2, Frame3, Label1, List1, List2, Text1})
        m_pointer->attachSurface(w);
}

Form3::~Form3() = default;

void Form3::createControls()
{
    auto listFrame = [this](const QString& title, QListWidget*& list) {
        auto* frame = new QGroupBox(title, this);
        list = new QListWidget(frame);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        auto* l = new QVBoxLayout(frame);
        l->addWidget(list);
        return frame;
    };
    Frame1 = listFrame(QStringLiteral("Fields"), List1);
    Frame2 = listFrame(QStringLiteral("Data Type"), List2);
    Frame3 = new QGroupBox(QStringLiteral("Change selected data type to"), this);
    Text1 = new QLineEdit(Frame3);
    PushButton1 = new QPushButton(QStringLiteral("Change"), Frame3);
    auto* change = new QHBoxLayout(Frame3);
    change->addWidget(Text1, 1);
    change->addWidget(PushButton1);
    PushButton2 = new QPushButton(QStringLiteral("OK"), this);
    PushButton4 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton3 = new QPushButton(QStringLiteral("Help"), this);
    Label1 = new QLabel(this);

    auto* lists = new QHBoxLayout;
    lists->addWidget(Frame1);
    lists->addWidget(Frame2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(PushButton2);
    buttons->addWidget(PushButton4);
    buttons->addWidget(PushButton3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(Frame3);
    layout->addLayout(buttons);
    resize(520, 420);
}

void Form3::Form_Load()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("Form_Load"));
    List1->clear();
    List2->clear();
    Text1->clear();
    m_unloaded = false;
    m_appliedColumns.clear();
    trap.step(100, [&] {
        setSystemColors(this);
        setWindowIcon(applicationIcon());
    });
    trap.step(102, [&] {
        const QString file = applicationFolder() + QStringLiteral("/HAND-M.CUR");
        if (pathExists(file))
            m_pointer->loadMouseIcon(file);
    });
    m_changed = false;
    trap.step(106, [&] {
        QStringList names, types;
        // The rows derived before a failure stay in the lists.
        const auto fill = [&] {
            List1->addItems(names);
            List2->addItems(types);
        };
        try {
            if (mType == QLatin1String("Paradox"))
                deriveParadoxTypes(m_sqlConnectionString(), mTableName, names, types);
            else if (mType == QLatin1String("MSSQL"))
                deriveSqlServerTypes(m_paradoxConnectionString(), mTableName, names, types);
        } catch (...) {
            fill();
            throw;
        }
        fill();
    });
}

void Form3::selectRow(int row)
{
    List1->setCurrentRow(row);
    List2->setCurrentRow(row);
    if (QListWidgetItem* type = List2->item(row))
        Text1->setText(type->text());
}

void Form3::List1_Click()
{
    if (List1->count() > 0)
        selectRow(List1->currentRow());
}

void Form3::List2_Click()
{
    if (List2->count() > 0)
        selectRow(List2->currentRow());
}

void Form3::PushButton1_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton1_Click"));
    const QString text = Text1->text();
    if (!isValidDataType(text)) {
        m_prompter.message(QStringLiteral("Invalid datatype."), appTitle());
        return;
    }
    trap.step(102, [&] {
        QListWidgetItem* row = List2->item(List2->currentRow());
        if (!row || !row->isSelected())
            throw std::runtime_error("Invalid procedure call or argument");
        row->setText(text);
    });
    m_changed = true;
}

void Form3::PushButton2_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton2_Click"));
    trap.step(100, [&] {
        QStringList names;
        for (int i = 0; i < List1->count(); ++i)
            names << List1->item(i)->text();
        const AppliedTypes applied = applyDataTypes(mType, mSQL, names, chosenTypes());
        if (mType == QLatin1String("Paradox"))
            mNumeric = applied.numeric;
        mOldFieldNames += applied.oldNames;
        mNewFieldNames += applied.newNames;
        mSQL = applied.statement;
        m_appliedColumns = applied.columns;
    });
    m_changed = false;
    CustomizeCancelled = false;
    unload();
}

void Form3::PushButton3_Click()
{
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("PushButton3_Click"));
    trap.step(100, [&] {
        if (mType == QLatin1String("MSSQL"))
            m_prompter.message(QStringLiteral("The following are the Data Types of MS SQL Server: ") +
                                   QStringLiteral("\r\n") +
                                   dataTypeCatalogue().join(QStringLiteral("\r\n")),
                               appTitle());
        else if (mType == QLatin1String("Paradox"))
            m_prompter.openUrl(QUrl(kParadoxTypesHelp));
    });
}

void Form3::PushButton4_Click() { unload(); }

bool Form3::Form_QueryUnload()
{
    if (!m_changed)
        return true;
    bool leave = true;
    ErrorTrap trap(m_prompter, kModule, QStringLiteral("Form_QueryUnload"));
    trap.step(100, [&] { leave = m_prompter.question(kCloseQuestion, appTitle()); });
    return leave;
}

bool Form3::unload()
{
    if (!Form_QueryUnload())
        return false;
    m_unloaded = true;
    if (isVisible())
        done(QDialog::Rejected); // ends the modal showing
    return true;
}

void Form3::closeEvent(QCloseEvent* event)
{
    if (m_unloaded || unload())
        event->accept();
    else
        event->ignore();
}

void Form3::reject()
{
    // Escape asks like the close box.
    unload();
}

QStringList Form3::chosenTypes() const
{
    QStringList types;
    for (int i = 0; i < List2->count(); ++i)
        types << List2->item(i)->text();
    return types;
}

} // namespace tabulex
