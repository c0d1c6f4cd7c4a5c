#include "assistants/ClaudeDesktop.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ikw::assistants::ClaudeDesktop {
namespace {

struct FakeClock {
    double time = 100;
    int sleeps = 0;
    WaitClock clock()
    {
        return { .now = [this] { return time; }, .sleep = [this](double seconds) { time += seconds; ++sleeps; } };
    }
};

TEST(ClaudeDesktopQuit, PollsEveryHalfSecondUntilGoneOrTimedOut)
{
    FakeClock stubborn;
    int asked = 0;
    EXPECT_FALSE(quitAndWait([] { return true; }, [&] { ++asked; }, 60, stubborn.clock()));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(stubborn.sleeps, 120);

    FakeClock willing;
    int polls = 0;
    EXPECT_TRUE(quitAndWait([&] { return ++polls < 4; }, [] {}, 60, willing.clock()));
    EXPECT_EQ(willing.sleeps, 3);
}

// A process of this user named claude-desktop is found, and quitting ends it.
TEST(ClaudeDesktopQuit, EndsTheRunningApplication)
{
    testing::TempHome home;
    const std::string program = home.file("claude-desktop");
    ASSERT_EQ(::symlink("/bin/sleep", program.c_str()), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), program.c_str(), "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    std::thread reaper([child] { ::waitpid(child, nullptr, 0); }); // a zombie would still be listed
    for (int tries = 0; tries < 200 && !isRunning(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    const auto running = runningProcesses();
    EXPECT_NE(std::find(running.begin(), running.end(), child), running.end());
    EXPECT_TRUE(quit(10));
    EXPECT_FALSE(isRunning());
    ::kill(child, SIGKILL);
    reaper.join();
}

}
}
