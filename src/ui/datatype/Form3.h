#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tabulex {

class Prompter;
class WindowPointer;

// The data type window: the source table's fields beside the types they will get on the
// other side, a box to type another type, and OK to complete the CREATE TABLE statement.
// A transfer sets the public variables, shows it modally and reads mSQL and
// CustomizeCancelled once it is unloaded.
class Form3 : public QDialog {
    Q_OBJECT
public:
    // The connection strings are read at the moment the window derives its proposals.
    Form3(Prompter& prompter, std::function<QString()> sqlConnectionString,
          std::function<QString()> paradoxConnectionString, QWidget* parent = nullptr);
    ~Form3() override;

    QGroupBox* Frame1;        // "Fields"
    QListWidget* List1;       // field names
    QGroupBox* Frame2;        // "Data Type"
    QListWidget* List2;       // the target type of each field
    QGroupBox* Frame3;        // "Change selected data type to"
    QLineEdit* Text1;
    QPushButton* PushButton1; // "Change"
    QPushButton* PushButton2; // "OK"
    QPushButton* PushButton3; // "Help"
    QPushButton* PushButton4; // "Cancel"
    QLabel* Label1;

    // The hand-off with the transfer.
    QString mType;      // "Paradox" or "MSSQL": the target side
    QString mTableName; // the source table
    QString mSQL;       // the CREATE TABLE head; after OK the complete statement
    QString mNumeric;   // Paradox target: positions of "int" and "currency" types
    QStringList mOldFieldNames;
    QStringList mNewFieldNames;

    // Colours, pointer and proposals: before each showing.
    void Form_Load();
    void List1_Click();
    void List2_Click();
    void PushButton1_Click(); // "Change"
    void PushButton2_Click(); // "OK"
    void PushButton3_Click(); // "Help"
    void PushButton4_Click(); // "Cancel"
    // The close question: false when the user keeps the window.
    bool Form_QueryUnload();
    // An unload request (Cancel, the close box, OK); false when the window stays.
    bool unload();
    bool isUnloaded() const { return m_unloaded; }

    // The chosen type of each field, in field order.
    QStringList chosenTypes() const;
    // The column names of the applied statement, in field order.
    const QStringList& appliedColumns() const { return m_appliedColumns; }
    bool changed() const { return m_changed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void createControls();
    void selectRow(int row);

    Prompter& m_prompter;
    std::function<QString()> m_sqlConnectionString;
    std::function<QString()> m_paradoxConnectionString;
    WindowPointer* m_pointer;
    QStringList m_appliedColumns;
    bool m_changed = false;
    bool m_unloaded = false;
};

// The address Help opens for the Paradox field types.
inline const QString kParadoxTypesHelp =
    QStringLiteral("https://docs.microsoft.com/en-us/sql/odbc/microsoft/paradox-data-types");

} // namespace tabulex
