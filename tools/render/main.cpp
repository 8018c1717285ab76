// starlume-render: renders the soundscape offline, exactly as the application
// builds its engine but against an offline output, to a 32-bit float WAV file.
// Optionally writes every meter hand-off and every analysed spectrum block as
// CSV lines. Bad input: one line on stderr, exit status 2, no file written.
// "--out -" streams the WAV to standard output.

#include "AtomicFile.h"
#include "RenderOptions.h"
#include "WavOutput.h"

#include "analysis/SLMAudioMeters.h"
#include "analysis/SLMAudioSpectrum.h"
#include "control/MemoryDeviceControl.h"
#include "control/SLMAudioParameters.h"
#include "control/SLMSystemOutputVolume.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "engine/SynthesisState.h"

#include <QCoreApplication>

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int exitBadInput = 2;
constexpr int exitFailure = 1;

// One line, whatever the arguments it quotes hold.
int fail(std::string message, int status)
{
    for (std::size_t at = message.find_first_of("\r\n"); at != std::string::npos;
         at = message.find_first_of("\r\n", at + 2))
        message.replace(at, 1, message[at] == '\n' ? "\\n" : "\\r");
    std::fprintf(stderr, "starlume-render: %s\n", message.c_str());
    return status;
}

void onSignal(int signal)
{
    AtomicFile::discardAllFromSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A CSV file written through an AtomicFile.
class CsvFile {
public:
    bool open(const std::string& path, std::string& error)
    {
        if (!m_file.open(path, error))
            return false;
        m_stream = ::fdopen(::dup(m_file.descriptor()), "w");
        if (!m_stream) {
            error = "cannot write '" + path + "'";
            m_file.discard();
            return false;
        }
        return true;
    }
    bool isOpen() const { return m_stream != nullptr; }

    // The end frame, then the values, full precision.
    template <typename Values>
    void writeLine(long long endFrame, const Values& values)
    {
        std::fprintf(m_stream, "%lld", endFrame);
        for (const double v : values)
            std::fprintf(m_stream, ",%.17g", v);
        std::fputc('\n', m_stream);
    }

    bool commit(std::string& error)
    {
        if (!m_stream)
            return true;
        const bool ok = std::ferror(m_stream) == 0;
        const bool closed = std::fclose(m_stream) == 0;
        m_stream = nullptr;
        if (!ok || !closed) {
            error = "cannot write '" + m_file.target() + "'";
            m_file.discard();
            return false;
        }
        return m_file.commit(error);
    }

    ~CsvFile()
    {
        if (m_stream)
            std::fclose(m_stream);
    }

private:
    AtomicFile m_file;
    std::FILE* m_stream = nullptr;
};

bool writeAll(int fd, const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The WAV as a stream: the header, its sizes known in advance, then the
// samples as they come. Nothing is rewound, so a pipe will do.
class WavStream {
public:
    static_assert(std::endian::native == std::endian::little, "WAV samples are little-endian");

    // Takes standard output for the samples and points it at standard error,
    // where the engine's own lines then go.
    bool open(std::string& error)
    {
        std::fflush(stdout);
        m_fd = ::dup(STDOUT_FILENO);
        if (m_fd < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
            error = std::string("cannot write to standard output: ") + std::strerror(errno);
            return false;
        }
        return true;
    }

    bool start(std::uint32_t rate, std::uint32_t channels, long long frames, std::string& error)
    {
        const auto header = wavHeaderFor(rate, channels, static_cast<std::uint64_t>(frames), error);
        return header && write(header->data(), header->size(), error);
    }

    bool write(const void* data, std::size_t size, std::string& error)
    {
        if (writeAll(m_fd, data, size))
            return true;
        error = std::string("cannot write to standard output: ") + std::strerror(errno);
        return false;
    }

    bool finish(std::string& error)
    {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) == 0)
            return true;
        error = std::string("cannot write to standard output: ") + std::strerror(errno);
        return false;
    }

private:
    int m_fd = -1;
};

std::vector<double> meterValues(const SLMAudioMeters& m)
{
    return {m.reactorDB(),     m.fieldDB(),     m.waveDB(),          m.anomalyDB(),       m.glowwormDB(),
            m.masterLeftDB(),  m.masterRightDB(), m.reactorPeakDB(), m.fieldPeakDB(),     m.wavePeakDB(),
            m.anomalyPeakDB(), m.glowwormPeakDB(), m.masterLeftPeakDB(), m.masterRightPeakDB()};
}

