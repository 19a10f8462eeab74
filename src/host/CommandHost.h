#pragma once

#include "core/AppInfo.h"
#include "host/Prompter.h"

#include <QString>

namespace tabulex {

// The rows of the table being copied.
struct RowProgress {
    QString table;         // the target table
    qint64 done = 0;       // rows written or refused so far
    qint64 total = 0;      // rows of the source
    qint64 failed = 0;     // rows refused
    bool finished = false; // the copy of this table has ended
    bool complete = true;  // ... and not by a failure before the source's end
};

// What a long command of the table window needs from its front end: the prompter, the
// pointer, the progress bar and a chance to let pending window events run. The window and
// the command-line program each provide one.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual Prompter& prompter() = 0;
    // The hourglass while true, the default pointer after.
    virtual void setWaitPointer(bool wait) = 0;
    // Lets pending window events run, at a rate the host bounds by time: it skips calls that
    // come too close together. The engine asks once per row and at the steps of a table, and
    // nowhere else lets events run.
    virtual void processEvents() = 0;
    // The progress bar's percentage and its text.
    virtual void setProgress(int percent) = 0;
    virtual void setProgressText(const QString& text) = 0;
    // Rows done of the table being copied: once before the first row, after every row and
    // once at the end. The window shows the percentage only and ignores it.
    virtual void setRowProgress(const RowProgress&) {}
    // The next table of the run begins: its place among the tables selected (from 1).
    virtual void tableStarting(int /*number*/, int /*count*/) {}
    // The table that took its name is read back to verify it.
    virtual void tableVerifying(const QString& /*table*/) {}
    // The table whose rows were copied last took its name on the target (`sent`), or did not.
    virtual void tableEnded(bool /*sent*/) {}
    // A message at the end of a table (rows that failed, values rounded): a message box in
    // the window, a line of its own on the command line.
    virtual void tableMessage(const QString& text) { prompter().message(text, appTitle()); }
};

} // namespace tabulex
