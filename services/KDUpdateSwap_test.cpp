#include "services/KDUpdate.h"

#include "app/Globals.h"
#include "platform/core/Process.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/TempHome.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace ikw::services {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every entry under `folder`: files with their bytes and modes, links with their targets.
std::map<std::string, std::string> snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    std::error_code missing;
    for (auto it = fs::recursive_directory_iterator(folder, missing); !missing && it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), folder).string();
        if (it->is_symlink())
            entries[name] = "link to " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file())
            entries[name] = testing::readTestFile(it->path()) + " mode " + std::to_string(testing::fileMode(it->path()));
        else
            entries[name] = "folder";
    }
    return entries;
}

bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit = 15s)
{
    return testing::waitFor(done, static_cast<double>(limit.count()), 20ms);
}

// A detached process is done once it is gone, or a zombie waiting for the system's reaper.
bool processEnded(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    return line.substr(line.rfind(')') + 2, 1) == "Z";
}

class KDUpdateSwapTest : public ::testing::Test {
protected:
    KDUpdateSwapTest()
    {
        fs::create_directories(home.file("runtime"));
        fs::permissions(home.file("runtime"), fs::perms::owner_all);
        updater->paths.runtimeDir = home.file("runtime");
        root = *KDUpdate::stagingRoot();
        updater->requestQuit = [this] { ++quitRequests; };
        const auto realStart = updater->swapSteps.startDetached;
        updater->swapSteps.startDetached = [this, realStart](const std::vector<std::string>& argv) {
            scripts.push_back(realStart(argv));
            return scripts.back();
        };
        bundle = makeBundle(home.file("Bob's Apps/Test.app"), "old");
        staged = makeBundle(root + "/KDUpdate-t-1-2/Test.app", "new");
        Globals product = Globals::build(Paths::fromEnvironment());
        product.appInfo.bundleDir = bundle;
        globals.emplace(std::move(product));
    }

    // A small bundle whose program notes in the marker file that it ran.
    std::string makeBundle(const std::string& path, const std::string& name)
    {
        const std::string program = testing::writeTestFile(path + "/bin/CulmoraPhotos",
            "#!/bin/sh\necho " + name + " >> '" + home.file("ran") + "'\n");
        fs::permissions(program, fs::perms::owner_all);
        testing::writeTestFile(path + "/Resources/VERSION", name == "old" ? "1.0\n" : "2.0\n");
        fs::create_symlink("bin/CulmoraPhotos", path + "/program");
        return path;
    }

    void expectNothingChanged(const std::map<std::string, std::string>& before, const std::string& why)
    {
        EXPECT_EQ(snapshot(bundle), before) << why;
        EXPECT_FALSE(fs::exists(fs::symlink_status(bundle + ".new"))) << why;
        EXPECT_TRUE(scripts.empty()) << why << ": no process started";
        EXPECT_TRUE(fs::exists(staged)) << why;
    }

    testing::TempHome home;
    ManualMainQueue queue;
    std::shared_ptr<KDUpdate::State> updater = std::make_shared<KDUpdate::State>();
    KDUpdate::ScopedState installed { updater };
    std::string root, bundle, staged;
    std::optional<ScopedGlobals> globals;
    std::vector<DetachedStart> scripts;
    int quitRequests = 0;
};

TEST_F(KDUpdateSwapTest, TheNewVersionTakesThePathAtOnceAndTheRestGoesWhenTheProcessEnds)
{
    for (const bool relaunch : { true, false }) {
        SCOPED_TRACE(relaunch ? "with relaunch" : "without relaunch");
        if (!relaunch) {
            fs::remove(home.file("ran"));
            scripts.clear();
            quitRequests = 0;
            staged = makeBundle(root + "/KDUpdate-t-1-3/Test.app", "newer");
        }
        const auto oldContent = snapshot(bundle);
        const auto newContent = snapshot(staged);
        ASSERT_NE(oldContent, newContent);

        // A child stands for the application that is about to quit.
        auto application = std::make_shared<ProcessControl>();
        std::thread running([application] {
            ProcessOptions sleeper;
            sleeper.argv = { "/bin/sleep", "1" };
            runProcess(sleeper, application);
        });
        ASSERT_TRUE(waitFor([&] { return application->processGroup() != 0; }));
        updater->awaitedProcess = application->processGroup();

        EXPECT_EQ(KDUpdate::swapAndRelaunch(staged, relaunch), std::nullopt);
        EXPECT_EQ(snapshot(bundle), newContent) << "the new version is in place right away";
        EXPECT_EQ(snapshot(bundle + ".new"), oldContent) << "the old one waits beside it";
        queue.drain();
        EXPECT_EQ(quitRequests, relaunch ? 1 : 0);

        running.join(); // the application has ended and been reaped
        ASSERT_EQ(scripts.size(), 1u);
        ASSERT_TRUE(waitFor([&] { return processEnded(scripts[0].pid); }));
        EXPECT_FALSE(fs::exists(bundle + ".new"));
        EXPECT_FALSE(fs::exists(parentPath(staged)));
        EXPECT_TRUE(fs::exists(root));
        EXPECT_EQ(snapshot(bundle), newContent);
        EXPECT_EQ(fs::exists(home.file("ran")) ? testing::readTestFile(home.file("ran")) : "", relaunch ? "new\n" : "")
            << "the new program runs once, only with relaunch";
    }
}

