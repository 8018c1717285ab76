#include "clock/gl/ClockQuality.h"

#include <gtest/gtest.h>

namespace {

TEST(ClockQuality, KnowsTheSoftwareRasterisersByTheirRendererString)
{
    // As the drivers report them.
    EXPECT_TRUE(isSoftwareRasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(isSoftwareRasteriser("softpipe"));
    EXPECT_TRUE(isSoftwareRasteriser("Google SwiftShader"));
    EXPECT_TRUE(isSoftwareRasteriser("ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero) (0x0000C0DE)), SwiftShader driver)"));
    EXPECT_TRUE(isSoftwareRasteriser("Gallium 0.4 on LLVMPIPE"));

    EXPECT_FALSE(isSoftwareRasteriser("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(isSoftwareRasteriser("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0)"));
    EXPECT_FALSE(isSoftwareRasteriser("NVIDIA GeForce RTX 3060/PCIe/SSE2"));
    EXPECT_FALSE(isSoftwareRasteriser("virgl (Intel(R) UHD Graphics 620)"));
    EXPECT_FALSE(isSoftwareRasteriser(""));
    EXPECT_FALSE(isSoftwareRasteriser(QByteArrayView()));
}

TEST(ClockQuality, AutomaticReducesOnlyOnSoftwareAndAnExplicitModeWinsEverywhere)
{
    EXPECT_EQ(chooseClockRendering(ClockQualityMode::automatic, true), reducedClockRendering);
    EXPECT_EQ(chooseClockRendering(ClockQualityMode::automatic, false), fullClockRendering);
    for (const bool software : {false, true}) {
        EXPECT_EQ(chooseClockRendering(ClockQualityMode::full, software), fullClockRendering);
        EXPECT_EQ(chooseClockRendering(ClockQualityMode::reduced, software), reducedClockRendering);
    }
    // Reduced must really be cheaper: fewer pixels and a capped rate.
    EXPECT_LT(reducedClockRendering.renderScale, 1.0);
    EXPECT_GT(reducedClockRendering.renderScale, 0.0);
    EXPECT_GE(reducedClockRendering.maxFramesPerSecond, 24.0);
    EXPECT_EQ(fullClockRendering.renderScale, 1.0);
    EXPECT_GT(reducedClockRendering.maxCoreShare, 0.0);
    EXPECT_LE(reducedClockRendering.maxCoreShare, 1.0);
    EXPECT_EQ(fullClockRendering.maxFramesPerSecond, 0.0);
    EXPECT_EQ(fullClockRendering.maxCoreShare, 0.0);
}

TEST(ClockQuality, ReadsTheThreeNamesLeniently)
{
    EXPECT_EQ(parseClockQualityMode(u"full"), ClockQualityMode::full);
    EXPECT_EQ(parseClockQualityMode(u"reduced"), ClockQualityMode::reduced);
    EXPECT_EQ(parseClockQualityMode(u"auto"), ClockQualityMode::automatic);
    EXPECT_EQ(parseClockQualityMode(u" Reduced\n"), ClockQualityMode::reduced);
    EXPECT_EQ(parseClockQualityMode(u"FULL"), ClockQualityMode::full);
    for (const char16_t* wrong : {u"", u"ful", u"fully", u"low", u"0", u"automatic", u"full reduced"})
        EXPECT_EQ(parseClockQualityMode(wrong), std::nullopt) << QString::fromUtf16(wrong).toStdString();
    for (const ClockQualityMode mode : {ClockQualityMode::automatic, ClockQualityMode::full, ClockQualityMode::reduced})
        EXPECT_EQ(parseClockQualityMode(clockQualityModeName(mode)), mode);
}

TEST(ClockQuality, TheEnvironmentOverridesTheSettingAndEitherMayBeUnset)
{
    struct Case {
        QString environment, setting;
        ClockQualityMode expected;
    };
    const Case cases[] = {
        {{}, {}, ClockQualityMode::automatic},
        {{}, "full", ClockQualityMode::full},
        {{}, "reduced", ClockQualityMode::reduced},
        {{}, "auto", ClockQualityMode::automatic},
        {"full", {}, ClockQualityMode::full},
        {"reduced", {}, ClockQualityMode::reduced},
        {"full", "reduced", ClockQualityMode::full},
        {"reduced", "full", ClockQualityMode::reduced},
        {"auto", "full", ClockQualityMode::automatic},
        // Set but empty counts as unset.
        {"", "reduced", ClockQualityMode::reduced},
        {"  ", "full", ClockQualityMode::full},
    };
    for (const Case& c : cases) {
        const ClockQualityRequest request = resolveClockQualityMode(c.environment, c.setting);
        EXPECT_EQ(request.mode, c.expected) << c.environment.toStdString() << " / " << c.setting.toStdString();
        EXPECT_TRUE(request.warning.isEmpty()) << request.warning.toStdString();
    }
}

TEST(ClockQuality, AnUnreadableValueWarnsOnceAndChoosesAutomatically)
{
    // A wrong environment value does not fall back to the setting: what was
    // asked for cannot be guessed, and the warning says automatic.
    const ClockQualityRequest fromEnvironment = resolveClockQualityMode("hihg", "full");
    EXPECT_EQ(fromEnvironment.mode, ClockQualityMode::automatic);
    EXPECT_TRUE(fromEnvironment.warning.contains("STARLUME_CLOCK_QUALITY")) << fromEnvironment.warning.toStdString();
    EXPECT_TRUE(fromEnvironment.warning.contains("\"hihg\""));
    EXPECT_FALSE(fromEnvironment.warning.contains('\n'));

    const ClockQualityRequest fromSetting = resolveClockQualityMode({}, "1");
    EXPECT_EQ(fromSetting.mode, ClockQualityMode::automatic);
    EXPECT_TRUE(fromSetting.warning.contains("setting")) << fromSetting.warning.toStdString();
    EXPECT_FALSE(fromSetting.warning.contains("STARLUME_CLOCK_QUALITY"));

    // A good environment value hides a bad setting, which then does not matter.
    EXPECT_TRUE(resolveClockQualityMode("reduced", "1").warning.isEmpty());
}

} // namespace
