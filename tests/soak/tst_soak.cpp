// The soak test: the real window against the simulated base for minutes of
// random user actions and random device faults. Every feature report the base
// receives lies in its parameters' ranges, carries for each parameter a value
// that was committed (the base's own, a profile's, a slider's, a field's text
// taken with Enter or on leaving it, a choice; never a typed prefix, an
// erased field or a wheel turn over an unfocused control) and centres only
// after Center;
// afterwards the tool runs exactly one reader, its memory has not grown,
// every send succeeds once the base is back, and every profile on disk is
// still a valid profile.
//
// VELORAX_SOAK_SECONDS sets the length (default 180), VELORAX_SOAK_SEED the
// random seed (default: from the clock; it is printed either way).

#include "../profileflows/modalresponder.h"
#include "featurecheck.h"
#include "formcatalogue.h"
#include "inidocument.h"
#include "parameterprofile.h"
#include "processprobe.h"
#include "profilestore.h"
#include "usbthread.h"
#include "widgetharness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmapCache>
#include <QPointer>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <QSet>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <random>

namespace {

// Resident memory wanders by a few hundred KiB (allocator and cache noise);
// 25 bytes lost per live report (1000 a second) pass this in two minutes.
constexpr long kAllowedGrowthKiB = 3 * 1024;

// Under a sanitizer freed memory is held back by design, so resident memory
// says nothing about leaks; the leak checker covers that build instead.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELORAX_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VELORAX_SOAK_SANITIZED 1
#endif
#endif
#ifndef VELORAX_SOAK_SANITIZED
#define VELORAX_SOAK_SANITIZED 0
#endif

int soakSeconds()
{
    const int seconds = qEnvironmentVariableIntValue("VELORAX_SOAK_SECONDS");
    return seconds > 0 ? seconds : 180;
}

long median(QVector<long> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values.at(values.size() / 2);
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

public:
    TestSoak()
    {
        // QtTest ends a test function after five minutes unless told otherwise.
        if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
            qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((soakSeconds() + 300) * 1000LL));
    }

private slots:
    void randomActionsAndFaults();

private:
    int pick(int n) { return int(m_random() % unsigned(n)); }
    int pickIn(int low, int high) { return low + pick(high - low + 1); }

    void userAction();
    void checkSentValues(bool centreClicked);
    void checkAfterwards();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void allow(const protocol::ParameterValues &values);
    // What committing `field`'s text adds: its number, corrected into the range.
    void allowCommitted(const QLineEdit *field);

    // Per parameter, every value that was committed in some way.
    std::array<QSet<int>, protocol::ParameterCount> m_allowed;
    std::mt19937 m_random;
    std::unique_ptr<WidgetHarness> m_harness;
    std::unique_ptr<QObject> m_pending = std::make_unique<QObject>(); // the faults' timers
};

// The parameter whose slider, field or selector `control` is.
const protocol::ParameterInfo *parameterOf(const QObject *control)
{
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const form::Controls &c = form::controls(info.parameter);
        for (const char *name : {c.slider, c.lineEdit, c.combo})
            if (name && control->objectName() == QLatin1String(name))
                return &info;
    }
    return nullptr;
}

void TestSoak::allow(const protocol::ParameterValues &values)
{
    for (int p = 0; p < protocol::ParameterCount; ++p)
        m_allowed[std::size_t(p)].insert(values.value(protocol::Parameter(p)));
}

void TestSoak::allowCommitted(const QLineEdit *field)
{
    bool number = false;
    const int typed = field->text().toInt(&number);
    const protocol::ParameterInfo *info = parameterOf(field);
    if (number && info)
        m_allowed[std::size_t(info->parameter)].insert(info->range.bounded(typed));
}

bool TestSoak::eventFilter(QObject *watched, QEvent *event)
{
    // Seen before the window's own filter: leaving a field commits its text.
    const auto reason = [event] { return static_cast<QFocusEvent *>(event)->reason(); };
    if (event->type() == QEvent::FocusOut && reason() != Qt::ActiveWindowFocusReason &&
        reason() != Qt::PopupFocusReason)
        allowCommitted(static_cast<QLineEdit *>(watched));
    return false;
}

