// The whole console board, driven with real pointer events: every control
// writes exactly its own model value, and every readout and lamp follows
// the models.
#include "PanelFixture.h"

#include "control/MemoryDeviceControl.h"
#include "control/SLMAudioPresetManager.h"
#include "engine/ControlSmoothing.h"
#include "support/EventLoop.h"

#include <QColor>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

// Every parameter by name, to prove a click changed exactly one of them.
QVariantMap snapshot(const SLMAudioParameters& parameters)
{
    QVariantMap values;
    for (const QString& name : SLMAudioParameters::propertyNames())
        values.insert(name, parameters.property(name.toLatin1().constData()));
    return values;
}

QStringList differences(const QVariantMap& before, const QVariantMap& after)
{
    QStringList changed;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (after.value(it.key()) != it.value())
            changed.append(it.key());
    return changed;
}

QColor glowOf(QQuickItem* readout)
{
    return readout->property("glowColor").value<QColor>();
}

} // namespace

using AudioPanel = PanelFixture;

TEST_F(AudioPanel, FaderPressDragAndDoubleClickWriteTheirModelExactly)
{
    QQuickItem* fader = item("reactorFader");
    ASSERT_TRUE(fader);
    EXPECT_EQ(fader->size(), QSizeF(58, 235));

    clickFader("reactorFader", 47);
    EXPECT_DOUBLE_EQ(parameters().reactorLevel(), 0.32);

    QTest::mousePress(window(), Qt::LeftButton, {}, at(fader, {29, 200}));
    QTest::mouseMove(window(), at(fader, {29, 94}));
    EXPECT_DOUBLE_EQ(parameters().reactorLevel(), 0.4 * (1 - 94.0 / 235.0));
    QTest::mouseMove(window(), at(fader, {29, 300}));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, at(fader, {29, 300}));
    EXPECT_EQ(parameters().reactorLevel(), 0.0);

    QTest::mouseDClick(window(), Qt::LeftButton, {}, at(fader, {29, 120}));
    EXPECT_EQ(parameters().reactorLevel(), slm::defaults::reactorLevel);

    // The other faders write their own models over their own ranges.
    clickFader("glowMasterFader", 0);
    EXPECT_EQ(parameters().glowwormMasterDB(), 6.0);
    QTest::mouseDClick(window(), Qt::LeftButton, {}, at(item("glowMasterFader"), {26, 100}));
    EXPECT_EQ(parameters().glowwormMasterDB(), -8.0);
    clickFader("glowTravelFader", 188);
    EXPECT_DOUBLE_EQ(parameters().glowwormStereoTravel(), 0.2);
    clickFader("masterFader", 47);
    EXPECT_DOUBLE_EQ(output().volume(), 0.8);
    ASSERT_FALSE(device().writes.empty());
    EXPECT_FLOAT_EQ(device().writes.back().value, 0.8f);
}

// The rounding and colour rules are the mapping functions'; here each readout
// follows its own model over its own range.
TEST_F(AudioPanel, ReadoutsFollowTheirOwnModels)
{
    EXPECT_EQ(readout("reactorReadout"), "50%");
    EXPECT_EQ(readout("fieldReadout"), "39%");
    EXPECT_EQ(readout("waveReadout"), "33%");
    EXPECT_EQ(readout("anomalyReadout"), "43%");
    EXPECT_EQ(readout("glowMasterReadout"), "79%");
    EXPECT_EQ(readout("glowTravelReadout"), "70%");
    EXPECT_EQ(readout("masterReadout"), "100%");

    parameters().setReactorLevel(0.3);
    EXPECT_EQ(readout("reactorReadout"), "75%");
    output().setVolume(0.504);
    EXPECT_EQ(readout("masterReadout"), "50%");

    QQuickItem* glow = item("glowMasterReadout");
    const QColor mint = glowOf(glow);
    parameters().setGlowwormMasterDB(-60);
    EXPECT_EQ(readout("glowMasterReadout"), "0%");
    EXPECT_NE(glowOf(glow), mint);
    EXPECT_GT(glowOf(glow).redF(), glowOf(glow).greenF());
    parameters().setGlowwormMasterDB(-8);
    EXPECT_EQ(glowOf(glow), mint);
}

TEST_F(AudioPanel, MasterShowsFixedForADeviceWithoutVolume)
{
    device().devices.at(1).elements.at(0).settable = false;
    device().devices.at(1).elements.at(0).readable = false;
    output().refresh();
    EXPECT_FALSE(output().canControlVolume());
    EXPECT_EQ(readout("masterReadout"), "FIXED");
}

TEST_F(AudioPanel, ResetAndFullSetExactlyTheDefault)
{
    parameters().setFieldLevel(0.17);
    click("fieldReset");
    EXPECT_EQ(parameters().fieldLevel(), 0.078);
    parameters().setGlowwormLevel(0.01);
    output().setVolume(0.3);
    click("masterFull");
    EXPECT_EQ(output().volume(), 1.0);
    EXPECT_EQ(parameters().glowwormLevel(), 0.01);
}

