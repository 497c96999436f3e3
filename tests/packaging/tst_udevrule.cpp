// The udev rule that gives the user at the seat access to the wheel base. The
// machines CI runs on have a udevadm without "verify", so this is the syntax
// check: every line must be something udev accepts, and the rule must match
// the base's hidraw node and tag it for uaccess early enough.
//
// Checks the rule in the source tree, or the file named by VELORAX_UDEV_RULE
// (CI points it at the installed copy).
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace {

enum class KeyUse
{
    Match,
    Assign,
    Both
};
enum class Attribute
{
    Forbidden,
    Required,
    Optional
};

struct KeyRule
{
    KeyUse use;
    Attribute attribute;
};

// The keys of udev(7), with where they may stand and whether they take {attr}.
const QHash<QString, KeyRule> &knownKeys()
{
    static const QHash<QString, KeyRule> keys = {
        {QStringLiteral("ACTION"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("DEVPATH"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("KERNEL"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("KERNELS"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("SUBSYSTEM"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("SUBSYSTEMS"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("DRIVER"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("DRIVERS"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("ATTRS"), {KeyUse::Match, Attribute::Required}},
        {QStringLiteral("TAGS"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("CONST"), {KeyUse::Match, Attribute::Required}},
        {QStringLiteral("TEST"), {KeyUse::Match, Attribute::Optional}},
        {QStringLiteral("PROGRAM"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("RESULT"), {KeyUse::Match, Attribute::Forbidden}},
        {QStringLiteral("NAME"), {KeyUse::Both, Attribute::Forbidden}},
        {QStringLiteral("SYMLINK"), {KeyUse::Both, Attribute::Forbidden}},
        {QStringLiteral("ATTR"), {KeyUse::Both, Attribute::Required}},
        {QStringLiteral("SYSCTL"), {KeyUse::Both, Attribute::Required}},
        {QStringLiteral("ENV"), {KeyUse::Both, Attribute::Required}},
        {QStringLiteral("TAG"), {KeyUse::Both, Attribute::Forbidden}},
        {QStringLiteral("OWNER"), {KeyUse::Assign, Attribute::Forbidden}},
        {QStringLiteral("GROUP"), {KeyUse::Assign, Attribute::Forbidden}},
        {QStringLiteral("MODE"), {KeyUse::Assign, Attribute::Forbidden}},
        {QStringLiteral("SECLABEL"), {KeyUse::Assign, Attribute::Required}},
        {QStringLiteral("RUN"), {KeyUse::Assign, Attribute::Optional}},
        {QStringLiteral("IMPORT"), {KeyUse::Assign, Attribute::Optional}},
        {QStringLiteral("OPTIONS"), {KeyUse::Assign, Attribute::Forbidden}},
        {QStringLiteral("LABEL"), {KeyUse::Assign, Attribute::Forbidden}},
        {QStringLiteral("GOTO"), {KeyUse::Assign, Attribute::Forbidden}},
    };
    return keys;
}

struct Token
{
    QString key;
    QString attribute;
    QString op;
    QString value;
};

// One rule line split into its tokens; an empty list and `error` set when the
// line is not valid udev syntax.
QList<Token> parseRule(const QString &line, QString *error)
{
    static const QRegularExpression tokenPattern(QStringLiteral(
        R"re(\s*([A-Z]+)(?:\{([^{}"]+)\})?\s*(==|!=|\+=|-=|:=|=)\s*"((?:[^"\\]|\\.)*)"\s*(,|$))re"));
    QList<Token> tokens;
    int position = 0;
    while (position < line.size()) {
        const QRegularExpressionMatch match =
            tokenPattern.match(line, position, QRegularExpression::NormalMatch,
                               QRegularExpression::AnchoredMatchOption);
        if (!match.hasMatch()) {
            *error =
                QStringLiteral("not a KEY{attr}OP\"value\" list at column %1").arg(position + 1);
            return {};
        }
        const Token token{match.captured(1), match.captured(2), match.captured(3),
                          match.captured(4)};
        const auto known = knownKeys().constFind(token.key);
        if (known == knownKeys().constEnd()) {
            *error = QStringLiteral("unknown key %1").arg(token.key);
            return {};
        }
        const bool isMatch = token.op == QLatin1String("==") || token.op == QLatin1String("!=");
        if ((isMatch && known->use == KeyUse::Assign) ||
            (!isMatch && known->use == KeyUse::Match)) {
            *error = QStringLiteral("%1 cannot take %2").arg(token.key, token.op);
            return {};
        }
        if ((known->attribute == Attribute::Required && token.attribute.isEmpty()) ||
            (known->attribute == Attribute::Forbidden && !token.attribute.isEmpty())) {
            *error = QStringLiteral("%1 %2 an {attribute}")
                         .arg(token.key, token.attribute.isEmpty() ? QStringLiteral("needs")
                                                                   : QStringLiteral("takes no"));
            return {};
        }
        tokens.append(token);
        position = match.capturedEnd(0);
        if (match.captured(5).isEmpty())
            break;
        if (position >= line.size()) {
            *error = QStringLiteral("trailing comma");
            return {};
        }
    }
    if (tokens.isEmpty())
        *error = QStringLiteral("empty rule");
    return tokens;
}

// The rule lines of a rules file: comments and blank lines dropped, lines
// ending in a backslash joined with the next.
QStringList ruleLines(const QString &text)
{
    QStringList lines;
    QString pending;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        QString line = pending + raw;
        pending.clear();
        if (line.endsWith(QLatin1Char('\\'))) {
            line.chop(1);
            pending = line;
            continue;
        }
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#')))
            lines.append(trimmed);
    }
    if (!pending.trimmed().isEmpty())
        lines.append(pending.trimmed());
    return lines;
}

bool hasToken(const QList<Token> &tokens, const QString &key, const QString &attribute,
              const QString &op, const QString &value)
{
    return std::any_of(tokens.begin(), tokens.end(), [&](const Token &t) {
        return t.key == key && t.attribute == attribute && t.op == op && t.value == value;
    });
}

QString rulePath()
{
    const QString fromEnvironment = qEnvironmentVariable("VELORAX_UDEV_RULE");
    return fromEnvironment.isEmpty() ? QStringLiteral(VELORAX_UDEV_RULE_SOURCE) : fromEnvironment;
}

} // namespace

class TestUdevRule : public QObject
{
    Q_OBJECT

private slots:
    void checkerRejectsBrokenRules_data();
    void checkerRejectsBrokenRules();
    void everyLineIsValid();
    void grantsTheWheelBaseToTheSeat();
    void runsBeforeTheSeatRules();
};

void TestUdevRule::checkerRejectsBrokenRules_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("assignment for a match-only key")
        << QStringLiteral(R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}="0483", TAG+="uaccess")");
    QTest::newRow("misspelt key") << QStringLiteral(R"(SUBSYTEM=="hidraw", TAG+="uaccess")");
    QTest::newRow("unquoted value") << QStringLiteral(R"(SUBSYSTEM==hidraw, TAG+="uaccess")");
    QTest::newRow("ATTRS without attribute")
        << QStringLiteral(R"(SUBSYSTEM=="hidraw", ATTRS=="0483", TAG+="uaccess")");
    QTest::newRow("missing comma") << QStringLiteral(R"(SUBSYSTEM=="hidraw" TAG+="uaccess")");
    QTest::newRow("trailing comma") << QStringLiteral(R"(SUBSYSTEM=="hidraw", TAG+="uaccess",)");
    QTest::newRow("unterminated value") << QStringLiteral(R"(SUBSYSTEM=="hidraw", TAG+="uaccess)");
}

