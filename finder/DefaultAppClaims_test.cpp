#include "finder/DefaultAppClaims.h"

#include "finder/DefaultAppsTestFixture.h"

#include <gtest/gtest.h>

namespace ikw::finder {
namespace {

using Claim = testing::FakeDefaultApplications::Claim;
using Names = std::vector<std::string>;

class DefaultAppClaimsTest : public testing::DefaultAppsFixture {
protected:
    ContentType type(const std::string& mimeType) { return { mimeType, mimeType, "" }; }
};

TEST_F(DefaultAppClaimsTest, TypesAlreadyOursCostNoClaimAndNoBroadcast)
{
    const auto window = windows.open(std::nullopt);
    makeOurs("application/pdf");
    makeOurs("text/plain");
    std::optional<bool> done;
    claims->claimSequentially({ type("application/pdf"), type("text/plain") }, [&](bool ok) { done = ok; });
    EXPECT_FALSE(done) << "the end is delivered on the main queue, not inside the call";
    queue.drain();
    EXPECT_EQ(done, true);
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_TRUE(scripts(window->webView(), "__ikwDefaultProgress").empty());
}

// A run over [ours, refused, slow]: two broadcasts, and the slow claim holds the run for up to
// three seconds; the answer is asked of the desktop again, whatever the run saw.
TEST_F(DefaultAppClaimsTest, ViewerRunOverOursRefusedAndSlow)
{
    declare(R"({"groups":[{"name":"All","types":["a","b","c"]}],
                "types":{"a":{"mime":"application/pdf"},"b":{"mime":"text/plain"},"c":{"mime":"text/markdown"}}})");
    makeOurs("application/pdf");
    desktop.behaviour = { { "text/plain", Claim::Refused }, { "text/markdown", Claim::NeverShows } };
    const auto window = windows.open(std::nullopt);
    const auto settings = makePanel("settings");
    const auto hidden = makePanel("about");
    hidden->window().hide();

    std::optional<bool> done;
    claims->makeDefaultViewerApp([&](bool ok) { done = ok; });
    queue.drain();
    EXPECT_EQ(desktop.calls, (Names { "text/plain", "text/markdown" }));
    EXPECT_EQ(scripts(window->webView(), "__ikwDefaultProgress"), Names { "if(window.__ikwDefaultProgress){__ikwDefaultProgress(1,3)}" });
    EXPECT_EQ(scripts(settings->web(), "__ikwDefaultProgress").size(), 1u);
    EXPECT_FALSE(done);

    queue.advance(2.8);
    EXPECT_FALSE(done) << "still waiting for the claim to show";
    // Meanwhile both types became ours: the answer is the desktop's, not the run's refusal.
    makeOurs("text/plain");
    makeOurs("text/markdown");
    queue.advance(0.4);
    EXPECT_EQ(done, true);
    EXPECT_EQ(scripts(window->webView(), "__ikwDefaultProgress").size(), 2u);
    EXPECT_EQ(scripts(settings->web(), "__ikwDefaultProgress").size(), 2u);
    EXPECT_TRUE(scripts(hidden->web(), "__ikwDefaultProgress").empty());
    EXPECT_EQ(reloads, 1);
}

TEST_F(DefaultAppClaimsTest, OnlyARefusalFailsARun)
{
    struct Case {
        const char* name;
        Claim claim;
        bool ok;
        double endsBy; // fake seconds
    };
    const Case cases[] = {
        { "taken at once", Claim::Takes, true, 0 },
        { "shows after a second", Claim::Late, true, 1.2 },
        { "never shows", Claim::NeverShows, true, 3.2 },
        { "refused", Claim::Refused, false, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        toolkit.fakeWorkspace.defaultApplications.clear();
        desktop.behaviour = { { "text/plain", c.claim } };
        const double start = queue.now();
        std::optional<bool> done;
        claims->claimSequentially({ type("text/plain") }, [&](bool ok) { done = ok; });
        queue.drain();
        while (!done && queue.now() - start < 10)
            queue.advance(0.1);
        EXPECT_EQ(done, c.ok);
        EXPECT_LE(queue.now() - start, c.endsBy + 0.05);
        EXPECT_GE(queue.now() - start, c.endsBy - 0.25);
    }
}

TEST_F(DefaultAppClaimsTest, PdfClaimAlwaysAsksTheDesktopAndReloadsTheSettings)
{
    makeOurs("application/pdf");
    std::optional<bool> done;
    claims->makeDefaultPDFApp([&](bool ok) { done = ok; });
    queue.drain();
    EXPECT_EQ(desktop.calls, Names { "application/pdf" });
    EXPECT_EQ(done, true);
    EXPECT_EQ(reloads, 1);

    desktop.behaviour = { { "application/pdf", Claim::Refused } };
    claims->makeDefaultPDFApp([&](bool ok) { done = ok; });
    queue.drain();
    EXPECT_EQ(done, false);
    EXPECT_EQ(reloads, 2);
}

TEST_F(DefaultAppClaimsTest, GroupClaimsOnlyItsTypesAndAnUnknownNameFailsAtOnce)
{
    std::optional<bool> done;
    claims->makeDefaultForGroup("Text", [&](bool ok) { done = ok; });
    queue.drain();
    EXPECT_EQ(desktop.calls, (Names { "text/plain", "text/markdown" }));
    EXPECT_EQ(done, true);
    EXPECT_EQ(reloads, 1);

    done.reset();
    claims->makeDefaultForGroup("text", [&](bool ok) { done = ok; });
    EXPECT_EQ(done, false);
    EXPECT_EQ(reloads, 1) << "nothing claimed, nothing to show";
}

TEST_F(DefaultAppClaimsTest, CountsAndSettingsGroupsFollowTheDesktop)
{
    declare(R"({"groups":[{"name":"PDF Document","types":["pdf"]},{"name":"Documents","types":["pdf","txt","pdf2","none"]}],
                "types":{"pdf":{"mime":"application/pdf","ext":"pdf"},"txt":{"mime":"text/plain","ext":"txt"},
                         "pdf2":{"mime":"application/x-pdf","ext":"pdf"},"none":{"mime":"application/x-none"}}})");
    makeOurs("application/pdf");
    toolkit.fakeWorkspace.defaultApplications["text/plain"] = { "org.example.Editor.desktop", "Editor" };
    const auto counts = claims->claimedCounts();
    EXPECT_EQ(counts.held, 2);
    EXPECT_EQ(counts.total, 5);
    EXPECT_TRUE(claims->isDefaultPDFApp());
    EXPECT_FALSE(claims->isDefaultViewerApp());
    EXPECT_EQ(parseJson(claims->defaultGroupsJSON()), Json::parse(R"([{"name":"PDF Document","on":true,"exts":".pdf"},
        {"name":"Documents","on":false,"exts":".pdf .txt"}])"));

    declare(R"({"groups":[{"name":"Web Page","types":["public.html"]}],"types":{"public.html":{"mime":"text/html"}}})");
    EXPECT_EQ(claims->defaultGroupsJSON(), "[]");
    EXPECT_FALSE(claims->isDefaultViewerApp());
    std::optional<bool> done;
    claims->makeDefaultViewerApp([&](bool ok) { done = ok; });
    EXPECT_EQ(done, false);
    EXPECT_EQ(reloads, 0);
}

}
}
