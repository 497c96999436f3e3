#include "windowscommandline.h"

namespace wincmd {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QVector<Token> split(const QString &commandLine)
{
    QVector<Token> tokens;
    const int length = commandLine.size();
    int i = 0;
    while (i < length && isBlank(commandLine.at(i)))
        ++i;
    if (i == length)
        return tokens;

    // The program name: no escapes, a quote only groups.
    Token program;
    program.start = i;
    bool quoted = false;
    for (; i < length && (quoted || !isBlank(commandLine.at(i))); ++i) {
        if (commandLine.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else
            program.text += commandLine.at(i);
    }
    tokens << program;

    for (;;) {
        while (i < length && isBlank(commandLine.at(i)))
            ++i;
        if (i == length)
            return tokens;
        Token token;
        token.start = i;
        quoted = false;
        while (i < length && (quoted || !isBlank(commandLine.at(i)))) {
            int backslashes = 0;
            while (i < length && commandLine.at(i) == QLatin1Char('\\'))
                ++backslashes, ++i;
            if (i < length && commandLine.at(i) == QLatin1Char('"')) {
                token.text += QString(backslashes / 2, QLatin1Char('\\'));
                if (backslashes % 2 == 1) {
                    token.text += QLatin1Char('"');
                } else if (quoted && i + 1 < length && commandLine.at(i + 1) == QLatin1Char('"')) {
                    token.text += QLatin1Char('"');
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                token.text += QString(backslashes, QLatin1Char('\\'));
                if (i < length && (quoted || !isBlank(commandLine.at(i))))
                    token.text += commandLine.at(i++);
            }
        }
        tokens << token;
    }
}

QStringList arguments(const QString &commandLine)
{
    QStringList texts;
    const QVector<Token> tokens = split(commandLine);
    for (int i = 1; i < tokens.size(); ++i)
        texts << tokens.at(i).text;
    return texts;
}

QString trailingArgumentsText(const QString &commandLine, int trailingCount)
{
    const QVector<Token> tokens = split(commandLine);
    const int firstArgument = tokens.size() - trailingCount + 1;
    if (trailingCount < 1 || firstArgument < 2 || firstArgument >= tokens.size())
        return QString();
    return commandLine.mid(tokens.at(firstArgument).start);
}

} // namespace wincmd
