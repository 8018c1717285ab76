#include "control/SLMPresetStore.h"

#include "PresetStoreBlob.h"
#include "support/EventLoop.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <random>

#include <unistd.h>

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

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(SLMPresetStore, AFileItCannotParseIsKeptOnceBeforeItIsReplaced)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Starlume.conf");
    const QString kept = file + ".unreadable";
    // A line without "=" in a readable section, then an unterminated one.
    const QByteArray garbage("[General]\nSLM.ActivePreset.v1=storm\nnot a setting\n[broken\n\x01\xff\n");
    writeFile(file, garbage);

    SLMPresetStore store(file);
    EXPECT_EQ(store.loadActivePreset(), "storm") << "what could be read was not";
    store.save("first");
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(contents(kept), garbage);
    SLMPresetStore reread(file);
    EXPECT_EQ(reread.load(), "first");
    EXPECT_EQ(reread.loadActivePreset(), "storm") << "the readable part was dropped";

    // Parsable now: nothing more is kept, and the copy stays as it was.
    store.saveActivePreset("void");
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(contents(kept), garbage);
    EXPECT_EQ(SLMPresetStore(file).loadActivePreset(), "void");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// Collects what the store says in its logging category.
class SettingsLog {
public:
    SettingsLog() { s_lines.clear(); m_previous = qInstallMessageHandler(&SettingsLog::handle); }
    ~SettingsLog() { qInstallMessageHandler(m_previous); }
    QStringList warnings() const { return s_lines; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtWarningMsg && QByteArray(context.category) == "starlume.settings")
            s_lines.append(message);
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

TEST(SLMPresetStore, FailedSavesAreLoggedOncePerCauseAndReported)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Starlume.conf");
    SettingsLog log;
    QObject context;
    QList<bool> reported;
    SLMPresetStore store(file);
    store.onSaveFailingChanged(&context, [&](bool failing) { reported.append(failing); });

    ASSERT_TRUE(QDir().mkpath(file)); // a folder in the way
    for (int i = 0; i < 3; ++i) {
        store.save(QByteArray::number(i));
        EXPECT_FALSE(store.flush());
    }
    ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join('\n').toStdString();
    EXPECT_TRUE(log.warnings()[0].contains("folder is in the way")) << log.warnings()[0].toStdString();
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return reported == QList<bool>{true}; }));

    ASSERT_TRUE(QDir(file).removeRecursively());
    store.save("saved");
    EXPECT_TRUE(store.flush());
    EXPECT_EQ(SLMPresetStore(file).load(), "saved");
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return reported == QList<bool>{true, false}; }));

    // Root writes read-only files; for everyone else that is a cause of its own.
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner));
        store.save("refused");
        EXPECT_FALSE(store.flush());
        store.save("refused again");
        EXPECT_FALSE(store.flush());
        ASSERT_EQ(log.warnings().size(), 2);
        EXPECT_TRUE(log.warnings()[1].contains("read-only")) << log.warnings()[1].toStdString();
        // The file itself: this process's QSettings cache remembers the refused value.
        EXPECT_TRUE(contents(file).contains("@ByteArray(saved)")) << contents(file).constData();
    }
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
