// The session's rules against the simulated base, without a window: what is sent when, what is
// held back, refused or told, and the history steps. Each row is a script of steps in words;
// "sent ..." checks the reports the base took since the last check.
#include "basesession.h"
#include "gamebindings.h"
#include "parameterbits.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "platform.h"
#include "processwatcher.h"
#include "profilefolder.h"
#include "simplatform.h"
#include "usbevent.h"
#include "usbthread.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Angle 900, force 50, filter 1, wheel 10 20 30 40, game 100 150 99 189 100 200, choices 1 0.
const sim::Settings kKnown{900, 50, 1, 10, 20, 30, 40, 100, 150, 99, 189, 100, 200, 1, 0};
const char kRead[] = "80 03 01 00 00 00 00 00 00 00 00";
const char kMachine[] = "80 01 84 03 00 32 01 0A 14 1E 28";
const char kGame[] = "80 02 64 96 63 BD 64 C8 00 00 00";

struct Row
{
    const char *name;
    QStringList steps;
};

const Row kRows[] = {
    {"start-up asks once and echoes nothing; one reader runs",
     {"read back", "sent " + QString(kRead), "readers 1"}},
    {"without a base the reader waits idle and nothing is sent",
     {"unplugged at start", "readers 1", "down", "sent ", "unplug", "readers 1"}},
    {"another product of the same maker is never opened, its removal leaves the link alone",
     {"unplugged at start", "another product at start", "unplug the other", "plug the other",
      "down", "plug", "up", "unplug the other", "up", "sent " + QString(kRead),
      "the other got nothing", "unplug", "down", "readers 0"}},
    {"a value set before the read-back is held back, then sent with the base's others",
     {"set WheelFriction 41", "schedule", "timers fire", "sent " + QString(kRead), "read back",
      "sent 80 01 84 03 00 32 01 0A 14 1E 29"}},
    {"values past the range are clamped; the debounce sends the group once",
     {"read back", "clear", "set Angle 99999", "schedule", "set TotalForce -500", "schedule",
      "timers fire", "sent 80 01 40 06 00 9C 01 0A 14 1E 28", "timers fire", "sent "}},
    {"pending changes go out before a store, in report order",
     {"read back", "clear", "set GameDamper 7", "set WheelSpring 11", "store",
      "sent 80 01 84 03 00 32 01 0B 14 1E 28 | 80 02 64 07 63 BD 64 C8 00 00 00 | "
      "80 03 00 24 00 00 00 00 00 00 00",
      "snapshot before-store WheelSpring 11 GameDamper 7"}},
    {"enter sends unarmed groups at once; centre carries its command once",
     {"read back", "clear", "enter", "sent " + QString(kMachine) + " | " + kGame, "centre",
      "sent 80 01 84 03 2D 32 01 0A 14 1E 28", "centre", "sent 80 01 84 03 2D 32 01 0A 14 1E 28"}},
    {"centre and enter before the read-back ask for the settings instead",
     {"sent " + QString(kRead), "centre", "enter", "sent " + QString(kRead) + " | " + kRead}},
    {"a choice goes out at once with the other choice; an unknown index is kept",
     {"read back", "clear", "set Response 7", "choices", "sent 80 04 01 00 01 00 00 00 00 00 00",
      "base reports mode 9 0", "committed Suspension 1"}},
    {"three refusals in a row are told once; a send that goes through clears the fault",
     {"read back", "clear", "refuse 3", "ask", "ask", "refused ", "ask", "ask", "ask",
      "notices BaseRefusesSettings", "refused 1 0", "sent " + QString(kRead) + " | " + kRead}},
    {"a factory reset the base never acknowledges is told and read again",
     {"read back", "clear", "drop reset ack", "factory reset", "reset timeout",
      "notices FactoryResetUnconfirmed",
      "sent 80 05 55 55 00 00 00 00 00 00 00 | " + QString(kRead)}},
    {"a factory reset becomes one history step once the factory values are read",
     {"read back", "set Angle 540", "schedule", "timers fire", "steps 1", "clear", "factory reset",
      "read back", "steps 2"}},
    {"a profile load is one history step; its undo sends the values before it",
     {"read back", "load Angle 540 GameSpring 70 Response 1", "timers fire", "steps 1", "clear",
      "undo", "sent " + QString(kMachine) + " | " + kGame + " | 80 04 01 00 00 00 00 00 00 00 00",
      "steps 1"}},
    {"a new link knows nothing of the old one's settings; a late notice of an old handle is no "
     "removal",
     {"read back", "unplug", "down", "refuse 1", "plug", "up", "settings unknown",
      "late disconnect notice", "still linked"}},
    {"a base another program holds is told of once and looked for every two seconds",
     {"unplugged at start", "busy", "plug", "polling", "notices BaseInUse", "free", "poll", "up"}},
    {"an old firmware drops the link until the base is unplugged, told once",
     {"read back", "firmware 4999", "ask", "down", "notices FirmwareTooOld", "poll", "down", "open",
      "still down", "unplug", "plug", "up"}},
    {"a whole profile is not sent before the base's settings are known",
     {"whole profile refused", "sent " + QString(kRead), "snapshot none"}},
    {"a whole profile goes out at once, after a snapshot of what the base had",
     {"read back", "clear", "apply Angle 540 Response 1", "snapshot before-profile-load",
      "sent 80 01 1C 02 00 32 01 0A 14 1E 28 | " + QString(kGame) +
          " | 80 04 01 00 01 00 00 00 00 00 00"}},
};