TEST_F(KDUpdateSwapTest, RefusesAnythingButABundleInItsOwnStagingFolder)
{
    const auto before = snapshot(bundle);
    testing::writeTestFile(home.file("Documents/KDUpdate-x/Test.app/keep"), "mine");
    testing::writeTestFile(home.file("Documents/Test.app/keep"), "mine");
    testing::writeTestFile(root + "/KDUpdate-t-1-2/Test/keep", "x");
    testing::writeTestFile(root + "/Other/Test.app/keep", "x");
    testing::writeTestFile(root + "/KDUpdate-t-1-2/inner/Test.app/keep", "x");
    testing::writeTestFile(root + "/Test.app/keep", "x");
    fs::create_symlink(home.file("Documents/Test.app"), root + "/KDUpdate-t-1-2/Link.app");
    fs::create_symlink(home.file("Documents"), root + "/KDUpdate-evil");
    const std::string refused[] = {
        home.file("Documents/KDUpdate-x/Test.app"), // outside the root
        root + "/KDUpdate-t-1-2/Test",              // not a bundle
        root + "/KDUpdate-t-1-2/Link.app",          // a link out of the staging folder
        root + "/KDUpdate-t-1-2/Link.app/",
        root + "/KDUpdate-evil/Test.app",           // a staging folder that is a link out
        root + "/Other/Test.app",                   // not a staging folder
        root + "/KDUpdate-t-1-2/inner/Test.app",    // too deep
        root + "/Test.app",                         // not inside a staging folder
        root + "/KDUpdate-t-1-2/../KDUpdate-t-1-2/Missing.app",
        "",
    };
    for (const auto& path : refused) {
        const auto error = KDUpdate::swapAndRelaunch(path, true);
        ASSERT_TRUE(error) << path;
        EXPECT_EQ(error->domain, "KDUpdate");
        EXPECT_EQ(error->code, 1);
        expectNothingChanged(before, path);
    }
    EXPECT_EQ(testing::readTestFile(home.file("Documents/Test.app/keep")), "mine");
    queue.drain();
    EXPECT_EQ(quitRequests, 0);

    // Not running from a bundle at all.
    Globals loose = Globals::build(Paths::fromEnvironment());
    loose.appInfo.bundleDir = home.file("Bob's Apps/Test");
    ScopedGlobals looseGlobals(std::move(loose));
    EXPECT_EQ(KDUpdate::swapAndRelaunch(staged, true), KDUpdate::err("not running from an .app bundle"));
    expectNothingChanged(before, "no bundle");
}

TEST_F(KDUpdateSwapTest, AFailingStepLeavesTheOldBundleAndNoCopy)
{
    const auto before = snapshot(bundle);
    const auto realSteps = updater->swapSteps;
    const struct {
        const char* name;
        std::function<void(BundleSwapSteps&)> breakStep;
        const char* reason;
    } cases[] = {
        { "copy",
            [&](BundleSwapSteps& steps) {
                // Half a copy, then a full disk.
                steps.copyFolder = [](const std::string&, const std::string& to) {
                    testing::writeTestFile(to + "/bin/CulmoraPhotos", "#!/bin/sh\n");
                    return std::optional<std::string>("No space left on device");
                };
            },
            "No space left on device" },
        { "exchange",
            [&](BundleSwapSteps& steps) {
                steps.exchange = [](const std::string&, const std::string&) { return std::optional<std::string>("Invalid argument"); };
            },
            "Invalid argument" },
        { "script start",
            [&](BundleSwapSteps& steps) {
                steps.startDetached = [](const std::vector<std::string>&) { return DetachedStart { .started = false, .error = "/bin/sh: No such file" }; };
            },
            "/bin/sh: No such file" },
    };
    for (const auto& c : cases) {
        updater->swapSteps = realSteps;
        c.breakStep(updater->swapSteps);
        const auto error = KDUpdate::swapAndRelaunch(staged, true);
        ASSERT_TRUE(error) << c.name;
        EXPECT_NE(error->message.find(c.reason), std::string::npos) << error->message;
        expectNothingChanged(before, c.name);
    }
    // A stale copy of an interrupted install is no obstacle.
    updater->swapSteps = realSteps;
    testing::writeTestFile(bundle + ".new/stale", "left over");
    updater->swapSteps.startDetached = [](const std::vector<std::string>&) { return DetachedStart { .started = true, .error = {}, .pid = 1 }; };
    const auto newContent = snapshot(staged);
    EXPECT_EQ(KDUpdate::swapAndRelaunch(staged, false), std::nullopt);
    EXPECT_EQ(snapshot(bundle), newContent);
    EXPECT_EQ(snapshot(bundle + ".new"), before);
    queue.drain();
    EXPECT_EQ(quitRequests, 0);
}

}
}
