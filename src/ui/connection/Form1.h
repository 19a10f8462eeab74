#pragma once

#include "connect/ConnectionStrings.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tabulex {

class ErrorTrap;
class Form2;
class Prompter;
class WindowPointer;

// The connection window: the Paradox folder and the SQL Server login, each bound to its key
// in the settings store, with their tests. It lives for the whole run; every command of
// every window reads its fields at the moment it runs. Closing it ends the program.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Prompter& prompter, QWidget* parent = nullptr);
    ~Form1() override;

    QGroupBox* Frame1;        // "Paradox Database"
    QGroupBox* Frame2;        // "MS SQL Server Login"
    QLabel* Label1;           // "Server:"
    QLabel* Label2;           // "Paradox Folder:"
    QLabel* Label3;           // "Database:"
    QLabel* Label4;           // "Username:"
    QLabel* Label5;           // "Password:"
    QLabel* Label10;          // "Port:"
    QLineEdit* Text1;         // Paradox folder
    QLineEdit* Text2;         // server
    QLineEdit* Text3;         // user name
    QLineEdit* Text4;         // password
    QLineEdit* Text5;         // database
    QLineEdit* Text6;         // port
    QCheckBox* Check4;        // "Local Connection"
    QPushButton* PushButton1; // "Help"
    QPushButton* PushButton2; // "Next >"
    QPushButton* PushButton3; // "Test Connection" of the Paradox folder
    QPushButton* PushButton4; // "Load Sample/Example Database"
    QPushButton* PushButton5; // "..."
    QPushButton* PushButton6; // "Test Connection" of the SQL Server login

    // The fields as they stand now.
    ConnectionFields fields() const;
    QString sqlConnectionString() const;
    QString paradoxConnectionString() const;

    WindowPointer& pointer() { return *m_pointer; }
    // The table window; nullptr until the first "Next >" loads it.
    Form2* tableWindow() const { return m_form2.get(); }

    // Start-up: look, caption, icon, application title, hand cursor, stored values, and the
    // automatic advance to the table window when the stored connections work.
    void Form_Load();
    // Ends the program (emits unloaded).
    void Form_Unload();

    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();

    // Each stores its box's text under its key.
    void Text1_Change();
    void Text2_Change();
    void Text3_Change();
    void Text4_Change();
    void Text5_Change();
    void Text6_Change();
    void Check4_Click();

    // Each selects its box's whole text, so that typing replaces it.
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text4_GotFocus();
    void Text5_GotFocus();
    void Text6_GotFocus();

signals:
    // The window was closed: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void arrangeControls();
    void connectHandlers();
    void attachPointer();
    void loadHandCursor();
    Form2& loadTableWindow();
    void fillTableWindow(Form2& form2, ErrorTrap& trap);

    Prompter& m_prompter;
    WindowPointer* m_pointer;
    std::unique_ptr<Form2> m_form2;
};

} // namespace tabulex
