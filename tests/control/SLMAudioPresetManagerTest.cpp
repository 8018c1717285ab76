#include "control/SLMAudioParameters.h"
#include "control/SLMAudioPresetManager.h"
#include "control/SLMControlRanges.h"

#include "support/EventLoop.h"

#include <QDir>
#include <QFile>
#include <QMetaProperty>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

using slm::test::drainPostedEvents;

SLMAudioPreset asCustom(SLMAudioPreset preset)
{
    preset.id = SLMPresetID::Custom;
    return preset;
}

class PresetManagerTest : public testing::Test {
protected:
    PresetManagerTest()
        : m_path(m_dir.filePath("settings.conf"))
        , store(m_path)
    {
    }

    std::unique_ptr<SLMAudioPresetManager> makeManager(SLMAudioParameters* p)
    {
        return std::make_unique<SLMAudioPresetManager>(p, store);
    }
    // As the next run of the program would see the settings.
    std::unique_ptr<SLMAudioPresetManager> makeManagerOfANewRun(SLMAudioParameters* p)
    {
        EXPECT_TRUE(store.flush());
        return std::make_unique<SLMAudioPresetManager>(p, SLMPresetStore(m_path));
    }
    std::optional<QByteArray> diskBlob()
    {
        EXPECT_TRUE(store.flush());
        return SLMPresetStore(m_path).load();
    }
    std::optional<SLMAudioPreset> stored() const
    {
        const auto blob = store.load();
        return blob ? SLMAudioPreset::decode(*blob) : std::nullopt;
    }

    // A settings file as an earlier run, or a listener's editor, left it.
    void writeSettings(std::initializer_list<std::pair<const char*, QVariant>> values)
    {
        QSettings settings(m_path, QSettings::NativeFormat);
        settings.clear();
        for (const auto& [key, value] : values)
            settings.setValue(key, value);
        settings.sync();
        ASSERT_EQ(settings.status(), QSettings::NoError);
    }
    const QString& path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;

protected:
    SLMPresetStore store; // shared with the managers made here
    SLMAudioParameters parameters;
};

TEST_F(PresetManagerTest, AppliesExactColumnsInFieldOrderWithoutCapturing)
{
    parameters.setReactorLevel(0.33);
    auto manager = makeManager(&parameters);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    EXPECT_EQ(manager->customPreset(), SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom));
    parameters.setFieldMuted(true);
    drainPostedEvents();
    const std::optional<QByteArray> before = store.load();

    // The ten values in field order, as the gadget lists them after the id.
    auto fields = [](const SLMAudioPreset& preset) {
        std::vector<double> values;
        for (int i = 1; i <= 10; ++i)
            values.push_back(SLMAudioPreset::staticMetaObject.property(i).readOnGadget(&preset).toDouble());
        return values;
    };
    const SLMAudioPreset columns[] = {
        {SLMPresetID::Void, 0.30, 0.04, 0.024, 0.035, -18.0, 0.05, 0.2, 0.32, 0.72, 0.35},
        {SLMPresetID::Drift, 0.16, 0.125, 0.085, 0.055, -12.0, 0.065, 0.36, 0.48, 0.8, 0.92},
        {SLMPresetID::Swarm, 0.15, 0.095, 0.06, 0.07, -2.5, 0.13, 0.9, 0.82, 0.7, 1.0},
        {SLMPresetID::Storm, 0.27, 0.145, 0.125, 0.16, -4.0, 0.11, 0.72, 0.76, 0.58, 0.88},
    };
    for (const SLMAudioPreset& column : columns) {
        // At the k-th announcement the first k fields hold the new values,
        // the others the old ones (every field differs from one column to the next).
        const std::vector<double> before = fields(SLMAudioPreset::snapshot(parameters, column.id));
        const std::vector<double> after = fields(column);
        int announcements = 0;
        const auto connection = QObject::connect(&parameters, &SLMAudioParameters::objectWillChange, [&] {
            EXPECT_TRUE(manager->isApplying());
            const std::vector<double> now = fields(SLMAudioPreset::snapshot(parameters, column.id));
            for (int i = 0; i < 10; ++i)
                EXPECT_EQ(now[i], i < announcements ? after[i] : before[i]) << column.rawID().toStdString() << i;
            ++announcements;
        });
        manager->applyPreset(column.id);
        QObject::disconnect(connection);
        drainPostedEvents();
        EXPECT_EQ(announcements, 10);
        EXPECT_EQ(SLMAudioPreset::snapshot(parameters, column.id), column);
        EXPECT_EQ(manager->activeID(), column.id);
    }
    EXPECT_FALSE(manager->isApplying());
    EXPECT_EQ(store.load(), before);
    EXPECT_TRUE(parameters.fieldMuted());
}

