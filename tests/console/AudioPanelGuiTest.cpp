// The whole console board, driven with real pointer events: every control
// writes exactly its own model value, and every readout and lamp follows
// the models. The mapping and rounding rules are InstrumentMappingTest's.
#include "PanelFixture.h"

#include "console/InstrumentMapping.h"
#include "control/MemoryDeviceControl.h"
#include "control/SLMAudioPresetManager.h"
#include "control/SLMControlRanges.h"
#include "support/EventLoop.h"

#include <QColor>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <string>

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

} // namespace

using AudioPanel = PanelFixture;

TEST_F(AudioPanel, EveryFaderWritesOnlyItsOwnModelOverItsRangeAndItsReadoutFollows)
{
    namespace d = slm::defaults;
    namespace r = slm::ranges;
    const struct {
        std::string key;
        const char* property;
        slm::ControlRange range;
        double defaultValue;
    } faders[] = {
        {"reactor", "reactorLevel", r::reactorLevel, d::reactorLevel},
        {"field", "fieldLevel", r::fieldLevel, d::fieldLevel},
        {"wave", "waveLevel", r::waveLevel, d::waveLevel},
        {"anomaly", "anomalyLevel", r::anomalyLevel, d::anomalyLevel},
        {"glowMaster", "glowwormMasterDB", r::glowwormMasterDB, d::glowwormMasterDB},
        {"glowLevel", "glowwormLevel", r::glowwormLevel, d::glowwormLevel},
        {"glowActivity", "glowwormActivity", r::glowwormActivity, d::glowwormActivity},
        {"glowBright", "glowwormBrightness", r::glowwormBrightness, d::glowwormBrightness},
        {"glowTrail", "glowwormTrail", r::glowwormTrail, d::glowwormTrail},
        {"glowTravel", "glowwormStereoTravel", r::glowwormStereoTravel, d::glowwormStereoTravel},
    };
    for (const auto& f : faders) {
        SCOPED_TRACE(f.key);
        const auto value = [&] { return parameters().property(f.property).toDouble(); };
        const std::string fader = f.key + "Fader", readoutName = f.key + "Readout", reset = f.key + "Reset";
        const QVariantMap before = snapshot(parameters());
        clickFader(fader.c_str(), 0);
        EXPECT_EQ(differences(before, snapshot(parameters())), QStringList{f.property});
        EXPECT_EQ(value(), f.range.upper);
        EXPECT_EQ(readout(readoutName.c_str()), "100%");
        clickFader(fader.c_str(), item(fader.c_str())->height() - 1);
        EXPECT_NEAR(value(), f.range.lower, (f.range.upper - f.range.lower) / 200);
        EXPECT_EQ(readout(readoutName.c_str()), "0%");
        QTest::mouseDClick(window(), Qt::LeftButton, {}, at(item(fader.c_str()), {20, 100}));
        EXPECT_EQ(value(), f.defaultValue);
        // In between too, where a readout on another range would show otherwise.
        EXPECT_EQ(readout(readoutName.c_str()), slm::console::percentText(f.defaultValue, f.range.lower, f.range.upper));
        if (!items(panel(), reset.c_str()).isEmpty()) {
            parameters().setProperty(f.property, f.range.upper);
            click(reset.c_str());
            EXPECT_EQ(value(), f.defaultValue) << "reset";
        }
    }
}

TEST_F(AudioPanel, FaderFollowsTheDragAndItsModelAfterwards)
{
    QQuickItem* fader = item("reactorFader");
    ASSERT_TRUE(fader);
    QTest::mousePress(window(), Qt::LeftButton, {}, at(fader, {29, 200}));
    QTest::mouseMove(window(), at(fader, {29, 94}));
    EXPECT_DOUBLE_EQ(parameters().reactorLevel(), 0.4 * (1 - 94.0 / 235.0));
    QTest::mouseMove(window(), at(fader, {29, 300}));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, at(fader, {29, 300}));
    EXPECT_EQ(parameters().reactorLevel(), 0.0);

    // The user's input has not cut the fader from its model.
    parameters().setReactorLevel(0.2);
    QQuickItem* cap = items(fader, "cap").value(0);
    ASSERT_TRUE(cap);
    EXPECT_DOUBLE_EQ(cap->y() + cap->height() / 2, 117.5);
}

