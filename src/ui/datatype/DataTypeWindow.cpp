#include "ui/datatype/DataTypeWindow.h"

#include "core/SqlQuoting.h"

#include "core/AppInfo.h"
#include "core/StopRequest.h"
#include "customize/AppliedTypes.h"
#include "customize/CodePagePreview.h"
#include "customize/DataTypeCatalogue.h"
#include "customize/TypeProposals.h"
#include "folders/FileTests.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"
#include "ui/common/AppIcon.h"
#include "ui/common/WindowChrome.h"
#include "ui/common/WindowPointer.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

namespace tabulex {

namespace {

// The window's name in the error reports.
const QString kModule = QStringLiteral("Form3");
const QString kCloseQuestion =
    QStringLiteral("Data type has been change.\r\nDo you still want to exit without changes?");

// The side the request's table is created on, and the mapping its proposals follow: the
// faithful mapping hands the window its own proposals.
TypeTarget typeTarget(const CustomizeRequest& r)
{
    return r.target == kParadoxTarget ? TypeTarget::Paradox : TypeTarget::SqlServer;
}

TypeMappings typeMapping(const CustomizeRequest& r)
{
    return r.proposedTypes.isEmpty() ? kClassicMapping : kFaithfulMapping;
}

} // namespace

DataTypeWindow::DataTypeWindow(Prompter& prompter, CustomizeRequest request, QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_request(std::move(request)),
      m_pointer(new WindowPointer(this))
{
    setFont(QFont(QStringLiteral("Arial"), 9));
    setWindowTitle(QStringLiteral("Data Type Customization"));
    setModal(true);
    createControls();
    connect(fieldList, &QListWidget::itemClicked, this, [this] { onFieldClicked(); });
    connect(typeList, &QListWidget::itemClicked, this, [this] { onTypeClicked(); });
    // Arrows, Home, End, the page keys and typing select as a click does.
    for (QListWidget* list : {fieldList, typeList})
        connect(list, &QListWidget::itemSelectionChanged, this, [this, list] {
            if (const QList<QListWidgetItem*> chosen = list->selectedItems(); !chosen.isEmpty())
                selectRow(list->row(chosen.first()));
        });
    connect(changeButton, &QPushButton::clicked, this, [this] { onChange(); });
    connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
    connect(helpButton, &QPushButton::clicked, this, [this] { onHelp(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
    for (QPushButton* b : {changeButton, okButton, helpButton, cancelButton})
        m_pointer->attachButton(b);
    for (QWidget* w : std::initializer_list<QWidget*>{this, fieldFrame, typeFrame, changeFrame,
                                                      spacerLabel, fieldList, typeList, typeEdit})
        m_pointer->attachSurface(w);
}

DataTypeWindow::~DataTypeWindow() = default;

void DataTypeWindow::createControls()
{
    auto listFrame = [this](const QString& title, QListWidget*& list) {
        auto* frame = new QGroupBox(title, this);
        list = new QListWidget(frame);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        // The chosen row stays marked while another control has the focus, and the list
        // with the focus has a frame of the selection's colour.
        QPalette colours = list->palette();
        for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
            colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
        list->setPalette(colours);
        list->setObjectName(QStringLiteral("typeWindowList"));
        list->setStyleSheet(QStringLiteral(
            "QListWidget#typeWindowList { border: 1px solid palette(mid); padding: 1px; }"
            "QListWidget#typeWindowList:focus { border: 2px solid palette(highlight); "
            "padding: 0px; }"));
        auto* l = new QVBoxLayout(frame);
        l->addWidget(list);
        return frame;
    };
    fieldFrame = listFrame(QStringLiteral("Fields"), fieldList);
    typeFrame = listFrame(QStringLiteral("Data Type"), typeList);
    changeFrame = new QGroupBox(QStringLiteral("Change selected data type to"), this);
    typeEdit = new QLineEdit(changeFrame);
    changeButton = new QPushButton(QStringLiteral("Change"), changeFrame);
    auto* change = new QHBoxLayout(changeFrame);
    change->addWidget(typeEdit, 1);
    change->addWidget(changeButton);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    helpButton = new QPushButton(QStringLiteral("Help"), this);
    spacerLabel = new QLabel(this);

    auto* lists = new QHBoxLayout;
    lists->addWidget(fieldFrame);
    lists->addWidget(typeFrame);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(spacerLabel, 1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(helpButton);
    createCodePageControls();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(changeFrame);
    layout->addWidget(codePageFrame);
    layout->addLayout(buttons);
    resize(520, 420);
}

const QString kLoadProcedure = QStringLiteral("Form_Load");

void DataTypeWindow::load()
{
    ErrorTrap trap(m_prompter, kModule, kLoadProcedure);
    fieldList->clear();
    typeList->clear();
    typeEdit->clear();
    m_unloaded = false;
    m_outcome.reset();
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
    trap.step(106, [&] { fillProposals(); });
    fillCodePages();
}

void DataTypeWindow::createCodePageControls()
{
    codePageFrame = new QGroupBox(QStringLiteral("Code page"), this);
    codePageBox = new QComboBox(codePageFrame);
    previewList = new QListWidget(codePageFrame);
    previewList->setSelectionMode(QAbstractItemView::NoSelection);
    previewList->setMaximumHeight(110);
    auto* l = new QVBoxLayout(codePageFrame);
    l->addWidget(codePageBox);
    l->addWidget(previewList);
    connect(codePageBox, &QComboBox::currentIndexChanged, this, [this] { showPreview(); });
    resize(520, 560);
}

void DataTypeWindow::fillCodePages()
{
    const QSignalBlocker quiet(codePageBox);
    codePageBox->clear();
    codePageBox->addItem(m_request.target == kSqlServerTarget
                             ? QStringLiteral("As the table's header names it")
                             : QStringLiteral("The first that holds the rows (1252 first)"),
                         0);
    for (const CodePageEntry& e : codePageEntries())
        codePageBox->addItem(e.title, e.codePage);
    const int at = codePageBox->findData(m_request.codePage);
    codePageBox->setCurrentIndex(at < 0 ? 0 : at);
    showPreview();
}

int DataTypeWindow::chosenCodePage() const { return codePageBox->currentData().toInt(); }

void DataTypeWindow::showPreview()
{
    previewList->clear();
    QStringList lines;
    try {
        lines = previewTextValues(m_request.target, m_request.sourceConnectionString,
                                  m_request.tableName, chosenCodePage());
    } catch (const std::exception& e) {
        lines << QStringLiteral("(the values cannot be read: %1)").arg(QString::fromUtf8(e.what()));
    }
    if (lines.isEmpty())
        lines << QStringLiteral("(no text values)");
    previewList->addItems(lines);
}

void DataTypeWindow::fillProposals()
{
    QStringList names, types;
    // The rows derived before a failure stay in the lists.
    const auto fill = [&] {
        fieldList->addItems(names);
        typeList->addItems(types);
    };
    if (!m_request.proposedTypes.isEmpty()) {
        names = m_request.fieldNames;
        types = m_request.proposedTypes;
        if (!m_request.key.isEmpty()) {
            names << kPrimaryKeyRow;
            types << u'(' + m_request.key.join(QStringLiteral(", ")) + u')';
        }
        fill();
        return;
    }
    try {
        if (m_request.target == kParadoxTarget)
            deriveParadoxTypes(m_request.sourceConnectionString, m_request.tableName, names, types);
        else if (m_request.target == kSqlServerTarget)
            deriveSqlServerTypes(m_request.sourceConnectionString, m_request.tableName, names,
                                 types);
    } catch (...) {
        fill();
        throw;
    }
    fill();
}

void DataTypeWindow::selectRow(int row)
{
    fieldList->setCurrentRow(row);
    typeList->setCurrentRow(row);
    if (QListWidgetItem* type = typeList->item(row))
        typeEdit->setText(type->text());
}

void DataTypeWindow::onFieldClicked()
{
    if (fieldList->count() > 0)
        selectRow(fieldList->currentRow());
}

void DataTypeWindow::onTypeClicked()
{
    if (typeList->count() > 0)
        selectRow(typeList->currentRow());
}

const QString kChangeProcedure = QStringLiteral("PushButton1_Click");

void DataTypeWindow::onChange()
{
    ErrorTrap trap(m_prompter, kModule, kChangeProcedure);
    const QString text = typeEdit->text();
    // The key row holds column names, which the statement's key checks.
    const QListWidgetItem* field = fieldList->item(typeList->currentRow());
    const bool keyRow = !m_request.key.isEmpty() && field && field->text() == kPrimaryKeyRow &&
                        typeList->currentRow() == typeList->count() - 1;
    if (!keyRow) {
        if (const QString refusal = typeRefusal(text); !refusal.isEmpty()) {
            m_prompter.message(refusal, appTitle());
            return;
        }
    }
    trap.step(102, [&] {
        QListWidgetItem* row = typeList->item(typeList->currentRow());
        if (!row || !row->isSelected())
            throw std::runtime_error("Invalid procedure call or argument");
        row->setText(text);
    });
    m_changed = true;
}

const QString kOkProcedure = QStringLiteral("PushButton2_Click");

void DataTypeWindow::onOk()
{
    ErrorTrap trap(m_prompter, kModule, kOkProcedure);
    // A failed apply hands back the head, which the transfer completes with its own mapping.
    CustomizeResult outcome{m_request.head, {}, {}};
    QStringList names = fieldNames();
    QStringList types = chosenTypes();
    // The key row goes into the statement as its key, not as a column.
    if (!m_request.key.isEmpty() && names.size() == types.size() && !names.isEmpty() &&
        names.last() == kPrimaryKeyRow) {
        names.removeLast();
        QString key = types.takeLast().trimmed();
        if (key.startsWith(u'(') && key.endsWith(u')'))
            key = key.mid(1, key.size() - 2);
        for (const QString& column : key.split(u',', Qt::SkipEmptyParts))
            if (!column.trimmed().isEmpty())
                outcome.key << column.trimmed();
    }
    trap.step(100, [&] {
        const AppliedTypes applied = applyDataTypes(m_request.target, m_request.head, names, types);
        outcome.statement = applied.statement;
        if (!outcome.key.isEmpty()) {
            QStringList quoted;
            for (const QString& column : std::as_const(outcome.key))
                quoted << bracketName(column);
            outcome.statement.chop(1); // ")"
            outcome.statement +=
                QStringLiteral(", PRIMARY KEY (") + quoted.join(u',') + QStringLiteral("))");
        }
        outcome.columnNames.assign(applied.columns.begin(), applied.columns.end());
    });
    outcome.columnTypes.assign(types.begin(), types.end());
    outcome.codePage = chosenCodePage();
    m_changed = false;
    m_outcome = std::move(outcome);
    unload();
}

const QString kHelpProcedure = QStringLiteral("PushButton3_Click");

void DataTypeWindow::onHelp()
{
    ErrorTrap trap(m_prompter, kModule, kHelpProcedure);
    trap.step(100, [&] {
        if (m_request.target == kSqlServerTarget || m_request.target == kParadoxTarget)
            m_prompter.openUrl(QUrl::fromLocalFile(applicationFolder() + u'/' +
                                                   dataTypeHelpFile(typeTarget(m_request))));
    });
}

void DataTypeWindow::onCancel() { unload(); }

const QString kCloseProcedure = QStringLiteral("Form_QueryUnload");

bool DataTypeWindow::confirmClose()
{
    if (!m_changed || stopRequested())
        return true;
    bool leave = true;
    ErrorTrap trap(m_prompter, kModule, kCloseProcedure);
    trap.step(100, [&] { leave = m_prompter.question(kCloseQuestion, appTitle()); });
    return leave;
}

bool DataTypeWindow::unload()
{
    if (!confirmClose())
        return false;
    m_unloaded = true;
    if (isVisible())
        done(QDialog::Rejected); // ends the modal showing
    return true;
}

void DataTypeWindow::closeEvent(QCloseEvent* event)
{
    if (m_unloaded || unload())
        event->accept();
    else
        event->ignore();
}

void DataTypeWindow::reject()
{
    // Escape asks like the close box.
    unload();
}

QString DataTypeWindow::typeRefusal(const QString& text) const
{
    const TypeTarget target = typeTarget(m_request);
    const TypeMappings mapping = typeMapping(m_request);
    const QString problem = dataTypeProblem(target, mapping, text);
    if (problem.isEmpty())
        return {};
    QString refusal = QStringLiteral("Invalid datatype.\r\n") + problem +
                      QStringLiteral("\r\n\r\nThe types allowed here:\r\n") +
                      allowedDataTypeForms(target, mapping).join(QStringLiteral(", "));
    if (target == TypeTarget::SqlServer)
        refusal += mapping == kFaithfulMapping
                       ? QStringLiteral("\r\nEach may be followed by NOT NULL or NULL, a whole "
                                        "number type by IDENTITY.")
                       : QStringLiteral("\r\nEach may be followed by NOT NULL or NULL.");
    return refusal;
}

QStringList DataTypeWindow::fieldNames() const
{
    QStringList names;
    for (int i = 0; i < fieldList->count(); ++i)
        names << fieldList->item(i)->text();
    return names;
}

QStringList DataTypeWindow::chosenTypes() const
{
    QStringList types;
    for (int i = 0; i < typeList->count(); ++i)
        types << typeList->item(i)->text();
    return types;
}

} // namespace tabulex
