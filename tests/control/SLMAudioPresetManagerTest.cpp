#include "control/SLMAudioParameters.h"
#include "control/SLMAudioPresetManager.h"

#include "support/EventLoop.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

class PresetManagerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    SLMPresetStore store() const { return SLMPresetStore(m_dir.filePath("settings.conf")); }
    std::optional<QByteArray> blob() const { return store().load(); }
    void storeBlob(const QByteArray& bytes)
    {
        SLMPresetStore s = store();
        ASSERT_TRUE(s.save(bytes));
    }
    std::unique_ptr<SLMAudioPresetManager> makeManager(SLMAudioParameters* p)
    {
        return std::make_unique<SLMAudioPresetManager>(p, store());
    }
    std::optional<SLMAudioPreset> storedPreset() const
    {
        const auto bytes = blob();
        return bytes ? SLMAudioPreset::decode(*bytes) : std::nullopt;
    }

    SLMAudioParameters parameters;

private:
    QTemporaryDir m_dir;
};

TEST_F(PresetManagerTest, StartsCustomWithTheCurrentStateAndStoresNothing)
{
    parameters.setReactorLevel(0.33);
    auto manager = makeManager(&parameters);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    EXPECT_FALSE(manager->isApplying());
    EXPECT_EQ(manager->customPreset(), SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom));
    EXPECT_EQ(manager->customPreset().reactorLevel, 0.33);
    slm::test::drainPostedEvents();
    EXPECT_FALSE(blob().has_value());
    EXPECT_EQ(parameters.reactorLevel(), 0.33);
}

TEST_F(PresetManagerTest, ApplyingWritesTheColumnInOrderWithoutCapturing)
{
    auto manager = makeManager(&parameters);
    parameters.setFieldMuted(true);
    parameters.setWaveSolo(true);
    slm::test::drainPostedEvents();
    const std::optional<QByteArray> before = blob();

    std::vector<std::string> order;
    using Signal = void (SLMAudioParameters::*)();
    const std::pair<Signal, const char*> watched[] = {
        {&SLMAudioParameters::reactorLevelChanged, "reactorLevel"},
        {&SLMAudioParameters::fieldLevelChanged, "fieldLevel"},
        {&SLMAudioParameters::waveLevelChanged, "waveLevel"},
        {&SLMAudioParameters::anomalyLevelChanged, "anomalyLevel"},
        {&SLMAudioParameters::glowwormMasterDBChanged, "glowwormMasterDB"},
        {&SLMAudioParameters::glowwormLevelChanged, "glowwormLevel"},
        {&SLMAudioParameters::glowwormActivityChanged, "glowwormActivity"},
        {&SLMAudioParameters::glowwormBrightnessChanged, "glowwormBrightness"},
        {&SLMAudioParameters::glowwormTrailChanged, "glowwormTrail"},
        {&SLMAudioParameters::glowwormStereoTravelChanged, "glowwormStereoTravel"},
    };
    for (const auto& [signal, name] : watched) {
        QObject::connect(&parameters, signal, [&order, name = name, &manager] {
            EXPECT_TRUE(manager->isApplying());
            EXPECT_EQ(manager->activeID(), SLMPresetID::Swarm);
            order.push_back(name);
        });
    }

    manager->applyPreset(SLMPresetID::Swarm);
    slm::test::drainPostedEvents();

    std::vector<std::string> expectedOrder;
    for (const auto& [signal, name] : watched)
        expectedOrder.push_back(name);
    EXPECT_EQ(order, expectedOrder);
    EXPECT_EQ(SLMAudioPreset::snapshot(parameters, SLMPresetID::Swarm), SLMAudioPreset::builtIn(SLMPresetID::Swarm));
    EXPECT_EQ(manager->activeID(), SLMPresetID::Swarm);
    EXPECT_FALSE(manager->isApplying());
    EXPECT_EQ(blob(), before);
    EXPECT_TRUE(parameters.fieldMuted());
    EXPECT_TRUE(parameters.waveSolo());
}

TEST_F(PresetManagerTest, ManualChangeCapturesOnTheNextTurn)
{
    auto manager = makeManager(&parameters);
    manager->applyPreset(SLMPresetID::Storm);
    slm::test::drainPostedEvents();
    EXPECT_FALSE(blob().has_value());

    parameters.setWaveLevel(0.1);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Storm);
    EXPECT_FALSE(blob().has_value());

    slm::test::drainPostedEvents();
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    SLMAudioPreset expected = SLMAudioPreset::builtIn(SLMPresetID::Storm);
    expected.id = SLMPresetID::Custom;
    expected.waveLevel = 0.1;
    EXPECT_EQ(manager->customPreset(), expected);
    EXPECT_EQ(storedPreset(), expected);
    ASSERT_TRUE(blob().has_value());
    EXPECT_TRUE(blob()->contains("\"waveLevel\":0.1")) << blob()->constData();
}

