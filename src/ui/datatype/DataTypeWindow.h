#pragma once

#include "host/CustomizeRequest.h"
#include "host/CustomizeResult.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
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
// Built for one request and shown once; OK leaves the outcome, any other way out leaves none.
class DataTypeWindow : public QDialog {
    Q_OBJECT
public:
    DataTypeWindow(Prompter& prompter, CustomizeRequest request, QWidget* parent = nullptr);
    ~DataTypeWindow() override;

    QGroupBox* fieldFrame;
    QListWidget* fieldList;
    QGroupBox* typeFrame;
    QListWidget* typeList;
    QGroupBox* changeFrame;
    QLineEdit* typeEdit;
    QPushButton* changeButton;
    QPushButton* okButton;
    QPushButton* helpButton;
    QPushButton* cancelButton;
    QLabel* spacerLabel;
    // The table's code page and the first values of its text fields as they read in it.
    QGroupBox* codePageFrame;
    QComboBox* codePageBox;
    QListWidget* previewList;

    // Colours, pointer and the proposals for the request's table: before the window shows.
    void load();
    // A click on a row of either list selects the same row in both.
    void onFieldClicked();
    void onTypeClicked();
    // Stores the typed type into the selected row, when it is a valid type.
    void onChange();
    // Completes the statement and closes the window without asking.
    void onOk();
    // The page beside the program with the types of the request's target.
    void onHelp();
    void onCancel();
    // The close question: false when the user keeps the window.
    bool confirmClose();
    // An unload request (Cancel, the close box, OK); false when the window stays.
    bool unload();
    bool isUnloaded() const { return m_unloaded; }

    // The code page chosen in the list (0: the table's own, or the one its rows choose).
    int chosenCodePage() const;
    // Shows the text values as they read in the chosen code page.
    void showPreview();

    // The chosen type of each field, in field order.
    QStringList chosenTypes() const;
    bool changed() const { return m_changed; }
    // What OK applied; nothing until then.
    const std::optional<CustomizeResult>& outcome() const { return m_outcome; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void createControls();
    void selectRow(int row);
    void fillProposals();
    void createCodePageControls();
    void fillCodePages();
    QStringList fieldNames() const;
    // Empty when the typed text is a type the target accepts, else the refusal's text.
    QString typeRefusal(const QString& text) const;

    Prompter& m_prompter;
    CustomizeRequest m_request;
    WindowPointer* m_pointer;
    std::optional<CustomizeResult> m_outcome;
    bool m_changed = false;
    bool m_unloaded = false;
};

} // namespace tabulex
