#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Whatever the environment says, no test in this binary reaches the user's
// real settings: the per-user location is a temporary directory.
class SettingsSandbox : public testing::Environment {
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }
    QTemporaryDir m_dir;
};

[[maybe_unused]] testing::Environment* const sandbox = testing::AddGlobalTestEnvironment(new SettingsSandbox);

} // namespace
