#pragma once

#include "host/CommandHost.h"

#include <QElapsedTimer>

namespace tabulex::batch {

class Console;

// The command host of tabulex-batch: no pointer and no window events; the rows of each
// table as a bar redrawn at most ten times a second on a terminal, or as one line when a
// table starts and one when it ends.
class BatchHost : public CommandHost {
public:
    BatchHost(Console& console, Prompter& prompter);

    Prompter& prompter() override { return m_prompter; }
    void setWaitPointer(bool) override {}
    void processEvents() override {}
    void setProgress(int) override {}
    void setProgressText(const QString&) override {}
    void setRowProgress(const RowProgress& progress) override;

private:
    void drawBar(const RowProgress& progress);

    Console& m_console;
    Prompter& m_prompter;
    QElapsedTimer m_table;     // since the table started
    QElapsedTimer m_sinceDraw; // since the bar was last drawn
};

// "1,234,567": a count with thousands separators.
QString countText(qint64 n);
// "ORDERS [#####.....] 500/1,000 rows 250 rows/s", cut to the width.
QString barText(const RowProgress& progress, double seconds, int width);

} // namespace tabulex::batch