void apply(SLMAudioEngine& engine, const RenderOptions::Set& set)
{
    switch (set.target) {
    case RenderOptions::Set::Target::Frozen:
        engine.setIsFrozen(set.value != 0.0);
        break;
    case RenderOptions::Set::Target::Volume:
        engine.systemOutput()->setVolume(set.value);
        break;
    case RenderOptions::Set::Target::Parameter:
        engine.parameters()->setByName(QString::fromStdString(set.name), set.value);
        break;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto parsed = parseRenderOptions(args, error);
    if (!parsed)
        return fail(error + " (see --help)", exitBadInput);
    const RenderOptions& options = *parsed;
    if (options.help) {
        std::fputs(renderUsage, stdout);
        return 0;
    }

    // The analyser holds a fixed number of blocks until they are published
    // after each rendered block; a longer block would lose some of them.
    constexpr long long maxSpectrumBlock = static_cast<long long>(SLMAudioSpectrum::slotCount) * SynthesisState::spectrumBlockLength;
    if (!options.spectrumPath.empty() && options.block > maxSpectrumBlock)
        return fail("--block above " + std::to_string(maxSpectrumBlock) + " frames is too long for --spectrum", exitBadInput);

    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, onSignal);

    const bool toStream = options.out == "-";
    AtomicFile wavFile;
    WavStream wavStream;
    CsvFile metersCsv;
    CsvFile spectrumCsv;
    if (toStream ? !wavStream.open(error) : !wavFile.open(options.out, error))
        return fail(error, exitBadInput);
    if (!options.metersPath.empty() && !metersCsv.open(options.metersPath, error))
        return fail(error, exitBadInput);
    if (!options.spectrumPath.empty() && !spectrumCsv.open(options.spectrumPath, error))
        return fail(error, exitBadInput);

    int qtArgc = 1;
    QCoreApplication app(qtArgc, argv);

    auto device = std::make_unique<OfflineAudioOutput>(options.rate, options.channels);
    OfflineAudioOutput& output = *device;
    SLMAudioEngine engine(std::move(device), std::make_unique<MemoryDeviceControl>());
    if (!engine.isRunning())
        return fail("the engine did not start", exitFailure);
    const std::uint32_t channels = output.streamChannels();

    const double rate = options.rate;
    const long long totalFrames = static_cast<long long>(std::floor(options.seconds * rate));

    SNDFILE* wav = nullptr;
    if (toStream) {
        if (!wavStream.start(options.rate, channels, totalFrames, error))
            return fail(error, exitFailure);
    } else {
        SF_INFO info{};
        info.samplerate = static_cast<int>(options.rate);
        info.channels = static_cast<int>(channels);
        info.format = wavFormatOf(wavContainerFor(static_cast<std::uint64_t>(totalFrames), channels));
        wav = sf_open_fd(wavFile.descriptor(), SFM_WRITE, &info, SF_FALSE);
        if (!wav)
            return fail("cannot write '" + options.out + "': " + sf_strerror(nullptr), exitBadInput);
        configureWav(wav);
    }
    long long blockEnd = 0;

    // The analysis publishes one change per analysed block.
    QObject::connect(engine.spectrum(), &SLMAudioSpectrum::bandsChanged, [&] {
        if (spectrumCsv.isOpen())
            spectrumCsv.writeLine(blockEnd, engine.spectrum()->bands());
    });

    std::vector<bool> applied(options.sets.size(), false);
    std::vector<float> frames(static_cast<std::size_t>(options.block) * channels);
    constexpr long long spectrumBlock = SynthesisState::spectrumBlockLength;

    for (long long first = 0; first < totalFrames;) {
        const auto n = static_cast<std::uint32_t>(std::min<long long>(options.block, totalFrames - first));

        for (std::size_t k = 0; k < options.sets.size(); ++k) {
            if (!applied[k] && options.sets[k].time * rate <= static_cast<double>(first)) {
                apply(engine, options.sets[k]);
                applied[k] = true;
            }
        }
        // The main window's 0.1 s clock tick, quantised to rendered time.
        const double elapsed = options.clock + 0.1 * std::floor(static_cast<double>(first) / (0.1 * rate));
        engine.setWallClock(std::fmod(elapsed, 60.0), static_cast<int>(std::fmod(std::floor(elapsed / 60.0), 60.0)));

        output.render(n);
        for (std::uint32_t c = 0; c < channels; ++c) {
            const auto samples = output.channel(c);
            for (std::uint32_t i = 0; i < n; ++i)
                frames[static_cast<std::size_t>(i) * channels + c] = samples[i];
        }
        if (toStream) {
            if (!wavStream.write(frames.data(), static_cast<std::size_t>(n) * channels * sizeof(float), error))
                return fail(error, exitFailure);
        } else if (sf_writef_float(wav, frames.data(), n) != n) {
            const std::string reason = sf_strerror(wav);
            sf_close(wav);
            return fail("cannot write '" + options.out + "': " + reason, exitFailure);
        }

        blockEnd = first + n;
        engine.deliverPendingMeterUpdates([&] {
            if (metersCsv.isOpen())
                metersCsv.writeLine(blockEnd, meterValues(*engine.meters()));
        });
        if (blockEnd / spectrumBlock > first / spectrumBlock)
            engine.spectrum()->waitUntilIdle();
        first = blockEnd;
    }

    if (toStream) {
        if (!wavStream.finish(error) || !metersCsv.commit(error) || !spectrumCsv.commit(error))
            return fail(error, exitFailure);
        return 0;
    }
    if (sf_close(wav) != 0)
        return fail("cannot write '" + options.out + "'", exitFailure);
    if (!wavFile.commit(error) || !metersCsv.commit(error) || !spectrumCsv.commit(error))
        return fail(error, exitFailure);
    return 0;
}
