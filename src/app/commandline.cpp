#include "commandline.h"

#include "languagetable.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace cli {

namespace {

using language::messageText;

struct OptionRow
{
    Command command; // None: not a command of its own
    QStringList names;
    const char *valueName;
    const language::Message *description;
};

const QVector<OptionRow> &optionRows()
{
    static const QVector<OptionRow> rows = {
        {Command::None,
         {QStringLiteral("h"), QStringLiteral("help")},
         nullptr,
         &language::HelpOptionMessage},
        {Command::None,
         {QStringLiteral("v"), QStringLiteral("version")},
         nullptr,
         &language::VersionOptionMessage},
        {Command::List, {QStringLiteral("list")}, nullptr, &language::ListOptionMessage},
        {Command::Status, {QStringLiteral("status")}, nullptr, &language::StatusOptionMessage},
        {Command::None, {QStringLiteral("json")}, nullptr, &language::JsonOptionMessage},
        {Command::Read, {QStringLiteral("read")}, nullptr, &language::ReadOptionMessage},
        {Command::Apply, {QStringLiteral("apply")}, "PROFILE", &language::ApplyOptionMessage},
        {Command::Store, {QStringLiteral("store")}, nullptr, &language::StoreOptionMessage},
        {Command::Diff, {QStringLiteral("diff")}, nullptr, &language::DiffOptionMessage},
        {Command::Wrap, {QStringLiteral("profile")}, "PROFILE", &language::ProfileOptionMessage},
    };
    return rows;
}

// How each option is written in the help; --read and --diff take their operands as arguments.
QString synopsis(const OptionRow &row)
{
    QStringList forms;
    for (const QString &name : row.names)
        forms << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = forms.join(QStringLiteral(", "));
    if (row.valueName)
        text += QLatin1Char(' ') + QLatin1String(row.valueName);
    if (row.command == Command::Read)
        text += QStringLiteral(" [FILE]");
    else if (row.command == Command::Diff)
        text += QStringLiteral(" A B");
    else if (row.command == Command::Wrap)
        text += QStringLiteral(" -- COMMAND [ARGS...]");
    return text;
}

QString helpText(const QString &programName)
{
    QString text =
        messageText(language::CommandUsageMessage).arg(programName) + QStringLiteral("\n\n");
    for (const OptionRow &row : optionRows())
        text += QStringLiteral("  ") + synopsis(row) + QStringLiteral("\n      ") +
                messageText(*row.description) + QLatin1Char('\n');
    return text + QLatin1Char('\n') + messageText(language::ExitCodesMessage) + QLatin1Char('\n');
}

ParseOutcome finalOutcome(int exitCode, const QString &out, const QString &err)
{
    ParseOutcome outcome;
    outcome.final = true;
    outcome.exitCode = exitCode;
    outcome.out = out;
    outcome.err = err.isEmpty() || err.endsWith(QLatin1Char('\n')) ? err : err + QLatin1Char('\n');
    return outcome;
}

ParseOutcome usageError(const QString &message)
{
    return finalOutcome(ExitUsage, QString(), message);
}

// The one command the options name, or a usage error.
ParseOutcome pickCommand(const QCommandLineParser &parser)
{
    ParseOutcome outcome;
    for (const OptionRow &row : optionRows()) {
        if (row.command == Command::None || !parser.isSet(row.names.first()))
            continue;
        if (outcome.request.command != Command::None)
            return usageError(messageText(language::OneCommandMessage));
        outcome.request.command = row.command;
    }
    if (outcome.request.command == Command::None)
        return usageError(messageText(language::NoCommandMessage));
    return outcome;
}

// Checks the arguments the command takes besides its options.
ParseOutcome takeOperands(ParseOutcome outcome, const QCommandLineParser &parser,
                          const QStringList &program)
{
    CommandRequest &request = outcome.request;
    const QStringList operands = parser.positionalArguments();
    int allowed = 0;
    if (request.command == Command::Read)
        allowed = 1;
    else if (request.command == Command::Diff)
        allowed = 2;
    if (operands.size() > allowed)
        return usageError(
            messageText(language::UnexpectedArgumentMessage).arg(operands.at(allowed)));
    if (request.command == Command::Diff && operands.size() != 2)
        return usageError(messageText(language::DiffNeedsTwoMessage));
    if (request.json && request.command != Command::Status)
        return usageError(messageText(language::JsonNeedsStatusMessage));
    if ((request.command == Command::Wrap) != !program.isEmpty())
        return usageError(
            request.command == Command::Wrap
                ? messageText(language::ProfileNeedsCommandMessage)
                : messageText(language::UnexpectedArgumentMessage).arg(program.value(0)));
    if (request.command == Command::Read)
        request.file = operands.value(0);
    else if (request.command == Command::Diff)
        request.diffOperands = operands;
    request.program = program;
    return outcome;
}

} // namespace

