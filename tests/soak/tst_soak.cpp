// The soak test: the real window against the simulated base for minutes of
// random user actions and random device faults. Afterwards the tool still
// runs exactly one reader, its memory has not grown, every send succeeds once
// the base is back, and every profile on disk is still a valid profile.
//
// VELORAX_SOAK_SECONDS sets the length (default 180), VELORAX_SOAK_SEED the
// random seed (default: from the clock; it is printed either way).

#include "inidocument.h"
#include "parameters.h"
#include "processprobe.h"
#include "profilestore.h"
#include "reports.h"
#include "usbthread.h"
#include "widgetharness.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmapCache>
#include <QPointer>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <random>

namespace {

constexpr int kDefaultSeconds = 180;
// Resident memory wanders by a few hundred KiB (allocator and cache noise);
// 25 bytes lost per live report (1000 a second) pass this in two minutes, a
// lost report or message box in far less.
constexpr long kAllowedGrowthKiB = 3 * 1024;
constexpr int kPixmapCacheKiB = 1024;

// Under a sanitizer freed memory is held back (quarantine, shadow, history),
// so resident memory grows by design and says nothing about leaks; the leak
// checker covers that build instead.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoryIsMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kMemoryIsMeaningful = false;
#else
constexpr bool kMemoryIsMeaningful = true;
#endif
#else
constexpr bool kMemoryIsMeaningful = true;
#endif

int soakSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("VELORAX_SOAK_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : kDefaultSeconds;
}

quint32 soakSeed()
{
    bool ok = false;
    const uint seed = QString::fromLocal8Bit(qgetenv("VELORAX_SOAK_SEED")).toUInt(&ok);
    return ok ? seed : quint32(QDateTime::currentMSecsSinceEpoch());
}

long median(QVector<long> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Answers every dialog the window opens, as an impatient user: a random
// button of each message box, and in the save dialog one of a few profile
// names (overwriting at times) or Cancel.
class DialogAnswerer
{
public:
    DialogAnswerer(std::mt19937 &random, const QString &folder) : m_random(random), m_folder(folder)
    {
        m_timer.setInterval(15);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start();
    }
    int boxes() const { return m_boxes; }
    int saves() const { return m_saves; }

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        // One answer per dialog, again only if it is still open a while later
        // (the save dialog stays when its overwrite question was answered No).
        if (modal == m_answering && m_since.elapsed() < 300)
            return;
        m_answering = modal;
        m_since.start();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            ++m_boxes;
            const QList<QAbstractButton *> buttons = box->buttons();
            QAbstractButton *button = buttons.isEmpty()
                                          ? nullptr
                                          : buttons.at(int(m_random() % unsigned(buttons.size())));
            QPointer<QMessageBox> guarded(box);
            QTimer::singleShot(0, box, [guarded, button] {
                if (guarded && button && guarded->buttons().contains(button))
                    button->click();
                else if (guarded)
                    guarded->reject();
            });
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            if (m_random() % 4 == 0) {
                dialog->reject();
                return;
            }
            ++m_saves;
            dialog->selectFile(m_folder + QStringLiteral("/soak_%1.ini").arg(m_random() % 5));
            // Accepting may ask whether to overwrite, in a box of its own
            // event loop; this timer cannot fire again while its own slot
            // runs, so the box is answered from another call.
            QPointer<QFileDialog> guarded(dialog);
            QTimer::singleShot(0, dialog, [guarded] {
                if (guarded)
                    static_cast<QDialog *>(guarded.data())->accept();
            });
        } else {
            modal->close();
        }
    }

    std::mt19937 &m_random;
    QString m_folder;
    QTimer m_timer;
    QPointer<QWidget> m_answering;
    QElapsedTimer m_since;
    int m_boxes = 0;
    int m_saves = 0;
};

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

public:
    TestSoak()
    {
        // QtTest ends a test function after five minutes unless told
        // otherwise; a soak runs as long as it was asked to, plus the checks.
        if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
            qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((soakSeconds() + 300) * 1000LL));
    }