void TestUdevRule::checkerRejectsBrokenRules()
{
    QFETCH(QString, line);
    QString error;
    QVERIFY(parseRule(line, &error).isEmpty());
    QVERIFY(!error.isEmpty());
}

void TestUdevRule::everyLineIsValid()
{
    QFile file(rulePath());
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
    const QStringList lines = ruleLines(QString::fromUtf8(file.readAll()));
    QVERIFY(!lines.isEmpty());
    for (const QString &line : lines) {
        QString error;
        const QList<Token> tokens = parseRule(line, &error);
        QVERIFY2(!tokens.isEmpty(), qPrintable(error + QStringLiteral(": ") + line));
    }
}

void TestUdevRule::grantsTheWheelBaseToTheSeat()
{
    QFile file(rulePath());
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    int granting = 0;
    for (const QString &line : ruleLines(QString::fromUtf8(file.readAll()))) {
        QString error;
        const QList<Token> tokens = parseRule(line, &error);
        // ATTRS, not ATTR: the ids belong to the USB device above the node.
        if (hasToken(tokens, QStringLiteral("SUBSYSTEM"), {}, QStringLiteral("=="),
                     QStringLiteral("hidraw")) &&
            hasToken(tokens, QStringLiteral("ATTRS"), QStringLiteral("idVendor"),
                     QStringLiteral("=="), QStringLiteral("0483")) &&
            hasToken(tokens, QStringLiteral("ATTRS"), QStringLiteral("idProduct"),
                     QStringLiteral("=="), QStringLiteral("0522")) &&
            hasToken(tokens, QStringLiteral("TAG"), {}, QStringLiteral("+="),
                     QStringLiteral("uaccess")))
            ++granting;
    }
    QCOMPARE(granting, 1);
}

void TestUdevRule::runsBeforeTheSeatRules()
{
    // 73-seat-late.rules turns the uaccess tag into an ACL; a rule sorting
    // after it tags the node too late.
    const QString name = QFileInfo(rulePath()).fileName();
    QCOMPARE(name, QStringLiteral("60-velorax-wheelbase.rules"));
    QVERIFY(name < QStringLiteral("73-seat-late.rules"));
}

QTEST_GUILESS_MAIN(TestUdevRule)
#include "tst_udevrule.moc"
