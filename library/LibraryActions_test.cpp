#include "library/LibraryActions.h"

#include "library/LibraryLayer.h"
#include "review/ReviewTestFixture.h"
#include "platform/core/Paths.h"
#include "review/PanelRouter.h"
#include "review/PanelWC.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

class LibraryActionsTest : public testing::ReviewFixture {
protected:
    LibraryActionsTest() { registerActions(actions, [this] { return layer; }); }

    void send(const std::string& url)
    {
        const auto host = url.substr(8, url.find('?') == std::string::npos ? std::string::npos : url.find('?') - 8);
        actions.dispatch(host, UrlAction { *sender, url });
        queue.drain();
    }
    std::string file(const std::string& name) { return testing::writeTestFile(home.file(name), "%PDF-1.4\n"); }

    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows);
    std::shared_ptr<ReviewWC> sender = windows.open(std::nullopt, nullptr);
    UrlActions actions;
};

TEST_F(LibraryActionsTest, RecentAndHistoryItemsStartAReviewOfAnExistingPath)
{
    const std::string folder = home.file("cases");
    testing::writeTestFile(folder + "/a.txt", "a");
    send("qeliz://openrecent?path=" + folder);
    send("qeliz://histopen?path=" + home.file("missing"));
    send("qeliz://histopen?path=relative/path");
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(engineRuns.front().back(), folder);
}

TEST_F(LibraryActionsTest, OpenSeparatelyNeedsTwoReaderDocuments)
{
    const auto readers = [this] {
        std::vector<std::string> shown;
        for (const auto& window : windows.windows())
            if (window->isReader && !window->sourcePaths.empty())
                shown.push_back(lastPathComponent(window->sourcePaths.front()));
        return shown;
    };
    send("qeliz://openseparately?paths=" + std::string("[\"") + file("a.pdf") + "\"]");
    EXPECT_TRUE(readers().empty());
    send("qeliz://openseparately?paths=" + std::string("[\"") + file("b.pdf") + "\",\"" + file("c.pdf") + "\"]");
    EXPECT_EQ(readers(), (std::vector<std::string> { "b.pdf", "c.pdf" }));
}

TEST_F(LibraryActionsTest, OpenSeparatelyTakesOnlyExistingDocumentsByAbsolutePath)
{
    const auto pdf = file("a.pdf");
    // Each path may reach the engine's converter: "--x.docx" would be taken for an option there.
    send("qeliz://openseparately?paths=" + std::string("[\"") + pdf + "\",\"--loading-file.docx\",\"" + home.file("gone.docx") + "\"]");
    EXPECT_TRUE(windows.windows().size() == 1 && !windows.windows().front()->isReader);
}

TEST_F(LibraryActionsTest, ALibraryRootOpensWhileItExistsAndOtherwiseSaysSo)
{
    const std::string folder = home.file("Library");
    testing::writeTestFile(folder + "/a.pdf", "a");
    send("qeliz://openroot?path=" + folder);
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(engineRuns.front().back(), folder);

    send("qeliz://openroot?path=" + home.file("Moved%20Away"));
    send("qeliz://openroot?path=relative");
    send("qeliz://openroot");
    EXPECT_EQ(engineRuns.size(), 1u);
    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
    const auto& alert = toolkit.fakeDialogs.alerts.front().request;
    EXPECT_EQ(alert.message, "Can\u2019t open this library");
    EXPECT_EQ(alert.informativeText, "The folder \u201CMoved Away\u201D no longer exists at:\n" + home.file("Moved Away"));
}

TEST_F(LibraryActionsTest, ThePanelsOpenRowShowsTheReviewPicker)
{
    PanelActions panelActions;
    registerPanelActions(panelActions, [this] { return layer; });
    ASSERT_TRUE(panelActions.contains("open"));
    const std::string folder = home.file("Picked");
    testing::writeTestFile(folder + "/a.txt", "a");
    toolkit.fakeDialogs.openAnswers = { std::vector<std::string> { folder } };
    auto panel = PanelWC::create(toolkit, "settings", home.file("reviews/.panel.html"), "Quill", {}, {});
    panelActions.dispatch("open", PanelAction { *panel, "qeliz://open" });
    ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u);
    EXPECT_TRUE(toolkit.fakeDialogs.panels.front().chooseDirectories);
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(engineRuns.front().back(), folder);
}

TEST_F(LibraryActionsTest, RowsDoNothingOnceTheLibraryIsGone)
{
    layer.reset();
    send("qeliz://openrecent?path=" + home.path());
    send("qeliz://reader?path=" + file("a.pdf"));
    EXPECT_TRUE(engineRuns.empty());
    for (const char* host : { "open", "histbrowse", "rank", "browse", "versions", "sort", "cull", "read", "addfolder",
             "openrecent", "histopen", "reader", "openseparately", "openroot", "multidoc" })
        EXPECT_TRUE(actions.contains(host)) << host;
}

}
}
