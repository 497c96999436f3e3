#include "highlighter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

namespace {

enum class Kind
{
    None,
    Keyword,
    ClassName,
    Comment,
    Quotation,
    Function
};

struct Look
{
    QColor colour; // invalid: no colour set
    bool bold = false;
    bool italic = false;
};

Look expectedLook(Kind kind)
{
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::Keyword:
        return {QColor(Qt::darkBlue), true, false};
    case Kind::ClassName:
        return {QColor(Qt::darkMagenta), true, false};
    case Kind::Comment:
        return {QColor(Qt::red), false, false};
    case Kind::Quotation:
        return {QColor(Qt::darkGreen), false, false};
    case Kind::Function:
        return {QColor(Qt::blue), false, true};
    }
    return {};
}

Look lookAt(const QTextBlock &block, int position)
{
    const QVector<QTextLayout::FormatRange> ranges = block.layout()->formats();
    for (const QTextLayout::FormatRange &range : ranges) {
        if (position < range.start || position >= range.start + range.length)
            continue;
        const QTextCharFormat &fmt = range.format;
        Look look;
        if (fmt.hasProperty(QTextFormat::ForegroundBrush))
            look.colour = fmt.foreground().color();
        look.bold = fmt.fontWeight() == QFont::Bold;
        look.italic = fmt.fontItalic();
        return look;
    }
    return {};
}

QString describe(const Look &look)
{
    return QStringLiteral("colour %1 bold %2 italic %3")
        .arg(look.colour.isValid() ? look.colour.name() : QStringLiteral("none"))
        .arg(look.bold)
        .arg(look.italic);
}

void verifyLook(const QTextBlock &block, int position, Kind kind)
{
    const Look actual = lookAt(block, position);
    const Look expected = expectedLook(kind);
    QVERIFY2(actual.colour == expected.colour && actual.bold == expected.bold &&
                 actual.italic == expected.italic,
             qPrintable(QStringLiteral("block '%1' pos %2: got %3, expected %4")
                            .arg(block.text())
                            .arg(position)
                            .arg(describe(actual), describe(expected))));
}

// A document reports its changes, and so gets highlighted, only once it has a
// layout, as every document shown in an editor has.
void setText(QTextDocument &doc, const QString &text)
{
    doc.documentLayout();
    doc.setPlainText(text);
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestHighlighter : public QObject
{
    Q_OBJECT

private slots:
    void singleBlock_data();
    void singleBlock();
    void commentSpanningBlocks();
    void openerStarDoesNotClose();
    void editingReflowsCommentState();
};

void TestHighlighter::singleBlock_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<Kind>("kind");

    const QString keyword = QStringLiteral("力反馈大小:");
    QTest::newRow("keyword at line start") << keyword + " 50" << 0 << Kind::Keyword;
    QTest::newRow("keyword colon") << keyword + " 50" << 5 << Kind::Keyword;
    QTest::newRow("after keyword") << keyword + " 50" << 7 << Kind::None;
    QTest::newRow("keyword inside sentence") << "调整" + keyword + "20" << 2 << Kind::Keyword;
    QTest::newRow("before keyword") << "调整" + keyword + "20" << 0 << Kind::None;
    QTest::newRow("keyword without colon") << QStringLiteral("力反馈大小 50") << 0 << Kind::None;

    QTest::newRow("class name start") << "QString name;" << 0 << Kind::ClassName;
    QTest::newRow("class name end") << "QString name;" << 6 << Kind::ClassName;
    QTest::newRow("after class name") << "QString name;" << 8 << Kind::None;
    QTest::newRow("lower-case q") << "qstring x" << 0 << Kind::None;
    QTest::newRow("Q inside a word") << "myQString x" << 2 << Kind::None;
    QTest::newRow("Q with digits") << "Q3Support x" << 0 << Kind::None;

    QTest::newRow("line comment start") << "int x; // note" << 7 << Kind::Comment;
    QTest::newRow("line comment end") << "int x; // note" << 13 << Kind::Comment;
    QTest::newRow("before line comment") << "int x; // note" << 0 << Kind::None;
    QTest::newRow("single slash") << "a / b" << 2 << Kind::None;

    QTest::newRow("quotation open") << "say \"hi\" now" << 4 << Kind::Quotation;
    QTest::newRow("quotation close") << "say \"hi\" now" << 7 << Kind::Quotation;
    QTest::newRow("after quotation") << "say \"hi\" now" << 9 << Kind::None;
    QTest::newRow("quotation is greedy") << "\"a\" and \"b\"" << 4 << Kind::Quotation;
    QTest::newRow("lone quote") << "say \"hi" << 4 << Kind::None;

    QTest::newRow("function name") << "compute(1)" << 0 << Kind::Function;
    QTest::newRow("function name end") << "compute(1)" << 6 << Kind::Function;
    QTest::newRow("function paren") << "compute(1)" << 7 << Kind::None;
    QTest::newRow("name without paren") << "compute 1" << 0 << Kind::None;

    // Later rules replace earlier ones where they overlap.
    QTest::newRow("function over class") << "QWidget(parent)" << 0 << Kind::Function;
    QTest::newRow("function over comment") << "// call foo()" << 8 << Kind::Function;
    QTest::newRow("comment around function") << "// call foo()" << 3 << Kind::Comment;
    QTest::newRow("quotation over comment") << "// say \"hi\"" << 7 << Kind::Quotation;
    QTest::newRow("slashes inside quotation") << "\"http://x\"" << 5 << Kind::Quotation;
    QTest::newRow("block comment over function") << "/* foo() */" << 3 << Kind::Comment;

    QTest::newRow("block comment opener") << "a /* b */ c" << 2 << Kind::Comment;
    QTest::newRow("block comment closer") << "a /* b */ c" << 8 << Kind::Comment;
    QTest::newRow("after block comment") << "a /* b */ c" << 10 << Kind::None;
    QTest::newRow("between two block comments") << "/* a */ x /* b */" << 8 << Kind::None;
    QTest::newRow("second block comment") << "/* a */ x /* b */" << 10 << Kind::Comment;
}

