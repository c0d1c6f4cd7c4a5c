// The stand-in campaigns.html in a real web view: it asks for its rollup on load, and its Refresh
// button has the stand-in script count a refresh in the campaign file.
#include "legal/SignatureCampaigns.h"

#include "library/LibraryLayer.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::legal {
namespace {

constexpr double kTimeout = 30;

class CampaignsOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    CampaignsOnScreen() { registerActions(bridge->actions, campaigns); }

    // Waits until the page got `count` init objects and returns the last.
    std::optional<Json> waitForInit(ReviewWC& window, int count)
    {
        const std::string script = "window.__campaignInits && window.__campaignInits.length >= " + std::to_string(count)
            + " ? window.__campaignInits[" + std::to_string(count - 1) + "] : ''";
        std::string shown;
        ui::gtk3::runMainLoopUntil([&] { return !(shown = ask(window, script)).empty(); }, kTimeout);
        return parseJson(shown);
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<SignatureCampaigns> campaigns = std::make_shared<SignatureCampaigns>(CampaignServices {
        .library = [this] { return library; },
        .dialogs = &toolkit->dialogs(),
        .resolvedScheme = [] { return std::string("light"); },
    });
};

TEST_F(CampaignsOnScreen, ThePageGetsItsRollupAndRefreshes)
{
    const std::string file = home.file("Matter & Co/Signing #1.ikwcampaign");
    ikw::testing::writeTestFile(file, R"({"name":"Signing #1","signers":[{"signed":true},{"signed":true},{"signed":false}]})");

    campaigns->openCampaignFile(file);
    const auto window = windows.windows().back();
    const auto init = waitForInit(*window, 1);
    ASSERT_TRUE(init) << "no rollup";
    EXPECT_EQ(init->at("file"), file);
    EXPECT_EQ(init->at("rollup").at("signed"), 2);
    EXPECT_EQ(ask(*window, "document.getElementById('signers').textContent"), "3");

    ask(*window, "document.getElementById('refresh').click(); ''");
    const auto refreshed = waitForInit(*window, 2);
    ASSERT_TRUE(refreshed) << "no refresh";
    EXPECT_EQ(refreshed->at("rollup").at("refreshes"), 1);
}

}
}
