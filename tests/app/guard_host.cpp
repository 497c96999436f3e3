// The real start-up, with hooks that let a test see what happens: the first
// copy reports "ready" and every message it receives; a second copy reports
// its box and dismisses it.
#include "startup.h"

#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    StartupHooks hooks;
    hooks.afterShow = [](Widget *) { std::printf("ready\n"); };
    hooks.onInstanceMessage = [](const QString &message) {
        std::printf("message:%s\n", qPrintable(message));
    };
    hooks.beforeAlreadyRunningBox = [](QMessageBox *box) {
        std::printf("box:%s|%s\n", box->windowTitle().toUtf8().constData(),
                    box->text().toUtf8().constData());
        QTimer::singleShot(100, box, [box] { box->done(QMessageBox::Ok); });
    };
    return runApplication(argc, argv, hooks);
}
