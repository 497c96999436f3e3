#pragma once

// Drives the real main window against the simulated wheel base, through the
// same platform layer the hardware uses. Each harness installs a fresh
// simulated base, points the profile folder at a temporary directory and
// builds a Widget; it tears them down in the reverse order.

#include "simplatform.h"
#include "widget.h"

#include <QByteArray>
#include <QList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class WidgetHarness
{
public:
    struct Options
    {
        sim::SimConfig config;
        bool plugged = true; // false: the base starts unplugged
        bool show = true;    // show the window and run the start-up calls
        int language = 0;    // QLocale language passed to the start-up calls (0: English)
        // Runs on the simulated platform before the window is built (add decoys, say).
        std::function<void(sim::SimPlatform &)> prepare;
    };

    WidgetHarness();
    explicit WidgetHarness(Options options);
    ~WidgetHarness();
    WidgetHarness(const WidgetHarness &) = delete;
    WidgetHarness &operator=(const WidgetHarness &) = delete;

    Widget *widget() const { return m_widget.get(); }
    sim::SimPlatform &platform() const { return *m_platform; }
    sim::SimWheelBase &base() const { return *m_base; }
    QString profileFolder() const { return m_profiles.path(); }
    // Destroys the window now, as main() does once the event loop returned.
    void destroyWidget() { m_widget.reset(); }

    template <typename T> T *child(const char *objectName) const
    {
        return m_widget->findChild<T *>(QString::fromLatin1(objectName));
    }

    // Feature reports the base accepted, in order.
    QList<QByteArray> features() const;
    // The feature reports the base accepted after the first `from`.
    QList<QByteArray> featuresFrom(int from) const;
    // Waits until `predicate` holds, processing events; false on time-out. The limit only
    // ends a wait that would never succeed: a loaded two-core machine may need seconds.
    static bool waitFor(const std::function<bool()> &predicate, int timeoutMs = 10000);
    // Waits until a new accepted feature report starts with `prefix`; it is
    // returned, or an empty array on time-out.
    QByteArray waitForFeature(const QByteArray &prefix, int timeoutMs = 10000);
    // Forgets the feature reports received so far.
    void clearFeatures();

private:
    QTemporaryDir m_profiles;
    sim::SimPlatform *m_platform = nullptr; // owned by the platform registry
    std::shared_ptr<sim::SimWheelBase> m_base;
    std::unique_ptr<Widget> m_widget;
    int m_seen = 0;
};
