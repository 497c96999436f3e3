// The tool as the start-up benchmark runs it: the real start-up path
// (runApplication) against the simulated wheel base streaming at 1 kHz, like
// the demo. Prints, as "name value unit" lines:
//   startup_to_main         from the spawn to main() (loading and linking)
//   startup_to_shown_call   from the spawn to the return of show() and the
//                           edition and language set-up that follow it
//   startup_to_first_frame  from the spawn to the first frame of the window
//   peak_rss_after_stream   VmHWM after VELORAX_BENCH_STREAM_SECONDS of the
//                           stream (only when that is above 0)
// The spawn time comes from the parent in VELORAX_BENCH_SPAWN_NS. With
// VELORAX_BENCH_BARE set it shows a bare frameless 1200 x 675 window instead
// of the tool, the floor its start-up is compared with.

#include "benchsupport.h"
#include "platform.h"
#include "profilefolder.h"
#include "startup.h"
#include "widget.h"

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <memory>

namespace {

std::int64_t s_spawnNs = 0;
int s_streamSeconds = 0;

// Notices the first paint of the main window; the frame is complete once the
// event that painted it has been handled, which the zero timer waits for.
class FirstFrameProbe : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            m_seen = true;
            QTimer::singleShot(0, this, &FirstFrameProbe::frameShown);
        }
        return false;
    }

private:
    void frameShown()
    {
        bench::printFigure("startup_to_first_frame", double(bench::nowNs() - s_spawnNs) / 1e6,
                           "ms");
        if (s_streamSeconds <= 0) {
            QCoreApplication::quit();
            return;
        }
        QTimer::singleShot(s_streamSeconds * 1000, this, [] {
            bench::printFigure("peak_rss_after_stream", double(bench::peakRssKiB()) / 1024.0,
                               "MiB");
            bench::printFigure("rss_after_stream", double(bench::currentRssKiB()) / 1024.0, "MiB");
            QCoreApplication::quit();
        });
    }

    bool m_seen = false;
};

// The floor: the same clock, a window with nothing in it.
int runBareWindow(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QApplication application(argc, argv);
    application.installEventFilter(new FirstFrameProbe(&application));
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.resize(1200, 675);
    window.show();
    bench::printFigure("startup_to_shown_call", double(bench::nowNs() - s_spawnNs) / 1e6, "ms");
    return application.exec();
}

} // namespace

int main(int argc, char **argv)
{
    const std::int64_t mainNs = bench::nowNs();
    const char *spawn = std::getenv("VELORAX_BENCH_SPAWN_NS");
    s_spawnNs = spawn ? std::strtoll(spawn, nullptr, 10) : mainNs;
    const char *stream = std::getenv("VELORAX_BENCH_STREAM_SECONDS");
    s_streamSeconds = stream ? std::atoi(stream) : 0;
    bench::printFigure("startup_to_main", double(mainNs - s_spawnNs) / 1e6, "ms");
    if (std::getenv("VELORAX_BENCH_BARE"))
        return runBareWindow(argc, argv);

    std::unique_ptr<QTemporaryDir> profileFolder;
    StartupHooks hooks;
    hooks.beforeWindow = [&profileFolder] {
        profileFolder = std::make_unique<QTemporaryDir>();
        profiles::setProfileFolderForTesting(profileFolder->path());
        qApp->installEventFilter(new FirstFrameProbe(qApp));
        sim::SimConfig config;
        config.liveRateHz = 1000;
        config.statusIntervalMs = 1000;
        device::installPlatform(std::make_unique<sim::SimPlatform>(config));
    };
    hooks.afterShow = [](Widget *) {
        bench::printFigure("startup_to_shown_call", double(bench::nowNs() - s_spawnNs) / 1e6, "ms");
    };
    const int result = runApplication(argc, argv, hooks);
    device::installPlatform(nullptr);
    return result;
}
