// A document set on the real toolkit under Xvfb, with the stand-in engine: opened together as one
// review, its page's switch shows it as three readers, and a reader's switch brings it back.
#include "app/Settings.h"
#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "review/EngineLauncher.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <algorithm>

namespace ikw::library {
namespace {

constexpr double kTimeout = 30;

class DocumentSetOnScreen : public testing::ReviewOnScreenFixture {
protected:
    DocumentSetOnScreen()
    {
        services.shellEngine = [this](std::vector<std::string> arguments) { engine.shellEngine(std::move(arguments)); };
        registerActions(bridge->actions, [this] { return layer; });
    }

    // What the page says it is and how it shows its set ("review 3 together"), once it says so.
    std::string shown(ReviewWC& window)
    {
        return ask(window, "document.body && document.body.dataset.standin && document.body.dataset.set ? "
                           "document.body.dataset.standin + ' ' + document.body.dataset.set : ''");
    }
    bool waitUntilShown(ReviewWC& window, const std::string& expected)
    {
        return ui::gtk3::runMainLoopUntil([&] { return shown(window) == expected; }, kTimeout);
    }
    std::vector<std::shared_ptr<ReviewWC>> openWindows() const
    {
        std::vector<std::shared_ptr<ReviewWC>> open;
        std::copy_if(windows.windows().begin(), windows.windows().end(), std::back_inserter(open), [](const auto& window) { return !window->isClosed(); });
        return open;
    }

    EngineLauncher engine;
    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows);
};

TEST_F(DocumentSetOnScreen, ASetOpenedTogetherSwitchesToSeparateReadersAndBack)
{
    const std::vector<std::string> set { testing::writeTestFile(home.file("Matter/a.pdf"), "%PDF-1.4\n"),
        testing::writeTestFile(home.file("Matter/b.pdf"), "%PDF-1.4\n"), testing::writeTestFile(home.file("Matter/notes.txt"), "first line\n") };

    layer->router().runEngine(set);
    ASSERT_EQ(windows.windows().size(), 1u);
    const auto review = windows.windows().front();
    ASSERT_TRUE(waitUntilShown(*review, "review 3 together")) << shown(*review);

    review->webView().evaluate("document.getElementById('separately').click()");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return review->isClosed(); }, kTimeout));
    EXPECT_EQ(loadConfig().value("multidoc_open_mode", ""), "separately");
    const auto readers = openWindows();
    ASSERT_EQ(readers.size(), 3u);
    for (size_t index = 0; index < readers.size(); ++index) {
        EXPECT_EQ(readers[index]->sourcePaths, std::vector<std::string> { set[index] });
        EXPECT_EQ(readers[index]->setPaths, set);
        EXPECT_TRUE(waitUntilShown(*readers[index], "reader 3 separately")) << shown(*readers[index]);
    }
    // The readers are tabs of the review's window, which stays with them.
    EXPECT_EQ(&readers.front()->window(), &review->window());
    EXPECT_TRUE(review->window().isVisible());
    EXPECT_EQ(review->window().tabCount(), 3);

    readers[1]->webView().evaluate("document.getElementById('together').click()");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] {
        return std::all_of(readers.begin(), readers.end(), [](const auto& reader) { return reader->isClosed(); });
    }, kTimeout));
    EXPECT_EQ(loadConfig().value("multidoc_open_mode", ""), "together");
    const auto open = openWindows();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_FALSE(open.front()->isReader);
    EXPECT_EQ(open.front()->sourcePaths, set);
    EXPECT_EQ(open.front()->window().tabCount(), 1);
    EXPECT_TRUE(waitUntilShown(*open.front(), "review 3 together")) << shown(*open.front());
    EXPECT_EQ(ask(*open.front(), "Array.from(document.querySelectorAll('#paths li')).map(function (li) { return li.textContent; }).join('|')"),
        set[0] + "|" + set[1] + "|" + set[2]);
}

}
}
