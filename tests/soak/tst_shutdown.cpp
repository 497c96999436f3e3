// Shutdown with the real window against the simulated base: Escape, each of
// the three close buttons, a removal and a link drop while a read is pending
// all end every thread of the tool within 100 ms.

#include "platform.h"
#include "processprobe.h"
#include "profilefolder.h"
#include "simplatform.h"
#include "usbthread.h"
#include "widget.h"

#include <QElapsedTimer>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace {

constexpr qint64 kShutdownBudgetMs = 100;

// The window on a fresh simulated base; the window can be destroyed before
// the fixture, as main() destroys it after the event loop.
class Rig
{
public:
    explicit Rig(bool streaming)
    {
        profiles::setProfileFolderForTesting(m_profiles.path());
        sim::SimConfig config;
        config.liveRateHz = streaming ? 1000 : 0;
        config.statusIntervalMs = streaming ? 1000 : 0;
        auto platform = std::make_unique<sim::SimPlatform>(config);
        base = platform->wheelBase();
        device::installPlatform(std::move(platform));
        // Everything running now belongs to the test, Qt or the simulated
        // base; what the window starts must be gone after shutdown.
        threadsBefore = processprobe::threadIds();
        window = std::make_unique<Widget>();
        window->show();
        window->Slot_FilterVersionColtrol(0);
        window->Get_LacaelLanuage(0);
    }
    ~Rig()
    {
        window.reset();
        base.reset();
        device::installPlatform(nullptr);
        profiles::setProfileFolderForTesting(QString());
    }

    // Threads started since the window was built that are still there. Qt's
    // global thread pool (large image conversions while painting) keeps its
    // idle workers for half a minute; they are Qt's, not the tool's.
    QStringList leftoverThreads() const
    {
        QStringList names;
        for (const int id : processprobe::threadIds()) {
            const QString name = processprobe::threadName(id);
            if (!threadsBefore.contains(id) && name != QLatin1String("Thread (pooled)"))
                names << QStringLiteral("%1 (%2)").arg(name).arg(id);
        }
        return names;
    }

    // A thread that has been waited for may still be leaving the kernel's
    // list for a moment; the budget covers that too.
    void waitForThreadsToGo() const
    {
        QElapsedTimer clock;
        clock.start();
        while (!leftoverThreads().isEmpty() && clock.elapsed() < 2 * kShutdownBudgetMs)
            QThread::usleep(500);
    }

    QTemporaryDir m_profiles;
    std::shared_ptr<sim::SimWheelBase> base;
    QSet<int> threadsBefore;
    std::unique_ptr<Widget> window;
};

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(1);
    }
    return true;
}

// Waits for the threads the window started to leave the kernel's list, then
// checks that none is left, the reader included, within the budget counted
// from `clock`'s start.
void checkEveryThreadEnded(const Rig &rig, const QElapsedTimer &clock)
{
    rig.waitForThreadsToGo();
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(USBThread::runningCount(), 0);
    QVERIFY2(rig.leftoverThreads().isEmpty(), qPrintable(rig.leftoverThreads().join(", ")));
    qInfo("threads ended %lld ms after the action", elapsed);
    QVERIFY2(elapsed < kShutdownBudgetMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

// Runs the application's event loop, does `action` inside it, and returns the
// loop's result and the time from the action to the loop's end.
int runLoopWith(const std::function<void()> &action, QElapsedTimer *clock)
{
    bool acted = false;
    QTimer::singleShot(0, [&] {
        acted = true;
        clock->start();
        action();
    });
    // A safety net: a shutdown that never comes must not hang the test.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    const int result = QCoreApplication::exec();
    return acted ? result : -1;
}

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT

private slots:
    void escapeEndsEveryThread_data();
    void escapeEndsEveryThread();
    void closeButtonEndsEveryThread_data();
    void closeButtonEndsEveryThread();
    void removalWhileReadPending();
    void linkDropWhileReadPending();
};

void TestShutdown::escapeEndsEveryThread_data()
{
    QTest::addColumn<bool>("streaming");
    QTest::newRow("streaming at 1 kHz") << true;
    QTest::newRow("read pending, base silent") << false;
}

void TestShutdown::escapeEndsEveryThread()
{
    QFETCH(bool, streaming);
    Rig rig(streaming);
    QVERIFY(waitFor([&] { return rig.window->deviceFound(); }));
    QTest::qWait(300);
    QCOMPARE(USBThread::runningCount(), 1);

    QElapsedTimer clock;
    const int result =
        runLoopWith([&] { QTest::keyClick(rig.window.get(), Qt::Key_Escape); }, &clock);
    QCOMPARE(result, 0);
    // As main() does once the loop has returned.
    rig.window.reset();
    checkEveryThreadEnded(rig, clock);
}

void TestShutdown::closeButtonEndsEveryThread_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("streaming");
    for (const char *name : {"toolButton_2", "toolButton_12", "toolButton_14"}) {
        QTest::addRow("%s, streaming", name) << QString::fromLatin1(name) << true;
        QTest::addRow("%s, read pending", name) << QString::fromLatin1(name) << false;
    }
}

void TestShutdown::closeButtonEndsEveryThread()
{
    QFETCH(QString, button);
    QFETCH(bool, streaming);
    Rig rig(streaming);
    QVERIFY(waitFor([&] { return rig.window->deviceFound(); }));
    QTest::qWait(300);

    auto *close = rig.window->findChild<QToolButton *>(button);
    QVERIFY(close);
    // Each page has its own close button: show the page that holds this one.
    auto *pages = rig.window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    QVERIFY(pages);
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->widget(i)->isAncestorOf(close))
            pages->setCurrentIndex(i);
    }
    QVERIFY(close->isVisible());

    QElapsedTimer clock;
    const int result = runLoopWith([&] { QTest::mouseClick(close, Qt::LeftButton); }, &clock);
    QCOMPARE(result, 0);
    rig.window.reset();
    checkEveryThreadEnded(rig, clock);
}

void TestShutdown::removalWhileReadPending()
{
    Rig rig(false);
    QVERIFY(waitFor([&] { return rig.window->deviceFound(); }));
    QTest::qWait(300);
    USBThread *reader = rig.window->currentReader();
    QVERIFY(reader && reader->isRunning());

    QElapsedTimer clock;
    clock.start();
    rig.base->unplug();
    QVERIFY(waitFor([&] { return reader->isFinished(); }, 1000));
    // The thread object stays until the next arrival; its thread is gone.
    checkEveryThreadEnded(rig, clock);
    QVERIFY(!rig.window->deviceFound());
}

void TestShutdown::linkDropWhileReadPending()
{
    // The base stays plugged and silent: nothing but the stop itself can end
    // the pending read (the firmware check drops the link this way).
    Rig rig(false);
    QVERIFY(waitFor([&] { return rig.window->deviceFound(); }));
    QTest::qWait(300);
    USBThread *reader = rig.window->currentReader();
    QVERIFY(reader && reader->isRunning());

    QElapsedTimer clock;
    clock.start();
    rig.window->slot_CloseUSBthread();
    QVERIFY(reader->wait(1000));
    checkEveryThreadEnded(rig, clock);
}

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