TEST_F(PresetManagerTest, EveryOtherAssignmentCapturesOnTheNextTurn)
{
    auto manager = makeManager(&parameters);
    QSignalSpy captures(manager.get(), &SLMAudioPresetManager::customPresetChanged);
    manager->applyPreset(SLMPresetID::Storm);
    parameters.setWaveLevel(0.1);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Storm);
    EXPECT_FALSE(store.load().has_value());

    drainPostedEvents();
    SLMAudioPreset expected = asCustom(SLMAudioPreset::builtIn(SLMPresetID::Storm));
    expected.waveLevel = 0.1;
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    EXPECT_EQ(manager->customPreset(), expected);
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(diskBlob(), store.load());

    // Switches and unchanged values capture too, one capture per assignment.
    manager->applyPreset(SLMPresetID::Void);
    parameters.setReactorMuted(true);
    parameters.setFieldLevel(parameters.fieldLevel());
    parameters.setGlowwormSolo(false);
    drainPostedEvents();
    EXPECT_EQ(captures.count(), 4);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    EXPECT_EQ(stored(), asCustom(SLMAudioPreset::builtIn(SLMPresetID::Void)));
}

TEST_F(PresetManagerTest, AnnouncesEachAssignmentBeforeMakingIt)
{
    auto manager = makeManager(&parameters);
    std::vector<int> events; // 0: announcement, 1: activeID, 2: customPreset
    QObject::connect(manager.get(), &SLMAudioPresetManager::objectWillChange, [&] { events.push_back(0); });
    QObject::connect(manager.get(), &SLMAudioPresetManager::activeIDChanged, [&] { events.push_back(1); });
    QObject::connect(manager.get(), &SLMAudioPresetManager::customPresetChanged, [&] { events.push_back(2); });
    manager->saveCustomPreset();
    EXPECT_EQ(events, (std::vector<int>{0, 2, 0, 1}));
}

// Remembering the mix across runs is ANewRunPlaysTheCustomMix...'s; a
// stored preset applied as CUSTOM plays its values whatever id it was stored with.
TEST_F(PresetManagerTest, AStoredPresetKeepsItsIdAndAppliesAsCustom)
{
    SLMAudioParameters restarted;
    const QByteArray blob = *SLMAudioPreset::builtIn(SLMPresetID::Swarm).encode();
    store.save(blob);
    auto manager = makeManagerOfANewRun(&restarted);
    EXPECT_EQ(manager->customPreset(), SLMAudioPreset::builtIn(SLMPresetID::Swarm));
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    manager->applyPreset(SLMPresetID::Custom);
    drainPostedEvents();
    EXPECT_EQ(SLMAudioPreset::snapshot(restarted, SLMPresetID::Swarm), SLMAudioPreset::builtIn(SLMPresetID::Swarm));
    EXPECT_EQ(diskBlob(), blob) << "applying the stored preset rewrote it";
}

TEST_F(PresetManagerTest, UnreadableBlobsAreIgnoredWholeAndLeftStored)
{
    const QByteArray valid = *SLMAudioPreset::builtIn(SLMPresetID::Storm).encode();
    parameters.setWaveLevel(0.077);
    for (const QByteArray& bad : {QByteArray("{\"id\":\"storm\","), QByteArray(valid).replace("Trail", "Tail"),
                                  QByteArray(valid).replace("0.27", "\"0.27\""),
                                  QByteArray(valid).replace("storm", "hurricane")}) {
        ASSERT_NE(bad, valid);
        store.save(bad);
        auto manager = makeManagerOfANewRun(&parameters);
        EXPECT_EQ(manager->customPreset(), SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom)) << bad.constData();
        drainPostedEvents();
        EXPECT_EQ(diskBlob(), bad);
    }
}

TEST_F(PresetManagerTest, NonFiniteValuesUpdateTheStateButNeverTheStore)
{
    auto manager = makeManager(&parameters);
    manager->saveCustomPreset();
    const std::optional<QByteArray> good = diskBlob();
    for (double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        manager->applyPreset(SLMPresetID::Storm);
        parameters.setGlowwormMasterDB(value);
        drainPostedEvents();
        EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
        EXPECT_EQ(std::isnan(manager->customPreset().glowwormMasterDB), std::isnan(value));
        EXPECT_EQ(manager->customPreset().reactorLevel, 0.27);
        EXPECT_EQ(diskBlob(), good);
    }
}

