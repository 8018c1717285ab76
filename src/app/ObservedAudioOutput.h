#pragma once

#include "engine/AudioOutput.h"

#include <QString>

#include <memory>
#include <optional>

// Passes everything through to the real output and remembers which start-up
// step failed, so the application can tell the user why there is no sound.
class ObservedAudioOutput : public AudioOutput {
public:
    explicit ObservedAudioOutput(std::unique_ptr<AudioOutput> output) : m_output(std::move(output)) {}

    // Why the output did not start, once the engine has tried; nothing when it plays.
    std::optional<QString> failure() const { return m_failure; }

    AudioDeviceFormat deviceFormat() override;
    bool createStream(double sampleRate, std::uint32_t channels) override;
    void setRenderCallback(RenderCallback callback) override { m_output->setRenderCallback(std::move(callback)); }
    bool start(std::string& error) override;
    void stop() override { m_output->stop(); }
    void setCorked(bool corked) override { m_output->setCorked(corked); }
    void setStateListener(StateListener listener) override { m_output->setStateListener(std::move(listener)); }

private:
    std::unique_ptr<AudioOutput> m_output;
    std::optional<QString> m_failure = QStringLiteral("the sound engine did not start its output");
};