TEST_F(PresetManagerTest, EveryAssignmentCapturesIncludingSwitchesAndUnchangedValues)
{
    auto manager = makeManager(&parameters);
    manager->applyPreset(SLMPresetID::Void);
    QSignalSpy captures(manager.get(), &SLMAudioPresetManager::customPresetChanged);

    parameters.setReactorMuted(true);
    slm::test::drainPostedEvents();
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    SLMAudioPreset expected = SLMAudioPreset::builtIn(SLMPresetID::Void);
    expected.id = SLMPresetID::Custom;
    EXPECT_EQ(storedPreset(), expected);
    EXPECT_EQ(captures.count(), 1);

    // Each notification posts its own capture, even for an unchanged value.
    manager->applyPreset(SLMPresetID::Drift);
    parameters.setFieldLevel(parameters.fieldLevel());
    parameters.setGlowwormSolo(false);
    parameters.setAnomalyLevel(0.01);
    slm::test::drainPostedEvents();
    EXPECT_EQ(captures.count(), 4);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    EXPECT_EQ(storedPreset()->anomalyLevel, 0.01);
    EXPECT_EQ(storedPreset()->reactorLevel, SLMAudioPreset::builtIn(SLMPresetID::Drift).reactorLevel);
}

TEST_F(PresetManagerTest, PublishesEachAssignmentAfterAnnouncingIt)
{
    auto manager = makeManager(&parameters);
    std::vector<std::string> events;
    QObject::connect(manager.get(), &SLMAudioPresetManager::objectWillChange, [&] { events.push_back("will"); });
    QObject::connect(manager.get(), &SLMAudioPresetManager::activeIDChanged, [&] { events.push_back("active"); });
    QObject::connect(manager.get(), &SLMAudioPresetManager::customPresetChanged, [&] { events.push_back("custom"); });
    manager->saveCustomPreset();
    EXPECT_EQ(events, (std::vector<std::string>{"will", "custom", "will", "active"}));
}

TEST_F(PresetManagerTest, ApplyingCustomWritesTheSnapshotAndLeavesTheBlob)
{
    SLMAudioPreset remembered = SLMAudioPreset::builtIn(SLMPresetID::Drift);
    remembered.id = SLMPresetID::Custom;
    remembered.glowwormTrail = 0.123;
    storeBlob(*remembered.encode());
    const std::optional<QByteArray> before = blob();

    auto manager = makeManager(&parameters);
    EXPECT_EQ(manager->customPreset(), remembered);
    // Loading does not reach the sound until custom is picked.
    EXPECT_EQ(parameters.glowwormTrail(), slm::defaults::glowwormTrail);

    manager->applyPreset(SLMPresetID::Custom);
    slm::test::drainPostedEvents();
    EXPECT_EQ(SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom), remembered);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    EXPECT_EQ(blob(), before);
}

TEST_F(PresetManagerTest, AFreshManagerReloadsTheRememberedPreset)
{
    {
        auto first = makeManager(&parameters);
        parameters.setGlowwormActivity(0.91);
        slm::test::drainPostedEvents();
    }
    SLMAudioParameters restarted;
    auto second = makeManager(&restarted);
    EXPECT_EQ(second->customPreset().glowwormActivity, 0.91);
    EXPECT_EQ(second->customPreset(), SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom));
    EXPECT_EQ(second->activeID(), SLMPresetID::Custom);
    second->applyPreset(SLMPresetID::Custom);
    EXPECT_EQ(restarted.glowwormActivity(), 0.91);
}

TEST_F(PresetManagerTest, AStoredForeignIdIsKept)
{
    storeBlob(*SLMAudioPreset::builtIn(SLMPresetID::Swarm).encode());
    auto manager = makeManager(&parameters);
    EXPECT_EQ(manager->customPreset(), SLMAudioPreset::builtIn(SLMPresetID::Swarm));
    EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
    manager->applyPreset(SLMPresetID::Custom);
    EXPECT_EQ(SLMAudioPreset::snapshot(parameters, SLMPresetID::Swarm), SLMAudioPreset::builtIn(SLMPresetID::Swarm));
}