void TestSoak::userAction()
{
    if (QApplication::activeModalWidget())
        return; // the window takes no input while one of its dialogs is open
    Widget *w = m_harness->widget();
    const QStringList sliders = form::machineSliderNames() + form::gameSliderNamesInSendOrder();
    const QStringList fields = form::machineLineEditNames() + form::gameLineEditNamesInSendOrder();
    auto *slider = w->findChild<QSlider *>(sliders.at(pick(sliders.size())));
    auto *field = w->findChild<QLineEdit *>(fields.at(pick(fields.size())));
    auto *list = m_harness->child<QComboBox>("CB_ReadFile");
    auto *combo = m_harness->child<QComboBox>(pick(2) ? "colorComboBox" : "colorComboBox_2");
    const QStringList buttons = QStringLiteral("tbt_readdata tbt_savedata ValueSet toolButton_4 "
                                               "toolButton_6 ValueSet_2 toolButton_7 "
                                               "toolButton_8 ValueSet_3")
                                    .split(' ');
    const auto allowShown = [this](const QObject *control, int value) {
        m_allowed[std::size_t(parameterOf(control)->parameter)].insert(value);
    };
    const std::function<void()> actions[] = {
        [&] {
            slider->setValue(pickIn(slider->minimum(), slider->maximum()));
            allowShown(slider, slider->value());
        },
        [&] {
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, QString::number(pick(120) - 10));
            allowCommitted(field);
            QTest::keyClick(field, pick(2) ? Qt::Key_Enter : Qt::Key_Return);
        },
        [&] {
            checkSentValues(false);
            m_harness->child<QToolButton>("toolButton_3")->click();
            checkSentValues(true);
        },
        [&] { w->findChild<QToolButton *>(buttons.at(pick(buttons.size())))->click(); },
        [&] {
            const int index = pickIn(-1, list->count() - 1);
            const profiles::CheckedProfile chosen =
                profiles::checkProfile(m_harness->profileFolder() + '/' + list->itemText(index));
            if (chosen.verdict == profiles::ProfileVerdict::Loadable)
                allow(chosen.values);
            QMetaObject::invokeMethod(list, "activated", Q_ARG(int, index));
        },
        [&] {
            QTimer::singleShot(0, m_harness->child<QToolButton>("toolButton_5"),
                               &QToolButton::click);
        },
        [&] { w->on_comboBox_activated(1 + pick(2)); },
        [&] {
            const int index = pickIn(-1, combo->count() - 1);
            if (index >= 0)
                allowShown(combo, index);
            combo->setCurrentIndex(index);
        },
        [&] { // a prefix typed, or the field emptied, and left as it is
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, pick(3) ? QString::number(pick(20)) : QString());
            QTest::keyClick(field, Qt::Key_Backspace);
        },
        [&] { // a wheel turn, over a control that has the focus or not
            QWidget *controls[] = {slider, field, list, combo};
            QWidget *target = controls[pick(4)];
            if (pick(2))
                target->setFocus();
            QWheelEvent turn(QPointF(4, 4), QPointF(target->mapToGlobal(QPoint(4, 4))), QPoint(),
                             QPoint(0, pick(2) ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                             Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(target, &turn);
            if (target == slider && slider->hasFocus())
                allowShown(slider, slider->value());
        }};
    actions[pick(10)]();
}

// Every feature report the base received lies in the catalogue's ranges, and
// a centre command comes only from the Center click that was just made.
void TestSoak::checkSentValues(bool centreClicked)
{
    int centres = 0;
    for (const sim::FeatureRecord &record : m_harness->base().featureLog()) {
        const QString unsafe = featurecheck::unsafeValues(record.bytes);
        QVERIFY2(unsafe.isEmpty(), qPrintable(unsafe + ": " + record.bytes.left(11).toHex(' ')));
        centres += featurecheck::isCentreCommand(record.bytes) ? 1 : 0;
        const auto sub = protocol::SubCommand(quint8(record.bytes.at(1)));
        std::optional<protocol::ParameterValues> values;
        if (const auto machine = protocol::decodeMachineSettings(record.bytes))
            values = machine->values;
        else if (const auto game = protocol::decodeGameSettings(record.bytes))
            values = game->values;
        else if (const auto mode = protocol::decodeMode(record.bytes))
            values = mode->values;
        for (const protocol::ParameterInfo *info :
             values ? protocol::reportParameters(sub) : QVector<const protocol::ParameterInfo *>())
            QVERIFY2(
                m_allowed[std::size_t(info->parameter)].contains(values->value(info->parameter)),
                qPrintable(QStringLiteral("%1 = %2 was never committed: %3")
                               .arg(QLatin1String(info->name))
                               .arg(values->value(info->parameter))
                               .arg(QString::fromLatin1(record.bytes.left(11).toHex(' ')))));
    }
    QVERIFY2(centres <= (centreClicked ? 1 : 0), "a centre command nobody asked for");
    m_harness->base().clearFeatureLog();
}

