// Start-up time and peak memory of the tool: spawns bench_startup_child
// (the real start-up path against the simulated base) several times and
// prints "name value unit" lines; see docs/performance.md.
//
//   bench_startup [runs]   (default 9 start-ups, then one 10 s stream run)

#include "benchsupport.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

extern char **environ;

namespace {

std::string childPath(const char *self)
{
    std::string path(self);
    const std::size_t slash = path.rfind('/');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
           "bench_startup_child";
}

// Runs the child once; returns its figures by name.
std::map<std::string, double> runChild(const std::string &path, int streamSeconds,
                                       const std::string &runtimeDir, bool bare = false)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        if (std::strncmp(*e, "VELORAX_BENCH_", 14) != 0 && std::strncmp(*e, "XDG_RUNTIME_DIR=", 16))
            env.emplace_back(*e);
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
    if (!std::getenv("QT_LOGGING_RULES"))
        env.emplace_back("QT_LOGGING_RULES=*.debug=false");
    // A runtime folder of its own, so that a copy of the tool running
    // elsewhere for this user does not turn the child into a second copy.
    env.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    env.push_back("VELORAX_BENCH_STREAM_SECONDS=" + std::to_string(streamSeconds));
    if (bare)
        env.emplace_back("VELORAX_BENCH_BARE=1");
    env.emplace_back(); // the spawn time, set last

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char *argv[] = {const_cast<char *>(path.c_str()), nullptr};

    env.back() = "VELORAX_BENCH_SPAWN_NS=" + std::to_string(bench::nowNs());
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[512];
    ssize_t n = 0;
    while (spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(n));
    close(out[0]);
    int status = 0;
    if (spawned == 0)
        waitpid(pid, &status, 0);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the child failed (spawn %d, status %d)\n", spawned, status);
        return {};
    }

    std::map<std::string, double> figures;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        char name[128];
        double value = 0;
        if (std::sscanf(text.substr(pos, end - pos).c_str(), "%127s %lf", name, &value) == 2)
            figures[name] = value;
        pos = end + 1;
    }
    return figures;
}

void printSpread(const char *name, std::vector<double> values, const char *unit)
{
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    const std::string base(name);
    bench::printFigure((base + "_min").c_str(), values.front(), unit);
    bench::printFigure((base + "_median").c_str(), values[values.size() / 2], unit);
    bench::printFigure((base + "_max").c_str(), values.back(), unit);
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::string child = childPath(argv[0]);
    char runtimeTemplate[] = "/tmp/velorax-bench-XXXXXX";
    const char *runtimeDir = mkdtemp(runtimeTemplate);
    if (!runtimeDir)
        return 1;

    // The bare window's start-ups alternate with the tool's, so that both
    // see the same load.
    std::vector<double> toMain, toShown, toFrame, bareFrame;
    for (int run = 0; run < runs; ++run) {
        const auto bare = runChild(child, 0, runtimeDir, true);
        if (!bare.count("startup_to_first_frame"))
            return 1;
        bareFrame.push_back(bare.at("startup_to_first_frame"));
        const auto figures = runChild(child, 0, runtimeDir);
        if (!figures.count("startup_to_first_frame") || !figures.count("startup_to_shown_call"))
            return 1;
        toMain.push_back(figures.at("startup_to_main"));
        toShown.push_back(figures.at("startup_to_shown_call"));
        toFrame.push_back(figures.at("startup_to_first_frame"));
    }
    printSpread("startup_to_main", toMain, "ms");
    printSpread("startup_to_shown_call", toShown, "ms");
    printSpread("startup_to_first_frame", toFrame, "ms");
    printSpread("startup_bare_window_to_first_frame", bareFrame, "ms");
    std::sort(toFrame.begin(), toFrame.end());
    std::sort(bareFrame.begin(), bareFrame.end());
    bench::printFigure("startup_to_first_frame_vs_bare_window",
                       toFrame[toFrame.size() / 2] / bareFrame[bareFrame.size() / 2], "x");

    const auto stream = runChild(child, 10, runtimeDir);
    if (!stream.count("peak_rss_after_stream"))
        return 1;
    bench::printFigure("peak_rss_after_10s_1khz_stream", stream.at("peak_rss_after_stream"), "MiB");
    bench::printFigure("rss_after_10s_1khz_stream", stream.at("rss_after_stream"), "MiB");
    rmdir(runtimeDir);
    return 0;
}
