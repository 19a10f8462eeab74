#include "batch/BatchOptions.h"

#include "batch/NameEscapes.h"

#include "paradox/CodePage.h"

#include <QCommandLineParser>

#include <map>

namespace tabulex::batch {

namespace {

const QString kTo = QStringLiteral("to");
const QString kSide = QStringLiteral("side");
const QString kAll = QStringLiteral("all");
const QString kOverwrite = QStringLiteral("overwrite");
const QString kCut = QStringLiteral("cut");
const QString kIgnoreStaleLocks = QStringLiteral("ignore-stale-locks");
const QString kDamaged = QStringLiteral("damaged");
const QString kRowsPerStatement = QStringLiteral("rows-per-statement");
const QString kMaxRowErrors = QStringLiteral("max-row-errors");
const QString kMapping = QStringLiteral("mapping");
const QString kCodePage = QStringLiteral("code-page");
const QString kLong = QStringLiteral("long");
const QString kVerify = QStringLiteral("verify");
const QString kReport = QStringLiteral("report");
const QString kServer = QStringLiteral("server");
const QString kPort = QStringLiteral("port");
const QString kLocal = QStringLiteral("local");
const QString kNoLocal = QStringLiteral("no-local");
const QString kDatabase = QStringLiteral("database");
const QString kUser = QStringLiteral("user");
const QString kPasswordFile = QStringLiteral("password-file");
const QString kFolder = QStringLiteral("folder");
const QString kTimeout = QStringLiteral("timeout");
const QString kPassword = QStringLiteral("password");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

// The options that belong to one command only; the connection options go with every one.
const std::map<QString, QList<Command>> kCommandOptions = {
    {kTo, {Command::Send}},
    {kAll, {Command::Send}},
    {kCut, {Command::Send}},
    {kDamaged, {Command::Send}},
    {kRowsPerStatement, {Command::Send}},
    {kMaxRowErrors, {Command::Send}},
    {kMapping, {Command::Send}},
    {kCodePage, {Command::Send}},
    {kLong, {Command::List}},
    {kVerify, {Command::Send}},
    {kReport, {Command::Send}},
    {kSide, {Command::Delete, Command::Rename}},
    {kOverwrite, {Command::Send, Command::Rename}},
    {kIgnoreStaleLocks, {Command::Send, Command::Delete, Command::Rename}},
};

void addOptions(QCommandLineParser& parser)
{
    for (const QString& flag : {kAll, kLocal, kNoLocal, kIgnoreStaleLocks, kLong})
        parser.addOption(QCommandLineOption(flag));
    for (const QString& valued :
         {kTo, kSide, kOverwrite, kCut, kDamaged, kRowsPerStatement, kMaxRowErrors, kMapping,
          kCodePage, kVerify, kReport, kServer, kPort, kDatabase, kUser, kPasswordFile, kFolder,
          kPassword, kTimeout})
        parser.addOption(QCommandLineOption(valued, QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), kHelp}));
    parser.addOption(QCommandLineOption(kVersion));
}

Side sideValue(const QString& option, const QString& value)
{
    if (value == QLatin1String("sql"))
        return Side::Sql;
    if (value == QLatin1String("paradox"))
        return Side::Paradox;
    throw UsageError(QStringLiteral("%1 takes sql or paradox, not \"%2\"").arg(option, value));
}

int rowsPerStatementValue(const QString& value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < 1 || n > kMaxRowsPerStatement)
        throw UsageError(QStringLiteral("--rows-per-statement takes a number from 1 to %1, not "
                                        "\"%2\"")
                             .arg(kMaxRowsPerStatement)
                             .arg(value));
    return n;
}

// A count of rows from 0 (no limit) up.
int maxRowErrorsValue(const QString& value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < 0)
        throw UsageError(QStringLiteral("--max-row-errors takes a number of rows (0: no limit), "
                                        "not \"%1\"")
                             .arg(value));
    return n;
}

Mapping mappingValue(const QString& value)
{
    if (value == QLatin1String("classic"))
        return Mapping::Classic;
    if (value == QLatin1String("faithful"))
        return Mapping::Faithful;
    throw UsageError(QStringLiteral("--mapping takes classic or faithful, not \"%1\"").arg(value));
}

// One of the code pages of the Paradox language drivers.
int codePageValue(const QString& value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    QStringList known;
    for (const int cp : paradox::paradoxCodePages()) {
        if (ok && cp == n)
            return n;
        known << QString::number(cp);
    }
    throw UsageError(QStringLiteral("--code-page takes a code page of the Paradox language "
                                    "drivers (%1), not \"%2\"")
                         .arg(known.join(QStringLiteral(", ")), value));
}

Answer answerValue(const QString& option, const QString& value)
{
    if (value == QLatin1String("ask"))
        return Answer::Ask;
    if (value == QLatin1String("yes"))
        return Answer::Yes;
    if (value == QLatin1String("no"))
        return Answer::No;
    throw UsageError(QStringLiteral("--%1 takes ask, yes or no, not \"%2\"").arg(option, value));
}

// --damaged: salvage sends what a damaged table still holds, skip leaves it as it fails.
Answer damagedValue(const QString& value)
{
    if (value == QLatin1String("ask"))
        return Answer::Ask;
    if (value == QLatin1String("salvage"))
        return Answer::Yes;
    if (value == QLatin1String("skip"))
        return Answer::No;
    throw UsageError(QStringLiteral("--damaged takes ask, salvage or skip, not \"%1\"").arg(value));
}

Command commandValue(const QString& word)
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("list"), Command::List},
        {QStringLiteral("send"), Command::Send},
        {QStringLiteral("delete"), Command::Delete},
        {QStringLiteral("rename"), Command::Rename}};
    const auto it = commands.find(word);
    if (it == commands.end())
        throw UsageError(QStringLiteral("unknown command \"%1\"").arg(word));
    return it->second;
}

