#include "app/ObservedAudioOutput.h"

#include <cmath>

AudioDeviceFormat ObservedAudioOutput::deviceFormat()
{
    const AudioDeviceFormat format = m_output->deviceFormat();
    if (!(format.sampleRate > 0))
        m_failure = QStringLiteral("no sound server answered (PulseAudio or PipeWire), or it has no output device");
    return format;
}

bool ObservedAudioOutput::createStream(double sampleRate, std::uint32_t channels)
{
    const bool created = m_output->createStream(sampleRate, channels);
    if (!created)
        m_failure = QStringLiteral("the sound server refused a %1-channel stream at %2 Hz").arg(channels).arg(sampleRate);
    return created;
}

bool ObservedAudioOutput::start(std::string& error)
{
    const bool started = m_output->start(error);
    if (started)
        m_failure.reset();
    else
        m_failure = QStringLiteral("the sound server did not start the stream (%1)").arg(QString::fromStdString(error));
    return started;
}
