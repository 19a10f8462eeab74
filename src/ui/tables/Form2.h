#pragma once

#include "transfer/Transfers.h"

#include "host/CommandHost.h"
#include "connect/ConnectionStrings.h"
#include "ui/common/CommandGuard.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tabulex {

class ListBoxTableList;
class TableList;
class WindowPointer;

// The table window: the SQL Server tables on the left, the Paradox tables on the right,
// with the commands of each side. It reads the connection window's fields at the moment a
// command runs, and hands its commands the prompter, the pointer, the progress bar and a
// rate-limited event pump. Closing it ends the program.
class Form2 : public QWidget, public CommandHost {
    Q_OBJECT
public:
    Form2(Prompter& prompter, std::function<ConnectionFields()> fields, QWidget& connectionWindow,
          QWidget* parent = nullptr);
    ~Form2() override;

    QGroupBox* Frame1;         // "MS SQL Server Tables"
    QListWidget* List1;        // SQL Server tables
    QPushButton* PushButton10; // "Select All"
    QPushButton* PushButton11; // "Deselect All"
    QPushButton* PushButton3;  // "Send Table/s To Paradox"
    QCheckBox* Check15;        // "Send with data type customization"
    QPushButton* PushButton1;  // "Delete Table/s"
    QPushButton* PushButton6;  // "Rename Table"
    QGroupBox* Frame2;         // "Paradox Tables"
    QListWidget* List2;        // Paradox tables
    QPushButton* PushButton8;  // "Select All"
    QPushButton* PushButton9;  // "Deselect All"
    QPushButton* PushButton4;  // "Send Table/s To SQL Server"
    QCheckBox* Check16;        // "Send with data type customization"
    QPushButton* PushButton5;  // "Delete Table/s"
    QPushButton* PushButton7;  // "Rename Table"
    QProgressBar* ProgressBar1;
    QPushButton* PushButton2;  // "< Back"
    QPushButton* PushButton12; // "Help"

    // List1 and List2 as table lists.
    TableList& sqlTables();
    TableList& paradoxTables();
    WindowPointer& pointer() { return *m_pointer; }

    // Disables the command buttons, check boxes and lists while the result lives.
    CommandGuard commandGuard();

    // Look, icon, hand cursor, caption and height.
    void Form_Load();
    // Ends the program (emits unloaded).
    void Form_Unload();

    void Check15_Click();
    void Check16_Click();
    void PushButton1_Click();  // delete SQL Server tables
    void PushButton2_Click();  // "< Back"
    void PushButton3_Click();  // send to Paradox
    void PushButton4_Click();  // send to SQL Server
    void PushButton5_Click();  // delete Paradox tables
    void PushButton6_Click();  // rename a SQL Server table
    void PushButton7_Click();  // rename a Paradox table
    void PushButton8_Click();  // select all Paradox tables
    void PushButton9_Click();  // deselect all Paradox tables
    void PushButton10_Click(); // select all SQL Server tables
    void PushButton11_Click(); // deselect all SQL Server tables
    void PushButton12_Click(); // "Help"

    Prompter& prompter() override { return m_prompter; }
    void setWaitPointer(bool wait) override;
    // At most once every 10 ms.
    void processEvents() override;
    void setProgress(int percent) override;
    void setProgressText(const QString& text) override;

signals:
    // The window was closed: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QGroupBox* createSide(const QString& title, QListWidget*& list, QPushButton*& selectAll,
                          QPushButton*& deselectAll, QPushButton*& send, QCheckBox*& customize,
                          QPushButton*& remove, QPushButton*& rename);
    void arrangeControls();
    void connectHandlers();
    void attachPointer();
    void loadHandCursor();
    void setHeightBelowBack();
    QString folder() const;
    QString sqlConnectionString() const;
    // What the send commands read from this window and the connection window.
    TransferContext transferContext();

    Prompter& m_prompter;
    std::function<ConnectionFields()> m_fields;
    QWidget& m_connectionWindow;
    WindowPointer* m_pointer;
    std::unique_ptr<ListBoxTableList> m_sqlTables;
    std::unique_ptr<ListBoxTableList> m_paradoxTables;
    QElapsedTimer m_sinceEvents;
};

} // namespace tabulex
