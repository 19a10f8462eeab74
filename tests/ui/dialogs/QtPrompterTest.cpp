#include "ui/dialogs/QtPrompter.h"
#include "ui/datatype/DataTypeWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
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

// A report holding a statement of a thousand rows keeps the box on the screen: its start in the
// box, the whole text under the details.
TEST(QtPrompter, ALongReportShowsItsStartAndKeepsTheWholeTextInTheDetails)
{
    QtPrompter prompter;
    const QString statement =
        QStringLiteral("INSERT INTO [T] VALUES('1')") + QStringLiteral(", ('1')").repeated(5000);
    const QString report = QStringLiteral("Connection lost\r\rsql: ") + statement;
    QString shownText, details;
    int height = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shownText = box->text();
                details = box->detailedText();
                height = box->sizeHint().height();
                box->done(QMessageBox::Ok);
            }
        }
    });
    prompter.errorReport(report);
    EXPECT_TRUE(shownText.startsWith(QStringLiteral("Connection lost\n\nsql: INSERT INTO [T]")));
    EXPECT_LT(shownText.size(), 2100);
    EXPECT_TRUE(details.endsWith(statement));
    EXPECT_LT(height, 1000);
}

// Each opening of the data type window starts where the first did, whatever the last one
// left focused: Enter never cancels the run.
TEST(QtPrompter, EveryDataTypeWindowOpensAsTheFirstDid)
{
    QtPrompter prompter;
    struct Start {
        QString focus;
        QString defaultButton;
    };
    std::vector<Start> starts;
    const auto openAndLeave = [&] {
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<DataTypeWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            Start s;
            if (QWidget* f = window->focusWidget())
                s.focus = f->metaObject()->className();
            for (QPushButton* b : window->findChildren<QPushButton*>())
                if (b->isDefault())
                    s.defaultButton = b->text();
            starts.push_back(s);
            window->cancelButton->setFocus();
            window->cancelButton->click();
        });
        EXPECT_FALSE(prompter.customizeTypes({"Other", "T", "CREATE TABLE [T](", ""}));
    };
    openAndLeave();
    openAndLeave();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].focus, starts[0].focus);
    EXPECT_EQ(starts[1].defaultButton, starts[0].defaultButton);
    EXPECT_NE(starts[1].defaultButton, "Cancel");
}

TEST(QtPrompter, HelpThatNothingOpensSaysWhereItIs)
{
    // No program on the path to open anything.
    QTemporaryDir empty;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", empty.path().toUtf8());
    QtPrompter prompter;
    const QList<QUrl> urls = {QUrl::fromLocalFile("/opt/tabulex/local-connection-example.jpg"),
                              QUrl("https://example.com/paradox/data-types.html")};
    QStringList shown;
    for (const QUrl& url : urls) {
        QTimer::singleShot(0, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        prompter.openUrl(url);
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].endsWith("/opt/tabulex/local-connection-example.jpg"));
    EXPECT_TRUE(shown[1].endsWith("https://example.com/paradox/data-types.html"));
    qputenv("PATH", path);
}
