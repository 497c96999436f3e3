#pragma once

// Windows hands a program its command line as one text; programs split it themselves. These
// helpers split it as the Microsoft C runtime does, keeping where each argument starts, so that
// the --profile wrapper can pass the wrapped program's arguments on exactly as they were
// written (Steam's %command%, a shortcut's target). Pure: tested on every platform.

#include <QString>
#include <QStringList>
#include <QVector>

namespace wincmd {

struct Token
{
    int start = 0; // where the argument's text begins in the command line
    QString text;  // the argument after quotes and backslashes are resolved
};

// The program name (first token) ends at the next blank, or inside quotes at the closing quote;
// the arguments after it follow the C runtime's rules: blanks separate, quotes group, 2n
// backslashes before a quote become n and the quote counts, 2n+1 become n and a literal quote,
// other backslashes stay, and "" inside quotes is a literal quote.
QVector<Token> split(const QString &commandLine);

// The texts of split(), without the program name.
QStringList arguments(const QString &commandLine);

// The raw text after the program that starts `trailingCount` arguments before the end: the
// arguments of the wrapped program exactly as written (empty when it has none).
QString trailingArgumentsText(const QString &commandLine, int trailingCount);

} // namespace wincmd
