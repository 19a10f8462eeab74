#pragma once

#include "transfer/Transfers.h"

#include "connect/ConnectionStrings.h"
#include "host/CommandHost.h"
#include "ui/common/CommandGuard.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
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
class TableWindow : public QWidget, public CommandHost {
    Q_OBJECT
public:
    TableWindow(Prompter& prompter, std::function<ConnectionFields()> fields,
                QWidget& connectionWindow, QWidget* parent = nullptr);
    ~TableWindow() override;

    QGroupBox* sqlFrame;
    QListWidget* sqlTableList;
    QPushButton* selectAllSqlTablesButton;
    QPushButton* deselectAllSqlTablesButton;
    QPushButton* sendToParadoxButton;
    QCheckBox* customizeToParadoxCheck;
    QPushButton* deleteSqlTablesButton;
    QPushButton* renameSqlTableButton;
    QGroupBox* paradoxFrame;
    QListWidget* paradoxTableList;
    QPushButton* selectAllParadoxTablesButton;
    QPushButton* deselectAllParadoxTablesButton;
    QPushButton* sendToSqlServerButton;
    QCheckBox* customizeToSqlServerCheck;
    QPushButton* deleteParadoxTablesButton;
    QPushButton* renameParadoxTableButton;
    // Both directions: the faithful mapping instead of the classic one.
    QCheckBox* faithfulMappingCheck;
    QProgressBar* progressBar;
    // Stops the running transfer; enabled only while one runs.
    QPushButton* stopButton;
    // Below the bar while rows are copied: which table of how many, rows, rate, time left.
    QLabel* progressLabel;
    QPushButton* backButton;
    QPushButton* refreshButton;
    QPushButton* helpButton;

    // The two list boxes as table lists.
    TableList& sqlTables();
    TableList& paradoxTables();
    WindowPointer& pointer() { return *m_pointer; }

    // Disables the command buttons, check boxes and lists while the result lives.
    CommandGuard commandGuard();

    // Look, icon, hand cursor, caption and height.
    void load();
    // Ends the program: the running command is asked to stop and unloaded is emitted.
    void unload();
    // Shown where other is, at the size the window had last; the title names the
    // connections as they stand.
    void showInPlaceOf(const QWidget& other);
    // True while one of the window's commands runs.
    bool commandRunning() const { return m_running > 0; }

    // Each stores its "Send with data type customization" box under its settings key.
    void onCustomizeToParadoxClicked();
    void onCustomizeToSqlServerClicked();
    // Stores the "Keep keys, autoincrement and field types" box under its settings key.
    void onFaithfulMappingClicked();
    // The selected tables to the other side, through the data type window when the side's
    // box is ticked.
    void onSendToParadox();
    void onSendToSqlServer();
    // "Delete Table/s" and "Rename Table" of each side.
    void onDeleteSqlTables();
    void onRenameSqlTable();
    void onDeleteParadoxTables();
    void onRenameParadoxTable();
    // "Select All" and "Deselect All" of each side.
    void onSelectAllSqlTables();
    void onDeselectAllSqlTables();
    void onSelectAllParadoxTables();
    void onDeselectAllParadoxTables();
    // "< Back": the connection window in place of this one.
    void onBack();
    // "Refresh" and F5: both lists read again from the server and the folder.
    void onRefresh();
    // Asks the running transfer to stop: it ends at its next row or statement as closing
    // does, and the window goes on.
    void onStop();
    // Whom to contact with questions.
    void onHelp();

    Prompter& prompter() override { return m_prompter; }
    void setWaitPointer(bool wait) override;
    // At most once every 10 ms.
    void processEvents() override;
    void setProgress(int percent) override;
    void setProgressText(const QString& text) override;
    // The progress text, at most every 250 ms.
    void setRowProgress(const RowProgress& progress) override;
    void tableStarting(int number, int count) override;
    void tableVerifying(const QString& table) override;

signals:
    // The window was closed: the program ends.
    void unloaded();

protected:
    // During a command, asks first whether to stop it.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QGroupBox* createSide(const QString& title, QListWidget*& list, QPushButton*& selectAll,
                          QPushButton*& deselectAll, QPushButton*& send, QCheckBox*& customize,
                          QPushButton*& remove, QPushButton*& rename);
    void arrangeControls();
    void connectHandlers();
    void attachPointer();
    // Every push button of the window.
    QList<QPushButton*> pushButtons() const;
    void loadHandCursor();
    void setHeightBelowBack();
    QString folder() const;
    QString sqlConnectionString() const;
    // What the send commands read from this window and the connection window.
    TransferContext transferContext();
    // A send with the Stop button enabled; a stop asked by it ends the send only.
    void runTransfer(const std::function<void()>& send);
    // The Yes/No question before a delete; true when nothing is to be deleted or on Yes.
    bool confirmDelete(TableList& list, const QString& side);
    // Stores where the window is now, and the same corner for the connection window.
    void rememberPlace();
    // The end of a send: the results window after more than one table.
    void sendEnded(const TransferSummary& summary, const QString& command);

    Prompter& m_prompter;
    std::function<ConnectionFields()> m_fields;
    QWidget& m_connectionWindow;
    WindowPointer* m_pointer;
    std::unique_ptr<ListBoxTableList> m_sqlTables;
    std::unique_ptr<ListBoxTableList> m_paradoxTables;
    QElapsedTimer m_sinceEvents;
    int m_running = 0;
    bool m_closing = false;   // the window was closed: the program ends
    bool m_stopAsked = false; // Stop was pressed during the running transfer
    bool m_placed = false;
    QElapsedTimer m_tableClock; // since the table's first row
    QElapsedTimer m_sinceLabel;
    int m_tableNumber = 0;
    int m_tableCount = 0;
};

} // namespace tabulex