TEST_F(PresetManagerTest, UnreadableBlobsAreIgnoredWholeAndLeftStored)
{
    const QByteArray valid = *SLMAudioPreset::builtIn(SLMPresetID::Storm).encode();
    QByteArray missingTrail = valid;
    missingTrail.replace("\"glowwormTrail\"", "\"glowwormTail\"");
    QByteArray wrongType = valid;
    wrongType.replace("\"reactorLevel\":0.27", "\"reactorLevel\":\"0.27\"");
    QByteArray unknownId = valid;
    unknownId.replace("\"storm\"", "\"hurricane\"");
    ASSERT_NE(missingTrail, valid);
    ASSERT_NE(wrongType, valid);
    ASSERT_NE(unknownId, valid);

    parameters.setWaveLevel(0.077);
    for (const QByteArray& bad : {QByteArray("{\"id\":\"storm\","), missingTrail, wrongType, unknownId}) {
        storeBlob(bad);
        auto manager = makeManager(&parameters);
        EXPECT_EQ(manager->customPreset(), SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom)) << bad.constData();
        slm::test::drainPostedEvents();
        EXPECT_EQ(blob(), bad);
    }
}

TEST_F(PresetManagerTest, NonFiniteValuesUpdateTheStateButNeverTheStore)
{
    auto manager = makeManager(&parameters);
    parameters.setReactorLevel(0.25);
    slm::test::drainPostedEvents();
    const std::optional<QByteArray> good = blob();
    ASSERT_TRUE(good.has_value());

    for (double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        manager->applyPreset(SLMPresetID::Storm);
        parameters.setGlowwormMasterDB(value);
        slm::test::drainPostedEvents();
        EXPECT_EQ(manager->activeID(), SLMPresetID::Custom);
        const double captured = manager->customPreset().glowwormMasterDB;
        EXPECT_TRUE(std::isnan(value) ? std::isnan(captured) : captured == value);
        EXPECT_EQ(manager->customPreset().reactorLevel, 0.27);
        EXPECT_EQ(blob(), good);
    }
}

TEST_F(PresetManagerTest, DoesNothingOnceTheParametersAreGone)
{
    auto owned = std::make_unique<SLMAudioParameters>();
    auto manager = makeManager(owned.get());
    manager->applyPreset(SLMPresetID::Drift);
    QSignalSpy changes(manager.get(), &SLMAudioPresetManager::objectWillChange);

    owned->setWaveLevel(0.11); // its capture is still queued
    owned.reset();
    slm::test::drainPostedEvents();
    manager->applyPreset(SLMPresetID::Storm);
    manager->saveCustomPreset();

    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(manager->activeID(), SLMPresetID::Drift);
    EXPECT_FALSE(blob().has_value());
}

TEST_F(PresetManagerTest, QueuedCapturesDieWithTheManager)
{
    auto manager = makeManager(&parameters);
    parameters.setWaveLevel(0.09);
    manager.reset();
    slm::test::drainPostedEvents();
    EXPECT_FALSE(blob().has_value());
    parameters.setWaveLevel(0.08); // no subscriber left
    slm::test::drainPostedEvents();
    EXPECT_FALSE(blob().has_value());
}

// What the console's QML sees.
TEST_F(PresetManagerTest, ScriptInterface)
{
    auto manager = makeManager(&parameters);
    ASSERT_TRUE(QMetaObject::invokeMethod(manager.get(), "applyPreset", Q_ARG(QString, QStringLiteral("drift"))));
    EXPECT_EQ(manager->property("activeID").toString(), "drift");
    EXPECT_EQ(manager->property("activeDescription").toString(), slm::presetDescription(SLMPresetID::Drift));
    ASSERT_TRUE(QMetaObject::invokeMethod(manager.get(), "applyPreset", Q_ARG(QString, QStringLiteral("DRIFT!"))));
    EXPECT_EQ(manager->activeID(), SLMPresetID::Drift);

    const QVariantList presets = manager->property("presets").toList();
    ASSERT_EQ(presets.size(), 5);
    EXPECT_EQ(presets[3].toMap().value("id").toString(), "storm");
    EXPECT_EQ(presets[3].toMap().value("label").toString(), "STORM");
    EXPECT_EQ(presets[4].toMap().value("description").toString(), slm::presetDescription(SLMPresetID::Custom));

    ASSERT_TRUE(QMetaObject::invokeMethod(manager.get(), "saveCustomPreset"));
    EXPECT_EQ(manager->property("activeID").toString(), "custom");
    const QVariant custom = manager->property("customPreset");
    EXPECT_EQ(custom.value<SLMAudioPreset>(), manager->customPreset());
}

} // namespace