private slots:
    void randomActionsAndFaults();

private:
    void userAction();
    void fault();
    void bringBaseBack();
    void checkSendsSucceed();
    void checkProfiles();

    int pick(int n) { return int(m_random() % unsigned(n)); }
    template <typename T> T *child(const char *name) { return m_harness->child<T>(name); }

    std::mt19937 m_random;
    std::unique_ptr<WidgetHarness> m_harness;
    QMap<QString, int> m_counts;
    bool m_oldFirmware = false;
};

void TestSoak::userAction()
{
    // The window takes no input while one of its dialogs is open.
    if (QApplication::activeModalWidget())
        return;
    Widget *w = m_harness->widget();
    const QStringList sliders =
        protocol::machineSliderNames() + protocol::gameSliderNamesInSendOrder();
    const QStringList fields =
        protocol::machineLineEditNames() + protocol::gameLineEditNamesInSendOrder();
    switch (pick(12)) {
    case 0:
    case 1: {
        auto *slider = w->findChild<QSlider *>(sliders.at(pick(sliders.size())));
        if (slider && slider->isEnabled()) {
            slider->setValue(slider->minimum() + pick(slider->maximum() - slider->minimum() + 1));
            ++m_counts[QStringLiteral("slider moves")];
        }
        break;
    }
    case 2:
    case 3: {
        auto *field = w->findChild<QLineEdit *>(fields.at(pick(fields.size())));
        if (field && field->isEnabled()) {
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, QString::number(pick(120) - 10));
            QTest::keyClick(field, pick(2) ? Qt::Key_Enter : Qt::Key_Return);
            ++m_counts[QStringLiteral("typed values")];
        }
        break;
    }
    case 4:
        child<QToolButton>("toolButton_3")->click();
        ++m_counts[QStringLiteral("centre")];
        break;
    case 5:
        child<QToolButton>("tbt_readdata")->click();
        ++m_counts[QStringLiteral("reads")];
        break;
    case 6:
        child<QToolButton>("tbt_savedata")->click();
        ++m_counts[QStringLiteral("stores")];
        break;
    case 7: {
        auto *list = child<QComboBox>("CB_ReadFile");
        if (list->count() > 0) {
            const int index = pick(list->count());
            list->setCurrentIndex(index);
            QMetaObject::invokeMethod(list, "activated", Q_ARG(int, index));
            ++m_counts[QStringLiteral("profile loads")];
        }
        break;
    }
    case 8:
        // Opens the save dialog, which the answerer fills in.
        QTimer::singleShot(0, child<QToolButton>("toolButton_5"), &QToolButton::click);
        ++m_counts[QStringLiteral("save-as")];
        break;
    case 9:
        w->on_comboBox_activated(1 + pick(2));
        ++m_counts[QStringLiteral("language switches")];
        break;
    case 10: {
        static const char *const pages[] = {"ValueSet",   "toolButton_4", "toolButton_6",
                                            "ValueSet_2", "toolButton_7", "toolButton_8",
                                            "ValueSet_3", "toolButton_9", "toolButton_10"};
        child<QToolButton>(pages[pick(9)])->click();
        ++m_counts[QStringLiteral("page changes")];
        break;
    }
    case 11: {
        auto *combo = child<QComboBox>(pick(2) ? "colorComboBox" : "colorComboBox_2");
        if (combo->count() > 0)
            combo->setCurrentIndex(pick(combo->count()));
        ++m_counts[QStringLiteral("choice changes")];
        break;
    }
    }
}

