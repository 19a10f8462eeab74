#include "batch/BatchPrompter.h"

#include "batch/Console.h"
#include "batch/StopSignals.h"
#include "folders/TableLocks.h"
#include "host/ErrorReport.h"

namespace tabulex::batch {

BatchPrompter::BatchPrompter(Console& console, Answer overwrite, Answer cut, QString newName,
                             bool ignoreStaleLocks)
    : m_console(console), m_overwrite(overwrite), m_cut(cut), m_newName(std::move(newName)),
      m_ignoreStaleLocks(ignoreStaleLocks)
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
    const Answer answer = cut ? m_cut : title == kOverwriteTitle ? m_overwrite : Answer::Ask;
    const QString flag = cut ? QStringLiteral("--cut") : QStringLiteral("--overwrite");
    bool yes = false;
    if (stopSignal()) {
        // Stopping: no table is started, replaced or renamed any more.
        m_console.line(title + u' ' + text + QStringLiteral(" no: stopping on ") +
                       QLatin1String(stopSignalName()));
    } else if (answer == Answer::Yes || answer == Answer::No) {
        yes = answer == Answer::Yes;
        m_console.line(title + u' ' + text + u' ' + (yes ? "yes" : "no") +
                       QStringLiteral(" (%1 %2)").arg(flag, yes ? "yes" : "no"));
    } else if (m_console.inputIsTerminal()) {
        yes = m_console.ask(title + u' ' + text);
    } else {
        m_unanswerable = true;
        m_console.line(title + u' ' + text +
                       QStringLiteral(" no: standard input is not a terminal to ask on; give "
                                      "%1 yes or %1 no")
                           .arg(flag));
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

void BatchPrompter::openUrl(const QUrl& url) { m_console.line(url.toDisplayString()); }

std::optional<CustomizeResult> BatchPrompter::customizeTypes(const CustomizeRequest& request)
{
    return CustomizeResult{request.head, {}, {}};
}

} // namespace tabulex::batch