TEST_F(AudioPanel, MasterWritesTheDeviceVolumeOrShowsFixedWithoutOne)
{
    clickFader("masterFader", 47);
    EXPECT_DOUBLE_EQ(output().volume(), 0.8);
    ASSERT_FALSE(device().writes.empty());
    EXPECT_FLOAT_EQ(device().writes.back().value, 0.8f);
    output().setVolume(0.504);
    EXPECT_EQ(readout("masterReadout"), "50%");
    click("masterFull");
    EXPECT_EQ(output().volume(), 1.0);

    device().devices.at(1).elements.at(0).settable = false;
    device().devices.at(1).elements.at(0).readable = false;
    output().refresh();
    EXPECT_EQ(readout("masterReadout"), "FIXED");
}

TEST_F(AudioPanel, MasterStripReadsTheDeviceEachTimeItIsShown)
{
    device().devices.at(1).elements.at(0).value = 0.25f;
    device().devices.at(1).name = QStringLiteral("Studio Monitors");
    window()->hide();
    window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    EXPECT_EQ(readout("masterReadout"), "25%");
    EXPECT_EQ(item("masterDeviceName")->property("text").toString(), "Studio Monitors");
}

TEST_F(AudioPanel, GlowMasterReadoutTurnsRedAtTheBottom)
{
    QQuickItem* glow = item("glowMasterReadout");
    const QColor mint = glow->property("glowColor").value<QColor>();
    parameters().setGlowwormMasterDB(-60);
    const QColor silent = glow->property("glowColor").value<QColor>();
    EXPECT_GT(silent.redF(), silent.greenF());
    parameters().setGlowwormMasterDB(-8);
    EXPECT_EQ(glow->property("glowColor").value<QColor>(), mint);
}

TEST_F(AudioPanel, MuteAndSoloFlipOnlyTheirOwnFlag)
{
    const QVariantMap before = snapshot(parameters());
    click("waveMute");
    EXPECT_EQ(differences(before, snapshot(parameters())), QStringList{"waveMuted"});
    EXPECT_TRUE(item("waveMute")->property("lit").toBool());

    click("waveSolo");
    EXPECT_TRUE(item("waveSolo")->property("lit").toBool());
    EXPECT_FALSE(item("fieldSolo")->property("lit").toBool());

    click("glowMasterMute");
    click("waveMute");
    EXPECT_EQ(differences(before, snapshot(parameters())), (QStringList{"glowwormMuted", "waveSolo"}));
}

TEST_F(AudioPanel, PresetButtonsLightAtOnceAndSaveCustomLeavesCustomLit)
{
    const auto lit = [this](const char* name) { return item(name)->property("lit").toBool(); };
    auto* manager = panel()->property("presetManager").value<SLMAudioPresetManager*>();
    ASSERT_TRUE(manager);

    click("preset_storm");
    EXPECT_EQ(manager->activeRawID(), "storm");
    EXPECT_TRUE(lit("preset_storm"));
    EXPECT_FALSE(lit("preset_custom"));
    EXPECT_EQ(item("presetDescription")->property("text").toString(), slm::presetDescription(SLMPresetID::Storm));

    click("saveCustom");
    slm::test::drainPostedEvents();
    EXPECT_TRUE(lit("preset_custom"));
    EXPECT_FALSE(lit("preset_storm"));
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
    // The preset keys are made anew for the new manager; let them be laid out.
    slm::test::processEventsFor(std::chrono::milliseconds(100));
    EXPECT_FALSE(item("notSaved")->isVisible());

    click("preset_swarm"); // the active preset cannot be remembered either
    EXPECT_EQ(given.activeID(), SLMPresetID::Swarm);
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
