// The live cost and the latencies of the tool: the real Widget, offscreen,
// against the simulated wheel base behind a probing platform. Prints
// "name value unit" lines; see docs/performance.md.
//
//   bench_live [seconds]   (default 10: each cost phase runs this long)
//
// VELORAX_BENCH_DIAG=1 also prints what the GUI thread handled per second;
// VELORAX_BENCH_HIDDEN=1 leaves the window unshown, to tell painting apart.

#include "benchsupport.h"
#include "gaugearc.h"
#include "platform.h"
#include "profilefolder.h"
#include "reports.h"
#include "widget.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QHash>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

using bench::nowNs;
using bench::printFigure;

// Runs the event loop for `ms` milliseconds without adding work of its own.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds (checked whenever the loop is about
// to sleep) or `timeoutMs` passed.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &loop, [&] {
                         if (done())
                             loop.quit();
                     });
    if (done())
        return true;
    timeout.start(timeoutMs);
    loop.exec();
    return done();
}

struct Stats
{
    double min = 0, median = 0, max = 0;
};

Stats statsOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

void printStats(const char *name, const std::vector<double> &values, const char *unit)
{
    const Stats stats = statsOf(values);
    const std::string base(name);
    printFigure((base + "_min").c_str(), stats.min, unit);
    printFigure((base + "_median").c_str(), stats.median, unit);
    printFigure((base + "_max").c_str(), stats.max, unit);
    printFigure((base + "_samples").c_str(), double(values.size()), "count");
}