class Harness
{
public:
    Harness()
    {
        profiles::setProfileFolderForTesting(m_profiles.path());
        sim::SimConfig config;
        config.liveRateHz = 0;
        config.statusIntervalMs = 0;
        config.factoryResetDelayMs = 0;
        auto platform = std::make_unique<sim::SimPlatform>(config);
        m_platform = platform.get();
        m_base = platform->wheelBase();
        m_base->loadSettings(kKnown);
        device::installPlatform(std::move(platform));
        m_session = std::make_unique<session::BaseSession>(device::platform());
        QObject::connect(m_session.get(), &session::BaseSession::notice,
                         [this](session::Notice notice) { m_notices << int(notice); });
        QObject::connect(m_session.get(), &session::BaseSession::sendsRefused,
                         [this](bool refused) { m_refusals << (refused ? "1" : "0"); });
        // Sends of one origin make one step, as the window's undo stack merges them.
        QObject::connect(m_session.get(), &session::BaseSession::changeSent,
                         [this](const protocol::ParameterValues &before,
                                const protocol::ParameterValues &, quint32, int origin) {
                             if (m_origins.isEmpty() || m_origins.last() != origin || !origin) {
                                 m_steps << before;
                                 m_origins << origin;
                             }
                         });
    }
    ~Harness()
    {
        m_session.reset();
        m_base.reset();
        device::installPlatform(nullptr);
        profiles::setProfileFolderForTesting(QString());
    }

    void perform(const QString &step);

private:
    // Exactly one snapshot, named by `reason` ("before-store"), holding `values`; or none.
    void checkSnapshot(QString reason, const protocol::ParameterValues &values)
    {
        const QStringList names = profiles::listSnapshots(m_profiles.path());
        QCOMPARE(names.size(), reason == "none" ? 0 : 1);
        if (names.isEmpty())
            return;
        QVERIFY2(names.first().endsWith(reason.replace('-', ' ') + ".ini"), qPrintable(names[0]));
        const profiles::CheckedProfile snapshot = profiles::checkProfile(
            profiles::historyFolder(m_profiles.path()) + '/' + names.first());
        QVERIFY(snapshot.values == values);
    }

private:
    QStringList takeSent()
    {
        const QList<QByteArray> all = m_base->acceptedFeatureReports();
        QStringList out;
        for (; m_seen < all.size(); ++m_seen)
            out << QString::fromLatin1(all.at(m_seen).left(11).toHex(' ').toUpper());
        return out;
    }
    static protocol::Parameter parameterNamed(const QString &name)
    {
        const protocol::ParameterInfo *info = protocol::findParameter(name);
        if (!info)
            qFatal("no parameter %s", qPrintable(name));
        return info->parameter;
    }

