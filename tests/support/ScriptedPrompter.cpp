#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace tabulex::test {

void ScriptedPrompter::message(const QString& text, const QString& title)
{
    prompts.push_back({Kind::Message, text, title, {}});
}

bool ScriptedPrompter::question(const QString& text, const QString& title)
{
    prompts.push_back({Kind::Question, text, title, {}});
    if (questionAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

bool ScriptedPrompter::questionDefaultNo(const QString& text, const QString& title)
{
    const bool answer = question(text, title);
    prompts.back().defaultText = QStringLiteral("No");
    return answer;
}

void ScriptedPrompter::messageWithDetails(const QString& text, const QString& details,
                                          const QString& title)
{
    prompts.push_back({Kind::Message, text, title, details});
}

QString ScriptedPrompter::inputBox(const QString& prompt, const QString& title,
                                   const QString& defaultText)
{
    prompts.push_back({Kind::Input, prompt, title, defaultText});
    if (inputAnswers.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return {};
    }
    QString answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

QString ScriptedPrompter::browseFolder(const QString& title, const QString& startFolder)
{
    prompts.push_back({Kind::Folder, {}, title, startFolder});
    if (folderAnswers.empty()) {
        ADD_FAILURE() << "unexpected folder picker";
        return {};
    }
    QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

void ScriptedPrompter::errorReport(const QString& text)
{
    prompts.push_back({Kind::ErrorReport, text, QStringLiteral("Application Error"), {}});
}

bool ScriptedPrompter::rowErrorReport(const QString& text)
{
    prompts.push_back({Kind::RowErrorReport, text, QStringLiteral("Application Error"), {}});
    if (rowErrorTicks.empty())
        return false;
    const bool ticked = rowErrorTicks.front();
    rowErrorTicks.pop_front();
    return ticked;
}

void ScriptedPrompter::showResults(const RunResults& r)
{
    QStringList lines{r.headings.join(u'\t')};
    for (const QStringList& row : r.rows)
        lines << row.join(u'\t');
    prompts.push_back({Kind::Results, lines.join(u'\n'), r.title, r.keptFolder});
    results.push_back(r);
}

void ScriptedPrompter::openUrl(const QUrl& url)
{
    prompts.push_back({Kind::OpenUrl, url.toString(), {}, {}});
    openedUrls.push_back(url);
}

std::optional<CustomizeResult> ScriptedPrompter::customizeTypes(const CustomizeRequest& request)
{
    prompts.push_back({Kind::DataTypeWindow, {}, {}, {}});
    customizeRequests.push_back(request);
    if (dataTypeWindowActions.empty()) {
        ADD_FAILURE() << "unexpected data type window";
        return std::nullopt;
    }
    auto action = std::move(dataTypeWindowActions.front());
    dataTypeWindowActions.pop_front();
    DataTypeWindow window(*this, request);
    window.load();
    action(window);
    return window.outcome();
}

std::vector<ScriptedPrompter::Prompt> ScriptedPrompter::of(Kind kind) const
{
    std::vector<Prompt> out;
    for (const Prompt& p : prompts)
        if (p.kind == kind)
            out.push_back(p);
    return out;
}

std::vector<QString> ScriptedPrompter::errorReports() const
{
    std::vector<QString> out;
    for (const Prompt& p : prompts)
        if (p.kind == Kind::ErrorReport || p.kind == Kind::RowErrorReport)
            out.push_back(p.text);
    return out;
}

} // namespace tabulex::test
