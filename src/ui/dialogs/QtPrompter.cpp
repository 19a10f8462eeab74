#include "ui/dialogs/QtPrompter.h"

#include "host/ErrorReport.h"
#include "ui/datatype/Form3.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tabulex {

namespace {

QWidget* activeWindow() { return QApplication::activeWindow(); }

// The program's texts break lines with CR, CR LF or CR CR; Qt shows only LF as a break.
QString shown(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

void QtPrompter::message(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, shown(text), QMessageBox::Ok, activeWindow());
    box.exec();
}

bool QtPrompter::question(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, shown(text), QMessageBox::Yes | QMessageBox::No,
                    activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompter::inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(activeWindow(), title, shown(prompt), QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

QString QtPrompter::browseFolder(QWidget* owner, const QString& title, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(owner, title, startFolder,
                                             QFileDialog::ShowDirsOnly);
}

void QtPrompter::errorReport(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, kErrorReportTitle, shown(text), QMessageBox::Ok,
                    activeWindow());
    box.exec();
}

void QtPrompter::openUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

void QtPrompter::showDataTypeWindow(Form3& window)
{
    window.QDialog::exec();
}

} // namespace tabulex
