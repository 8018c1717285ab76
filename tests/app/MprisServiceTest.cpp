#include "app/MprisService.h"

#include "PrivateSessionBus.h"
#include "app/ScreenAwakePolicy.h"
#include "control/StreamVolume.h"
#include "control/MemoryDeviceControl.h"
#include "control/SLMAudioPresetManager.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "support/EventLoop.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using slm::test::processEventsUntil;

namespace {

TEST(StreamVolumeTest, ClampsIgnoresNonNumbersAndNeverEchoesTheServer)
{
    StreamVolume volume;
    std::vector<double> written;
    volume.setSink([&](double v) { written.push_back(v); });

    volume.setVolume(1.7);
    EXPECT_EQ(volume.volume(), 1.0);
    EXPECT_TRUE(written.empty()) << "an unchanged volume went to the server";
    volume.setVolume(-0.2);
    volume.setVolume(std::numeric_limits<double>::quiet_NaN());
    volume.setVolume(std::numeric_limits<double>::infinity());
    EXPECT_EQ(volume.volume(), 0.0);
    volume.setVolume(0.25);
    EXPECT_EQ(written, (std::vector<double>{0.0, 0.25}));

    volume.takeServerVolume(0.6);
    EXPECT_EQ(volume.volume(), 0.6);
    EXPECT_EQ(written.size(), 2u) << "a change from the server was written back";
}

TEST(ScreenAwakePolicyTest, TheDisplayMaySleepOnceTheSleepTimerHasPausedTheSound)
{
    ScreenAwakePolicy policy;
    std::vector<bool> told;
    policy.changed = [&](bool awake) { told.push_back(awake); };

    policy.setFullScreen(true);
    policy.playingChanged(false); // the engine pauses as the timer runs out
    policy.sleepTimerExpired();
    policy.setFullScreen(false);
    policy.setFullScreen(true); // still asleep
    policy.playingChanged(true);
    policy.setFullScreen(false);
    EXPECT_EQ(told, (std::vector<bool>{true, false, true, false}));

    // Playing again while windowed keeps nothing awake, but full screen does again.
    policy.setFullScreen(false);
    policy.sleepTimerExpired();
    policy.playingChanged(true);
    policy.setFullScreen(true);
    EXPECT_TRUE(policy.keepAwake());
}

// The names and values announced in PropertiesChanged so far.
class Receiver : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
public slots:
    void take(const QDBusMessage& message)
    {
        QVariantMap changed;
        message.arguments().value(1).value<QDBusArgument>() >> changed;
        changes.append(changed);
    }
};

class MprisServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(service.publish(bus.connect(QStringLiteral("player"))));
        client = bus.connect(QStringLiteral("client"));
        ASSERT_TRUE(client.connect(QString(), MprisService::objectPath, properties,
                                   QStringLiteral("PropertiesChanged"), receiver.get(), SLOT(take(QDBusMessage))));
    }

    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {})
    {
        auto message = QDBusMessage::createMethodCall(MprisService::serviceName, MprisService::objectPath, interface, method);
        message.setArguments(arguments);
        return client.call(message, QDBus::BlockWithGui);
    }
    QDBusMessage callPlayer(const QString& method) { return call(MprisService::playerInterface, method); }
    QVariant property(const QString& name)
    {
        const QDBusMessage reply = call(properties, QStringLiteral("Get"), {MprisService::playerInterface, name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    PrivateSessionBus bus;
    QTemporaryDir settings;
    SLMAudioEngine engine{std::make_unique<OfflineAudioOutput>(48000.0, 2), std::make_unique<MemoryDeviceControl>()};
    SLMAudioPresetManager presets{engine.parameters(), SLMPresetStore(settings.filePath(QStringLiteral("s.conf")))};
    StreamVolume volume;
    int raised = 0;
    int quits = 0;
    MprisService service{engine,
                         presets,
                         volume,
                         {QStringLiteral("io.github.starlume.Starlume"), QStringLiteral("/io/github/starlume/Starlume"),
                          QString()},
                         {[this] { ++raised; }, [this] { ++quits; }}};
    std::unique_ptr<Receiver> receiver = std::make_unique<Receiver>();
    QDBusConnection client{QString()};
};

TEST_F(MprisServiceTest, AnnouncesEveryChangeAndChecksTheVolumeFromOutside)
{
    auto& changes = receiver->changes;
    const auto announced = [&](const QString& name, const QVariant& value) {
        return processEventsUntil([&] {
            return std::any_of(changes.begin(), changes.end(),
                               [&](const QVariantMap& c) { return c.contains(name) && c.value(name) == value; });
        });
    };

    ASSERT_EQ(callPlayer(QStringLiteral("Pause")).type(), QDBusMessage::ReplyMessage);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_TRUE(announced(QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")));
    callPlayer(QStringLiteral("PlayPause"));
    EXPECT_TRUE(announced(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")));
    callPlayer(QStringLiteral("Stop"));
    EXPECT_EQ(property(QStringLiteral("PlaybackStatus")), QStringLiteral("Paused"));

    presets.applyPreset(SLMPresetID::Storm);
    // The order and the wrap are MprisPresetStepTest's.
    callPlayer(QStringLiteral("Next"));
    EXPECT_EQ(presets.activeID(), SLMPresetID::Custom);
    ASSERT_TRUE(processEventsUntil([&] {
        return !changes.isEmpty() && changes.back().contains(QStringLiteral("Metadata"));
    }));
    const QVariantMap metadata = qdbus_cast<QVariantMap>(changes.back().value(QStringLiteral("Metadata")));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("CUSTOM"));
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              QStringLiteral("/io/github/starlume/Starlume/preset/custom"));

    // What a volume may be is StreamVolume's.
    call(properties, QStringLiteral("Set"),
         {MprisService::playerInterface, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.3))});
    EXPECT_DOUBLE_EQ(volume.volume(), 0.3);
    EXPECT_TRUE(announced(QStringLiteral("Volume"), 0.3));
    EXPECT_DOUBLE_EQ(property(QStringLiteral("Volume")).toDouble(), 0.3);

    call(MprisService::rootInterface, QStringLiteral("Raise"));
    call(MprisService::rootInterface, QStringLiteral("Quit"));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(quits, 1);
}

TEST(MprisPresetStepTest, StepsThroughAllFivePresetsBothWays)
{
    SLMPresetID id = SLMPresetID::Void;
    std::vector<SLMPresetID> seen;
    for (int i = 0; i < 5; ++i)
        seen.push_back(id = MprisService::steppedPreset(id, 1));
    EXPECT_EQ(seen, (std::vector<SLMPresetID>{SLMPresetID::Drift, SLMPresetID::Swarm, SLMPresetID::Storm,
                                              SLMPresetID::Custom, SLMPresetID::Void}));
    EXPECT_EQ(MprisService::steppedPreset(SLMPresetID::Void, -1), SLMPresetID::Custom);
}

} // namespace

#include "MprisServiceTest.moc"