void TestSoak::fault()
{
    sim::SimWheelBase &base = m_harness->base();
    switch (pick(8)) {
    case 0:
        if (base.isPlugged()) {
            base.unplug();
            // Back after a while, from a timer, as a person would plug it in.
            QTimer::singleShot(100 + pick(1500), [this] {
                if (!m_oldFirmware)
                    m_harness->base().plug();
            });
            ++m_counts[QStringLiteral("unplugs")];
        }
        break;
    case 1:
        base.refuseFeatureReports(1 + pick(3));
        ++m_counts[QStringLiteral("refused reports")];
        break;
    case 2:
        base.injectReadError();
        ++m_counts[QStringLiteral("read errors")];
        break;
    case 3:
        base.injectShortReport(1 + pick(19));
        ++m_counts[QStringLiteral("short reports")];
        break;
    case 4:
        base.injectGarbageReports(1 + pick(20));
        ++m_counts[QStringLiteral("garbage reports")];
        break;
    case 5:
        if (!m_oldFirmware) {
            // The next status report drops the link; a new base comes later.
            m_oldFirmware = true;
            base.setFirmwareVersion(4999);
            QTimer::singleShot(1500 + pick(2000), [this] {
                m_harness->base().setFirmwareVersion(6001);
                m_harness->base().unplug();
                QTimer::singleShot(200, [this] {
                    m_oldFirmware = false;
                    m_harness->base().plug();
                });
            });
            ++m_counts[QStringLiteral("old firmware")];
        }
        break;
    default:
        break; // a quiet moment
    }
}

// Undoes every fault: the base is unplugged and plugged back with good
// firmware, and the window has connected to it again.
void TestSoak::bringBaseBack()
{
    sim::SimWheelBase &base = m_harness->base();
    WidgetHarness::waitFor([this] { return !m_oldFirmware; }, 10000);
    base.setFirmwareVersion(6001);
    base.refuseFeatureReports(0);
    base.unplug();
    QVERIFY(WidgetHarness::waitFor([this] { return !m_harness->widget()->deviceFound(); }));
    base.plug();
    QVERIFY(WidgetHarness::waitFor([this] { return m_harness->widget()->deviceFound(); }));
    // Past at least one status report, so that the firmware check has run.
    WidgetHarness::settle(1500);
    QVERIFY(m_harness->widget()->deviceFound());
}

void TestSoak::checkSendsSucceed()
{
    Widget *w = m_harness->widget();
    for (int i = 0; i < 5; ++i)
        QCOMPARE(w->SendDataToUsb(protocol::readRequest(64)), 1);

    // The base answers each request with its settings, and applying them
    // disarms the groups: let that happen before the slider moves.
    WidgetHarness::settle(500);
    m_harness->clearFeatures();
    child<QToolButton>("ValueSet")->click(); // the settings page
    auto *slider = child<QSlider>("SliderDamping");
    slider->setValue(slider->value() == 40 ? 41 : 40);
    const QByteArray machine = m_harness->waitForFeature(QByteArray::fromHex("8001"), 2000);
    QVERIFY(!machine.isEmpty());
    QCOMPARE(int(quint8(machine.at(8))), slider->value());

    child<QToolButton>("toolButton_3")->click();
    const QByteArray centre = m_harness->waitForFeature(QByteArray::fromHex("8001"), 2000);
    QVERIFY(!centre.isEmpty());
    QCOMPARE(int(quint8(centre.at(protocol::CenterCommandPosition))), int(protocol::CenterCommand));
    // Every one of them reached the base and was taken.
    for (const sim::FeatureRecord &record : m_harness->base().featureLog())
        QVERIFY(record.accepted);
}

