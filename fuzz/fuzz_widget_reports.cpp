// Sequences of input reports through the real window: each report is posted
// as a USBEvent to the session of a Widget connected to the simulated wheel base (which sends
// nothing on its own), and the read-back and live passes run over what was
// filed. Whatever the reports hold, the window neither crashes nor runs more
// than one reader, its axis gauges stay within their ranges and nothing it
// sends afterwards is out of range.
//
// Input: a sequence of chunks, each led by a control byte c:
//   c >> 6 == 0  a 20-byte report follows (zeros where the input ends)
//   c >> 6 == 1  a report of c & 0x3F bytes follows
//   c >> 6 == 2  the read-back pass runs; with c & 1 the live pass too
//   c >> 6 == 3  pending events and timers run; c == 0xFF unplugs the base
//                and plugs it back first (once per input)

#include "../tests/support/featurecheck.h"
#include "fuzzcheck.h"
#include "gaugearc.h"
#include "gaugesimple.h"
#include "platform.h"
#include "profilefolder.h"
#include "simplatform.h"
#include "usbevent.h"
#include "usbthread.h"
#include "widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace {

QApplication *s_application = nullptr;
QTemporaryDir *s_profiles = nullptr;
std::shared_ptr<sim::SimWheelBase> s_base;
Widget *s_widget = nullptr;

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 2000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(200);
    }
    return true;
}

// Message boxes wait for a click that never comes; close every one.
void dismissBoxes()
{
    while (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(top) && top->isVisible())
            top->close();
    }
}

void replug()
{
    s_base->unplug();
    waitFor([] { return !s_widget->deviceFound(); }, 500);
    s_base->plug();
    FUZZ_CHECK(waitFor([] { return s_widget->deviceFound(); }));
}

void post(const QByteArray &bytes)
{
    QCoreApplication::postEvent(s_widget->session(), new USBEvent(bytes));
    QCoreApplication::sendPostedEvents(s_widget->session(), USBEvent::kType);
}

QList<GaugeSimple *> s_axisGauges;
GaugeArc *s_wheelGauge = nullptr;

void checkIndicators()
{
    FUZZ_CHECK(USBThread::runningCount() <= 1);
    for (const GaugeSimple *gauge : qAsConst(s_axisGauges))
        FUZZ_CHECK(gauge->value() >= 0 && gauge->value() <= 4095);
    // A read-back may narrow the wheel gauge's range below its value; the
    // gauge keeps the value then (the next live tick brings it back), so
    // only its range is checked.
    FUZZ_CHECK(std::isfinite(s_wheelGauge->value()));
    FUZZ_CHECK(s_wheelGauge->minValue() < s_wheelGauge->maxValue());
}

// Whatever the reports left in the form, what the window sends afterwards
// (timers, Enter, a mode choice) lies in the catalogue's ranges and carries no
// centre command.
void checkSends()
{
    s_widget->SetSendMachineryData();
    s_widget->SetSendGamesData();
    s_widget->Slot_SengDataFromkeyPressEvent();
    s_widget->EightZeroZeroFour();
    for (const sim::FeatureRecord &record : s_base->featureLog()) {
        FUZZ_CHECK(featurecheck::unsafeValues(record.bytes).isEmpty());
        FUZZ_CHECK(!featurecheck::isCentreCommand(record.bytes));
    }
    s_base->clearFeatureLog();
}

// Paints the gauges with whatever state the reports left them in.
void paintGauges()
{
    for (GaugeSimple *gauge : qAsConst(s_axisGauges))
        (void)gauge->grab();
    (void)s_wheelGauge->grab();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false;velorax.*.warning=false");
    static int argc = 1;
    static char name[] = "fuzz_widget_reports";
    static char *argv[] = {name, nullptr};
    s_application = new QApplication(argc, argv);
    s_profiles = new QTemporaryDir;
    FUZZ_CHECK(s_profiles->isValid());
    profiles::setProfileFolderForTesting(s_profiles->path());

    sim::SimConfig config;
    config.liveRateHz = 0;
    config.statusIntervalMs = 0;
    auto platform = std::make_unique<sim::SimPlatform>(config);
    s_base = platform->wheelBase();
    device::installPlatform(std::move(platform));

    s_widget = new Widget;
    // Not shown: repainting the whole window would cost more than the logic
    // under test. The gauges are painted at the end of every input instead.
    s_widget->Slot_FilterVersionColtrol(0);
    s_widget->Get_LacaelLanuage(0);
    s_axisGauges = s_widget->findChildren<GaugeSimple *>();
    s_wheelGauge = s_widget->findChild<GaugeArc *>(QStringLiteral("gaugeArc"));
    FUZZ_CHECK(s_axisGauges.size() == 6 && s_wheelGauge);
    auto *dismisser = new QTimer(s_application);
    QObject::connect(dismisser, &QTimer::timeout, dismissBoxes);
    dismisser->start(0);
    FUZZ_CHECK(waitFor([] { return s_widget->deviceFound(); }));
    // Let the answer to the start-up read request arrive and be applied.
    waitFor([] { return false; }, 300);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // An earlier input may have dropped the link (old firmware); the window
    // files and applies reports all the same, so the input goes on from
    // there. Reconnecting costs a whole relook of the window: only 0xFF does.
    bool replugged = false; // at most once per input: it is slow
    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t control = data[pos++];
        switch (control >> 6) {
        case 0:
        case 1: {
            const std::size_t length = (control >> 6) == 0 ? 20 : (control & 0x3F);
            QByteArray bytes(reinterpret_cast<const char *>(data + pos),
                             int(std::min(length, size - pos)));
            pos += std::size_t(bytes.size());
            if ((control >> 6) == 0)
                bytes.append(QByteArray(20 - bytes.size(), '\0'));
            post(bytes);
            break;
        }
        case 2:
            s_widget->ReadReportBufferToSetGames();
            if (control & 1)
                s_widget->ReadBufferToZreoOneReport();
            break;
        case 3:
            if (control == 0xFF && !replugged) {
                replug();
                replugged = true;
            }
            QCoreApplication::processEvents();
            break;
        }
        dismissBoxes();
        checkIndicators();
    }
    s_widget->ReadReportBufferToSetGames();
    s_widget->ReadBufferToZreoOneReport();
    dismissBoxes();
    checkIndicators();
    checkSends();
    paintGauges();
    return 0;
}
