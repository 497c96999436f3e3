#pragma once

// Turning udev events of the hidraw subsystem into hotplug events. The udev
// monitor itself lives in the Linux platform; this part sees only each event's
// properties, so it is tested on recorded ones.

#include "hidplatform.h"

#include <QObject>

#include <functional>
#include <map>
#include <optional>
#include <string>

class QTimer;

namespace device {

using UdevProperties = std::map<std::string, std::string>;

struct HidIds
{
    int vendorId = -1;
    int productId = -1;
};

// The ids in a HID device's HID_ID property, "BBBB:VVVVVVVV:PPPPPPPP" in hex
// (bus, vendor, product); nullopt when it is not of that form.
std::optional<HidIds> parseHidId(const std::string &hidId);

// DEVNAME as the kernel sends it ("hidraw0") or udev does ("/dev/hidraw0"),
// as a device node path.
std::string devNodeFromName(const std::string &devname);

// The netlink source to listen to: "udev" when udevd runs, else "kernel";
// without udevd a "udev" monitor delivers nothing at all.
const char *monitorSourceName(bool udevdRunning);
bool udevdRunning(); // /run/udev/control exists

class UdevHotplugDispatcher : public QObject
{
    Q_OBJECT

public:
    // 0 when the node opens, else the errno of the failed open().
    using OpenProbe = std::function<int(const std::string &path)>;

    // `kernelSource`: events come straight from the kernel, possibly before
    // udev rules have set the node's permissions.
    explicit UdevHotplugDispatcher(bool kernelSource, QObject *parent = nullptr);
    ~UdevHotplugDispatcher() override;

    void setCallback(HotplugCallback callback);
    void setOpenProbe(OpenProbe probe);
    // With the kernel source, an arrival whose node cannot be opened for lack
    // of permission is held back and tried again `attempts` times,
    // `intervalMs` apart, before it is delivered anyway.
    void setPermissionRetry(int attempts, int intervalMs);

    // Ids of a present node, learnt at enumeration; a removal finds them here
    // since by then the parent HID device and its HID_ID are gone.
    void remember(const std::string &path, const HidIds &ids);
    std::optional<HidIds> cachedIds(const std::string &path) const;
    bool arrivalPending(const std::string &path) const;

    // One event's properties: ACTION, DEVNAME, SUBSYSTEM and, when the
    // platform could find the parent HID device, its HID_ID.
    void handleEvent(const UdevProperties &properties);
    // The monitor lost events (its buffer overflowed): delivers a Resync, and
    // forgets the cached ids, which may name nodes that have gone.
    void handleOverflow();

private:
    struct PendingArrival
    {
        HotplugEvent event;
        int attemptsLeft = 0;
        QTimer *timer = nullptr; // child of the dispatcher
    };

    void handleArrival(const std::string &path, const UdevProperties &properties);
    void handleRemoval(const std::string &path, const UdevProperties &properties);
    void retryArrival(const std::string &path);
    void dropPending(std::map<std::string, PendingArrival>::iterator it);
    bool lacksPermission(const std::string &path) const;
    void deliver(const HotplugEvent &event);

    bool m_kernelSource = false;
    int m_retryAttempts = 5;
    int m_retryIntervalMs = 200;
    HotplugCallback m_callback;
    OpenProbe m_probe;
    std::map<std::string, HidIds> m_ids;
    std::map<std::string, PendingArrival> m_pending;
};

} // namespace device
