// A wheel base that is present but cannot be opened (no udev access): the window tells the user
// once, in the system language, how to fix it; no other open failure brings that notice. That
// the base opens once access works is the link tests' case.
#include "widgetharness.h"

#include <QMessageBox>
#include <QtTest>

namespace {

// The window against a base whose opens fail with `error` from the start.
WidgetHarness::Options failingOpens(device::OpenError error, bool plugged = true)
{
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    options.plugged = plugged;
    options.language = QLocale().language();
    options.prepare = [error](sim::SimPlatform &platform) {
        platform.wheelBase()->failOpens(error);
    };
    return options;
}

int notices(const WidgetHarness &harness)
{
    return harness.widget()->findChildren<QMessageBox *>(QStringLiteral("permissionNotice")).size();
}

// Unplugs and plugs the base back; each notice reaches the window through the event loop.
void replug(WidgetHarness &harness)
{
    harness.base().unplug();
    QCoreApplication::processEvents();
    harness.base().plug();
    QCoreApplication::processEvents();
}

} // namespace

class TestPermission : public QObject
{
    Q_OBJECT

private slots:
    void noticeOnlyForAPermissionProblem_data();
    void noticeOnlyForAPermissionProblem();
};

void TestPermission::noticeOnlyForAPermissionProblem_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("plugged");
    QTest::addColumn<QString>("advice"); // empty: no notice
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const int denied = int(device::OpenError::PermissionDenied);
    QTest::newRow("English") << english << denied << true << QStringLiteral("plug it in again");
    QTest::newRow("Chinese") << QLocale(QLocale::Chinese, QLocale::China) << denied << true
                             << QStringLiteral("重新插入");
    QTest::newRow("opens") << english << int(device::OpenError::None) << false << QString();
    QTest::newRow("not found") << english << int(device::OpenError::NotFound) << true << QString();
    QTest::newRow("other") << english << int(device::OpenError::Other) << true << QString();
}

void TestPermission::noticeOnlyForAPermissionProblem()
{
    QFETCH(QLocale, locale);
    QFETCH(int, error);
    QFETCH(bool, plugged);
    QFETCH(QString, advice);
    const auto restore = qScopeGuard([saved = QLocale()] { QLocale::setDefault(saved); });
    QLocale::setDefault(locale);
    WidgetHarness harness(failingOpens(device::OpenError(error), plugged));
    QCoreApplication::processEvents();
    QVERIFY(!harness.widget()->deviceFound());
    QCOMPARE(notices(harness), advice.isEmpty() ? 0 : 1);
    if (advice.isEmpty())
        return;
    auto *notice = harness.widget()->findChild<QMessageBox *>(QStringLiteral("permissionNotice"));
    QVERIFY(notice->isVisible());
#ifdef Q_OS_WIN
    // Windows has no udev rule to install; the notice names the other programs instead.
    QVERIFY2(!notice->text().contains(QLatin1String("rules")), qPrintable(notice->text()));
#else
    QVERIFY2(notice->text().contains(QLatin1String("60-velorax-wheelbase.rules")) &&
                 notice->text().contains(advice),
             qPrintable(notice->text()));
#endif

    // Further failed attempts, direct and on arrival, add no second notice, neither while the
    // first is open nor after the user closed it.
    QCOMPARE(harness.widget()->OpenUSBHandle(), -1);
    replug(harness);
    QCOMPARE(notices(harness), 1);
    notice->close();
    QTRY_COMPARE(notices(harness), 0);
    replug(harness);
    QCOMPARE(harness.widget()->OpenUSBHandle(), -1);
    QCoreApplication::processEvents();
    QCOMPARE(notices(harness), 0);
}

QTEST_MAIN(TestPermission)
#include "tst_permission.moc"
