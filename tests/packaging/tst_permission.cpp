// A wheel base that is present but cannot be opened (no udev access): the
// window tells the user once, in the system language, how to fix it, and
// opens the base as soon as access works.
#include "platform.h"
#include "profilefolder.h"
#include "simplatform.h"
#include "widget.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kNoticeName = QStringLiteral("permissionNotice");

// The window against a simulated base whose opens fail with `error` from the
// start; unlike the shared harness it installs the fault before the window
// is built, so the start-up path is the one exercised.
class Fixture
{
public:
    explicit Fixture(device::OpenError error, bool plugged = true)
    {
        profiles::setProfileFolderForTesting(m_profiles.path());
        sim::SimConfig config;
        config.liveRateHz = 0;
        config.statusIntervalMs = 0;
        auto platform = std::make_unique<sim::SimPlatform>(config);
        m_base = platform->wheelBase();
        m_base->failOpens(error);
        if (!plugged)
            m_base->unplug();
        device::installPlatform(std::move(platform));
        m_widget = std::make_unique<Widget>();
        m_widget->show();
        m_widget->Slot_FilterVersionColtrol(QLocale().language());
        m_widget->Get_LacaelLanuage(QLocale().language());
    }

    ~Fixture()
    {
        m_widget.reset();
        m_base.reset();
        device::installPlatform(nullptr);
        profiles::setProfileFolderForTesting(QString());
    }

    Widget *widget() const { return m_widget.get(); }
    sim::SimWheelBase &base() const { return *m_base; }

    QList<QMessageBox *> notices() const
    {
        return m_widget->findChildren<QMessageBox *>(kNoticeName);
    }

    // Unplugs and plugs the base back; the window reopens it on arrival.
    void replug()
    {
        m_base->unplug();
        QTest::qWait(50);
        m_base->plug();
        QTest::qWait(100);
    }

private:
    QTemporaryDir m_profiles;
    std::shared_ptr<sim::SimWheelBase> m_base;
    std::unique_ptr<Widget> m_widget;
};

class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

} // namespace

class TestPermission : public QObject
{
    Q_OBJECT

private slots:
    void noticeShownOnceThenTheBaseOpens_data();
    void noticeShownOnceThenTheBaseOpens();
    void noNoticeWithoutAPermissionProblem_data();
    void noNoticeWithoutAPermissionProblem();
};

void TestPermission::noticeShownOnceThenTheBaseOpens_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("advice");
    QTest::newRow("English system")
        << QLocale(QLocale::English, QLocale::UnitedStates) << QStringLiteral("plug it in again");
    QTest::newRow("Chinese system")
        << QLocale(QLocale::Chinese, QLocale::China) << QStringLiteral("重新插入");
}

void TestPermission::noticeShownOnceThenTheBaseOpens()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, advice);
    DefaultLocale useLocale(locale);

    Fixture fixture(device::OpenError::PermissionDenied);
    QVERIFY(!fixture.widget()->deviceFound());
    QList<QMessageBox *> notices = fixture.notices();
    QCOMPARE(notices.size(), 1);
    QMessageBox *notice = notices.first();
    QVERIFY(notice->isVisible());
    QVERIFY2(notice->text().contains(QLatin1String("60-velorax-wheelbase.rules")),
             qPrintable(notice->text()));
    QVERIFY2(notice->text().contains(advice), qPrintable(notice->text()));

    // Further failed attempts, direct and on arrival, add no second notice,
    // neither while the first is open nor after the user closed it.
    QCOMPARE(fixture.widget()->OpenUSBHandle(), -1);
    fixture.replug();
    QCOMPARE(fixture.notices().size(), 1);
    notice->close();
    QTRY_COMPARE(fixture.notices().size(), 0);
    fixture.replug();
    QCOMPARE(fixture.widget()->OpenUSBHandle(), -1);
    QTest::qWait(50);
    QCOMPARE(fixture.notices().size(), 0);
    QVERIFY(!fixture.widget()->deviceFound());

    // Access fixed (rule installed), base plugged in again: it opens.
    fixture.base().failOpens(device::OpenError::None);
    fixture.replug();
    QTRY_VERIFY(fixture.widget()->deviceFound());
    QCOMPARE(fixture.notices().size(), 0);
}

void TestPermission::noNoticeWithoutAPermissionProblem_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("plugged");
    QTest::newRow("no base") << int(device::OpenError::None) << false;
    QTest::newRow("base gone while opening") << int(device::OpenError::NotFound) << true;
    QTest::newRow("other open failure") << int(device::OpenError::Other) << true;
}

void TestPermission::noNoticeWithoutAPermissionProblem()
{
    QFETCH(int, error);
    QFETCH(bool, plugged);

    Fixture fixture(device::OpenError(error), plugged);
    QTest::qWait(50);
    QVERIFY(!fixture.widget()->deviceFound());
    QCOMPARE(fixture.notices().size(), 0);
}

QTEST_MAIN(TestPermission)
#include "tst_permission.moc"
