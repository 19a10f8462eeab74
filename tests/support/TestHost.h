#pragma once

#include "ScriptedPrompter.h"
#include "host/CommandHost.h"

#include <QString>

#include <vector>

namespace tabulex::test {

// A CommandHost for engine tests: the scripted prompter, and a record of the pointer and the
// progress bar.
class TestHost : public CommandHost {
public:
    ScriptedPrompter prompts;
    bool waitPointer = false;
    std::vector<bool> waitChanges; // every change: true hourglass, false default
    std::vector<int> progress;     // every value set, in order
    QString progressText = QStringLiteral("Progress Bar");
    int eventsProcessed = 0;

    Prompter& prompter() override { return prompts; }
    void setWaitPointer(bool wait) override
    {
        waitPointer = wait;
        waitChanges.push_back(wait);
    }
    // True when the pointer is back to the default (or was never changed).
    bool pointerIsDefault() const { return !waitPointer; }
    void processEvents() override { ++eventsProcessed; }
    void setProgress(int percent) override { progress.push_back(percent); }
    void setProgressText(const QString& text) override { progressText = text; }
};

} // namespace tabulex::test
