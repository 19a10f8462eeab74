#pragma once

#include <QString>

namespace tabulex {

class Prompter;

// What a long command of the table window needs from its front end: the prompter, the
// pointer, the progress bar and a chance to let pending window events run. The window and
// the command-line program each provide one.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual Prompter& prompter() = 0;
    // The hourglass while true, the default pointer after.
    virtual void setWaitPointer(bool wait) = 0;
    // Lets pending window events run; may skip calls that come too close together.
    virtual void processEvents() = 0;
    // The progress bar's percentage and its text.
    virtual void setProgress(int percent) = 0;
    virtual void setProgressText(const QString& text) = 0;
};

} // namespace tabulex
