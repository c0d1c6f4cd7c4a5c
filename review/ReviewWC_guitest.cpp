// Review windows on the real toolkit under Xvfb: an engine run shows its page, and a reader
// follows its file on disk.
#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "review/ReviewWindows.h"
#include "review/TrustedRoots.h"
#include "tests/support/TempHome.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ikw {
namespace {

constexpr double kTimeout = 20;

// A launcher that stands in for the engine's: it notes its arguments beside the loading file and
// then writes the review page over it.
constexpr const char* kStandInLauncher = R"(#!/bin/bash
args=("$@"); out=""
while [ $# -gt 0 ]; do if [ "$1" = --loading-file ]; then out="$2"; shift; fi; shift; done
printf '%s\n' "${args[@]}" > "$out.args"
printf '<html><head><title>Review ready</title></head><body>review</body></html>' > "$out.tmp" && mv "$out.tmp" "$out"
)";

Globals testGlobals()
{
    auto globals = Globals::build(Paths::fromEnvironment());
    // The loading page looks again until the engine has replaced it.
    globals.loadingHTML = "<html><head><meta http-equiv=\"refresh\" content=\"0.3\"><title>Loading</title></head></html>";
    return globals;
}

class ReviewWindowOnScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)"; }

    ReviewWindowOnScreen()
    {
        services.toolkit = toolkit.get();
        services.webContext = toolkit->makeWebContext();
        services.trustedRoots = defaultTrustedRoots();
        services.newLoadingFile = [] {
            realFileSystem().createDirectories(globals().archive);
            return joinPath(globals().archive, ".loading-" + makeUuid() + ".html");
        };
        services.shellEngine = [this](std::vector<std::string> arguments) {
            std::vector<std::string> argv { "/bin/bash", launcher };
            argv.insert(argv.end(), arguments.begin(), arguments.end());
            std::vector<char*> raw;
            for (auto& argument : argv)
                raw.push_back(argument.data());
            raw.push_back(nullptr);
            ASSERT_TRUE(g_spawn_async(nullptr, raw.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, nullptr));
        };
        // Every finished page reports its title.
        services.features.pushEditState = [this](ReviewWC& window) {
            ++pagesReady;
            window.webView().evaluate("document.title", [this](ui::ScriptResult result) {
                if (result.value && result.value->is_string())
                    titles.push_back(result.value->get<std::string>());
            });
        };
    }

    testing::TempHome home;
    ScopedGlobals scopedGlobals { testGlobals() };
    std::string launcher = testing::writeTestFile(home.file(std::string(kUserEngineFolder) + "/app/launch.sh"), kStandInLauncher);
    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    std::unique_ptr<ui::Toolkit> toolkit = ui::gtk3::makeGtkToolkit();
    ReviewServices services;
    ReviewWindows windows { services };
    int pagesReady = 0;
    std::vector<std::string> titles;
};

TEST_F(ReviewWindowOnScreen, AReviewRunsTheEngineAndShowsItsPage)
{
    const auto folder = home.file("Matter");
    testing::writeTestFile(folder + "/a.pdf", "%PDF-1.4");
    auto window = windows.open(std::nullopt);
    window->loadReview({ folder }, std::nullopt);
    const auto loadingFile = *window->loadingFile;

    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !titles.empty() && titles.back() == "Review ready"; }, kTimeout));
    EXPECT_EQ(split(testing::readTestFile(loadingFile + ".args"), '\n', false),
        (std::vector<std::string> { "--choose", "--loading-file", loadingFile, folder }));
}

TEST_F(ReviewWindowOnScreen, AReaderReloadsOnceWhenItsFileChangesKeepingItsView)
{
    const auto document = testing::writeTestFile(home.file("Matter/brief.pdf"), "first");
    const auto page = testing::writeTestFile(joinPath(globals().archive, "reader.html"),
        "<html><head><title>Reader</title><script>window.__ikwCaptureView=function(){return {page:7}}</script></head></html>");
    int reloads = 0;
    services.features.reloadReaderInPlace = [&](ReviewWC& window) {
        ++reloads;
        window.webView().reload();
    };
    auto window = windows.open(page);
    window->isReader = true;
    window->sourcePaths = { document };
    window->stampLoadedFile(document);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return pagesReady == 1; }, kTimeout));

    testing::writeTestFile(document, "second, longer");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return reloads == 1 && pagesReady == 2; }, kTimeout));
    // Two more poll periods: the reloaded reader stamped the file, so nothing further happens.
    ui::gtk3::runMainLoopUntil([] { return false; }, 6);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(window->reader.pendingViewRestore, "{\"page\":7}");
}

}
}