bool CommandRequest::needsBase() const
{
    switch (command) {
    case Command::None:
    case Command::List:
        return false;
    case Command::Diff:
        return diffOperands.contains(QLatin1String(kBaseOperand));
    default:
        return true;
    }
}

QJsonObject CommandRequest::toJson() const
{
    return {{QStringLiteral("arguments"), QJsonArray::fromStringList(arguments)},
            {QStringLiteral("cwd"), workingDirectory},
            {QStringLiteral("restorePoint"), keepRestorePoint}};
}

ParseOutcome parseCommandLine(const QStringList &arguments, const QString &programName,
                              const QString &workingDirectory)
{
    // Everything after the first "--" is the command --profile runs, untouched.
    const int separator = arguments.indexOf(QStringLiteral("--"));
    const QStringList own = arguments.mid(0, separator < 0 ? arguments.size() : separator);
    const QStringList program = arguments.mid(separator < 0 ? arguments.size() : separator + 1);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionRow &row : optionRows())
        parser.addOption(
            row.valueName ? QCommandLineOption(row.names, QString(), QLatin1String(row.valueName))
                          : QCommandLineOption(row.names));
    if (!parser.parse(QStringList{programName} + own)) {
        const QStringList unknown = parser.unknownOptionNames();
        return usageError(
            unknown.isEmpty()
                ? messageText(language::CommandLineErrorMessage).arg(parser.errorText())
                : messageText(language::UnknownOptionMessage)
                      .arg((unknown.first().size() == 1 ? QStringLiteral("-")
                                                        : QStringLiteral("--")) +
                           unknown.first()));
    }
    if (parser.isSet(QStringLiteral("help")))
        return finalOutcome(ExitDone, helpText(programName), QString());
    if (parser.isSet(QStringLiteral("version")))
        return finalOutcome(ExitDone,
                            programName + QLatin1Char(' ') + QLatin1String(VELORAX_VERSION) +
                                QLatin1Char('\n'),
                            QString());

    ParseOutcome outcome = pickCommand(parser);
    if (outcome.final)
        return outcome;
    CommandRequest &request = outcome.request;
    request.json = parser.isSet(QStringLiteral("json"));
    request.profile = request.command == Command::Apply ? parser.value(QStringLiteral("apply"))
                                                        : parser.value(QStringLiteral("profile"));
    request.workingDirectory = workingDirectory;
    request.arguments = arguments;
    return takeOperands(outcome, parser, program);
}

ParseOutcome parseRequest(const QJsonObject &json)
{
    QStringList arguments;
    for (const QJsonValue &value : json.value(QStringLiteral("arguments")).toArray())
        arguments << value.toString();
    ParseOutcome outcome = parseCommandLine(arguments, QStringLiteral("velorax-manager"),
                                            json.value(QStringLiteral("cwd")).toString());
    outcome.request.keepRestorePoint = json.value(QStringLiteral("restorePoint")).toBool();
    return outcome;
}

QString resolveProfilePath(const QString &name, const QString &profileFolder,
                           const QString &workingDirectory)
{
    const QDir caller(workingDirectory);
    const bool explicitPath = QDir::isAbsolutePath(name) || name.startsWith(QLatin1String("./")) ||
                              name.startsWith(QLatin1String("../"));
    if (explicitPath)
        return QDir::cleanPath(caller.absoluteFilePath(name));
    const QDir folder(profileFolder);
    const QString withSuffix = name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)
                                   ? name
                                   : name + QStringLiteral(".ini");
    for (const QString &candidate : {name, withSuffix}) {
        if (QFileInfo(folder.filePath(candidate)).isFile())
            return QDir::cleanPath(folder.filePath(candidate));
    }
    if (QFileInfo(caller.absoluteFilePath(name)).isFile())
        return QDir::cleanPath(caller.absoluteFilePath(name));
    // Named nowhere: the error then names the profile the user meant.
    return QDir::cleanPath(folder.filePath(withSuffix));
}

} // namespace cli
