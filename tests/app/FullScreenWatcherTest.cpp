#include "app/FullScreenWatcher.h"

#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct Recorder {
    explicit Recorder(FullScreenWatcher& watcher)
    {
        QObject::connect(&watcher, &FullScreenWatcher::windowEnteredFullScreen,
                         [this](QWindow* w) { events.emplace_back(w, true); });
        QObject::connect(&watcher, &FullScreenWatcher::windowLeftFullScreen,
                         [this](QWindow* w) { events.emplace_back(w, false); });
    }
    std::vector<std::pair<QWindow*, bool>> events;
};

TEST(FullScreenWatcherTest, ReportsEachTransitionOfEveryWindowOnce)
{
    QWindow early;
    early.resize(100, 100);
    early.show();

    FullScreenWatcher watcher;
    Recorder recorder(watcher);

    // A window shown after the watcher exists is watched as well.
    QWindow late;
    late.resize(100, 100);
    late.show();

    early.setWindowStates(Qt::WindowMaximized);
    early.setWindowStates(Qt::WindowFullScreen);
    early.setWindowStates(Qt::WindowFullScreen | Qt::WindowMaximized);
    late.setWindowStates(Qt::WindowFullScreen);
    early.setWindowStates(Qt::WindowMaximized);
    early.setWindowStates(Qt::WindowMinimized);
    late.setWindowStates(Qt::WindowNoState);

    const std::vector<std::pair<QWindow*, bool>> expected{
        {&early, true}, {&late, true}, {&early, false}, {&late, false}};
    EXPECT_EQ(recorder.events, expected);
}

TEST(FullScreenWatcherTest, WindowAlreadyFullScreenOnlyReportsLeaving)
{
    QWindow window;
    window.setWindowStates(Qt::WindowFullScreen);
    FullScreenWatcher watcher;
    Recorder recorder(watcher);
    window.show();
    window.setWindowStates(Qt::WindowNoState);
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_FALSE(recorder.events[0].second);
}

} // namespace
