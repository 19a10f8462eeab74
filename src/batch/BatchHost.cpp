#include "batch/BatchHost.h"

#include "batch/Console.h"
#include "batch/NameEscapes.h"
#include "batch/StopSignals.h"
#include "host/ProgressText.h"

#include <algorithm>

namespace tabulex::batch {

namespace {

constexpr qint64 kRedrawIntervalMs = 100;
constexpr int kBarCells = 20;

} // namespace

QString barText(const RowProgress& p, double seconds, int width, int number, int count)
{
    const int filled =
        p.total > 0 ? int(std::min<qint64>(p.done * kBarCells / p.total, kBarCells)) : kBarCells;
    QString text = (count > 1 ? QStringLiteral("%1/%2 ").arg(number).arg(count) : QString()) +
                   escapedName(p.table) + QStringLiteral(" [") + QString(filled, u'#') +
                   QString(kBarCells - filled, u'.') + QStringLiteral("] ") +
                   (p.done > p.total ? groupedRows(p.done)
                                     : groupedCount(p.done) + u'/' + groupedRows(p.total));
    if (seconds > 0)
        text += u' ' + groupedCount(qint64(double(p.done) / seconds)) + QStringLiteral(" rows/s");
    if (p.failed > 0)
        text += u' ' + groupedCount(p.failed) + QStringLiteral(" failed");
    if (const QString left = timeLeftText(p, seconds); !left.isEmpty())
        text += u' ' + left;
    return text.left(std::max(width - 1, 0));
}

BatchHost::BatchHost(Console& console, Prompter& prompter)
    : m_console(console), m_prompter(prompter)
{
}

void BatchHost::setRowProgress(const RowProgress& p)
{
    if (stopSignal() && !p.finished) {
        m_console.clearStatus();
        throw RunStopped{};
    }
    if (!p.finished && p.done == 0 && m_ending)
        tableEnded(false);
    m_last = p;
    if (p.done == 0 && !p.finished) {
        m_table.start();
        if (m_console.errorIsTerminal())
            drawBar(p);
        else
            m_console.line(escapedName(p.table) + QStringLiteral(": copying ") +
                           groupedRows(p.total));
        return;
    }
    if (!p.finished) {
        if (m_console.errorIsTerminal() && m_sinceDraw.elapsed() >= kRedrawIntervalMs)
            drawBar(p);
        return;
    }
    m_console.clearStatus();
    m_ending = true;
    m_rowsSeconds = double(m_table.elapsed()) / 1000.0;
}

void BatchHost::tableEnded(bool sent)
{
    if (!m_ending)
        return;
    m_ending = false;
    const RowProgress& p = m_last;
    m_rowsFailed += p.failed;
    if (sent) {
        ++m_tablesCopied;
        m_rowsCopied += p.done - p.failed;
    }
    const QString rows =
        p.complete && sent ? groupedRows(p.done - p.failed) + QStringLiteral(" copied")
        : p.complete
            ? groupedRows(p.done) + QStringLiteral(" read, not sent")
            : QStringLiteral("stopped after ") + groupedRows(p.done) +
                  (p.total >= p.done ? QStringLiteral(" of ") + groupedCount(p.total) : QString());
    m_console.line(escapedName(p.table) + QStringLiteral(": ") + rows + QStringLiteral(", ") +
                   groupedRows(p.failed) + QStringLiteral(" failed, ") +
                   QString::number(m_rowsSeconds, 'f', 1) + QStringLiteral(" s"));
}

void BatchHost::tableMessage(const QString& text) { m_console.line(text); }

void BatchHost::tableVerifying(const QString& table)
{
    if (m_console.errorIsTerminal())
        m_console.status(escapedName(table) + QStringLiteral(": reading it back to verify"));
}

void BatchHost::drawBar(const RowProgress& p)
{
    m_console.status(
        barText(p, double(m_table.elapsed()) / 1000.0, m_console.columns(), m_number, m_count));
    m_sinceDraw.start();
}

} // namespace tabulex::batch