void TestSoak::checkProfiles()
{
    const QDir folder(m_harness->profileFolder());
    const QStringList names = profiles::listProfileFiles(folder.path());
    QVERIFY(names.contains(QStringLiteral("data.ini")));
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        const profiles::ProfileValues values = profiles::ProfileValues::read(path);
        QVERIFY2(values.status() == profiles::ReadStatus::Ok, qPrintable(name));
        QByteArray bytes;
        QCOMPARE(profiles::readFileLimited(path, profiles::kMaxProfileBytes, &bytes),
                 profiles::ReadStatus::Ok);
        QVERIFY2(profiles::IniDocument(bytes).isWellFormed(), qPrintable(name));
        // Saved profiles hold every value the tool writes, each a number in
        // its field's range (or empty, as in the shipped default).
        const bool saved = name.startsWith(QLatin1String("soak_"));
        for (const protocol::ProfileStep &step : protocol::profileWriteOrder()) {
            const protocol::ProfileKey key = protocol::profileKey(step);
            const QString group = QString::fromUtf8(key.group);
            const QString entry = QString::fromUtf8(key.key);
            if (saved)
                QVERIFY2(values.contains(group, entry), qPrintable(name + ": " + entry));
            const QString text = values.value(group, entry);
            if (text.isEmpty() || step.item != protocol::ProfileItem::ParameterValue)
                continue;
            bool isNumber = false;
            const int number = text.toInt(&isNumber);
            const protocol::IntRange range = protocol::parameterInfo(step.parameter).validatorRange;
            QVERIFY2(isNumber && range.contains(number),
                     qPrintable(QStringLiteral("%1: %2=%3").arg(name, entry, text)));
        }
        if (saved)
            QCOMPARE(values.editionMarker(), profiles::EditionMarker::Ours);
    }
}

void TestSoak::randomActionsAndFaults()
{
    const int seconds = soakSeconds();
    const quint32 seed = soakSeed();
    qInfo("soak: %d s, seed %u (VELORAX_SOAK_SEED=%u repeats it)", seconds, seed, seed);
    m_random.seed(seed);

    // Qt keeps scaled style-sheet images in QPixmapCache, up to 10 MiB by
    // default; while that fills, resident memory climbs for many minutes and
    // would hide a real leak of that size. A small cache keeps the baseline
    // flat so that growth means a leak.
    QPixmapCache::setCacheLimit(kPixmapCacheKiB);
    m_harness = std::make_unique<WidgetHarness>();
    QVERIFY(WidgetHarness::waitFor([this] { return m_harness->widget()->deviceFound(); }));
    DialogAnswerer answerer(m_random, m_harness->profileFolder());

    // Memory is sampled once a second; the first and the last minute are
    // compared (thirds of the run when it is shorter than three minutes).
    QVector<long> resident;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { resident.append(processprobe::residentKiB()); });
    sampler.start(1000);

    QTimer actions;
    QObject::connect(&actions, &QTimer::timeout, [this, &actions] {
        userAction();
        actions.setInterval(10 + pick(90));
    });
    actions.start(50);
    QTimer faults;
    QObject::connect(&faults, &QTimer::timeout, [this, &faults] {
        fault();
        faults.setInterval(200 + pick(1800));
    });
    faults.start(1000);

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000LL) {
        QTest::qWait(100);
        QVERIFY2(USBThread::runningCount() <= 1, "more than one reader ran at a time");
    }
    actions.stop();
    faults.stop();
    sampler.stop();
    QVERIFY(WidgetHarness::waitFor([] { return !QApplication::activeModalWidget(); }, 5000));

    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        qInfo("soak: %-18s %d", qPrintable(it.key()), it.value());
    qInfo("soak: %d message boxes answered, %d profiles saved as", answerer.boxes(),
          answerer.saves());

    bringBaseBack();
    QCOMPARE(USBThread::runningCount(), 1);
    checkSendsSucceed();
    checkProfiles();

    if (processprobe::residentKiB() > 0 && resident.size() >= 6) {
        const int window = std::min(60, resident.size() / 3);
        const long first = median(resident.mid(0, window));
        const long last = median(resident.mid(resident.size() - window));
        qInfo("soak: resident memory %ld KiB (first %d s) -> %ld KiB (last %d s)", first, window,
              last, window);
        if (kMemoryIsMeaningful)
            QVERIFY2(last - first <= kAllowedGrowthKiB,
                     qPrintable(QStringLiteral("grew by %1 KiB").arg(last - first)));
        else
            qInfo("soak: memory growth not checked under a sanitizer");
    }
    m_harness.reset();
    QCOMPARE(USBThread::runningCount(), 0);
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
