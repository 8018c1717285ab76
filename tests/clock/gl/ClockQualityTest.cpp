#include "clock/gl/ClockQuality.h"

#include <gtest/gtest.h>

namespace {

TEST(ClockQuality, KnowsTheSoftwareRasterisersByTheirRendererString)
{
    for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Google SwiftShader",
                                 "ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero)), SwiftShader driver)"})
        EXPECT_TRUE(isSoftwareRasteriser(software)) << software;
    for (const char* gpu : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)",
                            "NVIDIA GeForce RTX 3060/PCIe/SSE2", "virgl (Intel(R) UHD Graphics 620)", ""})
        EXPECT_FALSE(isSoftwareRasteriser(gpu)) << gpu;

    EXPECT_EQ(chooseClockRendering(ClockQualityMode::automatic, true), reducedClockRendering);
    EXPECT_EQ(chooseClockRendering(ClockQualityMode::automatic, false), fullClockRendering);
    for (const bool software : {false, true}) {
        EXPECT_EQ(chooseClockRendering(ClockQualityMode::full, software), fullClockRendering);
        EXPECT_EQ(chooseClockRendering(ClockQualityMode::reduced, software), reducedClockRendering);
    }
}

TEST(ClockQuality, TheEnvironmentOverridesTheSettingAndEitherMayBeUnset)
{
    struct Case {
        QString environment, setting;
        ClockQualityMode expected;
    };
    const Case cases[] = {
        {{}, {}, ClockQualityMode::automatic},
        {{}, "reduced", ClockQualityMode::reduced},
        {"full", {}, ClockQualityMode::full},
        {"full", "reduced", ClockQualityMode::full},
        {"auto", "full", ClockQualityMode::automatic},
        {" Reduced\n", "full", ClockQualityMode::reduced},
        // Set but empty counts as unset.
        {"", "FULL", ClockQualityMode::full},
    };
    for (const Case& c : cases) {
        const ClockQualityRequest request = resolveClockQualityMode(c.environment, c.setting);
        EXPECT_EQ(request.mode, c.expected) << c.environment.toStdString() << " / " << c.setting.toStdString();
        EXPECT_TRUE(request.warning.isEmpty()) << request.warning.toStdString();
    }
}

TEST(ClockQuality, AnUnreadableValueWarnsInOneLineAndChoosesAutomatically)
{
    // A wrong variable does not fall back to the setting: what was meant cannot be guessed.
    const ClockQualityRequest fromEnvironment = resolveClockQualityMode("hihg", "full");
    EXPECT_EQ(fromEnvironment.mode, ClockQualityMode::automatic);
    EXPECT_TRUE(fromEnvironment.warning.contains("STARLUME_CLOCK_QUALITY \"hihg\"")) << fromEnvironment.warning.toStdString();
    EXPECT_FALSE(fromEnvironment.warning.contains('\n'));

    for (const char* wrong : {"1", "ful", "automatic", "full reduced"}) {
        const ClockQualityRequest fromSetting = resolveClockQualityMode({}, wrong);
        EXPECT_EQ(fromSetting.mode, ClockQualityMode::automatic) << wrong;
        EXPECT_TRUE(fromSetting.warning.contains("setting")) << fromSetting.warning.toStdString();
    }
    // A good variable hides a bad setting, which then does not matter.
    EXPECT_TRUE(resolveClockQualityMode("reduced", "1").warning.isEmpty());
}

} // namespace
