// Lists the HID interfaces of a Windows machine through the tool's Windows
// back end; with --read, also reads a few input reports from the wheel base;
// with --self-test, checks the device-change handling on made-up messages.
// Built by tools/check-windows-backend.sh so that the back end is compiled
// and linked even where no Windows machine is at hand.

#include "native_platform.h"
#include "win_hid_platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr int kVendorId = 0x0483;
constexpr int kProductId = 0x0522;
constexpr DWORD kReadTimeoutMs = 2000;

DWORD WINAPI cancelLater(void *channel)
{
    Sleep(kReadTimeoutMs);
    static_cast<device::HidReadChannel *>(channel)->cancel();
    return 0;
}

void readSome(device::HidPlatform &platform, const std::string &path)
{
    auto reader = platform.openForReading(path);
    if (!reader) {
        std::printf("    cannot open for reading: %s\n", platform.lastErrorText().c_str());
        return;
    }
    // A watchdog ends the reads if the base stays silent.
    HANDLE watchdog = CreateThread(nullptr, 0, cancelLater, reader.channel.get(), 0, nullptr);
    for (int i = 0; i < 5; ++i) {
        std::uint8_t report[64] = {};
        const device::ReadResult result = reader.channel->read(report, sizeof report);
        if (result.status != device::ReadStatus::Report) {
            std::printf("    read ended (%d)\n", int(result.status));
            break;
        }
        std::printf("    report:");
        for (std::size_t b = 0; b < result.size; ++b)
            std::printf(" %02X", report[b]);
        std::printf("\n");
    }
    reader.channel->cancel();
    if (watchdog) {
        WaitForSingleObject(watchdog, INFINITE);
        CloseHandle(watchdog);
    }
}

// A WM_DEVICECHANGE message for a HID interface with the given path.
struct DeviceChange
{
    std::vector<std::uint8_t> record;
    MSG msg{};

    DeviceChange(WPARAM event, const wchar_t *path, DWORD deviceType = DBT_DEVTYP_DEVICEINTERFACE)
    {
        const std::size_t nameBytes = (std::wcslen(path) + 1) * sizeof(wchar_t);
        record.resize(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + nameBytes);
        auto *header = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W *>(record.data());
        header->dbcc_size = DWORD(record.size());
        header->dbcc_devicetype = deviceType;
        header->dbcc_classguid = {
            0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
        std::memcpy(header->dbcc_name, path, nameBytes);
        msg.message = WM_DEVICECHANGE;
        msg.wParam = event;
        msg.lParam = reinterpret_cast<LPARAM>(record.data());
    }
};

int selfTest()
{
    int failures = 0;
    auto check = [&](bool ok, const char *what) {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
        failures += ok ? 0 : 1;
    };

    check(device::idFromPathText("0483") == 0x0483, "id text 0483");
    check(device::idFromPathText("052a") == 0x052A, "id text 052a");
    check(device::idFromPathText("05Z2") == -1, "id text with a non-hex digit");
    check(device::idFromPathText("048") == -1, "short id text");

    device::WinHidPlatform platform;
    std::vector<device::HotplugEvent> events;
    platform.registerNotifications(0, [&](const device::HotplugEvent &e) { events.push_back(e); });

    DeviceChange arrival(
        DBT_DEVICEARRIVAL,
        L"\\\\?\\HID#VID_0483&PID_0522#7&2a1b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    platform.handleNativeMessage(&arrival.msg);
    check(events.size() == 1 && events[0].kind == device::HotplugKind::Arrival &&
              events[0].vendorId == 0x0483 && events[0].productId == 0x0522,
          "arrival of the wheel base");

    DeviceChange removal(DBT_DEVICEREMOVECOMPLETE, L"\\\\?\\HID#VID_046D&PID_C52B#1");
    platform.handleNativeMessage(&removal.msg);
    check(events.size() == 2 && events[1].kind == device::HotplugKind::Removal &&
              events[1].vendorId == 0x046D && events[1].productId == 0xC52B,
          "removal of another device");

    DeviceChange noIds(DBT_DEVICEARRIVAL, L"\\\\?\\HID#something");
    platform.handleNativeMessage(&noIds.msg);
    check(events.size() == 3 && events[2].vendorId == -1 && events[2].productId == -1,
          "a path without ids");

    DeviceChange otherType(DBT_DEVICEARRIVAL, L"VID_0483&PID_0522", DBT_DEVTYP_VOLUME);
    platform.handleNativeMessage(&otherType.msg);
    DeviceChange query(DBT_DEVICEQUERYREMOVE, L"\\\\?\\HID#VID_0483&PID_0522#0");
    platform.handleNativeMessage(&query.msg);
    check(events.size() == 3, "other device types and events are ignored");
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--self-test") == 0)
        return selfTest();
    const bool read = argc > 1 && std::strcmp(argv[1], "--read") == 0;
    std::unique_ptr<device::HidPlatform> platform = device::createNativePlatform();
    const std::vector<device::HidInterfaceInfo> interfaces = platform->enumerate();
    std::printf("%u HID interface(s)\n", unsigned(interfaces.size()));
    for (const device::HidInterfaceInfo &info : interfaces) {
        if (info.vendorId < 0)
            std::printf("  ----:----  %s\n", info.path.c_str());
        else
            std::printf("  %04X:%04X  %s\n", unsigned(info.vendorId), unsigned(info.productId),
                        info.path.c_str());
        if (info.vendorId != kVendorId || info.productId != kProductId)
            continue;
        auto writer = platform->openForWriting(info.path);
        if (writer)
            std::printf("    wheel base, feature report length %u\n",
                        unsigned(writer.channel->featureReportLength()));
        else
            std::printf("    wheel base, cannot open for writing: %s\n",
                        platform->lastErrorText().c_str());
        if (read)
            readSome(*platform, info.path);
    }
    return 0;
}
