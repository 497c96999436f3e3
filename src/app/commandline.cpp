#include "commandline.h"

#include "gamebindings.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace cli {

namespace {

using language::messageText;

constexpr int kHelpColumns = 80;
constexpr int kDescriptionIndent = 6;

struct OptionRow
{
    Command command; // None: not a command of its own
    QStringList names;
    const char *valueName; // the option's value, or nullptr
    const char *operands;  // what follows the option in the help, or nullptr
    const language::Message *description;
};

const QVector<OptionRow> &optionRows()
{
    using namespace language;
    static const QVector<OptionRow> rows = {
        {Command::None, {"h", "help"}, nullptr, nullptr, &HelpOptionMessage},
        {Command::None, {"v", "version"}, nullptr, nullptr, &VersionOptionMessage},
        {Command::List, {"list"}, nullptr, nullptr, &ListOptionMessage},
        {Command::Where, {"where"}, nullptr, nullptr, &WhereOptionMessage},
        {Command::Status, {"status"}, nullptr, nullptr, &StatusOptionMessage},
        {Command::None, {"json"}, nullptr, nullptr, &JsonOptionMessage},
        {Command::Read, {"read"}, nullptr, "[FILE]", &ReadOptionMessage},
        {Command::Save, {"save"}, "NAME", nullptr, &SaveOptionMessage},
        {Command::Apply, {"apply"}, "PROFILE", nullptr, &ApplyOptionMessage},
        {Command::Store, {"store"}, nullptr, nullptr, &StoreOptionMessage},
        {Command::Diff, {"diff"}, nullptr, "A B", &DiffOptionMessage},
        {Command::Wrap, {"profile"}, "PROFILE", "-- COMMAND [ARGS...]", &ProfileOptionMessage},
        {Command::Bind, {"bind"}, "PROGRAM", "PROFILE", &BindOptionMessage},
        {Command::Unbind, {"unbind"}, "PROGRAM", nullptr, &UnbindOptionMessage},
        {Command::Bindings, {"bindings"}, nullptr, nullptr, &BindingsOptionMessage},
        {Command::Background, {"background"}, nullptr, nullptr, &BackgroundOptionMessage},
        {Command::Autostart, {"autostart"}, "on|off", nullptr, &AutostartOptionMessage},
    };
    return rows;
}

const OptionRow *findOption(const QString &name)
{
    for (const OptionRow &row : optionRows()) {
        if (row.names.contains(name))
            return &row;
    }
    return nullptr;
}

// Columns a character takes in a terminal: two for CJK ideographs, full-width forms and the
// quotation marks and punctuation Chinese text uses, one for the rest.
int columns(QChar c)
{
    const ushort u = c.unicode();
    const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                      (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                      (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                      (u >= 0xFFE0 && u <= 0xFFE6) || (u >= 0x2018 && u <= 0x201D);
    return wide ? 2 : 1;
}

int columns(const QString &text)
{
    int total = 0;
    for (const QChar c : text)
        total += columns(c);
    return total;
}

bool wide(QChar c)
{
    return columns(c) == 2;
}

// Closing marks stay with what they close; opening marks with what they open.
bool keepsWithPrevious(QChar c)
{
    return QStringLiteral("，。、；：）”’！？,.;:)").contains(c);
}
bool keepsWithNext(QChar c)
{
    return QStringLiteral("“‘（(").contains(c);
}

// `text` wrapped to `width` columns, every line starting with `indent` spaces. Lines break at
// spaces and between Chinese characters.
QString wrapped(const QString &text, int indent, int width = kHelpColumns)
{
    const QString margin(indent, QLatin1Char(' '));
    QString out;
    QString line;
    int used = 0;
    bool spaceBefore = false;
    for (int i = 0; i < text.size();) {
        if (text.at(i) == QLatin1Char(' ')) {
            spaceBefore = true;
            ++i;
            continue;
        }
        // One unit that is not broken: a word, or one wide character, with the marks that keep
        // with it.
        int end = i;
        do {
            if (wide(text.at(end)))
                ++end;
            else
                while (end < text.size() && text.at(end) != QLatin1Char(' ') && !wide(text.at(end)))
                    ++end;
            while (end < text.size() && keepsWithPrevious(text.at(end)))
                ++end;
        } while (end < text.size() && keepsWithNext(text.at(end - 1)) &&
                 text.at(end) != QLatin1Char(' '));
        const QString unit = text.mid(i, end - i);
        const int gap = spaceBefore && !line.isEmpty() ? 1 : 0;
        if (!line.isEmpty() && indent + used + gap + columns(unit) > width) {
            out += margin + line + QLatin1Char('\n');
            line.clear();
            used = 0;
        } else if (gap) {
            line += QLatin1Char(' ');
            used += 1;
        }
        line += unit;
        used += columns(unit);
        spaceBefore = false;
        i = end;
    }
    return out + margin + line + QLatin1Char('\n');
}

QString paragraphs(const QString &text)
{
    QString out;
    for (const QString &paragraph : text.split(QLatin1Char('\n')))
        out += wrapped(paragraph, 0);
    return out;
}

QString synopsis(const OptionRow &row)
{
    QStringList forms;
    for (const QString &name : row.names)
        forms << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = QStringLiteral("  ") + forms.join(QStringLiteral(", "));
    for (const char *part : {row.valueName, row.operands}) {
        if (part)
            text += QLatin1Char(' ') + QLatin1String(part);
    }
    return text + QLatin1Char('\n');
}

QString helpText(const QString &programName)
{
    QString text =
        paragraphs(messageText(language::CommandUsageMessage).arg(programName)) + QLatin1Char('\n');
    for (const OptionRow &row : optionRows())
        text += synopsis(row) + wrapped(messageText(*row.description), kDescriptionIndent);
    return text + QLatin1Char('\n') + paragraphs(messageText(language::NamesHelpMessage)) +
           paragraphs(messageText(language::ExitCodesMessage));
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

// What the arguments before "--" hold: the options given, with their values, and the rest.
struct Scan
{
    QVector<const OptionRow *> options;
    QStringList values; // beside options; empty for options without a value
    QStringList operands;
    QString error;
};

Scan scan(const QStringList &arguments)
{
    Scan result;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.size() < 2 || !argument.startsWith(QLatin1Char('-'))) {
            result.operands << argument; // "-" included: a stream
            continue;
        }
        // "--name", "-name" or "-n", each also as "--name=value".
        const int dashes = argument.startsWith(QLatin1String("--")) ? 2 : 1;
        const int equals = argument.indexOf(QLatin1Char('='));
        const QString spelled = equals < 0 ? argument : argument.left(equals);
        const OptionRow *row = findOption(spelled.mid(dashes));
        if (!row) {
            result.error = messageText(language::UnknownOptionMessage).arg(spelled);
            return result;
        }
        QString value;
        if (row->valueName && equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (row->valueName) {
            if (i + 1 == arguments.size()) {
                result.error = messageText(language::MissingValueMessage).arg(spelled);
                return result;
            }
            value = arguments.at(++i);
        } else if (equals >= 0) {
            result.error = messageText(language::UnexpectedValueMessage).arg(spelled);
            return result;
        }
        result.options << row;
        result.values << value;
    }
    return result;
}

bool hasOption(const Scan &scan, const char *name)
{
    return std::any_of(scan.options.begin(), scan.options.end(), [name](const OptionRow *row) {
        return row->names.contains(QLatin1String(name));
    });
}

// What is wrong with a request, in words; empty when nothing is.
QString requestError(const CommandRequest &request, const Scan &scan, bool separated)
{
    using namespace language;
    const int allowed = request.command == Command::Read || request.command == Command::Bind ? 1
                        : request.command == Command::Diff                                   ? 2
                                                                                             : 0;
    if (request.command == Command::None)
        return scan.operands.isEmpty() ? messageText(NoCommandMessage)
                                       : messageText(NotACommandMessage).arg(scan.operands.first());
    if (scan.operands.size() > allowed)
        return messageText(UnexpectedArgumentMessage).arg(scan.operands.at(allowed));
    if (request.command == Command::Diff && scan.operands.size() != 2)
        return messageText(DiffNeedsTwoMessage);
    if (request.command == Command::Bind && scan.operands.isEmpty())
        return messageText(MissingValueMessage).arg(QStringLiteral("--bind"));
    if (request.command == Command::Bind && scan.operands.first() == QLatin1String(kStandardStream))
        return messageText(NotAProfileNameMessage).arg(scan.operands.first());
    if (request.command == Command::Autostart && request.profile != QLatin1String("on") &&
        request.profile != QLatin1String("off"))
        return messageText(NotOnOffMessage).arg(request.profile);
    if ((request.command == Command::Bind || request.command == Command::Unbind) &&
        profiles::programKey(request.profile).isEmpty())
        return messageText(NotAProgramNameMessage).arg(request.profile);
    if (request.json && request.command != Command::Status)
        return messageText(JsonNeedsStatusMessage);
    if (request.command == Command::Wrap && request.program.isEmpty())
        return messageText(ProfileNeedsCommandMessage);
    if (request.command != Command::Wrap && separated)
        return messageText(UnexpectedArgumentMessage).arg(QStringLiteral("--"));
    if (request.command == Command::Save && !isProfileName(request.profile))
        return messageText(NotAProfileNameMessage).arg(request.profile);
    return QString();
}

} // namespace

bool CommandRequest::needsBase() const
{
    switch (command) {
    case Command::None:
    case Command::List:
    case Command::Where:
    case Command::Recover:
    case Command::Bind:
    case Command::Unbind:
    case Command::Bindings:
    case Command::Background:
    case Command::Autostart:
        return false;
    case Command::Diff:
        return diffOperands.contains(QLatin1String(kBaseOperand));
    default:
        return true;
    }
}

bool CommandRequest::readsStandardInput() const
{
    const QLatin1String stream(kStandardStream);
    return ((command == Command::Apply || command == Command::Wrap ||
             command == Command::BeginRun) &&
            profile == stream) ||
           (command == Command::Diff && diffOperands.contains(stream));
}

namespace {
const char *const kRunSteps[] = {"begin", "end", "recover"};
}

QJsonObject CommandRequest::toJson() const
{
    if (command == Command::BeginRun || command == Command::EndRun || command == Command::Recover)
        return {{QStringLiteral("run"),
                 QLatin1String(kRunSteps[int(command) - int(Command::BeginRun)])},
                {QStringLiteral("profile"), profile},
                {QStringLiteral("pid"), runPid},
                {QStringLiteral("started"), runStarted},
                {QStringLiteral("cwd"), workingDirectory},
                {QStringLiteral("language"), language == language::Chinese ? "zh" : "en"},
                {QStringLiteral("stdin"), standardInput}};
    return {{QStringLiteral("arguments"), QJsonArray::fromStringList(arguments)},
            {QStringLiteral("cwd"), workingDirectory},
            {QStringLiteral("language"), language == language::Chinese ? "zh" : "en"},
            {QStringLiteral("stdin"), standardInput}};
}

ParseOutcome parseCommandLine(const QStringList &arguments, const QString &programName,
                              const QString &workingDirectory, int languageIndex)
{
    const language::MessageLanguageScope scope(languageIndex);
    const auto usageError = [&programName](const QString &what) {
        return finalOutcome(ExitUsage, QString(),
                            messageText(language::UsageErrorMessage).arg(programName, what));
    };
    // Everything after the first "--" is the command --profile runs, untouched.
    const int separator = arguments.indexOf(QStringLiteral("--"));
    const Scan given = scan(arguments.mid(0, separator < 0 ? arguments.size() : separator));
    if (!given.error.isEmpty())
        return usageError(given.error);
    if (hasOption(given, "help"))
        return finalOutcome(ExitDone, helpText(programName), QString());
    if (hasOption(given, "version"))
        return finalOutcome(ExitDone,
                            programName + QLatin1Char(' ') + QLatin1String(VELORAX_VERSION) +
                                QLatin1Char('\n'),
                            QString());

    ParseOutcome outcome;
    CommandRequest &request = outcome.request;
    for (int i = 0; i < given.options.size(); ++i) {
        const OptionRow *row = given.options.at(i);
        request.json = request.json || row->names.contains(QLatin1String("json"));
        if (row->command == Command::None)
            continue;
        if (request.command != Command::None && request.command != row->command)
            return usageError(messageText(language::OneCommandMessage));
        request.command = row->command;
        if (row->valueName)
            request.profile = given.values.at(i);
    }
    request.program = separator < 0 ? QStringList() : arguments.mid(separator + 1);
    const QString error = requestError(request, given, separator >= 0);
    if (!error.isEmpty())
        return usageError(error);
    if (request.command == Command::Bind || request.command == Command::Unbind) {
        // The option's value is the program; --bind's operand the profile.
        request.game = request.profile;
        request.profile = given.operands.value(0);
    }
    if (request.command == Command::Read)
        request.file = given.operands.value(0);
    else if (request.command == Command::Diff)
        request.diffOperands = given.operands;
    request.workingDirectory = workingDirectory;
    request.language = languageIndex;
    request.arguments = arguments;
    return outcome;
}

ParseOutcome parseRequest(const QJsonObject &json)
{
    QStringList arguments;
    for (const QJsonValue &value : json.value(QStringLiteral("arguments")).toArray())
        arguments << value.toString();
    // A caller that names no language gets the window's.
    const QString languageName = json.value(QStringLiteral("language")).toString();
    const int languageIndex = languageName == QLatin1String("zh")   ? language::Chinese
                              : languageName == QLatin1String("en") ? language::English
                                                                    : language::messageLanguage();
    const QString run = json.value(QStringLiteral("run")).toString();
    if (!run.isEmpty()) {
        ParseOutcome outcome;
        CommandRequest &request = outcome.request;
        for (int step = 0; step < 3; ++step) {
            if (run == QLatin1String(kRunSteps[step]))
                request.command = Command(int(Command::BeginRun) + step);
        }
        request.profile = json.value(QStringLiteral("profile")).toString();
        request.runPid = qint64(json.value(QStringLiteral("pid")).toDouble());
        request.runStarted = qint64(json.value(QStringLiteral("started")).toDouble());
        request.workingDirectory = json.value(QStringLiteral("cwd")).toString();
        request.language = languageIndex;
        request.standardInput = json.value(QStringLiteral("stdin")).toString();
        request.arguments = QStringList{QStringLiteral("--profile"), request.profile};
        if (request.command == Command::None)
            outcome = finalOutcome(ExitUsage, QString(), messageText(language::NoCommandMessage));
        return outcome;
    }
    ParseOutcome outcome =
        parseCommandLine(arguments, QStringLiteral("velorax-manager"),
                         json.value(QStringLiteral("cwd")).toString(), languageIndex);
    outcome.request.standardInput = json.value(QStringLiteral("stdin")).toString();
    return outcome;
}

bool isProfileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(kStandardStream) &&
           name != QLatin1String(".") && name != QLatin1String("..") &&
           !QDir::fromNativeSeparators(name).contains(QLatin1Char('/'));
}

ProfileLocation locateProfile(const QString &name, const QString &profileFolder,
                              const QString &workingDirectory)
{
    const QDir caller(workingDirectory);
    const QString inCaller = QDir::cleanPath(caller.absoluteFilePath(name));
    const bool iniFile = name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive);
    const bool snapshot = name.startsWith(QLatin1String(kSnapshotPrefix)) &&
                          isProfileName(name.mid(int(qstrlen(kSnapshotPrefix))));
    ProfileLocation location;
    if (!snapshot && (QDir::isAbsolutePath(name) || !isProfileName(name) ||
                      (iniFile && QFileInfo(inCaller).isFile()))) {
        location.path = inCaller;
        location.found = QFileInfo(inCaller).isFile();
        location.notFound = messageText(language::FileNotFoundMessage)
                                .arg(name, QDir::toNativeSeparators(inCaller));
        return location;
    }
    const QString folder =
        snapshot ? profileFolder + QLatin1Char('/') + QString(kSnapshotPrefix).chopped(1)
                 : profileFolder;
    const QString bare = snapshot ? name.mid(int(qstrlen(kSnapshotPrefix))) : name;
    for (const QString &candidate : {bare, bare + QStringLiteral(".ini")}) {
        location.path = QDir::cleanPath(folder + QLatin1Char('/') + candidate);
        location.found = QFileInfo(location.path).isFile();
        if (location.found || iniFile)
            break;
    }
    location.notFound =
        messageText(language::ProfileNotFoundMessage).arg(name, QDir::toNativeSeparators(folder));
    return location;
}

} // namespace cli