void TestHighlighter::singleBlock()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(Kind, kind);

    QTextDocument doc;
    Highlighter highlighter(&doc);
    setText(doc, text);

    QCOMPARE(doc.blockCount(), 1);
    verifyLook(doc.firstBlock(), position, kind);
}

void TestHighlighter::commentSpanningBlocks()
{
    QTextDocument doc;
    Highlighter highlighter(&doc);
    setText(doc, QStringLiteral("a /* start\nmiddle QString\nend */ b\nafter"));

    const QTextBlock first = doc.findBlockByNumber(0);
    const QTextBlock middle = doc.findBlockByNumber(1);
    const QTextBlock last = doc.findBlockByNumber(2);
    const QTextBlock after = doc.findBlockByNumber(3);

    verifyLook(first, 0, Kind::None);
    verifyLook(first, 2, Kind::Comment);
    verifyLook(first, 9, Kind::Comment);
    QCOMPARE(first.userState(), int(Highlighter::InComment));

    verifyLook(middle, 0, Kind::Comment);
    verifyLook(middle, 7, Kind::Comment); // the comment covers the class name
    QCOMPARE(middle.userState(), int(Highlighter::InComment));

    verifyLook(last, 0, Kind::Comment);
    verifyLook(last, 5, Kind::Comment);
    verifyLook(last, 7, Kind::None);
    QCOMPARE(last.userState(), int(Highlighter::Normal));

    verifyLook(after, 0, Kind::None);
    QCOMPARE(after.userState(), int(Highlighter::Normal));
}

void TestHighlighter::openerStarDoesNotClose()
{
    QTextDocument doc;
    Highlighter highlighter(&doc);
    setText(doc, QStringLiteral("/*/ x\ny */ z"));

    const QTextBlock first = doc.findBlockByNumber(0);
    const QTextBlock second = doc.findBlockByNumber(1);
    verifyLook(first, 4, Kind::Comment);
    QCOMPARE(first.userState(), int(Highlighter::InComment));
    verifyLook(second, 0, Kind::Comment);
    verifyLook(second, 5, Kind::None);
    QCOMPARE(second.userState(), int(Highlighter::Normal));
}

void TestHighlighter::editingReflowsCommentState()
{
    QTextDocument doc;
    Highlighter highlighter(&doc);
    setText(doc, QStringLiteral("x /* open\ninside\nclosed */"));
    verifyLook(doc.findBlockByNumber(1), 0, Kind::Comment);

    // Removing the opener must clear the comment from the following blocks.
    QTextCursor cursor(&doc);
    cursor.setPosition(2);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    QCOMPARE(doc.firstBlock().text(), QStringLiteral("x  open"));

    verifyLook(doc.findBlockByNumber(0), 3, Kind::None);
    verifyLook(doc.findBlockByNumber(1), 0, Kind::None);
    QCOMPARE(doc.findBlockByNumber(1).userState(), int(Highlighter::Normal));

    // Typing it back opens the comment again.
    cursor.setPosition(2);
    cursor.insertText(QStringLiteral("/*"));
    verifyLook(doc.findBlockByNumber(1), 0, Kind::Comment);
    verifyLook(doc.findBlockByNumber(2), 0, Kind::Comment);
}

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
