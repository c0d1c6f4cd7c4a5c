// The stand-in organize page in a real web view: it plans a temporary folder with progress,
// applies the plan with the confirmation off, and undoes it; the files move and come back on disk.
#include "assistants/AssistantActions.h"
#include "assistants/Organizer.h"
#include "app/Settings.h"
#include "library/LibraryLayer.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::assistants {
namespace {

constexpr double kTimeout = 30;

class OrganizeOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    OrganizeOnScreen() { registerActions(bridge->actions, { .organizer = organizer }); }

    // Waits until the page has made `count` calls of the callback counted as `name`.
    bool waitForCalls(ReviewWC& window, const std::string& name, int count)
    {
        const std::string script = "String(window.__ikwCalls ? window.__ikwCalls." + name + " : -1)";
        return ui::gtk3::runMainLoopUntil([&] { return ask(window, script) == std::to_string(count); }, kTimeout);
    }
    void click(ReviewWC& window, const std::string& button)
    {
        ask(window, "document.getElementById('" + button + "').click(), ''");
    }

    docops::PageOpServices pageOps() const
    {
        docops::PageOpServices ops;
        ops.toolkit = toolkit.get();
        return ops;
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<Organizer> organizer = std::make_shared<Organizer>(OrganizerServices {
        .library = [this] { return library; },
        .pageOps = pageOps(),
    });
};

TEST_F(OrganizeOnScreen, PlanApplyAndUndoMoveTheFilesAndBringThemBack)
{
    saveConfig({ { "pageops_confirm", false } });
    const std::string folder = home.file("Matter \"one\" & two");
    ikw::testing::writeTestFile(folder + "/brief.pdf", "%PDF-1.4\n");
    ikw::testing::writeTestFile(folder + "/notes.md", "# notes\n");
    ikw::testing::writeTestFile(folder + "/photo.jpg", "jpeg");

    const auto empty = windows.open(std::nullopt);
    organizer->openOrganizeFolder(folder);
    ASSERT_EQ(windows.windows().size(), 1u);
    ASSERT_EQ(windows.windows().front(), empty);
    ReviewWC& window = *empty;

    ASSERT_TRUE(waitForCalls(window, "init", 1));
    EXPECT_EQ(ask(window, "JSON.stringify(window.__ikwInit.files)"), R"(["brief.pdf","notes.md"])");
    EXPECT_EQ(ask(window, "document.getElementById('name').textContent"), "Matter \"one\" & two");

    click(window, "plan");
    ASSERT_TRUE(waitForCalls(window, "plan", 1));
    EXPECT_EQ(ask(window, "JSON.stringify(window.__ikwProgress)"), R"([["Reading 1/2 documents",1,2],["Reading 2/2 documents",2,2]])");

    click(window, "apply");
    ASSERT_TRUE(waitForCalls(window, "applied", 1));
    EXPECT_EQ(ask(window, "String(window.__ikwApplied.moved)"), "2");
    EXPECT_TRUE(std::filesystem::exists(folder + "/PDFs/brief.pdf"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/Notes/notes.md"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/brief.pdf"));
    EXPECT_EQ(ask(window, "JSON.stringify(window.__ikwProgress.slice(2))"), R"([["Moving 1/2",0,0],["Moving 2/2",0,0]])");

    click(window, "undo");
    ASSERT_TRUE(waitForCalls(window, "undone", 1));
    EXPECT_EQ(ask(window, "String(window.__ikwUndone.restored)"), "2");
    EXPECT_EQ(ikw::testing::folderEntries(folder), (std::vector<std::string> { "brief.pdf", "notes.md", "photo.jpg" }));

    // Every callback came once (progress once per line), and nothing more arrives later.
    ui::gtk3::runMainLoopUntil([] { return false; }, 0.5);
    EXPECT_EQ(ask(window, "JSON.stringify(window.__ikwCalls)"), R"({"init":1,"progress":4,"plan":1,"applied":1,"undone":1})");
}

}
}
