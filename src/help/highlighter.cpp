#include "highlighter.h"

#include <QStringList>

namespace {

bool isAsciiWordChar(QChar c)
{
    return c == QLatin1Char('_') || (c.unicode() < 0x80 && c.isLetterOrNumber());
}

// Whole-word pattern for a keyword. "\b" only holds between an ASCII word
// character and a non-word one, so it is put only on the sides where the
// keyword itself starts or ends with such a character; a keyword like
// "力反馈大小:" would otherwise never match in ordinary text.
QString keywordPattern(const QString &keyword)
{
    QString pattern = QRegularExpression::escape(keyword);
    if (!keyword.isEmpty() && isAsciiWordChar(keyword.front()))
        pattern.prepend(QLatin1String("\\b"));
    if (!keyword.isEmpty() && isAsciiWordChar(keyword.back()))
        pattern.append(QLatin1String("\\b"));
    return pattern;
}

} // namespace

Highlighter::Highlighter(QTextDocument *parent)
    : QSyntaxHighlighter(parent), commentStartExpression(QStringLiteral("/\\*")),
      commentEndExpression(QStringLiteral("\\*/"))
{
    HighlightingRule rule;

    keywordFormat.setForeground(Qt::darkBlue);
    keywordFormat.setFontWeight(QFont::Bold);
    const QStringList keywords = {QStringLiteral("力反馈大小:")};
    for (const QString &keyword : keywords) {
        rule.pattern = QRegularExpression(keywordPattern(keyword));
        rule.format = keywordFormat;
        highlightingRules.append(rule);
    }

    classFormat.setForeground(Qt::darkMagenta);
    classFormat.setFontWeight(QFont::Bold);
    rule.pattern = QRegularExpression(QStringLiteral("\\bQ[A-Za-z]+\\b"));
    rule.format = classFormat;
    highlightingRules.append(rule);

    singleLineCommentFormat.setForeground(Qt::red);
    rule.pattern = QRegularExpression(QStringLiteral("//[^\n]*"));
    rule.format = singleLineCommentFormat;
    highlightingRules.append(rule);

    quotationFormat.setForeground(Qt::darkGreen);
    rule.pattern = QRegularExpression(QStringLiteral("\".*\""));
    rule.format = quotationFormat;
    highlightingRules.append(rule);

    functionFormat.setFontItalic(true);
    functionFormat.setForeground(Qt::blue);
    rule.pattern = QRegularExpression(QStringLiteral("\\b[A-Za-z0-9_]+(?=\\()"));
    rule.format = functionFormat;
    highlightingRules.append(rule);

    multiLineCommentFormat.setForeground(Qt::red);
}

void Highlighter::highlightBlock(const QString &text)
{
    applyRules(text);
    highlightMultiLineComments(text);
}

void Highlighter::applyRules(const QString &text)
{
    for (const HighlightingRule &rule : qAsConst(highlightingRules)) {
        QRegularExpressionMatchIterator it = rule.pattern.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            setFormat(match.capturedStart(), match.capturedLength(), rule.format);
        }
    }
}

void Highlighter::highlightMultiLineComments(const QString &text)
{
    setCurrentBlockState(Normal);

    // A comment carried over from the previous block starts at 0 and has no
    // opener of its own; one opened here must not close on its own "*" ("/*/").
    int startIndex = 0;
    int openerLength = 0;
    if (previousBlockState() != InComment) {
        const QRegularExpressionMatch opener = commentStartExpression.match(text);
        startIndex = opener.capturedStart();
        openerLength = opener.capturedLength();
    }

    while (startIndex >= 0) {
        const QRegularExpressionMatch closer =
            commentEndExpression.match(text, startIndex + openerLength);
        const int endIndex = closer.capturedStart();
        int commentLength = 0;
        if (endIndex == -1) {
            setCurrentBlockState(InComment);
            commentLength = text.length() - startIndex;
        } else {
            commentLength = endIndex - startIndex + closer.capturedLength();
        }
        setFormat(startIndex, commentLength, multiLineCommentFormat);

        const QRegularExpressionMatch next =
            commentStartExpression.match(text, startIndex + commentLength);
        startIndex = next.capturedStart();
        openerLength = next.capturedLength();
    }
}
