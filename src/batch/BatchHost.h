#pragma once

#include "host/CommandHost.h"

#include <QElapsedTimer>

namespace tabulex::batch {

class Console;

// The command host of tabulex-batch: no pointer and no window events; the rows of each
// table as a bar redrawn at most ten times a second on a terminal, or as one line when a
// table starts and one when it ends, once it is known whether it was sent. Once SIGINT or SIGTERM
// came, the next row (or a table's first) throws RunStopped instead.
class BatchHost : public CommandHost {
public:
    BatchHost(Console& console, Prompter& prompter);

    Prompter& prompter() override { return m_prompter; }
    void setWaitPointer(bool) override {}
    void processEvents() override {}
    void setProgress(int) override {}
    void setProgressText(const QString&) override {}
    void setRowProgress(const RowProgress& progress) override;
    void tableStarting(int number, int count) override
    {
        m_number = number;
        m_count = count;
    }
    // The table's end line: "copied" only for a table that was sent.
    void tableEnded(bool sent) override;
    // "T: verifying" on a terminal's status line.
    void tableVerifying(const QString& table) override;
    // A line on standard error.
    void tableMessage(const QString& text) override;

    // The rows of the table copied last (or being copied), and of the tables sent before.
    const RowProgress& lastTable() const { return m_last; }
    int tablesCopied() const { return m_tablesCopied; }
    qint64 rowsCopied() const { return m_rowsCopied; }
    qint64 rowsFailed() const { return m_rowsFailed; }

private:
    void drawBar(const RowProgress& progress);

    Console& m_console;
    Prompter& m_prompter;
    QElapsedTimer m_table;     // since the table started
    QElapsedTimer m_sinceDraw; // since the bar was last drawn
    RowProgress m_last;
    bool m_ending = false;    // the last table's rows are done, its end line not yet shown
    double m_rowsSeconds = 0; // how long its rows took
    int m_number = 0;         // the table's place in the run
    int m_count = 0;
    int m_tablesCopied = 0;
    qint64 m_rowsCopied = 0;
    qint64 m_rowsFailed = 0;
};

// "2/3 ORDERS [#####.....] 500/1,000 rows 250 rows/s 0:02 left", cut to the width (the
// place only for a run of several tables); a count of rows beyond the total (a header that
// said too few) shows no total.
QString barText(const RowProgress& progress, double seconds, int width, int number = 0,
                int count = 0);

} // namespace tabulex::batch
