// The stand-in redact.html of the bundle in a real web view: its save goes through the page bridge,
// a recording save panel chooses the place, and the copy, its sidecar, the reveal and the page's
// message follow.
#include "legal/RedactionPages.h"

#include "library/LibraryLayer.h"
#include "platform/pdf/Document.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::legal {
namespace {

constexpr double kTimeout = 30;

class RedactionOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    RedactionOnScreen()
    {
        registerActions(bridge->actions, pages);
        // The bundle's engine copy holds the page; the per-user folder is never asked.
        const std::string bundled = globals().paths.resourcesDir + "/engine/redact.html";
        std::filesystem::create_directories(globals().paths.resourcesDir + "/engine");
        std::filesystem::copy_file(ikw::testing::userEngineFolder(home.path()) + "/redact.html", bundled);
        ikw::testing::writeTestFile(globals().configPath, R"({"pageops_skip_redact": true})");
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    // Panels and the reveal are recorded; the windows and pages are the toolkit's own.
    ui::fake::FakeToolkit recording;
    std::shared_ptr<RedactionPages> pages = std::make_shared<RedactionPages>(RedactionServices {
        .library = [this] { return library; },
        .pageOps = { .toolkit = &recording },
        .resolvedScheme = [] { return std::string("light"); },
    });
};

TEST_F(RedactionOnScreen, ThePagesCopyIsSavedWithItsSidecarRevealedAndReported)
{
    const std::string source = ikw::testing::writeTestFile(home.file("Matter/Contract.pdf"), "%PDF source stays as it is");
    const std::string copy = home.file("Out/Contract (redacted).pdf");
    std::filesystem::create_directories(home.file("Out"));
    recording.fakeDialogs.saveAnswers = { copy };

    pages->openRedactFile(source);
    const auto window = windows.windows().back();
    ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.body ? document.body.dataset.standin || '' : ''") == "redact"; }, kTimeout);
    ask(*window, "document.getElementById('save').click(); ''");
    std::string message;
    ui::gtk3::runMainLoopUntil([&] { return !(message = ask(*window, "window.__redactMessage || ''")).empty(); }, kTimeout);

    EXPECT_EQ(message, "Saved. Text under the 1 box is gone and metadata is stripped.");
    ASSERT_EQ(recording.fakeDialogs.panels.size(), 1u);
    EXPECT_EQ(recording.fakeDialogs.panels[0].suggestedName, "Contract (redacted).pdf");
    EXPECT_TRUE(pdf::Document::openFile(copy));
    const auto audit = parseJson(ikw::testing::readTestFile(home.file("Out/Contract (redacted).redaction-audit.json")));
    ASSERT_TRUE(audit);
    EXPECT_EQ(audit->at("source"), "Contract.pdf");
    EXPECT_EQ(audit->at("totalRegions"), 1);
    EXPECT_EQ(recording.fakeWorkspace.revealed, std::vector<std::string> { copy });
    EXPECT_EQ(ikw::testing::readTestFile(source), "%PDF source stays as it is");
}

}
}
