#pragma once

#include "connect/ConnectionStrings.h"
#include "connect/ParadoxFolder.h"
#include "connect/SqlServerLogin.h"
#include "settings/StoredPassword.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tabulex {

class ErrorTrap;
class Prompter;
class TableWindow;
class WindowPointer;

// The connection window: the Paradox folder and the SQL Server login, each bound to its key
// in the settings store, with their tests. It lives for the whole run; every command of
// every window reads its fields at the moment it runs. Closing it ends the program.
class ConnectionWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionWindow(Prompter& prompter, QWidget* parent = nullptr);
    ~ConnectionWindow() override;

    QGroupBox* paradoxFrame;
    QLabel* folderLabel;
    QLineEdit* folderEdit;
    QPushButton* browseButton;
    QPushButton* testParadoxFolderButton;
    QPushButton* loadSampleButton;
    QGroupBox* loginFrame;
    QLabel* serverLabel;
    QLineEdit* serverEdit;
    QLabel* portLabel;
    QLineEdit* portEdit;
    QLabel* userLabel;
    QLineEdit* userEdit;
    QLabel* passwordLabel;
    QLineEdit* passwordEdit;
    QLabel* databaseLabel;
    QLineEdit* databaseEdit;
    QCheckBox* localConnectionCheck;
    QPushButton* testSqlConnectionButton;
    QPushButton* helpButton;
    QPushButton* nextButton;
    QPushButton* aboutButton;

    // The fields as they stand now.
    ConnectionFields fields() const;
    QString sqlConnectionString() const;
    QString paradoxConnectionString() const;

    WindowPointer& pointer() { return *m_pointer; }
    // The table window; nullptr until the first "Next >" loads it.
    TableWindow* tableWindow() const { return m_tableWindow.get(); }

    // Start-up: look, caption, icon, application title, hand cursor, stored values, and the
    // automatic advance to the table window when the stored connections work; the window is
    // on screen with the stored values while the advance tests them.
    void load();
    // Ends the program: the running command is asked to stop and unloaded is emitted.
    void unload();
    // Shown where other is ("< Back" from the table window).
    void showInPlaceOf(const QWidget& other);
    // Stores where the window is now.
    void rememberPlace();

    // How to check the login elsewhere, and the picture of a local connection on request.
    void onHelp();
    // The program's name, version and what it is for.
    void onAbout();
    // Both connections tested, then the table window filled and shown in place of this one.
    void onNext();
    // Tells whether the folder holds tables.
    void onTestParadoxFolder();
    // The sample folder beside the program.
    void onLoadSample();
    // The folder picker, starting at the stored last folder.
    void onBrowse();
    // Tells whether the login works.
    void onTestSqlConnection();

    // Each stores its box's text under its key.
    void onFolderChanged();
    void onServerChanged();
    void onUserChanged();
    void onPasswordChanged();
    void onDatabaseChanged();
    void onPortChanged();
    void onLocalConnectionClicked();

signals:
    // The window was closed: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A text box that gets the focus selects its whole text, so that typing replaces it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void arrangeControls();
    void connectHandlers();
    void attachPointer();
    void loadHandCursor();
    QList<QLineEdit*> lineEdits() const;
    QList<QWidget*> commandButtons() const;
    // "Next >" when both stored connections work.
    void advance();
    TableWindow& loadTableWindow();
    // What a test found, with the reason; on a failure the box to mend gets the focus.
    void tellFolderCheck(const FolderCheck& check);
    void tellLoginCheck(const LoginCheck& check);
    void mend(QLineEdit* box);
    // The product title, then the database, server and folder.
    void updateTitle();
    void fillTableWindow(TableWindow& window, ErrorTrap& trap);

    Prompter& m_prompter;
    WindowPointer* m_pointer;
    // The password box's value: in the desktop's secret store where one runs.
    StoredPassword m_password{desktopSecretStore()};
    std::unique_ptr<TableWindow> m_tableWindow;
};

} // namespace tabulex