TEST_F(AudioPanel, MuteAndSoloFlipOnlyTheirOwnFlag)
{
    const QVariantMap before = snapshot(parameters());
    click("waveMute");
    EXPECT_EQ(differences(before, snapshot(parameters())), QStringList{"waveMuted"});
    EXPECT_TRUE(item("waveMute")->property("lit").toBool());

    click("waveSolo");
    EXPECT_TRUE(parameters().waveSolo());
    EXPECT_TRUE(item("waveSolo")->property("lit").toBool());
    EXPECT_FALSE(item("fieldSolo")->property("lit").toBool());

    click("glowMasterMute");
    click("waveMute");
    const QStringList changed = differences(before, snapshot(parameters()));
    EXPECT_EQ(changed, (QStringList{"glowwormMuted", "waveSolo"}));
}

TEST_F(AudioPanel, PresetButtonsLightAtOnceAndSaveCustomLeavesCustomLit)
{
    const auto lit = [this](const char* name) { return item(name)->property("lit").toBool(); };
    auto* manager = panel()->property("presetManager").value<SLMAudioPresetManager*>();
    ASSERT_TRUE(manager);

    click("preset_storm");
    EXPECT_EQ(manager->activeRawID(), "storm");
    EXPECT_TRUE(lit("preset_storm"));
    EXPECT_FALSE(lit("preset_void"));
    EXPECT_FALSE(lit("preset_custom"));
    EXPECT_EQ(item("presetDescription")->property("text").toString(), slm::presetDescription(SLMPresetID::Storm));

    click("preset_void");
    EXPECT_TRUE(lit("preset_void"));
    EXPECT_FALSE(lit("preset_storm"));

    click("saveCustom");
    EXPECT_TRUE(lit("preset_custom"));
    EXPECT_FALSE(lit("preset_void"));
    slm::test::drainPostedEvents();
    EXPECT_TRUE(lit("preset_custom"));
    EXPECT_EQ(manager->customPreset().reactorLevel, parameters().reactorLevel());
}

TEST_F(AudioPanel, UsesTheManagerItIsGivenAndSaysWhenNothingIsSaved)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Starlume.conf");
    ASSERT_TRUE(QDir().mkpath(file)); // a folder where the settings belong
    SLMPresetStore store(file);
    SLMAudioPresetManager given(&parameters(), store);
    panel()->setProperty("presetManager", QVariant::fromValue(&given));
    EXPECT_EQ(panel()->property("presetManager").value<SLMAudioPresetManager*>(), &given);
    // The preset keys are made anew for the new manager; let them be laid out.
    slm::test::processEventsFor(std::chrono::milliseconds(100));
    EXPECT_FALSE(item("notSaved")->isVisible());

    click("preset_swarm"); // the active preset cannot be remembered either
    EXPECT_EQ(given.activeID(), SLMPresetID::Swarm);
    EXPECT_FALSE(store.flush());
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return item("notSaved")->isVisible(); }));

    click("saveCustom");
    EXPECT_TRUE(item("presetDescription")->property("text").toString().contains("not remembered"));
}

TEST_F(AudioPanel, FreezeShowsFrozenTheResumeTipAndTheLockTogether)
{
    QQuickItem* freeze = item("freezeButton");
    QQuickItem* locked = item("evolutionLocked");
    ASSERT_TRUE(freeze && locked);
    EXPECT_EQ(freeze->property("text").toString(), "FREEZE");
    EXPECT_EQ(freeze->property("toolTip").toString(), "Freeze the current evolving sound state");
    EXPECT_FALSE(locked->isVisible());

    click("freezeButton");
    EXPECT_TRUE(engine().isFrozen());
    EXPECT_EQ(freeze->property("text").toString(), "FROZEN");
    EXPECT_EQ(freeze->property("toolTip").toString(), "Resume SLM evolution and random event scheduling");
    EXPECT_TRUE(locked->isVisible());
    EXPECT_TRUE(item("freezeLamp")->property("lit").toBool());

    engine().setIsFrozen(false);
    EXPECT_EQ(freeze->property("text").toString(), "FREEZE");
    EXPECT_FALSE(locked->isVisible());
}

TEST_F(AudioPanel, MasterStripReadsTheDeviceEachTimeItIsShown)
{
    device().devices.at(1).elements.at(0).value = 0.25f;
    device().devices.at(1).name = QStringLiteral("Studio Monitors");
    window()->hide();
    window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    EXPECT_DOUBLE_EQ(output().volume(), 0.25);
    EXPECT_EQ(readout("masterReadout"), "25%");
    EXPECT_EQ(item("masterDeviceName")->property("text").toString(), "Studio Monitors");
}

// A fader move reaches the sound at the next block: the engine's smoothed
// control moves by exactly one block's glide towards the new value.
TEST_F(AudioPanel, FaderMoveReachesTheEngineWithinOneBlock)
{
    const std::uint32_t block = 512;
    offline().skip(block, block);
    const double before = offline().state().controls.reactorLevel;
    EXPECT_EQ(before, slm::defaults::reactorLevel);

    clickFader("reactorFader", 47);
    const double target = parameters().reactorLevel();
    ASSERT_DOUBLE_EQ(target, 0.32);
    offline().skip(block, block);

    const double k = 1.0 - std::exp(-static_cast<double>(block) / (slm::synth::controlGlideSeconds * offline().rate()));
    EXPECT_DOUBLE_EQ(offline().state().controls.reactorLevel, before + k * (target - before));
    // After five time constants the glide has all but arrived.
    offline().skip(static_cast<std::int64_t>(5 * slm::synth::controlGlideSeconds * offline().rate()), block);
    EXPECT_NEAR(offline().state().controls.reactorLevel, 0.32, 0.01 * 0.12);
}