// The base is unplugged and plugged back with good firmware: the window links
// to it again, keeps the link past a status report, and every send succeeds.
void TestSoak::checkAfterwards()
{
    sim::SimWheelBase &base = m_harness->base();
    Widget *w = m_harness->widget();
    m_pending.reset();
    base.setFirmwareVersion(6001);
    base.refuseFeatureReports(0);
    base.unplug();
    QVERIFY(WidgetHarness::waitFor([w] { return !w->deviceFound(); }));
    QSignalSpy versions(w, &Widget::ServoVersion);
    base.plug();
    QVERIFY(WidgetHarness::waitFor([&] { return versions.count() > 0; }, 5000));
    QVERIFY(w->deviceFound());
    QCOMPARE(USBThread::runningCount(), 1);

    m_harness->clearFeatures();
    auto *slider = m_harness->child<QSlider>("SliderDamping");
    slider->setValue(slider->value() == 40 ? 41 : 40);
    w->SetSendMachineryData();
    m_harness->child<QToolButton>("toolButton_3")->click();
    const QList<QByteArray> sent = m_harness->features();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(int(quint8(sent.at(0).at(8))), slider->value());
    QVERIFY(featurecheck::isCentreCommand(sent.at(1)));
    for (const sim::FeatureRecord &record : base.featureLog())
        QVERIFY(record.accepted);

    // Every profile on disk reads back whole; the saved ones are marked as this edition's.
    const QString folder = m_harness->profileFolder();
    for (const QString &name : profiles::listProfileFiles(folder)) {
        const profiles::ProfileValues values = profiles::ProfileValues::read(folder + '/' + name);
        QFile file(folder + '/' + name);
        QVERIFY2(values.status() == profiles::ReadStatus::Ok && file.open(QIODevice::ReadOnly) &&
                     profiles::IniDocument(file.readAll()).isWellFormed(),
                 qPrintable(name));
        QVERIFY(!name.startsWith("soak_") ||
                values.editionMarker() == profiles::EditionMarker::Ours);
    }
}

