// The cost of watching for bound games: the process watcher's scans with a few hundred
// processes running, as the CPU time of its thread per second of watching (the watcher scans
// once a second). Prints "name value unit" lines.
//   bench_watch [processes] [scans]       (default 300 processes, 200 scans)

#include "processwatcher.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int wanted = argc > 1 ? std::atoi(argv[1]) : 300;
    const int scans = argc > 2 ? std::atoi(argv[2]) : 200;
    // Processes beside those the machine runs already, each waiting to be ended.
    std::vector<pid_t> children;
    for (int i = 0; i < wanted; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            pause();
            _exit(0);
        }
        if (child > 0)
            children.push_back(child);
    }
    session::ProcessWatcher watcher;
    watcher.setPrograms({QStringLiteral("no-such-game"), QStringLiteral("another-game")});
    const double firstStart = threadCpuSeconds();
    watcher.scan(); // reads every process once
    const double first = threadCpuSeconds() - firstStart;
    const double start = threadCpuSeconds();
    for (int i = 0; i < scans; ++i)
        watcher.scan();
    const double perScan = (threadCpuSeconds() - start) / scans;
    const std::size_t running = session::systemProcessIds().size();
    for (const pid_t child : children)
        kill(child, SIGKILL);
    for (const pid_t child : children)
        waitpid(child, nullptr, 0);
    std::printf("watch_processes %zu count\n", running);
    std::printf("watch_first_scan %.3f ms\n", first * 1e3);
    std::printf("watch_scan %.1f us\n", perScan * 1e6);
    std::printf("watch_cpu_share %.4f %%\n",
                perScan / (session::ProcessWatcher::kIntervalMs / 1000.0) * 100.0);
    return 0;
}