    QTemporaryDir m_profiles;
    sim::SimPlatform *m_platform = nullptr;
    std::shared_ptr<sim::SimWheelBase> m_base;
    std::unique_ptr<session::BaseSession> m_session;
    std::shared_ptr<sim::SimWheelBase> m_decoy;
    bool m_started = false;
    int m_seen = 0;
    QList<int> m_notices;
    QStringList m_refusals;
    QList<protocol::ParameterValues> m_steps;
    QList<int> m_origins;
    protocol::ParameterValues m_known;
};

void Harness::perform(const QString &step)
{
    if (step == "unplugged at start") {
        m_base->unplug();
        return;
    }
    if (step == "another product at start") {
        sim::SimConfig config;
        config.productId = 0x1234;
        config.path = sim::simDevicePath(0x0483, 0x1234, 1);
        m_decoy = m_platform->addDevice(config);
        return;
    }
    if (!m_started) {
        m_started = true;
        m_session->start();
    }
    const QStringList words = step.split(' ');
    const QString verb = words.first();
    session::BaseSession &s = *m_session;
    const auto waitFor = [](const std::function<bool()> &done) {
        return QTest::qWaitFor(done, 10000);
    };
    if (step == "read back") {
        QSignalSpy read(&s, &session::BaseSession::baseSettingsRead);
        s.readBaseSettings();
        QVERIFY(waitFor([&] { return !read.isEmpty(); }));
        if (m_known.value(protocol::Parameter::Angle) == 0)
            m_known = s.baseSettings(); // the base's values before any step changed them
    } else if (verb == "sent") {
        QCOMPARE(takeSent().join(" | "), step.mid(5).trimmed());
    } else if (step == "clear") {
        takeSent();
    } else if (verb == "set") {
        s.setUserValue(parameterNamed(words.at(1)), words.at(2).toInt());
    } else if (step == "schedule") {
        s.scheduleSend(protocol::ParameterGroup::Machine);
    } else if (step == "timers fire") {
        for (const char *name : {"machineSendTimer", "gameSendTimer"}) {
            auto *timer = s.findChild<QTimer *>(name);
            if (timer->isActive())
                QMetaObject::invokeMethod(timer, "timeout");
        }
    } else if (step == "store") {
        QVERIFY(s.store());
    } else if (step == "enter") {
        s.sendSettingsNow();
    } else if (step == "centre") {
        s.centre();
    } else if (step == "choices") {
        s.sendChoices();
    } else if (verb == "base" && words.at(2) == "mode") {
        QByteArray report = QByteArray::fromHex("8004");
        report.append(char(words.at(3).toInt())).append('\0').append(char(words.at(4).toInt()));
        m_base->injectReport(report.leftJustified(20, '\0'));
        const int reported = words.at(3).toInt();
        QVERIFY(waitFor(
            [&] { return s.baseSettings().value(protocol::Parameter::Suspension) == reported; }));
    } else if (verb == "committed") {
        QCOMPARE(s.committedValue(parameterNamed(words.at(1))), words.at(2).toInt());
    } else if (verb == "refuse") {
        m_base->refuseFeatureReports(words.at(1).toInt());
    } else if (verb == "notices") {
        static const char *const names[] = {
            "BaseInUse",           "AccessDenied",         "FirmwareTooOld",
            "BaseRefusesSettings", "FactoryResetLinkLost", "FactoryResetUnconfirmed"};
        QStringList told;
        for (int notice : qAsConst(m_notices))
            told << QString::fromLatin1(names[notice]);
        QCOMPARE(told.join(','), words.at(1));
    } else if (verb == "refused") {
        QCOMPARE(m_refusals.join(' '), step.mid(8).trimmed());
    } else if (step == "drop reset ack") {
        m_base->dropFactoryResetAck(true);
    } else if (step == "factory reset") {
        QVERIFY(s.factoryReset());
    } else if (step == "reset timeout") {
        QMetaObject::invokeMethod(s.findChild<QTimer *>("factoryResetTimeout"), "timeout");
    } else if (verb == "steps") {
        QCOMPARE(m_steps.size(), words.at(1).toInt());
    } else if (verb == "load" || verb == "apply" || verb == "snapshot") {
        // The base's values with those the step names changed.
        protocol::ParameterValues values = s.baseHasSettings();
        if (verb == "snapshot")
            values = m_known;
        for (int at = 1 + (verb == "snapshot"); at + 1 < words.size(); at += 2)
            values.setValue(parameterNamed(words.at(at)), words.at(at + 1).toInt());
        if (verb == "load")
            s.loadValues(values);
        else if (verb == "apply")
            QVERIFY(s.applyProfile(values));
        else
            checkSnapshot(words.at(1), values);
    } else if (step == "undo") {
        s.applyHistoryStep(m_steps.last(), kAllParameterBits);
    } else if (verb == "firmware") {
        m_base->setFirmwareVersion(quint16(words.at(1).toInt()));
    } else if (step == "ask") {
        s.requestBaseSettings();
    } else if (step == "down" || step == "up") {
        QVERIFY2(waitFor([&] { return s.linked() == (step == "up"); }), qPrintable(step));
    } else if (step == "settings unknown") {
        QVERIFY(!s.baseSettingsKnown());
        QVERIFY(s.saveSnapshot("before store").isEmpty());
    } else if (step == "still linked" || step == "still down") {
        QCOMPARE(s.linked(), step == "still linked");
    } else if (step == "busy" || step == "free") {
        m_base->failOpens(step == "busy" ? device::OpenError::Busy : device::OpenError::None);
    } else if (step == "polling") {
        const auto *poll = s.findChild<QTimer *>("linkPollTimer");
        QVERIFY(waitFor([&] { return poll && poll->isActive(); }));
        QCOMPARE(poll->interval(), 2000);
    } else if (step == "open") {
        s.openLink();
    } else if (step == "late disconnect notice") {
        ReaderDisconnectEvent notice(nullptr);
        QCoreApplication::sendEvent(&s, &notice);
    } else if (step == "poll") {
        s.reconcileLink();
    } else if (step == "unplug" || step == "plug") {
        step == "plug" ? m_base->plug() : m_base->unplug();
    } else if (step == "unplug the other" || step == "plug the other") {
        step == "plug the other" ? m_decoy->plug() : m_decoy->unplug();
        QCoreApplication::processEvents(); // delivers the hot-plug notices
    } else if (step == "the other got nothing") {
        QVERIFY(m_decoy->featureLog().isEmpty());
    } else if (verb == "readers") {
        QVERIFY(waitFor([&] { return USBThread::runningCount() == words.at(1).toInt(); }));
    } else if (step == "whole profile refused") {
        QVERIFY(!s.applyProfile(s.committedValues()));
    } else {
        QFAIL(qPrintable("unknown step: " + step));
    }
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void scripts_data();
    void scripts();
    void watchedProgramsAreAnnouncedOnce();
};