void TestSoak::randomActionsAndFaults()
{
    const int seconds = soakSeconds();
    const QByteArray given = qgetenv("VELORAX_SOAK_SEED");
    const quint32 seed =
        given.isEmpty() ? quint32(QDateTime::currentMSecsSinceEpoch()) : given.toUInt();
    qInfo("soak: %d s, seed %u (VELORAX_SOAK_SEED=%u repeats it)", seconds, seed, seed);
    m_random.seed(seed);
    // Qt keeps scaled style-sheet images in a 10 MiB cache by default; while
    // it fills, memory climbs for minutes and would hide a leak that size.
    QPixmapCache::setCacheLimit(1024);
    m_harness = std::make_unique<WidgetHarness>();
    QVERIFY(WidgetHarness::waitFor([this] { return m_harness->widget()->deviceFound(); }));
    // What the base starts with, its factory values and the shipped profile's are committed.
    const auto settingsValues = [](const sim::Settings &settings) {
        const sim::Settings *s = &settings;
        protocol::ParameterValues values;
        const int numbers[] = {s->angle,       s->totalForce,  s->filterFrequency, s->wheelSpring,
                               s->wheelDamper, s->wheelSpeed,  s->wheelFriction,   s->gameSpring,
                               s->gameDamper,  s->gameInertia, s->gameFriction,    s->constantForce,
                               s->periodForce, s->suspension,  s->response};
        for (int p = 0; p < protocol::ParameterCount; ++p)
            values.setValue(protocol::Parameter(p), numbers[p]);
        return values;
    };
    allow(settingsValues(m_harness->base().settings()));
    allow(settingsValues(sim::factorySettings()));
    QByteArray shipped = profiles::shippedDefaultProfile();
    shipped.replace("[Softward]", "[Softward]\r\nVer=0");
    const QTemporaryDir scratch;
    const QString shippedPath = scratch.filePath("shipped.ini");
    QFile shippedFile(shippedPath);
    QVERIFY(shippedFile.open(QIODevice::WriteOnly) && shippedFile.write(shipped) > 0);
    shippedFile.close();
    allow(profiles::checkProfile(shippedPath).values);
    for (const QString &name : form::machineLineEditNames() + form::gameLineEditNamesInSendOrder())
        m_harness->child<QLineEdit>(qPrintable(name))->installEventFilter(this);

    // The run is a fixed length of random input on timers; every 100 ms the
    // reports sent so far and the reader count are checked, and memory is
    // sampled once a second.
    QVector<long> resident;
    QTimer actions, faults, checks, sampler;
    // Dialogs are answered as an impatient user would: a random answer to a
    // message box; in the save dialog one of a few profile names
    // (overwriting at times) or Cancel.
    ModalResponder responder;
    QEventLoop loop;
    const auto every = [](QTimer &timer, int ms, const std::function<void()> &what) {
        QObject::connect(&timer, &QTimer::timeout, what);
        timer.start(ms);
    };
    every(actions, 50, [&] {
        responder.setAnswer(ModalResponder::Answer(pick(3)));
        responder.setSaveTarget(pick(4) ? m_harness->profileFolder() +
                                              QStringLiteral("/soak_%1.ini").arg(pick(5))
                                        : QString());
        responder.takeBoxes();
        userAction();
        actions.setInterval(10 + pick(90));
    });
    every(faults, 1000, [&] { // a random device fault, or a quiet moment
        sim::SimWheelBase &base = m_harness->base();
        const std::function<void()> kinds[] = {
            [&] {
                if (!base.isPlugged())
                    return;
                base.unplug(); // back after a while, as a person would plug it in
                QTimer::singleShot(100 + pick(1500), m_pending.get(), [&base] { base.plug(); });
            },
            [&] { base.refuseFeatureReports(1 + pick(3)); },
            [&] { base.injectReadError(); },
            [&] { base.injectShortReport(1 + pick(19)); },
            [&] { base.injectGarbageReports(1 + pick(20)); },
            [&] {
                // The next status report drops the link; a good base comes later.
                base.setFirmwareVersion(4999);
                QTimer::singleShot(1500 + pick(2000), m_pending.get(),
                                   [&base] { base.setFirmwareVersion(6001); });
            }};
        if (const int kind = pick(8); kind < 6) // else a quiet moment
            kinds[kind]();

        faults.setInterval(200 + pick(1800));
    });
    every(checks, 100, [&] {
        QVERIFY2(USBThread::runningCount() <= 1, "more than one reader ran at a time");
        checkSentValues(false);
        if (QTest::currentTestFailed())
            loop.quit();
    });
    every(sampler, 1000, [&] { resident.append(processprobe::residentKiB()); });
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    for (QTimer *timer : {&actions, &faults, &checks, &sampler})
        timer->stop();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(WidgetHarness::waitFor([] { return !QApplication::activeModalWidget(); }, 5000));

    checkAfterwards();
    if (processprobe::residentKiB() > 0 && resident.size() >= 6) {
        // The first and the last minute (thirds of a shorter run) compared.
        const int window = std::min(60, resident.size() / 3);
        const long first = median(resident.mid(0, window));
        const long last = median(resident.mid(resident.size() - window));
        qInfo("soak: resident memory %ld KiB -> %ld KiB", first, last);
        QVERIFY2(VELORAX_SOAK_SANITIZED || last - first <= kAllowedGrowthKiB,
                 qPrintable(QStringLiteral("grew by %1 KiB").arg(last - first)));
    }
    m_harness.reset();
    QCOMPARE(USBThread::runningCount(), 0);
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
