// starlume-render from the outside: its command line, its files, its errors.

#include "WavOutput.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sndfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString stderrText;
};

ToolRun runTool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(STARLUME_RENDER_PATH), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

std::vector<QStringList> csvRows(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::vector<QStringList> rows;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty())
            rows.push_back(QString::fromUtf8(line).split(','));
    return rows;
}

struct Wav {
    SF_INFO info{};
    std::vector<float> frames; // interleaved
};

QStringList entriesOf(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint64_t little(const std::string& bytes, std::size_t at, int size)
{
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

Wav readWav(const QString& path)
{
    Wav wav;
    SNDFILE* file = sf_open(path.toUtf8().constData(), SFM_READ, &wav.info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (!file)
        return wav;
    wav.frames.resize(static_cast<std::size_t>(wav.info.frames * wav.info.channels));
    sf_readf_float(file, wav.frames.data(), wav.info.frames);
    sf_close(file);
    return wav;
}

} // namespace

TEST(RenderTool, BadInputIsOneLineExitTwoAndNoFile)
{
    const std::vector<QStringList> cases = {
        {"--seconds", "1"},                                         // no --out
        {"--out", "OUT", "--bogus", "1"},                           // unknown option
        {"--out", "OUT", "--rate", "fast"},                         // not a number
        {"--out", "OUT", "--rate", "0"},
        {"--out", "OUT", "--rate", "-48000"},
        {"--out", "OUT", "--block", "0"},
        {"--out", "OUT", "--seconds", "-1"},
        {"--out", "OUT", "--clock", "nan"},
        {"--out", "OUT", "--set", "1:loudness=3"},                  // unknown name
        {"--out", "OUT", "--set", "1:reactorMuted=maybe"},          // not a switch value
        {"--out", "OUT", "--set", "soon:reactorLevel=0.1"},         // not a time
        {"--out", "OUT", "--set", "reactorLevel=0.1"},              // no time
        {"--out", "OUT", "--meters", "DIR/missing/m.csv"},          // unwritable
        {"--out", "DIR/missing/x.wav"},
        {"--out", "DIR"},                                           // a directory
        {"--out", "OUT", "--spectrum", "DIR/s.csv", "--block", "40000"},
        // Numbers are decimal, in every numeric option.
        {"--out", "OUT", "--rate", "0x10"},
        {"--out", "OUT", "--channels", "0x2"},
        {"--out", "OUT", "--block", " 512"},
        {"--out", "OUT", "--seconds", "0x1p1"},
        {"--out", "OUT", "--clock", "infinity"},
        {"--out", "OUT", "--set", "0x1:reactorLevel=0.1"},
        {"--out", "OUT", "--set", "1:reactorLevel=0x1"},
        {"--out", "OUT", "--set", "1:reactorLevel=1e"},
        {"--out", "OUT", "--rate", "8000\n"},
    };
    for (QStringList args : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        args.replaceInStrings("OUT", dir.filePath("x.wav"));
        args.replaceInStrings("DIR", dir.path());
        const ToolRun run = runTool(args);
        const std::string what = args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << what;
        EXPECT_TRUE(run.stderrText.startsWith("starlume-render: ")) << what;
        EXPECT_EQ(run.stderrText.count('\n'), 1) << what << ": " << run.stderrText.toStdString();
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
            << what;
    }
}

TEST(RenderTool, WritesFloatWavAndOneCsvLinePerHandOff)
{
    QTemporaryDir dir;
    const QString wavPath = dir.filePath("one.wav");
    const ToolRun run = runTool({"--out", wavPath, "--seconds", "1", "--meters", dir.filePath("m.csv"), "--spectrum",
                             dir.filePath("s.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText.toStdString();

    const Wav wav = readWav(wavPath);
    EXPECT_EQ(wav.info.channels, 2);
    EXPECT_EQ(wav.info.samplerate, 48000);
    EXPECT_EQ(wav.info.frames, 48000);
    EXPECT_EQ(wav.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(wav.frames[2 * 36000], 0.0f) << "still the start-up hold";
    EXPECT_NE(wav.frames[2 * 47999], 0.0f);

    // 512-frame blocks, a hand-off every 1600 frames counted in whole blocks:
    // after every fourth block, 23 times in 94 blocks.
    const auto meters = csvRows(dir.filePath("m.csv"));
    ASSERT_EQ(meters.size(), 23u);
    for (std::size_t k = 0; k < meters.size(); ++k) {
        ASSERT_EQ(meters[k].size(), 15);
        EXPECT_EQ(meters[k][0].toLongLong(), 2048LL * static_cast<long long>(k + 1));
        for (int v = 1; v < 15; ++v) {
            bool ok = false;
            const double dB = meters[k][v].toDouble(&ok);
            EXPECT_TRUE(ok && dB >= -60.0 && dB <= 0.0) << meters[k][v].toStdString();
        }
    }
    EXPECT_EQ(meters[0][6], "-60") << "master left during the hold";
    EXPECT_GE(meters[0][1].length(), 15) << "full precision";

    // 4096-frame blocks end exactly on 512-frame block boundaries.
    const auto spectrum = csvRows(dir.filePath("s.csv"));
    ASSERT_EQ(spectrum.size(), 11u);
    for (std::size_t k = 0; k < spectrum.size(); ++k) {
        ASSERT_EQ(spectrum[k].size(), 25);
        EXPECT_EQ(spectrum[k][0].toLongLong(), 4096LL * static_cast<long long>(k + 1));
    }
}

TEST(RenderTool, SetsClockChannelsAndVolumeAsAsked)
{
    QTemporaryDir dir;
    // The creature silenced, and the clock running into the half-minute chime.
    const ToolRun run = runTool({"--out", dir.filePath("x.wav"), "--rate", "8000", "--channels", "6", "--seconds", "9",
                             "--block", "1000", "--clock", "21", "--set", "0:volume=0", "--set", "0:glowwormMasterDB=-60", "--set",
                             "0:anomalyMuted=true", "--meters", dir.filePath("m.csv"), "--spectrum",
                             dir.filePath("s.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText.toStdString();

    const Wav wav = readWav(dir.filePath("x.wav"));
    ASSERT_EQ(wav.info.channels, 6);
    const std::size_t last = static_cast<std::size_t>(wav.info.frames - 1) * 6;
    EXPECT_NEAR(wav.frames[last + 4], (wav.frames[last] + wav.frames[last + 1]) / 2.0f, 1e-6f);
    EXPECT_NE(wav.frames[last], 0.0f) << "the volume does not scale the sound itself";

    const auto meters = csvRows(dir.filePath("m.csv"));
    ASSERT_FALSE(meters.empty());
    double glowwormEarly = -100.0, glowwormLate = -100.0;
    for (const QStringList& row : meters) {
        EXPECT_EQ(row[6].toDouble(), -60.0) << "master left, volume 0";
        EXPECT_EQ(row[7].toDouble(), -60.0) << "master right, volume 0";
        EXPECT_EQ(row[4].toDouble(), -60.0) << "anomaly muted";
        const double seconds = row[0].toDouble() / 8000.0;
        if (seconds < 3.5)
            glowwormEarly = std::max(glowwormEarly, row[5].toDouble());
        if (seconds > 5.0)
            glowwormLate = std::max(glowwormLate, row[5].toDouble());
    }
    EXPECT_EQ(glowwormEarly, -60.0) << "before second 25 only the silenced creature is on its bus";
    EXPECT_GT(glowwormLate, -40.0) << "the chime from second 25 on";
    const auto spectrum = csvRows(dir.filePath("s.csv"));
    ASSERT_EQ(spectrum.size(), 17u);
    EXPECT_EQ(spectrum[0][0], "5000") << "the end of the block in which the first 4096 frames filled";
    for (const QStringList& row : spectrum)
        for (int band = 1; band < 25; ++band)
            EXPECT_EQ(row[band], "-72");
}

TEST(RenderTool, TheSameCommandWritesTheSameFile)
{
    QTemporaryDir dir;
    const QStringList common = {"--seconds", "2", "--rate", "8000", "--set", "0.5:fieldLevel=0.15", "--set",
                                "1:isFrozen=1"};
    ASSERT_EQ(runTool(QStringList{"--out", dir.filePath("a.wav")} + common).exitCode, 0);
    ASSERT_EQ(runTool(QStringList{"--out", dir.filePath("b.wav")} + common).exitCode, 0);
    ASSERT_EQ(runTool(QStringList{"--out", dir.filePath("c.wav"), "--seconds", "2", "--rate", "8000"}).exitCode, 0);
    QFile a(dir.filePath("a.wav")), b(dir.filePath("b.wav")), c(dir.filePath("c.wav"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && c.open(QIODevice::ReadOnly));
    const QByteArray first = a.readAll();
    EXPECT_EQ(first, b.readAll());
    EXPECT_NE(first, c.readAll()) << "the --set commands change the sound";
}

TEST(RenderTool, DecimalNumbersInEveryFormAreStillAccepted)
{
    QTemporaryDir dir;
    const ToolRun run = runTool({"--out", dir.filePath("x.wav"), "--rate", "8000.0", "--seconds", ".25", "--clock",
                                 "-1.5e1", "--set", "+0.1:reactorLevel=2E-1"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText.toStdString();
    EXPECT_EQ(readWav(dir.filePath("x.wav")).info.frames, 2000);
}

// Only a regular file is ever replaced; anything else at --out is refused
// before a sample is rendered, and left exactly as it was.
TEST(RenderToolOut, AnythingButARegularFileIsRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    const QString toNull = dir.filePath("to-null");
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", toNull.toUtf8().constData()), 0);
    QStringList targets{fifo, toNull};
    // A device node of our own, where we may make one (as root).
    const QString device = dir.filePath("null-device");
    if (::mknod(device.toUtf8().constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets << device;

    for (const QString& target : targets) {
        const ToolRun run = runTool({"--out", target, "--seconds", "0.1"});
        EXPECT_EQ(run.exitCode, 2) << target.toStdString();
        EXPECT_TRUE(run.stderrText.startsWith("starlume-render: ")) << run.stderrText.toStdString();
        EXPECT_EQ(run.stderrText.count('\n'), 1) << run.stderrText.toStdString();
    }
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.toUtf8().constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(QFileInfo(toNull).symLinkTarget(), "/dev/null");
    if (targets.contains(device)) {
        ASSERT_EQ(::lstat(device.toUtf8().constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
    EXPECT_EQ(entriesOf(dir.path()).size(), targets.size()) << entriesOf(dir.path()).join(' ').toStdString();
}

TEST(RenderToolOut, ALinkToARegularFileReplacesTheFileAndKeepsTheLink)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("take.wav");
    const QString link = dir.filePath("latest.wav");
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    ASSERT_EQ(::symlink("take.wav", link.toUtf8().constData()), 0);

    ASSERT_EQ(runTool({"--out", link, "--seconds", "0.1", "--rate", "8000"}).exitCode, 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readWav(file).info.frames, 800);
    EXPECT_EQ(entriesOf(dir.path()).size(), 2);
}

TEST(RenderToolOut, StandardOutputGetsTheSameBytesAsAFileThroughAPipe)
{
    QTemporaryDir dir;
    const QStringList common{"--seconds", "0.5", "--rate", "8000", "--channels", "3"};
    ASSERT_EQ(runTool(QStringList{"--out", dir.filePath("f.wav")} + common).exitCode, 0);

    // QProcess reads standard output through a pipe, which cannot be rewound.
    QProcess process;
    process.start(QStringLiteral(STARLUME_RENDER_PATH), QStringList{"--out", "-"} + common);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray streamed = process.readAllStandardOutput();
    EXPECT_EQ(streamed, contentsOf(dir.filePath("f.wav")));
    EXPECT_TRUE(process.readAllStandardError().contains("SLM Audio Engine")) << "the engine's line moves to stderr";
}

TEST(RenderToolOut, AKilledRenderLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    QProcess process;
    process.start(QStringLiteral(STARLUME_RENDER_PATH),
                  {"--out", dir.filePath("long.wav"), "--seconds", "3600", "--meters", dir.filePath("m.csv")});
    ASSERT_TRUE(process.waitForStarted());
    // The engine's start-up line comes once the files are open.
    QElapsedTimer waited;
    waited.start();
    while (!process.readAllStandardOutput().contains("SLM Audio Engine") && waited.elapsed() < 20000)
        process.waitForReadyRead(100);
    process.kill(); // SIGKILL: no handler runs
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty()) << entriesOf(dir.path()).join(' ').toStdString();
}

// Sizes only: a 4 GiB render is too big for a test.
TEST(RenderToolContainer, RiffUpToItsThirtyTwoBitSizesThenRf64)
{
    EXPECT_EQ(wavContainerFor(48000ULL * 3600 * 2, 2), WavContainer::riff) << "two hours of stereo, 1.4 GB";
    EXPECT_EQ(wavContainerFor(1000ULL << 20, 1), WavContainer::riff);
    EXPECT_EQ(wavContainerFor(1ULL << 30, 1), WavContainer::rf64) << "exactly 4 GiB of samples";
    EXPECT_EQ(wavContainerFor(18'000'000ULL, 64), WavContainer::rf64) << "1 MHz, 64 channels, 18 s: 4.6 GB";

    // The header of that render, as a stream would carry it: RF64 with the
    // true 64-bit sizes in its ds64 chunk.
    std::string error;
    const auto header = wavHeaderFor(1'000'000, 64, 18'000'000ULL, error);
    ASSERT_TRUE(header) << error;
    ASSERT_GE(header->size(), 48u);
    EXPECT_EQ(header->substr(0, 4), "RF64");
    EXPECT_EQ(header->substr(12, 4), "ds64");
    EXPECT_EQ(little(*header, 20, 8), header->size() + 4'608'000'000ULL - 8) << "RIFF size";
    EXPECT_EQ(little(*header, 28, 8), 4'608'000'000ULL) << "data size";
    EXPECT_EQ(little(*header, 36, 8), 18'000'000ULL) << "frames";
    EXPECT_EQ(header->substr(header->size() - 8, 4), "data");
    EXPECT_EQ(header->find("PEAK"), std::string::npos) << "no peaks before the samples";

    const auto small = wavHeaderFor(8000, 2, 8000, error);
    ASSERT_TRUE(small) << error;
    EXPECT_EQ(small->substr(0, 4), "RIFF");
    EXPECT_EQ(little(*small, 4, 4), small->size() + 64000 - 8);
    EXPECT_EQ(little(*small, small->size() - 4, 4), 64000u);
}