TEST_F(PresetManagerTest, NothingHappensOnceEitherSideIsGone)
{
    auto owned = std::make_unique<SLMAudioParameters>();
    auto manager = makeManager(owned.get());
    manager->applyPreset(SLMPresetID::Drift);
    QSignalSpy changes(manager.get(), &SLMAudioPresetManager::objectWillChange);
    owned->setWaveLevel(0.11); // its capture is still queued
    owned.reset();
    drainPostedEvents();
    manager->applyPreset(SLMPresetID::Storm);
    manager->saveCustomPreset();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Drift);

    auto second = makeManager(&parameters);
    parameters.setWaveLevel(0.09);
    second.reset(); // with its capture still queued
    drainPostedEvents();
    EXPECT_FALSE(store.load().has_value());
}

// A stored preset is outside data: whatever it says, the sound gets no more
// than the console's faders could give it.
TEST_F(PresetManagerTest, AStoredPresetIsHeldToTheConsoleRanges)
{
    const char* extreme =
        R"({"id":"custom","reactorLevel":10,"fieldLevel":10,"waveLevel":1e300,"anomalyLevel":10,)"
        R"("glowwormMasterDB":60,"glowwormLevel":-3,"glowwormActivity":-1e300,"glowwormBrightness":0.25,)"
        R"("glowwormTrail":1.5,"glowwormStereoTravel":0.0})";
    writeSettings({{SLMAudioPresetManager::customDefaultsKey, QByteArray(extreme)}});
    auto manager = makeManagerOfANewRun(&parameters);
    const SLMAudioPreset expected{SLMPresetID::Custom, 0.4, 0.2, 0.15, 0.2, 6.0, 0.0, 0.0, 0.25, 1.0, 0.0};
    EXPECT_EQ(manager->customPreset(), expected);
    manager->restoreRemembered();
    EXPECT_EQ(SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom), expected);

    // Every continuous control has a range, and its default lies inside it.
    int ranged = 0;
    for (const QString& name : SLMAudioParameters::propertyNames()) {
        const QMetaProperty property =
            SLMAudioParameters::staticMetaObject.property(SLMAudioParameters::staticMetaObject.indexOfProperty(qPrintable(name)));
        const std::optional<slm::ControlRange> range = slm::controlRange(name);
        ASSERT_EQ(range.has_value(), property.typeId() == QMetaType::Double) << name.toStdString();
        if (!range)
            continue;
        ++ranged;
        const double defaultValue = SLMAudioParameters().property(qPrintable(name)).toDouble();
        EXPECT_EQ(range->limit(defaultValue), defaultValue) << name.toStdString();
    }
    EXPECT_EQ(ranged, 10);
}

TEST_F(PresetManagerTest, ANewRunPlaysThePresetThatWasActive)
{
    {
        auto first = makeManager(&parameters);
        first->applyPreset(SLMPresetID::Void);
        first->applyPreset(SLMPresetID::Storm);
    }
    SLMAudioParameters restarted;
    restarted.setReactorMuted(true); // switches stay the listener's live state
    auto second = makeManagerOfANewRun(&restarted);
    EXPECT_EQ(SLMAudioPreset::snapshot(restarted, SLMPresetID::Custom), SLMAudioPreset::snapshot(SLMAudioParameters(), SLMPresetID::Custom))
        << "loading alone changed the parameters";
    second->restoreRemembered();
    EXPECT_EQ(second->activeID(), SLMPresetID::Storm);
    EXPECT_EQ(SLMAudioPreset::snapshot(restarted, SLMPresetID::Storm), SLMAudioPreset::builtIn(SLMPresetID::Storm));
    EXPECT_TRUE(restarted.reactorMuted());
    drainPostedEvents();
    EXPECT_EQ(second->activeID(), SLMPresetID::Storm) << "restoring was taken for a manual change";
    EXPECT_FALSE(stored().has_value()) << "choosing a built-in preset stored a custom one";
}

TEST_F(PresetManagerTest, ANewRunPlaysTheCustomMixAndTheFirstMoveKeepsIt)
{
    {
        auto first = makeManager(&parameters);
        first->applyPreset(SLMPresetID::Swarm);
        parameters.setWaveLevel(0.1);
        drainPostedEvents();
    }
    SLMAudioPreset mix = asCustom(SLMAudioPreset::builtIn(SLMPresetID::Swarm));
    mix.waveLevel = 0.1;
    ASSERT_EQ(stored(), mix);

    SLMAudioParameters restarted;
    auto second = makeManagerOfANewRun(&restarted);
    second->restoreRemembered();
    EXPECT_EQ(second->activeID(), SLMPresetID::Custom);
    EXPECT_EQ(SLMAudioPreset::snapshot(restarted, SLMPresetID::Custom), mix);

    // The first fader move captures the restored mix plus the move.
    restarted.setFieldLevel(0.15);
    drainPostedEvents();
    second.reset(); // its store writes what is pending as it goes
    mix.fieldLevel = 0.15;
    EXPECT_EQ(SLMAudioPreset::decode(SLMPresetStore(path()).load().value_or("")), mix);
}

