#include "ui/dialogs/QtPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

// Shows a message through the prompter and gives the window its box belonged to; the box is
// closed as soon as it shows.
QWidget* ownerOfMessage(QtPrompter& prompter)
{
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                owner = box->parentWidget();
                box->done(QMessageBox::Ok);
            }
        }
    });
    prompter.message(QStringLiteral("Connection successful."), QStringLiteral("Tabulex"));
    return owner;
}

} // namespace

TEST(QtPrompter, MessagesOpenOverTheModalWindowElseOverTheOwnerWindow)
{
    QtPrompter prompter;
    QWidget mainWindow;
    mainWindow.show();
    prompter.setOwnerWindow([&mainWindow] { return &mainWindow; });
    EXPECT_EQ(ownerOfMessage(prompter), &mainWindow);

    // A question asked from the data type window sits over it.
    QDialog dataTypeWindow;
    dataTypeWindow.setModal(true);
    dataTypeWindow.show();
    EXPECT_EQ(ownerOfMessage(prompter), &dataTypeWindow);
    dataTypeWindow.hide();
    EXPECT_EQ(ownerOfMessage(prompter), &mainWindow);
}

TEST(QtPrompter, ARowErrorReportOffersToQuietTheTablesFurtherRowErrors)
{
    QtPrompter prompter;
    for (const bool tick : {false, true}) {
        QString caption, title;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    title = box->windowTitle();
                    if (box->checkBox()) {
                        caption = box->checkBox()->text();
                        box->checkBox()->setChecked(tick);
                    }
                    box->done(QMessageBox::Ok);
                }
            }
        });
        EXPECT_EQ(prompter.rowErrorReport(QStringLiteral("The value ...")), tick);
        EXPECT_EQ(caption, "Do not show further row errors of this table");
        EXPECT_EQ(title, "Application Error");
    }
}