// Whole seconds from 1 to a day.
int timeoutValue(const QString& value)
{
    bool ok = false;
    const int seconds = value.toInt(&ok);
    if (!ok || seconds < 1 || seconds > 86400)
        throw UsageError(
            QStringLiteral("--timeout takes whole seconds from 1 to 86400, not \"%1\"").arg(value));
    return seconds;
}

void readConnectionOptions(const QCommandLineParser& parser, BatchOptions& o)
{
    const auto valueOf = [&](const QString& name) -> std::optional<QString> {
        if (!parser.isSet(name))
            return std::nullopt;
        return parser.value(name);
    };
    o.server = valueOf(kServer);
    o.port = valueOf(kPort);
    o.database = valueOf(kDatabase);
    o.user = valueOf(kUser);
    o.passwordFile = valueOf(kPasswordFile);
    o.folder = valueOf(kFolder);
    if (parser.isSet(kLocal) && parser.isSet(kNoLocal))
        throw UsageError(QStringLiteral("--local and --no-local contradict each other"));
    if (parser.isSet(kLocal) || parser.isSet(kNoLocal))
        o.local = parser.isSet(kLocal);
    if (parser.isSet(kTimeout))
        o.timeout = timeoutValue(parser.value(kTimeout));
    if (o.passwordFile && o.passwordFile->isEmpty())
        throw UsageError(QStringLiteral("--password-file needs a file name (or - for standard "
                                        "input)"));
}

// The names after the command, for the command that takes them.
void readNames(const QCommandLineParser& parser, const QStringList& words, BatchOptions& o)
{
    for (const QString& word : words)
        o.names << unescapedName(word);
    for (const QString& name : std::as_const(o.names))
        if (name.isEmpty())
            throw UsageError(QStringLiteral("a table name cannot be empty"));
    switch (o.command) {
    case Command::Send:
        if (!parser.isSet(kTo))
            throw UsageError(QStringLiteral("send needs --to paradox or --to sql"));
        o.side = sideValue(QStringLiteral("--to"), parser.value(kTo));
        o.all = parser.isSet(kAll);
        if (o.all == !o.names.isEmpty())
            throw UsageError(QStringLiteral("send takes either --all or the names of tables"));
        break;
    case Command::Delete:
    case Command::Rename:
        if (!parser.isSet(kSide))
            throw UsageError(QStringLiteral("%1 needs --side sql or --side paradox")
                                 .arg(o.command == Command::Delete ? "delete" : "rename"));
        o.side = sideValue(QStringLiteral("--side"), parser.value(kSide));
        if (o.command == Command::Delete && o.names.isEmpty())
            throw UsageError(QStringLiteral("delete needs the names of the tables"));
        if (o.command == Command::Rename && o.names.size() != 2)
            throw UsageError(QStringLiteral("rename takes two names: the table and its new name"));
        break;
    case Command::List:
        if (o.names.size() != 1)
            throw UsageError(QStringLiteral("list takes one side: sql or paradox"));
        o.side = sideValue(QStringLiteral("list"), o.names.takeFirst());
        break;
    case Command::Help:
    case Command::Version:
        break;
    }
}

} // namespace

BatchOptions parseArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("tabulex-batch")} + arguments))
        throw UsageError(parser.errorText());
    BatchOptions o;
    if (parser.isSet(kHelp))
        return o;
    if (parser.isSet(kVersion)) {
        o.command = Command::Version;
        return o;
    }
    if (parser.isSet(kPassword))
        throw UsageError(QStringLiteral("a password is never given on the command line: use "
                                        "--password-file FILE, or --password-file - to read it "
                                        "from standard input"));
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        throw UsageError(QStringLiteral("no command given"));
    o.command = commandValue(words.takeFirst());
    for (const auto& [option, commands] : kCommandOptions)
        if (parser.isSet(option) && !commands.contains(o.command))
            throw UsageError(QStringLiteral("--%1 does not go with this command").arg(option));
    readConnectionOptions(parser, o);
    readNames(parser, words, o);
    if (parser.isSet(kOverwrite))
        o.overwrite = answerValue(kOverwrite, parser.value(kOverwrite));
    if (parser.isSet(kCut))
        o.cut = answerValue(kCut, parser.value(kCut));
    o.ignoreStaleLocks = parser.isSet(kIgnoreStaleLocks);
    if (parser.isSet(kDamaged))
        o.damaged = damagedValue(parser.value(kDamaged));
    if (parser.isSet(kRowsPerStatement))
        o.rowsPerStatement = rowsPerStatementValue(parser.value(kRowsPerStatement));
    if (parser.isSet(kMaxRowErrors))
        o.maxRowErrors = maxRowErrorsValue(parser.value(kMaxRowErrors));
    if (parser.isSet(kMapping))
        o.mapping = mappingValue(parser.value(kMapping));
    if (parser.isSet(kCodePage))
        o.codePage = codePageValue(parser.value(kCodePage));
    o.longList = parser.isSet(kLong);
    if (o.longList && o.side != Side::Paradox)
        throw UsageError(QStringLiteral("--long goes with list paradox only"));
    if (parser.isSet(kVerify)) {
        const QString v = parser.value(kVerify);
        if (v != QLatin1String("yes") && v != QLatin1String("no"))
            throw UsageError(QStringLiteral("--verify takes yes or no, not \"%1\"").arg(v));
        o.verify = v == QLatin1String("yes");
    }
    if (parser.isSet(kReport)) {
        o.report = parser.value(kReport);
        if (o.report->isEmpty())
            throw UsageError(QStringLiteral("--report needs a file name"));
    }
    return o;
}

} // namespace tabulex::batch
