#include "widgetharness.h"

#include "platform.h"
#include "profilefolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

WidgetHarness::WidgetHarness() : WidgetHarness(Options{}) {}

WidgetHarness::WidgetHarness(Options options)
{
    profiles::setProfileFolderForTesting(m_profiles.path());
    auto platform = std::make_unique<sim::SimPlatform>(options.config);
    m_platform = platform.get();
    m_base = platform->wheelBase();
    if (!options.plugged)
        m_base->unplug();
    if (options.prepare)
        options.prepare(*platform);
    device::installPlatform(std::move(platform));
    m_widget = std::make_unique<Widget>();
    if (options.show) {
        m_widget->show();
        m_widget->Slot_FilterVersionColtrol(options.language);
        m_widget->Get_LacaelLanuage(options.language);
    }
}

WidgetHarness::~WidgetHarness()
{
    m_widget.reset();
    m_base.reset();
    device::installPlatform(nullptr);
    profiles::setProfileFolderForTesting(QString());
}

QList<QByteArray> WidgetHarness::features() const
{
    return m_base->acceptedFeatureReports();
}

QList<QByteArray> WidgetHarness::featuresFrom(int from) const
{
    return features().mid(from);
}

bool WidgetHarness::waitFor(const std::function<bool()> &predicate, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!predicate()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(2);
    }
    return true;
}

QByteArray WidgetHarness::waitForFeature(const QByteArray &prefix, int timeoutMs)
{
    QByteArray found;
    waitFor(
        [&] {
            const QList<QByteArray> all = features();
            for (; m_seen < all.size(); ++m_seen) {
                if (all.at(m_seen).startsWith(prefix)) {
                    found = all.at(m_seen++);
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

void WidgetHarness::clearFeatures()
{
    m_base->clearFeatureLog();
    m_seen = 0;
}
