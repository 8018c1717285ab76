#include "app/RemoteCommand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Outcome = ParsedCommandLine::Outcome;
using Transport = RemoteCommand::Transport;

ParsedCommandLine parse(const QStringList& arguments)
{
    return parseCommandLine(arguments);
}

TEST(RemoteCommandTest, ReadsEveryOptionAndLeavesQtItsOwn)
{
    const auto parsed = parse({"-qwindowgeometry", "480x300+0+0", "--pause", "-platform", "xcb", "--preset", "STORM",
                               "--sleep=0.1", "--platformtheme=gtk3", "--mixer", "--fullscreen", "-reverse"});
    ASSERT_EQ(parsed.outcome, Outcome::run) << parsed.error.toStdString();
    EXPECT_EQ(parsed.command.transport, Transport::pause);
    EXPECT_EQ(parsed.command.preset, SLMPresetID::Storm);
    ASSERT_TRUE(parsed.command.sleepMinutes);
    EXPECT_DOUBLE_EQ(*parsed.command.sleepMinutes, 0.1);
    EXPECT_TRUE(parsed.command.openMixer);
    EXPECT_TRUE(parsed.command.toggleFullScreen);
    EXPECT_FALSE(parsed.command.quit);

    // Qt's options alone ask for nothing: a plain start.
    const auto plain = parse({"-qwindowgeometry", "480x300+0+0", "--platform", "offscreen"});
    ASSERT_EQ(plain.outcome, Outcome::run);
    EXPECT_TRUE(plain.command.isEmpty());

    EXPECT_EQ(parse({"--sleep", "OFF"}).command.sleepMinutes, 0.0);
    EXPECT_EQ(parse({"--toggle", "--toggle"}).command.transport, Transport::toggle);
    EXPECT_EQ(parse({"--preset", "drift", "--preset", "void"}).command.preset, SLMPresetID::Void);
    EXPECT_EQ(parse({"--version", "--help"}).outcome, Outcome::help);
    EXPECT_EQ(parse({"--pause", "--version"}).outcome, Outcome::version);
}

TEST(RemoteCommandTest, RejectsBadOptionsWithOneLineNamingThem)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--bogus"}, "--bogus"},
        {{"-x"}, "-x"},
        {{"stray"}, "stray"},
        {{"--preset"}, "--preset"},
        {{"--preset", "loud"}, "loud"},
        {{"--preset="}, "--preset"},
        {{"--sleep"}, "--sleep"},
        {{"--sleep", "0"}, "--sleep"},
        {{"--sleep", "nan"}, "--sleep"},
        {{"--sleep", "1441"}, "--sleep"},
        {{"--sleep", "ten"}, "ten"},
        {{"--pause=yes"}, "--pause"},
        {{"--play", "--pause"}, "--pause"},
        {{"--toggle", "--play"}, "--toggle"},
    };
    for (const auto& [arguments, named] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const auto parsed = parse(arguments);
        ASSERT_EQ(parsed.outcome, Outcome::error);
        EXPECT_TRUE(parsed.error.contains(named)) << parsed.error.toStdString();
        EXPECT_FALSE(parsed.error.contains('\n'));
    }
}

TEST(RemoteCommandTest, ActionsCarryACommandAcrossUnchanged)
{
    RemoteCommand command;
    command.transport = Transport::play;
    command.preset = SLMPresetID::Swarm;
    command.sleepMinutes = 0.25;
    command.openMixer = true;
    command.toggleFullScreen = true;
    command.quit = true;

    const auto actions = command.toActions();
    // Playing cancels a sleep timer, so it must come before the timer is set.
    ASSERT_GE(actions.size(), 3);
    EXPECT_EQ(actions.front().name, QStringLiteral("play"));
    EXPECT_EQ(actions.back().name, QStringLiteral("quit"));

    RemoteCommand received;
    for (const auto& action : actions)
        ASSERT_TRUE(received.addAction(action.name, action.parameter)) << action.name.toStdString();
    EXPECT_EQ(received, command);

    RemoteCommand off;
    off.sleepMinutes = 0.0;
    RemoteCommand offReceived;
    for (const auto& action : off.toActions())
        ASSERT_TRUE(offReceived.addAction(action.name, action.parameter));
    EXPECT_EQ(offReceived, off);
}

TEST(RemoteCommandTest, ActionsFromOutsideAreCheckedBeforeUse)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<QString, QVariantList>> bad = {
        {"explode", {}},
        {"pause", {1}},
        {"preset", {}},
        {"preset", {"loud"}},
        {"sleep", {}},
        {"sleep", {"30"}},
        {"sleep", {nan}},
        {"sleep", {-1.0}},
        {"sleep", {1e9}},
        {"sleep", {5.0, 6.0}},
    };
    for (const auto& [name, parameter] : bad) {
        SCOPED_TRACE(name.toStdString());
        RemoteCommand command;
        EXPECT_FALSE(command.addAction(name, parameter));
        EXPECT_TRUE(command.isEmpty());
    }

    RemoteCommand command;
    EXPECT_TRUE(command.addAction("sleep", {30}));
    EXPECT_EQ(command.sleepMinutes, 30.0);
    EXPECT_TRUE(command.addAction("preset", {"Storm"}));
    EXPECT_EQ(command.preset, SLMPresetID::Storm);
}

} // namespace
