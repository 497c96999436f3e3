// Windows command lines split as the C runtime splits them, and the wrapped program's arguments
// kept exactly as written: what Steam's %command% and shortcuts hand to --profile.
#include "windowscommandline.h"

#include <QtTest>

class TestWindowsCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void splitsAndKeepsTheTail_data();
    void splitsAndKeepsTheTail();
};

void TestWindowsCommandLine::splitsAndKeepsTheTail_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("tail"); // after the wrapped program, `--` being the separator
    QTest::newRow("Steam's quoted game path with spaces and its options")
        << R"("C:\Tools\velorax-manager.exe" --profile acc -- "C:\Program Files (x86)\Steam\game.exe" -dx11  -w "a b")"
        << QStringList{"--profile", "acc", "--", R"(C:\Program Files (x86)\Steam\game.exe)",
                       "-dx11",     "-w",  "a b"}
        << R"(-dx11  -w "a b")";
    QTest::newRow("backslashes before quotes halve, an odd one escapes the quote")
        << R"(vm.exe -- g.exe "C:\dir\\" a\\\"b c\d)"
        << QStringList{"--", "g.exe", R"(C:\dir\)", R"(a\"b)", R"(c\d)"}
        << R"("C:\dir\\" a\\\"b c\d)";
    QTest::newRow("a doubled quote inside quotes is a quote, an empty pair an empty argument")
        << R"("vm.exe" -- g.exe "say ""hi""" "")" << QStringList{"--", "g.exe", R"(say "hi")", ""}
        << R"("say ""hi""" "")";
    QTest::newRow("a program without arguments leaves no tail")
        << "vm.exe --profile acc -- g.exe  " << QStringList{"--profile", "acc", "--", "g.exe"}
        << "";
}

void TestWindowsCommandLine::splitsAndKeepsTheTail()
{
    QFETCH(QString, line);
    QFETCH(QStringList, arguments);
    QFETCH(QString, tail);
    QCOMPARE(wincmd::arguments(line), arguments);
    const int programAndArguments = arguments.size() - arguments.indexOf("--") - 1;
    QCOMPARE(wincmd::trailingArgumentsText(line, programAndArguments), tail);
}

QTEST_APPLESS_MAIN(TestWindowsCommandLine)
#include "tst_windowscommandline.moc"
