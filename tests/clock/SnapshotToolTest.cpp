#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString stdErr;
};

ToolRun snapshot(const QStringList& args, const QString& tz = QStringLiteral("UTC"))
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), tz);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(STARLUME_SNAPSHOT_TOOL), args);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QJsonObject readJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

class SnapshotTool : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(SnapshotTool, WritesThePngAtScaleAndTheFrameValues)
{
    const ToolRun run = snapshot({"--at", "2024-01-01T03:00:00", "--size", "200x100", "--scale", "2", "--out",
                              path("a.png"), "--frame", path("a.json")});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr.toStdString();
    const QImage image(path("a.png"));
    EXPECT_EQ(image.size(), QSize(400, 200));

    const QJsonObject frame = readJson(path("a.json"));
    const QSet<QString> expected{"t",  "hour12", "minute", "secF",  "minuteF", "width",  "height",       "cx", "cy",
                                 "R",  "S",      "accent", "slow",  "align",   "A",      "charge",       "travellerHead"};
    const QStringList keys = frame.keys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), expected);
    EXPECT_EQ(frame["hour12"].toInt(), 3);
    EXPECT_EQ(frame["width"].toDouble(), 200);
    EXPECT_EQ(frame["accent"].toObject().keys(), (QStringList{"kind", "level"}));
    EXPECT_EQ(frame["accent"]["kind"].toString(), "hour");
    EXPECT_EQ(frame["slow"].toArray().size(), 6);
    EXPECT_EQ(frame["align"].toArray().size(), 5);
    EXPECT_EQ(frame["travellerHead"].toArray().size(), 2);
    const QDateTime at(QDate(2024, 1, 1), QTime(3, 0), QTimeZone::utc());
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    EXPECT_EQ(frame["t"].toDouble(), reference.secsTo(at));
}

TEST_F(SnapshotTool, LocalTimeFollowsTzAndEpochNamesTheSameInstant)
{
    // 12:00:30.250 nine hours east of UTC is 03:00:30.250 UTC.
    ASSERT_EQ(snapshot({"--at", "2024-01-01T12:00:30.25", "--size", "64x48", "--out", path("l.png"), "--frame",
                        path("l.json")},
                       QStringLiteral("XST-9"))
                  .exitCode,
              0);
    const qint64 epoch = QDateTime(QDate(2024, 1, 1), QTime(3, 0, 30), QTimeZone::utc()).toSecsSinceEpoch();
    ASSERT_EQ(snapshot({"--at", QStringLiteral("@%1.250").arg(epoch), "--size", "64x48", "--out", path("e.png"),
                        "--frame", path("e.json")},
                       QStringLiteral("XST-9"))
                  .exitCode,
              0);
    const QJsonObject local = readJson(path("l.json"));
    const QJsonObject fromEpoch = readJson(path("e.json"));
    EXPECT_EQ(local, fromEpoch);
    EXPECT_EQ(local["hour12"].toInt(), 0);
    EXPECT_EQ(local["secF"].toDouble(), 30.25);
    EXPECT_EQ(local["accent"]["kind"].toString(), "halfMinute");
}

TEST_F(SnapshotTool, OpenGLRendererDrawsTheSamePicture)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        GTEST_SKIP() << "no display for an OpenGL context";
    const QStringList common{"--at", "2024-05-04T10:09:40", "--size", "160x100", "--scale", "2"};
    const ToolRun gl = snapshot(common + QStringList{"--renderer", "gl", "--out", path("gl.png")});
    ASSERT_EQ(gl.exitCode, 0) << gl.stdErr.toStdString();
    ASSERT_EQ(snapshot(common + QStringList{"--out", path("painter.png")}).exitCode, 0);
    const QImage a = QImage(path("gl.png")).convertToFormat(QImage::Format_RGB32);
    const QImage b = QImage(path("painter.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(a.size(), QSize(320, 200));
    ASSERT_EQ(b.size(), a.size());
    // Loose: the renderers' own test bounds their differences; this one catches a
    // picture drawn at the wrong scale or place.
    double difference = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            difference += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    EXPECT_LT(difference / (3.0 * a.width() * a.height()), 8.0);
}

// 12000 x 12000 is within the tool's range but, multisampled, beyond what a
// software OpenGL driver will allocate: either a real picture or a clear
// failure, never a blank file.
TEST_F(SnapshotTool, AFrameTheOpenGLPathCannotMakeIsAnErrorNotABlankFile)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        GTEST_SKIP() << "no display for an OpenGL context";
    const QString out = path("huge.png");
    const ToolRun run = snapshot({"--at", "2024-05-04T10:09:40", "--size", "12000x12000", "--renderer", "gl", "--out", out});
    if (run.exitCode == 0) {
        QImageReader reader(out);
        reader.setScaledSize(QSize(120, 120));
        const QImage small = reader.read();
        ASSERT_EQ(small.size(), QSize(120, 120));
        bool drawn = false;
        for (int y = 0; y < small.height() && !drawn; ++y)
            for (int x = 0; x < small.width() && !drawn; ++x)
                drawn = qAlpha(small.pixel(x, y)) != 0;
        EXPECT_TRUE(drawn) << "an all-transparent picture";
        return;
    }
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.stdErr.count('\n'), 1) << run.stdErr.toStdString();
    EXPECT_TRUE(run.stdErr.startsWith("starlume-snapshot: ")) << run.stdErr.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(SnapshotTool, BadInputIsOneErrorLineAndStatusTwo)
{
    const QString out = path("bad.png");
    const QList<QStringList> cases{
        {"--at", "2024-01-01T03:00:00", "--size", "0x100", "--out", out},
        {"--at", "2024-01-01T03:00:00", "--size", "wide", "--out", out},
        {"--at", "2024-02-30T03:00:00", "--size", "10x10", "--out", out},
        {"--at", "yesterday", "--size", "10x10", "--out", out},
        {"--at", "@12.3456", "--size", "10x10", "--out", out},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--scale", "-1", "--out", out},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--renderer", "vulkan", "--out", out},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10"},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--out", out, "--colour", "red"},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--out", out, "--scale"},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--out", path("missing/dir/x.png")},
        // The frame values cannot be written: the picture goes too.
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--out", out, "--frame", path("missing/f.json")},
        // Numbers are plain decimal digits, nothing around them.
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--scale", " 2", "--out", out},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10", "--scale", "0x2", "--out", out},
        {"--at", "2024-01-01T03:00:00", "--size", "10x10\n", "--out", out},
        {"--at", "@1700000000\n", "--size", "10x10", "--out", out},
    };
    for (const QStringList& args : cases) {
        const ToolRun run = snapshot(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_EQ(run.stdErr.count('\n'), 1) << run.stdErr.toStdString();
        EXPECT_TRUE(run.stdErr.startsWith("starlume-snapshot: ")) << run.stdErr.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));

    // 02:30 is skipped when Central European clocks go forward.
    const ToolRun gap = snapshot({"--at", "2024-03-31T02:30:00", "--size", "10x10", "--out", out},
                                 QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
    EXPECT_EQ(gap.exitCode, 2);
    EXPECT_EQ(gap.stdErr.count('\n'), 1);
}

} // namespace
