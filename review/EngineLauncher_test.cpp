#include "review/EngineLauncher.h"
#include "platform/core/Process.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <regex>
#include <thread>

namespace ikw {
namespace {

using testing::EngineTestHome;

bool waitUntilStopped(EngineTestHome& home, const EngineLauncher& launcher, const std::string& loadingFile)
{
    return home.mainQueue.runUntil([&] { return !launcher.isRunning(loadingFile); }, 20);
}

TEST(EngineLauncher, NewLoadingFilesHoldTheLoadingPage)
{
    EngineTestHome home;
    const std::string first = newLoadingFile();
    EXPECT_NE(first, newLoadingFile());
    EXPECT_TRUE(std::regex_match(first, std::regex(std::regex_replace(home.globals.get().archive, std::regex(R"([\^$.|?*+()\[\]{}\\])"), R"(\$&)")
        + R"(/\.loading-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\.html)")))
        << first;
    EXPECT_EQ(testing::readTestFile(first), home.globals.get().loadingHTML);
}

TEST(EngineLauncher, AReviewRunGetsItsArgumentsAndWritesTheLoadingFile)
{
    EngineTestHome home;
    testing::installStandInEngine(home.path());
    EngineLauncher launcher;
    const std::string loadingFile = newLoadingFile();
    launcher.shellEngine({ "--choose", "--loading-file", loadingFile, "--mode", "compare", "/a <b>.pdf", "/c.pdf" });
    ASSERT_TRUE(waitUntilStopped(home, launcher, loadingFile));
    const std::string page = testing::readTestFile(loadingFile);
    EXPECT_NE(page.find(R"(data-mode="compare")"), std::string::npos) << page;
    EXPECT_NE(page.find("<li>/a &lt;b&gt;.pdf</li>\n<li>/c.pdf</li>"), std::string::npos) << page;
    EXPECT_NE(page.find("<li>--choose</li>"), std::string::npos) << page;
}

// A process started beside the run with the loading file's path in its arguments, as an unrelated
// program might be. A cancel must leave it alone.
class Sibling {
public:
    explicit Sibling(const std::string& argument)
        : m_thread([this, argument] { ProcessOptions options;
            options.argv = { "/bin/bash", "-c", "sleep 30", "sibling", argument };
            runProcess(options, m_control); })
    {
        while (m_control->processGroup() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Sibling()
    {
        m_control->cancel();
        m_thread.join();
    }
    bool isAlive() const { return ::kill(m_control->processGroup(), 0) == 0; }

private:
    std::shared_ptr<ProcessControl> m_control = std::make_shared<ProcessControl>();
    std::thread m_thread;
};

TEST(EngineLauncher, CancelEndsExactlyTheRunsProcessGroupAndShowsTheCancelledPage)
{
    EngineTestHome home;
    Globals constants = home.globals.get();
    constants.archive = home.path() + "/reviews [.*+?^$(a|b)]";
    constants.brand.name = "Ink <&> \"Co\"";
    ScopedGlobals oddPaths(constants);

    // The launcher leaves a grandchild behind, as an engine runs its workers.
    testing::writeEngineScript(home.path(), "app/launch.sh", "sleep 30 & sleep 30\n");
    EngineLauncher launcher;
    const std::string loadingFile = newLoadingFile();
    const std::string otherFile = newLoadingFile();
    const Sibling sibling(loadingFile);
    launcher.shellEngine({ "--loading-file", loadingFile });
    launcher.shellEngine({ "--loading-file", otherFile });
    ASSERT_TRUE(home.mainQueue.runUntil([&] { return launcher.isRunning(loadingFile); }));

    cancelReview(launcher, loadingFile);
    EXPECT_EQ(testing::readTestFile(loadingFile), cancelledHTML());
    ASSERT_TRUE(waitUntilStopped(home, launcher, loadingFile));
    EXPECT_TRUE(sibling.isAlive());
    EXPECT_TRUE(launcher.isRunning(otherFile));
    EXPECT_EQ(launcher.cancelRuns(otherFile), 1);
    EXPECT_TRUE(waitUntilStopped(home, launcher, otherFile));
    EXPECT_EQ(launcher.cancelRuns(otherFile), 0);
}

TEST(EngineLauncher, TheCancelledPageEscapesTheBrand)
{
    EngineTestHome home;
    Globals constants = home.globals.get();
    constants.brand.name = "<script>alert(1)</script>";
    ScopedGlobals brand(constants);
    const std::string page = cancelledHTML();
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("<title>&lt;script&gt;alert(1)&lt;/script&gt;</title>"), std::string::npos);
    for (const char* link : { "qeliz://retry", "qeliz://adjust", "qeliz://open", "qeliz://prefs" })
        EXPECT_NE(page.find(link), std::string::npos) << link;
}

}
}
