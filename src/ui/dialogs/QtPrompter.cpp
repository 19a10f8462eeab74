#include "ui/dialogs/QtPrompter.h"

#include "core/AppInfo.h"
#include "core/StopRequest.h"
#include "host/ErrorReport.h"
#include "ui/datatype/DataTypeWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tabulex {

namespace {

// The program's texts break lines with CR, CR LF or CR CR; Qt shows only LF as a break.
QString shown(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// Room the window manager takes beside a title: icon, buttons and margins.
constexpr int kTitleBarExtra = 120;

// The box is at least as wide as its title needs, and a line is never broken inside a word
// (a web address, a path): the box sizes itself from its layout's minimum width, which
// spacers raise. A word wider than most of the screen may still break.
void fitBox(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!grid || !label)
        return;
    const int title = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
                          .horizontalAdvance(box.windowTitle()) +
                      kTitleBarExtra;
    grid->addItem(new QSpacerItem(title, 0), grid->rowCount(), 0, 1, grid->columnCount());
    int word = 0;
    for (const QString& line : box.text().split(u'\n')) {
        if (line.contains(QLatin1String("://"))) {
            word = qMax(word, label->fontMetrics().horizontalAdvance(line) + 2);
            continue;
        }
        for (const QString& w : line.split(u' ', Qt::SkipEmptyParts))
            word = qMax(word, label->fontMetrics().horizontalAdvance(w) + 2);
    }
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    if (screen)
        word = qMin(word, screen->availableGeometry().width() * 4 / 5);
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
    if (word > 0)
        grid->addItem(new QSpacerItem(word, 0), grid->rowCount(), column);
}

// A report longer than this (a statement of a thousand rows) shows its start in the box and
// the whole text under "Show Details...", so that the box stays on the screen.
constexpr qsizetype kLongReport = 2000;

void setReportText(QMessageBox& box, const QString& text)
{
    const QString all = shown(text);
    if (all.size() <= kLongReport) {
        box.setText(all);
        return;
    }
    box.setText(all.left(kLongReport) + QChar(0x2026));
    box.setDetailedText(all);
}

} // namespace

void QtPrompter::setOwnerWindow(std::function<QWidget*()> ownerWindow)
{
    m_ownerWindow = std::move(ownerWindow);
}

QWidget* QtPrompter::dialogOwner() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* owner = m_ownerWindow ? m_ownerWindow() : nullptr)
        return owner;
    return QApplication::activeWindow();
}

void QtPrompter::message(const QString& text, const QString& title)
{
    if (stopRequested())
        return;
    QMessageBox box(QMessageBox::NoIcon, title, shown(text), QMessageBox::Ok, dialogOwner());
    fitBox(box);
    box.exec();
}

