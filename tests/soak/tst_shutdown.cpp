// Shutdown with the real window against the simulated base: Escape, each of
// the three close buttons, a removal and a link drop while a read is pending
// all end every thread of the tool within 100 ms.

#include "processprobe.h"
#include "usbthread.h"
#include "widgetharness.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {

// A thread still running this long after the action hangs. How fast threads
// end (target 100 ms) is a figure this test prints, not something it asserts:
// a loaded machine or a sanitizer build must not fail it.
constexpr qint64 kHangLimitMs = 2000;

// The window on a fresh simulated base, streaming at 1 kHz or silent with a
// read pending, once its start-up read-back has been applied.
struct Rig
{
    explicit Rig(bool streaming)
    {
        WidgetHarness::Options options;
        options.config.liveRateHz = streaming ? 1000 : 0;
        options.config.statusIntervalMs = streaming ? 1000 : 0;
        // Everything running before the window is built belongs to the test,
        // Qt or the simulated base; what the window starts must go.
        options.prepare = [this](sim::SimPlatform &) { before = processprobe::threadIds(); };
        harness = std::make_unique<WidgetHarness>(options);
        auto *version = harness->child<QLabel>("label_16");
        ready = WidgetHarness::waitFor([&] { return version->text() == QLatin1String("6001"); });
    }

    // Threads started since, still there. Qt's global pool keeps its idle
    // workers for half a minute; they are Qt's, not the tool's.
    QStringList leftoverThreads() const
    {
        QStringList names;
        for (const int id : processprobe::threadIds()) {
            const QString name = processprobe::threadName(id);
            if (!before.contains(id) && name != QLatin1String("Thread (pooled)"))
                names << QStringLiteral("%1 (%2)").arg(name).arg(id);
        }
        return names;
    }

    // Waits for the window's threads to leave the kernel's list (a thread
    // that was waited for may linger there a moment), then checks none is
    // left and that none hung.
    void checkEveryThreadEnded(const QElapsedTimer &clock) const
    {
        while (!leftoverThreads().isEmpty() && clock.elapsed() < kHangLimitMs)
            QThread::usleep(500);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(USBThread::runningCount(), 0);
        QVERIFY2(leftoverThreads().isEmpty(), qPrintable(leftoverThreads().join(", ")));
        qInfo("threads ended %lld ms after the action", elapsed);
        QVERIFY2(elapsed < kHangLimitMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    }

    // Runs the application's event loop with `action` inside it, then
    // destroys the window as main() does; true if the loop ended by itself.
    bool runLoopWith(const std::function<void()> &action, QElapsedTimer *clock)
    {
        QTimer::singleShot(0, [&] {
            clock->start();
            action();
        });
        // A safety net: a shutdown that never comes must not hang the test.
        QTimer net;
        net.setSingleShot(true);
        QObject::connect(&net, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        net.start(5000);
        const int result = QCoreApplication::exec();
        harness->destroyWidget();
        return result == 0;
    }

    QSet<int> before;
    std::unique_ptr<WidgetHarness> harness;
    bool ready = false;
};

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT

private slots:
    void everyThreadEnds_data();
    void everyThreadEnds();
};

void TestShutdown::everyThreadEnds_data()
{
    // A close button or Escape, with the base streaming at 1 kHz or silent
    // with a read pending; a removal, or a link drop with the base still
    // plugged in, where nothing but the stop itself ends the pending read (the
    // firmware check drops the link this way): those end the reader.
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("streaming");
    for (const char *name : {"Escape", "toolButton_2", "toolButton_12", "toolButton_14"}) {
        QTest::addRow("%s, streaming", name) << QString::fromLatin1(name) << true;
        QTest::addRow("%s, read pending", name) << QString::fromLatin1(name) << false;
    }
    QTest::newRow("removal") << "unplug" << false;
    QTest::newRow("link drop") << "drop" << false;
}

void TestShutdown::everyThreadEnds()
{
    QFETCH(QString, action);
    QFETCH(bool, streaming);
    Rig rig(streaming);
    QVERIFY(rig.ready);
    QCOMPARE(USBThread::runningCount(), 1);
    Widget *w = rig.harness->widget();
    USBThread *reader = w->currentReader();
    QElapsedTimer clock;
    if (action == QLatin1String("unplug") || action == QLatin1String("drop")) {
        clock.start();
        if (action == QLatin1String("unplug"))
            rig.harness->base().unplug();
        else
            w->slot_CloseUSBthread();
        // The thread object stays until the next arrival; its thread is gone.
        QVERIFY(WidgetHarness::waitFor([&] { return reader->isFinished(); }, 1000));
        QVERIFY(!w->deviceFound());
        rig.checkEveryThreadEnded(clock);
        return;
    }
    auto *close = w->findChild<QToolButton *>(action);
    // Each page has its own close button: show the page that holds this one.
    auto *pages = rig.harness->child<QStackedWidget>("stackedWidget");
    for (int i = 0; close && i < pages->count(); ++i) {
        if (pages->widget(i)->isAncestorOf(close))
            pages->setCurrentIndex(i);
    }
    QVERIFY(!close || close->isVisible());
    QVERIFY(rig.runLoopWith(
        [&] {
            if (close)
                QTest::mouseClick(close, Qt::LeftButton);
            else
                QTest::keyClick(w, Qt::Key_Escape);
        },
        &clock));
    rig.checkEveryThreadEnded(clock);
}

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
