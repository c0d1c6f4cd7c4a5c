// Pinning on the real toolkit under Xvfb: a pin made from one window's page reaches every visible
// review window, and a welcome page is written anew with the folder in its pinned list.
#include "app/Settings.h"
#include "app/WelcomePage.h"
#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "review/ReviewOnScreenFixture.h"
#include "review/UrlActions.h"

#include <filesystem>

namespace ikw::library {
namespace {

constexpr double kTimeout = 30;

class PinsOnScreen : public testing::ReviewOnScreenFixture {
protected:
    PinsOnScreen() { registerActions(actions, [this] { return layer; }); }

    std::string text(ReviewWC& window) { return ask(window, "document.body ? document.body.textContent : ''"); }

    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows, LibraryHooks {});
    UrlActions actions;
};

TEST_F(PinsOnScreen, APinReachesEveryWindowAndTheWelcomePage)
{
    std::filesystem::create_directories(home.file("Pinned Matter"));
    const auto working = windows.open(writeWelcomeFile(std::nullopt, std::nullopt, {}));
    const auto welcome = windows.open(writeWelcomeFile(std::nullopt, std::nullopt, {}));
    ASSERT_NE(working, welcome);
    working->hasContent = true; // stands for a window at work: its page is told, not replaced
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !text(*working).empty() && !text(*welcome).empty(); }, kTimeout));
    ASSERT_EQ(text(*welcome).find("Pinned Matter"), std::string::npos);
    ask(*working, "window.ikwSetPinned = function (pins) { window.__pins = JSON.stringify(pins); }; ''");

    actions.dispatch("pin", UrlAction { *working, "qeliz://pin?path=" + home.file("Pinned%20Matter") });

    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*working, "window.__pins || ''").find("Pinned Matter") != std::string::npos; }, kTimeout));
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return text(*welcome).find("Pinned Matter") != std::string::npos; }, kTimeout));
    EXPECT_EQ(text(*working).find("Pinned Matter"), std::string::npos);
}

}
}
