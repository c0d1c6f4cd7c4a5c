// Readers on the real toolkit under Xvfb, with the stand-in engine: a PDF shows the engine's
// reader page, a text file is converted first, and the lookups follow the readers left open.
#include "app/Settings.h"
#include "library/OpenRouter.h"
#include "library/WindowLookup.h"
#include "library/WindowOpeners.h"
#include "review/ReviewOnScreenFixture.h"
#include <memory>
#include <string>

namespace ikw::library {
namespace {

constexpr double kTimeout = 30;

class ReadersOnScreen : public testing::ReviewOnScreenFixture {
protected:
    ReadersOnScreen()
    {
        // Separate windows, so that closing one reader leaves the other's window open.
        testing::writeTestFile(globals().configPath, R"({"open_in":"window"})");
    }

    // What the window's page says it is, once its reader page has loaded.
    std::string shownPage(ReviewWC& window)
    {
        return ask(window, "document.body && document.body.dataset.standin ? document.body.dataset.standin + ' ' + location.search : ''");
    }

    bool waitForReader(ReviewWC& window, const std::string& origItem)
    {
        return ui::gtk3::runMainLoopUntil([&] {
            const auto page = shownPage(window);
            return page.rfind("reader ", 0) == 0 && page.find(origItem) != std::string::npos;
        }, kTimeout);
    }

    WindowOpeners openers { services, windows };
    OpenRouter router { openers };
};

TEST_F(ReadersOnScreen, ClosingOneOfTwoReadersLeavesTheLookupsOnTheOther)
{
    const auto pdf = testing::writeTestFile(home.file("Matter/a.pdf"), "%PDF-1.4\n");
    const auto text = testing::writeTestFile(home.file("Matter/notes.txt"), "first line\nsecond line\n");

    router.openURLs({ pdf });
    ASSERT_EQ(windows.windows().size(), 1u);
    const auto first = windows.windows().front();
    ASSERT_TRUE(waitForReader(*first, "orig=" + pdf));

    router.openURLs({ text });
    ASSERT_EQ(windows.windows().size(), 2u);
    const auto second = windows.windows().back();
    // The stand-in engine writes a PDF of the text; the reader shows that PDF for the text file.
    ASSERT_TRUE(waitForReader(*second, "orig=" + text));
    EXPECT_TRUE(second->isReader);
    EXPECT_EQ(readerWindows(windows), (std::vector<std::shared_ptr<ReviewWC>> { first, second }));
    EXPECT_EQ(focusExistingReader(windows, pdf), first);

    first->window().requestClose();
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return first->isClosed(); }, kTimeout));

    EXPECT_EQ(readerWindows(windows), std::vector<std::shared_ptr<ReviewWC>> { second });
    EXPECT_EQ(focusExistingReader(windows, pdf), nullptr);
    EXPECT_EQ(focusExistingReader(windows, text), second);
    EXPECT_EQ(keyReview(windows), second);
    EXPECT_EQ(currentDocPath(windows), text);
    EXPECT_EQ(currentLibraryRoot(windows), home.file("Matter"));
}

}
}
