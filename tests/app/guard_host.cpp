// The real start-up, with hooks that let a test see what happens: the first copy minimises its
// window behind another and reports "ready", then "raised" once its window is back and active.
// A second copy reports its box and dismisses it.
#include "startup.h"
#include "widget.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    StartupHooks hooks;
    hooks.afterShow = [](Widget *window) {
        auto *other = new QWidget(window, Qt::Window);
        other->show();
        other->activateWindow();
        window->showMinimized();
        auto *poll = new QTimer(window);
        QObject::connect(
            poll, &QTimer::timeout, window, [window, other, poll, ready = false]() mutable {
                if (!ready && window->isMinimized() && QApplication::activeWindow() == other) {
                    ready = true;
                    std::printf("ready\n");
                } else if (ready && !window->isMinimized() && window->isActiveWindow()) {
                    std::printf("raised\n");
                    poll->stop();
                }
            });
        poll->start(10);
    };
    hooks.beforeAlreadyRunningBox = [](QMessageBox *box) {
        std::printf("box:%s|%s\n", box->windowTitle().toUtf8().constData(),
                    box->text().toUtf8().constData());
        QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
    };
    return runApplication(argc, argv, hooks);
}
