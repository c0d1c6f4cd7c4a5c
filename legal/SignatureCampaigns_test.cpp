#include "legal/SignatureCampaigns.h"

#include "app/MenuCommands.h"
#include "platform/ui/Menu.h"
#include "library/LibraryLayer.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ikw::legal {
namespace {

TEST(CampaignAnswers, ThePageGetsTheRollupOrTheFirstProblemInOrder)
{
    const struct {
        const char* answer;
        Json expected;
    } cases[] = {
        { R"({"error":"","rollup":{"signed":1}})", { { "ver", "2.1" }, { "file", "/c.ikwcampaign" }, { "rollup", { { "signed", 1 } } } } },
        { R"({"error":"x","rollup":1})", { { "ver", "2.1" }, { "error", "x" } } },
        { R"({"error":null,"rollup":null})", { { "ver", "2.1" }, { "file", "/c.ikwcampaign" }, { "rollup", nullptr } } },
        { R"({"error":7})", { { "ver", "2.1" }, { "error", campaignNoRollupMessage } } },
        { "{}", { { "ver", "2.1" }, { "error", campaignNoRollupMessage } } },
        { "[]", { { "ver", "2.1" }, { "error", campaignNoAnswerMessage } } },
        { "not json", { { "ver", "2.1" }, { "error", campaignNoAnswerMessage } } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(campaignInit(c.answer, "/c.ikwcampaign", "2.1"), c.expected) << c.answer;
}

TEST(CampaignAnswers, OnlyANonEmptyErrorTextStopsASample)
{
    EXPECT_EQ(sampleCampaignError(R"({"error":"disk full","ok":true})"), "disk full");
    for (const char* made : { "[]", "{}", R"({"error":""})", R"({"error":null})", R"({"error":3})", "not json" })
        EXPECT_EQ(sampleCampaignError(made), std::nullopt) << made;
}

// The campaign windows over the recording toolkit, with the stand-in engine installed.
class Campaigns : public ikw::testing::ReviewFixture {
protected:
    Campaigns()
    {
        ikw::testing::installStandInEngine(home.path());
        registerActions(actions, campaigns);
        registerMenuCommands(commands, campaigns);
        setenv("IKW_STANDIN_CAMPAIGNS_LOG", callLog.c_str(), 1);
    }
    ~Campaigns() override { unsetenv("IKW_STANDIN_CAMPAIGNS_LOG"); }

    std::string campaignFile(const std::string& name = "Matter.ikwcampaign")
    {
        const std::string path = home.file(name);
        ikw::testing::writeTestFile(path, R"({"name":"Matter","signers":[{"signed":true},{"signed":false}]})");
        return path;
    }
    std::shared_ptr<ReviewWC> campaignTab(const std::string& path)
    {
        auto window = windows.open(std::nullopt);
        window->hasContent = true;
        window->isCampaign = true;
        window->sourcePaths = { path };
        return window;
    }
    void send(ReviewWC& window, const std::string& action) { actions.dispatch(action, UrlAction { window, "qeliz://" + action }); }
    // The objects `window`'s page was given through ikwCampaignInit.
    std::vector<Json> inits(ReviewWC& window)
    {
        const std::string head = "if(window.ikwCampaignInit)try{ikwCampaignInit(";
        const std::string tail = ")}catch(e){}";
        std::vector<Json> found;
        for (const auto& script : viewOf(window).evaluated) {
            if (script.starts_with(head))
                found.push_back(parseJson(script.substr(head.size(), script.size() - head.size() - tail.size())).value_or(Json("unparsed")));
        }
        return found;
    }
    bool waitForInit(ReviewWC& window) { return queue.runUntil([&] { return !inits(window).empty(); }, 20); }
    std::string calls() const
    {
        std::ifstream in(callLog);
        return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    }
    void runMenu(const std::string& command)
    {
        ui::MenuItem item;
        item.command = command;
        ASSERT_TRUE(commands.perform({ item, nullptr }));
    }

    std::string callLog = home.file("campaign-calls.log");
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<SignatureCampaigns> campaigns = std::make_shared<SignatureCampaigns>(CampaignServices {
        .library = [this] { return library; },
        .dialogs = &toolkit.dialogs(),
        .resolvedScheme = [] { return std::string("dark"); },
    });
    UrlActions actions;
    MenuCommands commands;
};

TEST_F(Campaigns, ThePageAsksAndRefreshesThroughTheScript)
{
    const auto path = campaignFile();
    const auto window = campaignTab(path);
    send(*window, "campaignready");
    ASSERT_TRUE(waitForInit(*window));
    const Json rollup = inits(*window).front().at("rollup");
    EXPECT_EQ(rollup.at("signed"), 1);
    EXPECT_EQ(rollup.at("refreshes"), 0);
    EXPECT_EQ(inits(*window).front().at("file"), path);

    send(*window, "campaignrefresh");
    ASSERT_TRUE(queue.runUntil([&] { return inits(*window).size() == 2; }, 20));
    EXPECT_EQ(inits(*window).back().at("rollup").at("refreshes"), 1);
    EXPECT_EQ(calls(), "[\"status\", \"--file\", \"" + path + "\"]\n[\"refresh\", \"--file\", \"" + path + "\"]\n");
}

TEST_F(Campaigns, AMissingFileOrNoSourceIsAnsweredWithoutRunningTheScript)
{
    const auto path = campaignFile();
    const auto deleted = campaignTab(path);
    std::filesystem::remove(path);
    const auto empty = campaignTab("");
    empty->sourcePaths.clear();
    for (const auto& window : { deleted, empty }) {
        send(*window, "campaignrefresh");
        ASSERT_EQ(inits(*window).size(), 1u);
        EXPECT_EQ(inits(*window).front().at("error"), campaignUnopenableMessage);
    }
    EXPECT_EQ(calls(), "");
}

TEST_F(Campaigns, AnAnswerForAClosedWindowGoesNowhere)
{
    const auto window = campaignTab(campaignFile());
    send(*window, "campaignready");
    window->closeTab();
    // The script ran; give its answer time to arrive.
    queue.runUntil([&] { return !calls().empty(); }, 20);
    queue.runUntil([] { return false; }, 1);
    EXPECT_TRUE(inits(*window).empty());
}

TEST_F(Campaigns, OpeningReusesAnEmptyKeyWindowAndLoadsThePageWithItsItems)
{
    const auto empty = windows.open(std::nullopt);
    const std::string path = home.file("Deal.json");
    toolkit.fakeDialogs.openAnswers.push_back(std::vector<std::string> { path });
    runMenu("openCampaigns:");

    const auto& panel = toolkit.fakeDialogs.panels.back();
    EXPECT_EQ(panel.extensions, (std::vector<std::string> { "ikwcampaign", "json" }));
    EXPECT_EQ(panel.message, "Choose a signature campaign to open");
    ASSERT_EQ(windows.windows().size(), 1u);
    EXPECT_TRUE(empty->isCampaign);
    EXPECT_EQ(empty->sourcePaths, std::vector<std::string> { path });
    const std::string url = viewOf(*empty).loads.back();
    EXPECT_TRUE(url.starts_with("file://" + ikw::testing::userEngineFolder(home.path()) + "/app/campaigns.html?file=")) << url;
    EXPECT_NE(url.find("Deal.json&ver="), std::string::npos) << url;
    EXPECT_TRUE(url.ends_with("&theme=dark")) << url;

    toolkit.fakeDialogs.openAnswers.push_back(std::vector<std::string> { campaignFile() });
    runMenu("openCampaigns:");
    EXPECT_EQ(windows.windows().size(), 2u);
}

TEST_F(Campaigns, ASampleOpensInTheWindowTakenBeforeTheRun)
{
    windowOf(*campaignTab(campaignFile())).active = true;
    const std::string path = home.file("Sample campaign.ikwcampaign");
    toolkit.fakeDialogs.saveAnswers.push_back(path);
    runMenu("newSampleCampaign:");
    EXPECT_EQ(toolkit.fakeDialogs.panels.back().suggestedName, "Sample campaign.ikwcampaign");
    ASSERT_EQ(windows.windows().size(), 2u);
    const auto target = windows.windows().back();
    ASSERT_TRUE(queue.runUntil([&] { return target->isCampaign; }, 20));
    EXPECT_EQ(target->sourcePaths, std::vector<std::string> { path });
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
}

TEST_F(Campaigns, AFailedSampleAlertsAndClosesOnlyTheWindowMadeForIt)
{
    ikw::testing::writeEngineScript(home.path(), "app/inkwarden_campaigns.py",
        "#!/usr/bin/env python3\nprint('{\"error\": \"no room\"}')\n");
    const auto kept = campaignTab(campaignFile());
    windowOf(*kept).active = true;
    toolkit.fakeDialogs.saveAnswers.push_back(home.file("S.ikwcampaign"));
    runMenu("newSampleCampaign:");
    const auto made = windows.windows().back();
    ASSERT_NE(made, kept);
    ASSERT_TRUE(queue.runUntil([&] { return !toolkit.fakeDialogs.alerts.empty(); }, 20));
    EXPECT_EQ(toolkit.fakeDialogs.alerts.back().request.message, sampleCampaignFailedMessage);
    EXPECT_EQ(toolkit.fakeDialogs.alerts.back().request.informativeText, "no room");
    EXPECT_TRUE(made->isClosed());
    EXPECT_FALSE(kept->isClosed());

    // An empty key window that was reused stays open.
    kept->closeTab();
    const auto reused = windows.open(std::nullopt);
    toolkit.fakeDialogs.saveAnswers.push_back(home.file("T.ikwcampaign"));
    runMenu("newSampleCampaign:");
    ASSERT_TRUE(queue.runUntil([&] { return toolkit.fakeDialogs.alerts.size() == 2; }, 20));
    EXPECT_FALSE(reused->isClosed());
    EXPECT_FALSE(reused->isCampaign);
}

TEST_F(Campaigns, AScriptThatCannotStartShowsTheRunnersError)
{
    std::filesystem::remove(ikw::testing::userEngineFolder(home.path()) + "/app/inkwarden_campaigns.py");
    std::filesystem::remove(ikw::testing::userEngineFolder(home.path()) + "/inkwarden_campaigns.py");
    toolkit.fakeDialogs.saveAnswers.push_back(home.file("S.ikwcampaign"));
    runMenu("newSampleCampaign:");
    ASSERT_TRUE(queue.runUntil([&] { return !toolkit.fakeDialogs.alerts.empty(); }, 20));
    EXPECT_EQ(toolkit.fakeDialogs.alerts.back().request.message, sampleCampaignFailedMessage);
    EXPECT_FALSE(toolkit.fakeDialogs.alerts.back().request.informativeText.empty());
}

}
}
