#include "batch/BatchPrompter.h"

#include "batch/Console.h"
#include "batch/StopSignals.h"
#include "folders/TableLocks.h"
#include "host/ErrorReport.h"
#include "transfer/TableDamage.h"

namespace tabulex::batch {

namespace {

// The flag that answers a question, and its two values.
struct Flag {
    QString name;
    const char* yes;
    const char* no;
};

} // namespace

BatchPrompter::BatchPrompter(Console& console, Answer overwrite, Answer cut, Answer damaged,
                             QString newName, bool ignoreStaleLocks)
    : m_console(console), m_overwrite(overwrite), m_cut(cut), m_damaged(damaged),
      m_newName(std::move(newName)), m_ignoreStaleLocks(ignoreStaleLocks)
{
}

void BatchPrompter::message(const QString& text, const QString& title)
{
    ++m_messages;
    m_console.line(title + QStringLiteral(": ") + text);
}

bool BatchPrompter::question(const QString& text, const QString& title)
{
    if (title == kStaleLockTitle) {
        // Only the flag answers it: the table is kept, a failure of the run, without it.
        const bool yes = m_ignoreStaleLocks && !stopSignal();
        m_staleLocksKept += yes ? 0 : 1;
        m_console.line(title + u' ' + text +
                       (yes ? QStringLiteral(" yes (--ignore-stale-locks)")
                            : QStringLiteral(" no: give --ignore-stale-locks to go ahead")));
        return yes;
    }
    const bool cut = title == kContinueTitle;
    const bool damaged = title == kSalvageTitle;
    const Answer answer = cut                        ? m_cut
                          : damaged                  ? m_damaged
                          : title == kOverwriteTitle ? m_overwrite
                                                     : Answer::Ask;
    const Flag flag = cut       ? Flag{QStringLiteral("--cut"), "yes", "no"}
                      : damaged ? Flag{QStringLiteral("--damaged"), "salvage", "skip"}
                                : Flag{QStringLiteral("--overwrite"), "yes", "no"};
    bool yes = false;
    if (stopSignal()) {
        // Stopping: no table is started, replaced or renamed any more.
        m_console.line(title + u' ' + text + QStringLiteral(" no: stopping on ") +
                       QLatin1String(stopSignalName()));
    } else if (answer == Answer::Yes || answer == Answer::No) {
        yes = answer == Answer::Yes;
        m_console.line(title + u' ' + text + u' ' + (yes ? "yes" : "no") +
                       QStringLiteral(" (%1 %2)").arg(flag.name, yes ? flag.yes : flag.no));
    } else if (m_console.inputIsTerminal()) {
        yes = m_console.ask(title + u' ' + text);
    } else {
        m_unanswerable = true;
        m_console.line(title + u' ' + text +
                       QStringLiteral(" no: standard input is not a terminal to ask on; give "
                                      "%1 %2 or %1 %3")
                           .arg(flag.name, QLatin1String(flag.yes), QLatin1String(flag.no)));
    }
    if (!yes)
        ++m_declined;
    return yes;
}

QString BatchPrompter::inputBox(const QString&, const QString&, const QString&)
{
    return m_newName;
}

QString BatchPrompter::browseFolder(const QString&, const QString&) { return {}; }

void BatchPrompter::errorReport(const QString& text)
{
    ++m_errorReports;
    m_console.line(kErrorReportTitle + u'\n' + text);
}

bool BatchPrompter::rowErrorReport(const QString& text)
{
    ++m_errorReports;
    if (++m_rowReports > kFullRowReports)
        return false;
    m_console.line(kErrorReportTitle + u'\n' + text);
    if (m_rowReports == kFullRowReports)
        m_console.line(QStringLiteral("Further row errors are not shown: each table's line counts "
                                      "them and its rejected-rows file keeps them."));
    return false;
}

void BatchPrompter::openUrl(const QUrl& url) { m_console.line(url.toDisplayString()); }

void BatchPrompter::showResults(const RunResults& results)
{
    m_console.line(results.title);
    m_console.line(results.headings.join(u'\t'));
    for (const QStringList& row : results.rows)
        m_console.line(row.join(u'\t'));
}

std::optional<CustomizeResult> BatchPrompter::customizeTypes(const CustomizeRequest& request)
{
    return CustomizeResult{request.head, {}, {}};
}

} // namespace tabulex::batch
