#include "control/SLMPresetStore.h"

#include "PresetStoreBlob.h"

#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(SLMPresetStore, KeepsBytesUnderTheKeyOfTheStarlumeUserSettings)
{
    // The sandbox of this test binary has redirected the per-user location.
    QSettings reference(QSettings::NativeFormat, QSettings::UserScope, "Starlume", "Starlume");
    SLMPresetStore store;
    EXPECT_EQ(store.fileName(), reference.fileName());
    EXPECT_TRUE(store.fileName().endsWith("/Starlume/Starlume.conf")) << store.fileName().toStdString();
    const QByteArray bytes("{\"x\":\"\xC2\xB7\"}\n\0tail", 16);
    store.save(bytes);
    ASSERT_TRUE(store.flush());
    reference.sync();
    EXPECT_EQ(reference.value("SLM.CustomAudioPreset.v1").typeId(), QMetaType::QByteArray);
    EXPECT_EQ(SLMPresetStore().load(), bytes);
}

TEST(SLMPresetStore, SavesAtOnceInMemoryAndTheNewestBlobOnDisk)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("s.conf");
    {
        SLMPresetStore store(file);
        EXPECT_FALSE(store.load().has_value());
        for (int i = 0; i < 50; ++i) {
            store.save(QByteArray::number(i));
            ASSERT_EQ(store.load(), QByteArray::number(i));
        }
        SLMPresetStore copy = store;
        ASSERT_TRUE(store.flush());
        EXPECT_EQ(SLMPresetStore(file).load(), "49");
        copy.save("last"); // written by the last copy as it goes
    }
    EXPECT_EQ(SLMPresetStore(file).load(), "last");

    QFile blocker(dir.filePath("not-a-directory"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    SLMPresetStore unwritable(blocker.fileName() + "/s.conf");
    unwritable.save("blob");
    EXPECT_FALSE(unwritable.flush());
}

// A writer killed at random moments, again and again, must always leave a
// settings file holding one whole blob.
TEST(SLMPresetStore, AKilledWriterNeverLeavesATornFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("s.conf");
    std::mt19937 random(20240611);
    for (int round = 0; round < 10; ++round) {
        const int first = round * 100000;
        QProcess writer;
        writer.start(STARLUME_PRESET_STORE_WRITER, {file, QString::number(first)});
        ASSERT_TRUE(writer.waitForStarted());
        // Once it has saved, it saves back to back, so a kill after the
        // first save lands inside one: reading, writing, syncing or renaming.
        auto generation = [&] { return slm::test::storeTestGeneration(SLMPresetStore(file).load().value_or("")); };
        // Generous: a loaded machine may take seconds to start the writer,
        // and a kill between creating the settings' lock file and writing
        // its owner leaves an empty lock that QLockFile only breaks after
        // its 30-second stale time.
        QElapsedTimer waited;
        waited.start();
        while (generation() < first && waited.elapsed() < 45000)
            QThread::msleep(2);
        QThread::msleep(std::uniform_int_distribution<int>(0, 60)(random));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());
        ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << "the writer stopped by itself";
        ASSERT_GE(generation(), first) << "round " << round << ": torn, or killed before its first save";
    }
}

} // namespace
