#include "highlighter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

namespace {

// The look of every character as one letter, blocks joined by '\n': k keyword (dark blue,
// bold), c class name (dark magenta, bold), r comment (red), q quotation (dark green),
// f function (blue, italic), ' ' none, '?' anything else.
QString looks(const QTextDocument &doc)
{
    static const QHash<QString, QChar> kinds{{"#000080 1 0", 'k'},
                                             {"#800080 1 0", 'c'},
                                             {"#ff0000 0 0", 'r'},
                                             {"#008000 0 0", 'q'},
                                             {"#0000ff 0 1", 'f'}};
    QStringList blocks;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QString line(block.length() - 1, ' ');
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            const QTextCharFormat &f = range.format;
            const QString look = QStringLiteral("%1 %2 %3")
                                     .arg(f.foreground().color().name(),
                                          QString::number(f.fontWeight() == QFont::Bold),
                                          QString::number(f.fontItalic()));
            line.replace(range.start, range.length, QString(range.length, kinds.value(look, '?')));
        }
        blocks << line;
    }
    return blocks.join('\n');
}

} // namespace

class TestHighlighter : public QObject
{
    Q_OBJECT

private slots:
    void looksOfEachRule_data();
    void looksOfEachRule();
};

void TestHighlighter::looksOfEachRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const char *text, const char *expected) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(expected);
    };
    row("keyword", "力反馈大小: 50 调整力反馈大小:2", "kkkkkk    ..kkkkkk ");
    row("keyword needs its colon", "力反馈大小 50", "        ");
    row("class names", "QString myQString qs Q3x QA", "ccccccc                  cc");
    row("line comment", "a / b; // note", "       rrrrrrr");
    row("quotation", "say \"hi\" now \"x", "    qqqqqqqqqq ");
    row("lone quote", "say \"hi", "       ");
    row("function", "compute(1) compute 1", "fffffff             ");
    // Later rules win where they overlap; block comments win over all.
    row("function over class", "QWidget(parent)", "fffffff        ");
    row("function and quotation in comment", "// foo() \"hi\"", "rrrfffrrrqqqq");
    row("slashes in quotation", "\"http://x\"", "qqqqqqqqqq");
    row("block comments", "a /* b */ c /* foo() */", "  rrrrrrr   rrrrrrrrrrr");
    row("comment over blocks", "a /* s\nm QString\nend */ b\nx", "  rrrr\nrrrrrrrrr\nrrrrrr  \n ");
    row("opener star does not close", "/*/ x\ny */ z", "rrrrr\nrrrr  ");
}

void TestHighlighter::looksOfEachRule()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QTextDocument doc;
    doc.documentLayout(); // a document without a layout reports no changes to highlight
    Highlighter highlighter(&doc);
    doc.setPlainText(text);
    QCOMPARE(looks(doc), expected.replace('.', ' '));
}

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