// With VELORAX_BENCH_DIAG set: what wakes the GUI thread, as events per
// second by receiver class and event type, printed to standard error.
class EventCensus : public QObject
{
public:
    void start()
    {
        m_counts.clear();
        m_start = nowNs();
        qApp->installEventFilter(this);
    }
    void stop(const char *phase)
    {
        qApp->removeEventFilter(this);
        const double seconds = double(nowNs() - m_start) / 1e9;
        std::vector<std::pair<int, QString>> sorted;
        for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
            sorted.emplace_back(it.value(), it.key());
        std::sort(sorted.rbegin(), sorted.rend());
        for (const auto &[count, key] : sorted) {
            if (count / seconds >= 0.5)
                std::fprintf(stderr, "events %s %-60s %8.1f /s\n", phase, qPrintable(key),
                             count / seconds);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QString key = QString::fromLatin1(watched->metaObject()->className()) +
                            QLatin1Char(':') + watched->objectName() + QLatin1Char(' ') +
                            QString::number(int(event->type()));
        ++m_counts[key];
        return false;
    }

private:
    QHash<QString, int> m_counts;
    std::int64_t m_start = 0;
};

// CPU time of the tool's threads over `seconds` of wall time, as a share of
// one core. The simulated base's own threads are left out.
double measureCost(const char *phase, int seconds, const std::set<pid_t> &simThreads,
                   bench::ProbePlatform &probe)
{
    const int liveBefore = probe.base().liveReportsSent();
    const auto before = bench::sampleThreads();
    const std::int64_t start = nowNs();
    runFor(seconds * 1000);
    const std::int64_t wall = nowNs() - start;
    const auto after = bench::sampleThreads();
    const int liveReports = probe.base().liveReportsSent() - liveBefore;
    if (qEnvironmentVariableIsSet("VELORAX_BENCH_DIAG")) {
        // A separate pass, so that counting does not weigh on the figures.
        EventCensus census;
        census.start();
        runFor(2000);
        census.stop(phase);
    }

    std::int64_t gui = 0, reader = 0, other = 0, simulated = 0;
    int otherCount = 0;
    for (const auto &[tid, ns] : bench::cpuDelta(before, after)) {
        if (simThreads.count(tid))
            simulated += ns;
        else if (tid == bench::mainThreadId())
            gui += ns;
        else if (after.at(tid).name == "USBThread")
            reader += ns;
        else {
            other += ns;
            ++otherCount;
        }
    }
    const auto percent = [wall](std::int64_t ns) { return 100.0 * double(ns) / double(wall); };
    const std::string p = std::string("cost_") + phase;
    printFigure((p + "_gui_thread").c_str(), percent(gui), "%core");
    printFigure((p + "_reader_thread").c_str(), percent(reader), "%core");
    printFigure((p + "_other_tool_threads").c_str(), percent(other), "%core");
    printFigure((p + "_other_tool_thread_count").c_str(), otherCount, "count");
    printFigure((p + "_tool_total").c_str(), percent(gui + reader + other), "%core");
    printFigure((p + "_simulated_base_excluded").c_str(), percent(simulated), "%core");
    printFigure((p + "_live_reports").c_str(), liveReports * 1e9 / double(wall), "Hz");
    return percent(gui + reader + other);
}

// The floor under the live cost: a bare thread reading the same 1000 live
// reports (and one status report) a second through the same platform channel,
// and doing nothing with them. No reader can cost less than this.
double measureFloor(int seconds)
{
    sim::SimConfig config;
    config.liveRateHz = 1000;
    config.statusIntervalMs = 1000;
    bench::ProbePlatform probe(config);
    const std::vector<device::HidInterfaceInfo> found = probe.enumerate();
    if (found.empty())
        return 0;
    std::shared_ptr<device::HidReadChannel> channel =
        probe.openForReading(found.front().path).channel;
    if (!channel)
        return 0;
    std::atomic<clockid_t> readerClock{0};
    std::atomic<int> reports{0};
    std::thread reader([&] {
        clockid_t clock = 0;
        pthread_getcpuclockid(pthread_self(), &clock);
        readerClock = clock;
        std::uint8_t buffer[device::kInputReportLength];
        while (channel->read(buffer, sizeof buffer).status == device::ReadStatus::Report)
            ++reports;
    });
    while (readerClock == 0)
        std::this_thread::yield();
    runFor(500);
    timespec t0{}, t1{};
    clock_gettime(readerClock, &t0);
    const int reports0 = reports;
    const std::int64_t start = nowNs();
    runFor(seconds * 1000);
    const double wall = double(nowNs() - start);
    clock_gettime(readerClock, &t1);
    const int received = reports - reports0;
    channel->cancel();
    reader.join();
    const double ns = double(t1.tv_sec - t0.tv_sec) * 1e9 + double(t1.tv_nsec - t0.tv_nsec);
    printFigure("cost_floor_1khz_bare_reading_thread", 100.0 * ns / wall, "%core");
    printFigure("cost_floor_1khz_reports", received * 1e9 / wall, "Hz");
    return 100.0 * ns / wall;
}

// A raw wheel position that the gauge shows as `degrees` for `angleRange`.
quint16 rawForDegrees(int degrees, int angleRange)
{
    int raw = protocol::WheelCentre + degrees * protocol::WheelCentre / std::max(1, angleRange / 2);
    raw = std::clamp(raw, 0, 0xFFFF);
    const int step = degrees >= 0 ? 1 : -1;
    while (protocol::wheelPositionDegrees(quint16(raw), quint16(angleRange)) != degrees &&
           raw > 0 && raw < 0xFFFF)
        raw += step;
    return quint16(raw);
}

// From a live report leaving the platform layer to the wheel gauge holding
// the position it carries.
void measureLiveLatency(Widget &window, bench::ProbePlatform &probe, std::mt19937 &random)
{
    auto *gauge = window.findChild<GaugeArc *>(QStringLiteral("gaugeArc"));
    auto *angleField = window.findChild<QLineEdit *>(QStringLiteral("lineStreeingAngle"));
    const int angleRange = angleField ? angleField->text().toInt() : 0;
    if (!gauge || angleRange < 100) {
        std::fprintf(stderr, "no steering range read back (%d); skipping the live latency\n",
                     angleRange);
        return;
    }
    std::vector<double> latencies;
    std::uniform_int_distribution<int> pause(0, 60);
    std::uniform_int_distribution<int> magnitude(10, angleRange / 2 - 10);
    int sign = 1;
    for (int sample = 0; sample < 60; ++sample) {
        sign = -sign;
        const int degrees = sign * magnitude(random);
        const quint16 raw = rawForDegrees(degrees, angleRange);
        const int expected = protocol::wheelPositionDegrees(raw, quint16(angleRange));
        probe.stampWheelPosition(raw);
        std::int64_t shownNs = 0;
        runUntil(
            [&] {
                if (shownNs == 0 && int(gauge->value()) == expected && probe.firstStampedNs())
                    shownNs = nowNs();
                return shownNs != 0;
            },
            1000);
        if (shownNs && probe.firstStampedNs())
            latencies.push_back(double(shownNs - probe.firstStampedNs()) / 1e6);
        runFor(pause(random));
    }
    probe.stopStamping();
    printStats("latency_live_report_to_gauge", latencies, "ms");
}

// From the last of a burst of slider changes to the machine-settings report
// entering the platform layer.
void measureSliderLatency(Widget &window, bench::ProbePlatform &probe, std::mt19937 &random)
{
    auto *slider = window.findChild<QSlider *>(QStringLiteral("SliderDamping"));
    if (!slider)
        return;
    std::vector<double> latencies;
    std::uniform_int_distribution<int> value(slider->minimum(), slider->maximum());
    for (int sample = 0; sample < 12; ++sample) {
        std::int64_t last = 0;
        for (int move = 0; move < 5; ++move) {
            int next = value(random);
            if (next == slider->value())
                next = next == slider->maximum() ? next - 1 : next + 1;
            last = nowNs();
            slider->setValue(next);
            if (move < 4)
                runFor(40);
        }
        std::int64_t sent = 0;
        runUntil(
            [&] {
                sent = probe.featureSentNs(std::string("\x80\x01", 2), last);
                return sent != 0;
            },
            1500);
        if (sent)
            latencies.push_back(double(sent - last) / 1e6);
        runFor(100);
    }
    printStats("latency_slider_to_report", latencies, "ms");
}

// From Enter in a field with a typed value to the report entering the
// platform layer.
void measureEnterLatency(Widget &window, bench::ProbePlatform &probe)
{
    auto *field = window.findChild<QLineEdit *>(QStringLiteral("lineDamping"));
    if (!field)
        return;
    std::vector<double> latencies;
    for (int sample = 0; sample < 20; ++sample) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::number(20 + sample));
        const std::int64_t before = nowNs();
        QTest::keyClick(field, Qt::Key_Enter);
        std::int64_t sent = 0;
        runUntil(
            [&] {
                sent = probe.featureSentNs(std::string("\x80", 1), before);
                return sent != 0;
            },
            1000);
        if (sent)
            latencies.push_back(double(sent - before) / 1e6);
        runFor(250);
    }
    printStats("latency_enter_to_report", latencies, "ms");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "*.debug=false");
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    QApplication application(argc, argv);
    const double floor = measureFloor(seconds);
    QTemporaryDir profileFolder;
    profiles::setProfileFolderForTesting(profileFolder.path());

    const std::set<pid_t> beforeBase = bench::threadIds();
    sim::SimConfig config;
    config.liveRateHz = 1000;
    config.statusIntervalMs = 1000;
    auto platform = std::make_unique<bench::ProbePlatform>(config);
    bench::ProbePlatform &probe = *platform;
    std::set<pid_t> simThreads;
    for (const pid_t tid : bench::threadIds()) {
        if (!beforeBase.count(tid))
            simThreads.insert(tid);
    }
    probe.base().unplug();
    device::installPlatform(std::move(platform));

    {
        Widget window;
        if (!qEnvironmentVariableIsSet("VELORAX_BENCH_HIDDEN"))
            window.show();
        window.Slot_FilterVersionColtrol(0);
        window.Get_LacaelLanuage(0);
        runFor(2000);
        measureCost("idle", seconds, simThreads, probe);

        probe.base().plug();
        if (!runUntil([&] { return window.deviceFound(); }, 3000)) {
            std::fprintf(stderr, "the simulated base did not connect\n");
            return 1;
        }
        // Past the read-back and the connection lamp sequence.
        runFor(5000);
        const double tool = measureCost("1khz", seconds, simThreads, probe);
        if (floor > 0)
            printFigure("cost_1khz_tool_to_floor_ratio", tool / floor, "x");

        std::mt19937 random(20240611);
        measureLiveLatency(window, probe, random);
        measureSliderLatency(window, probe, random);
        measureEnterLatency(window, probe);
    }
    device::installPlatform(nullptr);
    profiles::setProfileFolderForTesting(QString());
    return 0;
}
