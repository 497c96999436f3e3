// The udev rule that gives the user at the seat access to the wheel base (the rule in the source
// tree, or the file VELORAX_UDEV_RULE names; CI points it at the installed copy). The machines CI
// runs on have a udevadm without "verify", so every rule line is checked here to be a list of
// KEY{attr}OP"value" tokens udev knows, and one line must tag the base's hidraw node for uaccess.
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The rule's tokens as "KEY{attr}OP value", or an empty list when one is not valid udev: a
// known key with an operator it takes, a quoted value, commas between tokens and none after.
QStringList tokens(const QString &line)
{
    static const QRegularExpression token(
        QStringLiteral("\\s*((?:ACTION|KERNELS?|SUBSYSTEMS?|DRIVERS?|ATTRS\\{\\w+\\})(?:==|!=)|(?:"
                       "ATTR\\{\\w+\\}|ENV\\{\\w+\\}|TAG)(?:==|!=|=|\\+=|-=|:=)|(?:GROUP|MODE|"
                       "OWNER)(?:=|\\+=|:=))\\s*\"((?:[^\"\\\\]|\\\\.)*)\"\\s*(,|$)"));
    QStringList out;
    for (int at = 0; at < line.size();) {
        const auto m = token.match(line, at, QRegularExpression::NormalMatch,
                                   QRegularExpression::AnchoredMatchOption);
        if (!m.hasMatch() ||
            (m.captured(3) == QLatin1String(",") && m.capturedEnd() >= line.size()))
            return {};
        out << m.captured(1) + QLatin1Char(' ') + m.captured(2);
        at = m.capturedEnd();
    }
    return out;
}

} // namespace

class TestUdevRule : public QObject
{
    Q_OBJECT

private slots:
    void checkerRejectsBrokenRules();
    void grantsTheWheelBaseToTheSeatBeforeTheSeatRules();
};

void TestUdevRule::checkerRejectsBrokenRules()
{
    for (const char *line :
         {R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}="0483", TAG+="uaccess")", // = is not ==
          R"(SUBSYTEM=="hidraw", TAG+="uaccess")", R"(SUBSYSTEM==hidraw, TAG+="uaccess")",
          R"(SUBSYSTEM=="hidraw", ATTRS=="0483", TAG+="uaccess")",
          R"(SUBSYSTEM=="hidraw" TAG+="uaccess")", R"(SUBSYSTEM=="hidraw", TAG+="uaccess",)",
          R"(SUBSYSTEM=="hidraw", TAG+="uaccess)"})
        QVERIFY2(tokens(QLatin1String(line)).isEmpty(), line);
    QCOMPARE(tokens(QStringLiteral(R"(SUBSYSTEM!="usb", MODE="0660")")).size(), 2);
}

void TestUdevRule::grantsTheWheelBaseToTheSeatBeforeTheSeatRules()
{
    const QString path =
        qEnvironmentVariable("VELORAX_UDEV_RULE", QStringLiteral(VELORAX_UDEV_RULE_SOURCE));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(path));
    int granting = 0;
    for (QString line :
         QString::fromUtf8(file.readAll()).replace(QLatin1String("\\\n"), QString()).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList t = tokens(line);
        QVERIFY2(!t.isEmpty(), qPrintable(line));
        // ATTRS, not ATTR: the ids belong to the USB device above the node.
        const QStringList grant{"SUBSYSTEM== hidraw", "ATTRS{idVendor}== 0483",
                                "ATTRS{idProduct}== 0522", "TAG+= uaccess"};
        granting += std::all_of(grant.begin(), grant.end(),
                                [&](const QString &g) { return t.contains(g); });
    }
    QCOMPARE(granting, 1);
    // 73-seat-late.rules turns the uaccess tag into an ACL; a rule sorting after it is too late.
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("60-velorax-wheelbase.rules"));
}

QTEST_GUILESS_MAIN(TestUdevRule)
#include "tst_udevrule.moc"
