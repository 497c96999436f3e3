// Renders each page of the real main window, and the background instance's tray menu, to PNG,
// offscreen, in Chinese and in English. The window runs against the simulated wheel base with its
// driver at the wheel, and the live data flows until the connection lamp
// sequence has ended before the pages are taken.

#include "background.h"
#include "languagetable.h"
#include "platform.h"
#include "profilefolder.h"
#include "simplatform.h"
#include "widget.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QLocale>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

struct Language
{
    QLocale::Language language;
    QLocale::Country country;
    const char *suffix;
};

constexpr Language kLanguages[] = {
    {QLocale::Chinese, QLocale::China, "zh"},
    {QLocale::English, QLocale::UnitedStates, "en"},
};

struct Page
{
    const char *name;
    void (Widget::*show)();
};

constexpr Page kPages[] = {
    {"settings", &Widget::on_ValueSet_clicked},
    {"calibration", &Widget::on_toolButton_4_clicked},
    {"status", &Widget::on_toolButton_6_clicked},
};

// The window is 1200 x 675; a page that grabs at another size was laid out
// differently from what the form says.
constexpr QSize kWindowSize(1200, 675);

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool renderLanguage(const Language &language, const QDir &outputDir, int settleMs)
{
    QLocale::setDefault(QLocale(language.language, language.country));
    QTemporaryDir profiles;
    if (!profiles.isValid()) {
        std::fprintf(stderr, "velorax-screenshots: no temporary folder for the profiles\n");
        return false;
    }
    profiles::setProfileFolderForTesting(profiles.path());
    device::installPlatform(std::make_unique<sim::SimPlatform>());

    bool ok = true;
    {
        Widget window;
        window.show();
        window.Slot_FilterVersionColtrol(language.language);
        window.Get_LacaelLanuage(language.language);
        runEventLoopFor(settleMs);

        for (const Page &page : kPages) {
            (window.*page.show)();
            runEventLoopFor(300);
            const QPixmap picture = window.grab();
            const QString path = outputDir.filePath(
                QStringLiteral("%1-%2.png")
                    .arg(QLatin1String(page.name), QLatin1String(language.suffix)));
            if (picture.size() != kWindowSize)
                std::fprintf(stderr, "velorax-screenshots: %s is %dx%d, not %dx%d\n",
                             qPrintable(path), picture.width(), picture.height(),
                             kWindowSize.width(), kWindowSize.height());
            if (!picture.save(path, "PNG")) {
                std::fprintf(stderr, "velorax-screenshots: cannot write %s\n", qPrintable(path));
                ok = false;
                continue;
            }
            std::printf("%s\n", qPrintable(path));
        }
    }

    // The background instance's tray menu, with a bound game running.
    {
        const language::MessageLanguageScope scope(
            language.language == QLocale::Chinese ? language::Chinese : language::English);
        TrayMenu menu(nullptr);
        menu.setActiveGames({QStringLiteral("acc.exe")});
        menu.adjustSize();
        const QString path =
            outputDir.filePath(QStringLiteral("tray-menu-%1.png").arg(language.suffix));
        if (menu.grab().save(path, "PNG"))
            std::printf("%s\n", qPrintable(path));
        else
            ok = false;
    }

    device::installPlatform(nullptr);
    profiles::setProfileFolderForTesting(QString());
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velorax-screenshots"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velorax"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Renders the three pages of Velorax Manager and the background instance's tray menu, in "
        "Chinese and English, to PNG files <page>-<zh|en>.png and tray-menu-<zh|en>.png."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("output-dir"),
                                 QStringLiteral("Folder for the pictures (created if missing)."));
    const QCommandLineOption settle(
        QStringLiteral("settle"),
        QStringLiteral("Milliseconds of live data before the pages are taken (default 4500: the "
                       "connection lamps end their sequence after four seconds)."),
        QStringLiteral("ms"), QStringLiteral("4500"));
    parser.addOption(settle);
    parser.process(application);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1)
        parser.showHelp(2);
    bool settleValid = false;
    const int settleMs = parser.value(settle).toInt(&settleValid);
    if (!settleValid || settleMs < 0) {
        std::fprintf(stderr, "velorax-screenshots: --settle needs a number of milliseconds\n");
        return 2;
    }
    const QDir outputDir(arguments.first());
    if (!QDir().mkpath(outputDir.path())) {
        std::fprintf(stderr, "velorax-screenshots: cannot create %s\n",
                     qPrintable(outputDir.path()));
        return 1;
    }

    bool ok = true;
    for (const Language &language : kLanguages)
        ok = renderLanguage(language, outputDir, settleMs) && ok;
    return ok ? 0 : 1;
}
