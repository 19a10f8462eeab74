#pragma once

#include "transfer/CopyRows.h"
#include "transfer/Mapping.h"
#include "transfer/SqlRowTarget.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace tabulex::batch {

enum class Command { Help, Version, List, Send, Delete, Rename };
enum class Side { Sql, Paradox };
// How a question of the windows is answered: on the terminal, or always Yes or No. Unset
// becomes Ask on a terminal and stays unset without one.
enum class Answer { Unset, Ask, Yes, No };

// The command line of tabulex-batch.
struct BatchOptions {
    Command command = Command::Help;
    Side side = Side::Sql; // list, delete, rename: the side; send: the target
    bool all = false;      // send every table of the source list
    QStringList names;     // send and delete: the tables; rename: the old and the new name
    Answer overwrite = Answer::Unset;
    Answer cut = Answer::Unset;
    bool ignoreStaleLocks = false;  // go ahead over a Paradox table's stale lock files
    Answer damaged = Answer::Unset; // --damaged: salvage is Yes, skip is No
    int rowsPerStatement = kDefaultRowsPerStatement; // send --to sql: rows per INSERT
    // send: failed rows after which a table fails as a whole (0: no limit)
    int maxRowErrors = kDefaultMaxRowErrors;
    Mapping mapping = Mapping::Classic; // send: --mapping classic|faithful
    // send: --code-page, the code page Paradox tables are read or written in (0: their own)
    int codePage = 0;
    bool longList = false;         // list paradox --long: code page, version, rows, key per table
    bool verify = true;            // send: --verify yes|no
    std::optional<QString> report; // send: --report FILE, the run as JSON

    // Connection values given on the command line; the others come from the settings store.
    std::optional<QString> server;
    std::optional<QString> port;
    std::optional<QString> database;
    std::optional<QString> user;
    std::optional<QString> passwordFile; // "-" is standard input
    std::optional<QString> folder;
    std::optional<bool> local;
    // --timeout: seconds every login and statement may wait, in place of the windows' own.
    std::optional<int> timeout;
};

// A command line that cannot be run; exit status 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Reads the arguments (without the program name). Throws UsageError.
BatchOptions parseArguments(const QStringList& arguments);

// The text of --help.
QString helpText();

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// Plus the signal's number: stopped by SIGINT (130) or SIGTERM (143).
inline constexpr int kExitStopped = 128;

} // namespace tabulex::batch
