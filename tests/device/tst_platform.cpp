// Choosing the process-wide back end: an installed one wins, replacing it
// destroys the old one, and the native one is created when none is installed.

#include "platform.h"

#include <QtTest>

namespace {

class FakePlatform final : public device::HidPlatform
{
public:
    FakePlatform(std::string name, int *destroyed) : m_name(std::move(name)), m_destroyed(destroyed)
    {
    }
    ~FakePlatform() override { ++*m_destroyed; }

    std::vector<device::HidInterfaceInfo> enumerate() override
    {
        return {{m_name, 0x0483, 0x0522}};
    }
    device::OpenResult<device::HidReadChannel> openForReading(const std::string &) override
    {
        return {nullptr, device::OpenError::Other};
    }
    device::OpenResult<device::HidWriteChannel> openForWriting(const std::string &) override
    {
        return {nullptr, device::OpenError::Other};
    }
    bool registerNotifications(std::uintptr_t, device::HotplugCallback) override { return true; }

private:
    std::string m_name;
    int *m_destroyed;
};

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void installedBackEndIsUsed();
    void nativeBackEndWhenNoneInstalled();
};

void TestPlatform::installedBackEndIsUsed()
{
    int firstGone = 0, secondGone = 0;
    device::installPlatform(std::make_unique<FakePlatform>("first", &firstGone));
    QCOMPARE(device::platform().enumerate().at(0).path, std::string("first"));
    // The same object on every call.
    QCOMPARE(&device::platform(), &device::platform());

    device::installPlatform(std::make_unique<FakePlatform>("second", &secondGone));
    QCOMPARE(firstGone, 1);
    QCOMPARE(device::platform().enumerate().at(0).path, std::string("second"));

    device::installPlatform(nullptr);
    QCOMPARE(secondGone, 1);
}

void TestPlatform::nativeBackEndWhenNoneInstalled()
{
    int gone = 0;
    device::installPlatform(std::make_unique<FakePlatform>("fake", &gone));
    device::installPlatform(nullptr);
    device::HidPlatform &native = device::platform();
    // Whatever this machine has, it is not the fake, and opening a path that
    // does not exist fails as "not found".
    for (const device::HidInterfaceInfo &info : native.enumerate())
        QVERIFY(info.path != "fake");
    const auto reader = native.openForReading("/nonexistent/hidraw-velorax");
    QVERIFY(!reader);
    QCOMPARE(reader.error, device::OpenError::NotFound);
    QCOMPARE(&device::platform(), &native);
    device::installPlatform(nullptr);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
