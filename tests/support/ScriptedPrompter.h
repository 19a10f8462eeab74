#pragma once

#include "host/Prompter.h"
#include "ui/datatype/DataTypeWindow.h"

#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <vector>

namespace tabulex::test {

// A Prompter for tests: answers come from queues, every prompt is recorded in order.
// A prompt without a queued answer fails the running test.
class ScriptedPrompter : public Prompter {
public:
    enum class Kind {
        Message,
        Question,
        Input,
        Folder,
        ErrorReport,
        RowErrorReport, // an error report with the check box for the table's row errors
        OpenUrl,
        DataTypeWindow,
        Results
    };
    struct Prompt {
        Kind kind;
        QString text;
        QString title;
        // input box default, folder picker start folder, a message's details, "No" for a
        // question whose default button is No
        QString defaultText;
    };

    std::deque<bool> questionAnswers;
    std::deque<QString> inputAnswers;
    std::deque<QString> folderAnswers;
    // Whether the check box of each row error report is ticked; unticked once none is left.
    std::deque<bool> rowErrorTicks;
    // Runs for each opening of the data type window, in order, against a real window built
    // and loaded for the request.
    std::deque<std::function<void(DataTypeWindow&)>> dataTypeWindowActions;

    std::vector<Prompt> prompts;
    std::vector<QUrl> openedUrls;
    std::vector<CustomizeRequest> customizeRequests; // every data type window's request
    std::vector<RunResults> results;                 // every results window's table

    void message(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    bool questionDefaultNo(const QString& text, const QString& title) override;
    void messageWithDetails(const QString& text, const QString& details,
                            const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QString browseFolder(const QString& title, const QString& startFolder) override;
    void errorReport(const QString& text) override;
    bool rowErrorReport(const QString& text) override;
    void openUrl(const QUrl& url) override;
    void showResults(const RunResults& r) override;
    std::optional<CustomizeResult> customizeTypes(const CustomizeRequest& request) override;

    // The prompts of one kind, in order.
    std::vector<Prompt> of(Kind kind) const;
    // The texts of every error report so far, row error reports included.
    std::vector<QString> errorReports() const;
    void clear()
    {
        prompts.clear();
        openedUrls.clear();
        customizeRequests.clear();
        results.clear();
    }
};

} // namespace tabulex::test