void TestSession::scripts_data()
{
    QTest::addColumn<QStringList>("steps");
    for (const Row &row : kRows)
        QTest::newRow(row.name) << row.steps;
}

void TestSession::scripts()
{
    QFETCH(QStringList, steps);
    Harness harness;
    for (const QString &step : qAsConst(steps)) {
        harness.perform(step);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable("at step: " + step));
    }
}

// A program is known by its executable's or its first argument's file name, in any case, with or
// without ".exe"; each run of a watched one is announced when it starts and when it ends.
void TestSession::watchedProgramsAreAnnouncedOnce()
{
    for (const char *name : {"C:\\Games\\Game.EXE", "/opt/game/game", "Z:\\x/GAME.exe"})
        QCOMPARE(profiles::programKey(name), QStringLiteral("game"));
    const qint64 self = QCoreApplication::applicationPid(); // a process that surely runs
    QHash<qint64, QStringList> running;
    session::ProcessWatcher watcher;
    watcher.setSources([&] { return std::vector<qint64>(running.keyBegin(), running.keyEnd()); },
                       [&](qint64 pid) { return running.value(pid); });
    QStringList told;
    connect(
        &watcher, &session::ProcessWatcher::programStarted,
        [&](const QString &key, qint64 pid) { told << "start " + key + (pid == self ? "" : "?"); });
    connect(&watcher, &session::ProcessWatcher::programEnded,
            [&](const QString &key) { told << "end " + key; });
    running[self] = QStringList{"wine64-preloader", "game"};
    watcher.scan(); // nothing is watched yet
    watcher.setPrograms({"game"});
    watcher.scan();
    watcher.scan();
    running.remove(self);
    watcher.scan();
    watcher.scan();
    QCOMPARE(told.join(", "), QStringLiteral("start game, end game"));
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
