#include "control/SLMPresetStore.h"

#include "PresetStoreBlob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(SLMPresetStore, PerUserSettingsOfStarlume)
{
    // The sandbox of this test binary has redirected the per-user location.
    QSettings reference(QSettings::NativeFormat, QSettings::UserScope, "Starlume", "Starlume");
    SLMPresetStore store;
    EXPECT_EQ(store.fileName(), reference.fileName());
    EXPECT_TRUE(store.fileName().endsWith("/Starlume/Starlume.conf")) << store.fileName().toStdString();

    ASSERT_TRUE(store.save("{\"id\":\"custom\"}"));
    reference.sync();
    const QVariant raw = reference.value("SLM.CustomAudioPreset.v1");
    EXPECT_EQ(raw.typeId(), QMetaType::QByteArray);
    EXPECT_EQ(raw.toByteArray(), "{\"id\":\"custom\"}");
}

TEST(SLMPresetStore, RoundTripsBytesAndReportsAbsence)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("s.conf");
    SLMPresetStore store(file);
    EXPECT_FALSE(store.load().has_value());
    const QByteArray bytes("{\"x\":\"\xC2\xB7\"}\n\0tail", 16);
    ASSERT_TRUE(store.save(bytes));
    EXPECT_EQ(SLMPresetStore(file).load(), bytes);
}

TEST(SLMPresetStore, ReportsAFileItCannotWrite)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("not-a-directory"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SLMPresetStore store(dir.filePath("not-a-directory/s.conf"));
    EXPECT_FALSE(store.save("blob"));
    EXPECT_FALSE(store.load().has_value());
}

// A writer killed at random moments, many times over, must always leave a
// settings file holding one complete blob, never a torn one.
TEST(SLMPresetStore, AKilledWriterNeverLeavesATornFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("s.conf");
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMs(0, 60);

    for (int round = 0; round < 10; ++round) {
        const int first = round * 100000;
        QProcess writer;
        writer.start(QStringLiteral(STARLUME_PRESET_STORE_WRITER), {file, QString::number(first)});
        ASSERT_TRUE(writer.waitForStarted());
        // Let this writer commit once, then kill it at a random moment. It
        // saves back to back, so from then on it is always inside a save:
        // reading the old file, writing the new one, syncing or renaming.
        auto generation = [&] {
            const std::optional<QByteArray> blob = SLMPresetStore(file).load();
            return blob ? slm::test::storeTestGeneration(*blob) : std::nullopt;
        };
        for (int i = 0; i < 2500 && generation().value_or(-1) < first; ++i)
            QThread::msleep(2);
        QThread::msleep(delayMs(random));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());
        ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << "the writer stopped by itself";

        const std::optional<QByteArray> blob = SLMPresetStore(file).load();
        ASSERT_TRUE(blob.has_value()) << "round " << round;
        const std::optional<int> found = slm::test::storeTestGeneration(*blob);
        ASSERT_TRUE(found.has_value()) << "round " << round << ": torn blob of " << blob->size() << " bytes";
        ASSERT_GE(*found, first) << "killed before its first save";
    }
}

} // namespace
