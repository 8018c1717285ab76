#include "app/ObservedAudioOutput.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ScriptedOutput : public AudioOutput {
public:
    AudioDeviceFormat format{48000, 2};
    bool streamOk = true;
    bool startOk = true;
    int stops = 0;

    AudioDeviceFormat deviceFormat() override { return format; }
    bool createStream(double, std::uint32_t) override { return streamOk; }
    void setRenderCallback(RenderCallback) override {}
    bool start(std::string& error) override
    {
        if (!startOk)
            error = "Connection refused";
        return startOk;
    }
    void stop() override { ++stops; }
};

// Runs the start-up steps the way the engine does and returns the verdict.
std::optional<QString> startUp(std::unique_ptr<ScriptedOutput> scripted)
{
    ObservedAudioOutput output(std::move(scripted));
    const AudioDeviceFormat format = output.deviceFormat();
    if (format.sampleRate > 0 && output.createStream(format.sampleRate, 2)) {
        output.setRenderCallback({});
        std::string error;
        output.start(error);
    }
    return output.failure();
}

TEST(ObservedAudioOutputTest, NamesTheStepThatFailed)
{
    EXPECT_FALSE(startUp(std::make_unique<ScriptedOutput>()).has_value());

    auto noServer = std::make_unique<ScriptedOutput>();
    noServer->format = {std::nan(""), 0};
    EXPECT_TRUE(startUp(std::move(noServer)).value().contains(QStringLiteral("no sound server")));

    auto refused = std::make_unique<ScriptedOutput>();
    refused->streamOk = false;
    EXPECT_TRUE(startUp(std::move(refused)).value().contains(QStringLiteral("refused a 2-channel stream at 48000 Hz")));

    auto notStarted = std::make_unique<ScriptedOutput>();
    notStarted->startOk = false;
    EXPECT_TRUE(startUp(std::move(notStarted)).value().contains(QStringLiteral("(Connection refused)")));

    // Never asked at all.
    ObservedAudioOutput untouched(std::make_unique<ScriptedOutput>());
    EXPECT_TRUE(untouched.failure().has_value());
}

} // namespace