TEST_F(PresetManagerTest, WhatANewRunRestoresFromOlderOrOddSettings)
{
    const SLMAudioPreset defaults = SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom);
    const QByteArray drift = *asCustom(SLMAudioPreset::builtIn(SLMPresetID::Drift)).encode();
    struct Case {
        const char* what;
        std::optional<QByteArray> custom;
        std::optional<QString> active;
        SLMPresetID expectedActive;
        SLMAudioPreset expectedValues;
    };
    const Case cases[] = {
        {"nothing stored: the defaults, as ever", {}, {}, SLMPresetID::Custom, defaults},
        {"a custom preset from before the active key", drift, {}, SLMPresetID::Custom,
         asCustom(SLMAudioPreset::builtIn(SLMPresetID::Drift))},
        {"an active key that names no preset", drift, QStringLiteral("hurricane"), SLMPresetID::Custom,
         asCustom(SLMAudioPreset::builtIn(SLMPresetID::Drift))},
        {"a built-in preset over a stored custom one", drift, QStringLiteral("void"), SLMPresetID::Void,
         asCustom(SLMAudioPreset::builtIn(SLMPresetID::Void))},
    };
    for (const Case& c : cases) {
        QFile::remove(path());
        if (c.custom)
            writeSettings({{SLMAudioPresetManager::customDefaultsKey, *c.custom}});
        if (c.active) {
            QSettings settings(path(), QSettings::NativeFormat);
            settings.setValue(SLMAudioPresetManager::activeDefaultsKey, *c.active);
        }
        SLMAudioParameters restarted;
        auto manager = std::make_unique<SLMAudioPresetManager>(&restarted, SLMPresetStore(path()));
        manager->restoreRemembered();
        drainPostedEvents();
        EXPECT_EQ(manager->activeID(), c.expectedActive) << c.what;
        EXPECT_EQ(SLMAudioPreset::snapshot(restarted, SLMPresetID::Custom), c.expectedValues) << c.what;
        manager.reset();
        EXPECT_EQ(QFile::exists(path()), c.custom.has_value()) << c.what << ": starting wrote the settings";
    }
}

TEST_F(PresetManagerTest, SaysWhileTheSettingsCannotBeSaved)
{
    ASSERT_TRUE(QDir().mkpath(path())); // a folder where the file belongs
    auto manager = makeManager(&parameters);
    QSignalSpy failing(manager.get(), &SLMAudioPresetManager::saveFailingChanged);
    EXPECT_FALSE(manager->saveFailing());
    manager->saveCustomPreset();
    EXPECT_FALSE(store.flush());
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return manager->saveFailing(); }));
    EXPECT_TRUE(manager->property("activeDescription").toString().contains("not remembered"));

    ASSERT_TRUE(QDir(path()).removeRecursively());
    parameters.setWaveLevel(0.09);
    drainPostedEvents();
    EXPECT_TRUE(store.flush());
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return !manager->saveFailing(); }));
    EXPECT_EQ(manager->activeDescription(), slm::presetDescription(SLMPresetID::Custom));
    EXPECT_EQ(failing.count(), 2);
}

// What the console's QML sees.
TEST_F(PresetManagerTest, ScriptInterface)
{
    auto manager = makeManager(&parameters);
    QMetaObject::invokeMethod(manager.get(), "applyPreset", Q_ARG(QString, "drift"));
    EXPECT_EQ(manager->property("activeID").toString(), "drift");
    EXPECT_EQ(manager->property("activeDescription").toString(), slm::presetDescription(SLMPresetID::Drift));
    QMetaObject::invokeMethod(manager.get(), "applyPreset", Q_ARG(QString, "DRIFT!"));
    EXPECT_EQ(manager->activeID(), SLMPresetID::Drift);
    const QVariantMap storm = manager->property("presets").toList().value(3).toMap();
    EXPECT_EQ(storm.value("id"), "storm");
    EXPECT_EQ(storm.value("label"), "STORM");
    QMetaObject::invokeMethod(manager.get(), "saveCustomPreset");
    EXPECT_EQ(manager->property("activeID").toString(), "custom");
    EXPECT_EQ(manager->property("customPreset").value<SLMAudioPreset>(), manager->customPreset());
}

} // namespace
