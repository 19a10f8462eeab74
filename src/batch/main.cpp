// tabulex-batch: the transfers, deletes and renames of the table window from the command
// line, over the same engine.
#include "batch/BatchOptions.h"
#include "batch/BatchRun.h"
#include "batch/ConnectionValues.h"
#include "batch/Console.h"
#include "batch/StopSignals.h"
#include "core/AppInfo.h"
#include "data/Connection.h"

#include <QCoreApplication>

using namespace tabulex;
using namespace tabulex::batch;

namespace {

int usage(Console& console, const QString& message)
{
    console.line(QStringLiteral("tabulex-batch: ") + message);
    console.line(QStringLiteral("Try 'tabulex-batch --help'."));
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    disableCoreDumps();
    catchStopSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tabulex-batch"));
    setAppTitle();
    Console console;
    try {
        const BatchOptions options = parseArguments(QCoreApplication::arguments().mid(1));
        if (options.command == Command::Help) {
            console.result(helpText());
            return kExitSuccess;
        }
        if (options.command == Command::Version) {
            console.result(QStringLiteral("tabulex-batch ") + programVersion());
            return kExitSuccess;
        }
        Connection::overrideTimeouts(options.timeout);
        BatchRun run(options, connectionFields(options), console);
        return run.run();
    } catch (const UsageError& e) {
        return usage(console, e.message());
    }
}
