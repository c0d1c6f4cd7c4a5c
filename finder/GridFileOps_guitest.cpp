// A stand-in grid page in a real web view gathers two files into a new folder: the page sends
// "newfolder" with its items, the move runs on the workers, and the page hears back once.
#include "finder/FileActions.h"
#include "platform/core/Paths.h"
#include "platform/core/WorkQueue.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::finder {
namespace {

constexpr double kTimeout = 20;

using GridFileOpsOnScreen = ikw::testing::ReviewOnScreenFixture;

TEST_F(GridFileOpsOnScreen, TheGridPageGathersTwoFilesIntoANewFolder)
{
    WorkQueue workers { "grid-gui", 2 };
    const auto bridge = installPageBridge(services);
    registerActions(bridge->actions, { .grid = { .workers = &workers, .dialogs = &toolkit->dialogs() },
                                         .homeFolder = [this] { return home.path(); } });

    const std::string folder = home.file("Matter");
    const std::string a = ikw::testing::writeTestFile(folder + "/a & b.pdf", "a");
    const std::string b = ikw::testing::writeTestFile(folder + "/c.pdf", "c");
    const std::string page = joinPath(globals().archive, "grid.html");
    ikw::testing::writeTestFile(page,
        "<html><body><script>window.replies = [];"
        "function fileOpDone(reply) { replies.push(reply); }"
        "var paths = " + toJson(Json { a, b }) + ";"
        "location.href = 'qeliz://newfolder?parent=' + encodeURIComponent(" + jsQuote(folder) + ")"
        " + '&name=Bundle&paths=' + encodeURIComponent(JSON.stringify(paths));"
        "</script></body></html>");
    auto window = windows.open(page);

    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "String(window.replies && replies.length)") == "1"; }, kTimeout));
    ui::gtk3::runMainLoopUntil([] { return false; }, 1); // a second reply would have come by now
    EXPECT_EQ(ask(*window, "String(replies.length)"), "1");
    EXPECT_EQ(ask(*window, "replies[0].op + '|' + replies[0].folder + '|' + replies[0].moved.length + '|' + replies[0].failed.length"),
        "move|Bundle|2|0");
    EXPECT_EQ(ikw::testing::folderEntries(folder + "/Bundle"), (std::vector<std::string> { "a & b.pdf", "c.pdf" }));
}

}
}