bool QtPrompter::question(const QString& text, const QString& title)
{
    if (stopRequested())
        return false;
    QMessageBox box(QMessageBox::NoIcon, title, shown(text), QMessageBox::Yes | QMessageBox::No,
                    dialogOwner());
    box.setDefaultButton(QMessageBox::Yes);
    fitBox(box);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompter::questionDefaultNo(const QString& text, const QString& title)
{
    if (stopRequested())
        return false;
    QMessageBox box(QMessageBox::NoIcon, title, shown(text), QMessageBox::Yes | QMessageBox::No,
                    dialogOwner());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    fitBox(box);
    return box.exec() == QMessageBox::Yes;
}

void QtPrompter::messageWithDetails(const QString& text, const QString& details,
                                    const QString& title)
{
    if (stopRequested())
        return;
    QMessageBox box(QMessageBox::NoIcon, title, shown(text), QMessageBox::Ok, dialogOwner());
    if (!details.isEmpty())
        box.setDetailedText(shown(details));
    fitBox(box);
    box.exec();
}

QString QtPrompter::inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText)
{
    if (stopRequested())
        return {};
    bool ok = false;
    const QString answer = QInputDialog::getText(dialogOwner(), title, shown(prompt),
                                                 QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

QString QtPrompter::browseFolder(const QString& title, const QString& startFolder)
{
    if (stopRequested())
        return {};
    return QFileDialog::getExistingDirectory(dialogOwner(), title, startFolder,
                                             QFileDialog::ShowDirsOnly);
}

void QtPrompter::errorReport(const QString& text)
{
    if (stopRequested())
        return;
    QMessageBox box(QMessageBox::Warning, kErrorReportTitle, QString(), QMessageBox::Ok,
                    dialogOwner());
    setReportText(box, text);
    fitBox(box);
    box.exec();
}

bool QtPrompter::rowErrorReport(const QString& text)
{
    if (stopRequested())
        return false;
    QMessageBox box(QMessageBox::Warning, kErrorReportTitle, QString(), QMessageBox::Ok,
                    dialogOwner());
    setReportText(box, text);
    // The box owns the check box.
    box.setCheckBox(new QCheckBox(kQuietRowErrorsText));
    fitBox(box);
    box.exec();
    return box.checkBox()->isChecked();
}

void QtPrompter::openUrl(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return;
    // No viewer took it: the user opens it by hand.
    const QString where =
        url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    message(QStringLiteral("Nothing on this computer could open this. It is at:\r\n") + where,
            appTitle());
}

namespace {

// The selected cells (all when none is selected) as lines of tab-separated texts.
QString tableText(const QTableWidget& table)
{
    const bool all = table.selectedRanges().isEmpty();
    QStringList lines;
    QStringList heads;
    for (int c = 0; c < table.columnCount(); ++c)
        heads << table.horizontalHeaderItem(c)->text();
    if (all)
        lines << heads.join(u'\t');
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        bool any = false;
        for (int c = 0; c < table.columnCount(); ++c) {
            const QTableWidgetItem* item = table.item(r, c);
            if (all || (item && item->isSelected())) {
                cells << (item ? item->text() : QString());
                any = true;
            }
        }
        if (any)
            lines << cells.join(u'\t');
    }
    return lines.join(u'\n');
}

} // namespace

void QtPrompter::showResults(const RunResults& results)
{
    if (stopRequested())
        return;
    QDialog dialog(dialogOwner());
    dialog.setObjectName(QStringLiteral("resultsWindow"));
    dialog.setWindowTitle(results.title);
    auto* table = new QTableWidget(int(results.rows.size()), int(results.headings.size()), &dialog);
    table->setObjectName(QStringLiteral("resultsTable"));
    table->setHorizontalHeaderLabels(results.headings);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->verticalHeader()->setVisible(false);
    for (int r = 0; r < int(results.rows.size()); ++r)
        for (int c = 0; c < int(results.headings.size()); ++c) {
            auto* item = new QTableWidgetItem(results.rows[size_t(r)].value(c));
            item->setToolTip(item->text());
            table->setItem(r, c, item);
        }
    table->resizeColumnsToContents();
    for (int c = 0; c < table->columnCount(); ++c)
        table->setColumnWidth(c, std::min(table->columnWidth(c), 320));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    auto* copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
    auto* open = buttons->addButton(QStringLiteral("Open Folder of Kept Rows"),
                                    QDialogButtonBox::ActionRole);
    open->setEnabled(!results.keptFolder.isEmpty());
    const auto copyText = [table] { QApplication::clipboard()->setText(tableText(*table)); };
    QObject::connect(copy, &QPushButton::clicked, &dialog, copyText);
    auto* shortcut = new QShortcut(QKeySequence::Copy, table);
    QObject::connect(shortcut, &QShortcut::activated, &dialog, copyText);
    QObject::connect(open, &QPushButton::clicked, &dialog,
                     [this, &results] { openUrl(QUrl::fromLocalFile(results.keptFolder)); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    int width = 40;
    for (int c = 0; c < table->columnCount(); ++c)
        width += table->columnWidth(c);
    dialog.resize(std::clamp(width, 480, 1200),
                  std::clamp(120 + 30 * int(results.rows.size()), 240, 700));
    dialog.exec();
}

std::optional<CustomizeResult> QtPrompter::customizeTypes(const CustomizeRequest& request)
{
    if (stopRequested())
        return std::nullopt;
    // A fresh window for each table, without an owner window.
    DataTypeWindow window(*this, request);
    window.load();
    window.exec();
    return window.outcome();
}

} // namespace tabulex
