// The contract library from connecting to reading an agreement, on the real toolkit under Xvfb:
// the live client talks to a loopback stand-in of the service, the agreements panel is the engine
// stand-in's page in a web view, and its link opens the downloaded PDF in a reader window. Only
// the alerts are answered by the test, and the token is kept in a fake store.
#include "services/OakruneActions.h"

#include "library/LibraryLayer.h"
#include "platform/core/WorkQueue.h"
#include "platform/http/fake/LoopbackHttpServer.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/PageBridge.h"
#include "review/Panels.h"
#include "review/ReviewOnScreenFixture.h"

#include <cstdlib>
#include <sstream>

namespace ikw::services {
namespace {

constexpr double kTimeout = 30;
constexpr const char* kAgreementPdf = "%PDF-1.4\n% an agreement from the library\n";

class OakruneOnScreen : public testing::ReviewOnScreenFixture {
protected:
    OakruneOnScreen()
    {
        testing::writeTestFile(home.file("answers.json"), toPlainJson(Json {
            { "token", "tok-e2e" },
            { "answers", {
                { "POST /api/pair/claim", { { "status", 201 }, { "body", { { "token", "tok-e2e" }, { "pairing_id", "p1" }, { "scopes", { "library:read" } } } } } },
                { "GET /api/library/actions", { { "body", { { "actions", { { { "id", "ag 1" }, { "title", "Office lease" }, { "severity", "urgent" } } } } } } } },
                { "GET /api/library/ag%201/file", { { "body", kAgreementPdf } } },
            } },
        }));
        testing::writeTestFile(home.file("requests.log"), "");
        ::setenv("IKW_OAKRUNE_BASE", server.url().c_str(), 1);
        ::setenv("IKW_OAKRUNE_META", home.file("meta/oakrune.json").c_str(), 1);
        registerOakrunePanelActions(panels->actions(), actions);
    }
    ~OakruneOnScreen() override
    {
        ::unsetenv("IKW_OAKRUNE_BASE");
        ::unsetenv("IKW_OAKRUNE_META");
    }

    OakrunePairing client()
    {
        OakrunePairing::Env env = OakrunePairing::Env::live();
        auto keychain = std::make_shared<const OakruneKeychain>(std::make_shared<secrets::SecretStoreChain>(
            std::vector<std::shared_ptr<secrets::SecretStore>> { keyring }));
        env.readToken = [keychain] { return keychain->read(); };
        env.writeToken = [keychain](const std::string& token) { return keychain->write(token); };
        env.deleteToken = [keychain] { keychain->remove(); };
        env.cacheDirectory = home.file("downloads");
        return OakrunePairing(std::move(env));
    }

    std::vector<Json> requests() const
    {
        std::vector<Json> entries;
        std::istringstream lines(testing::readTestFile(home.file("requests.log")));
        for (std::string line; std::getline(lines, line);)
            entries.push_back(Json::parse(line));
        return entries;
    }

    // The result of a script in a panel's page, as text ("" until it answers).
    std::string ask(PanelWC& panel, const std::string& script)
    {
        struct Answer {
            std::string text;
            bool answered = false;
        };
        const auto answer = std::make_shared<Answer>();
        panel.web().evaluate(script, [answer](ui::ScriptResult result) {
            answer->answered = true;
            if (result.value && result.value->is_string())
                answer->text = result.value->get<std::string>();
        });
        ui::gtk3::runMainLoopUntil([&] { return answer->answered; }, 5);
        return answer->text;
    }

    std::shared_ptr<ReviewWC> readerOf(const std::string& path)
    {
        for (const auto& window : windows.windows()) {
            if (window->isReader && window->sourcePaths == std::vector<std::string> { path })
                return window;
        }
        return nullptr;
    }

    http::LoopbackHttpServer server { http::LoopbackServerOptions {
        .script = IKW_OAKRUNE_SERVICE_SCRIPT, .arguments = { home.file("answers.json"), home.file("requests.log") } } };
    std::shared_ptr<secrets::FakeSecretStore> keyring = std::make_shared<secrets::FakeSecretStore>("keyring");
    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<Panels> panels = bridge->panels;
    ui::fake::FakeDialogs dialogs;
    WorkQueue workers { "test.oakrune.screen", 2 };
    std::shared_ptr<OakruneActions> actions = std::make_shared<OakruneActions>(OakruneHooks {
        .dialogs = dialogs,
        .workers = workers,
        .client = [this] { return client(); },
        .deviceName = [] { return std::string("Screen desk"); },
        .currentDocPath = {},
        .openReader = [this](const std::string& path) { library->openers().openReader(path, {}); },
        .openPanel = [this](const std::string& kind, const std::vector<std::string>& extra) { panels->openPanel(kind, extra); },
        .closePanels = [this](const std::string& kind) { panels->closePanels(kind); },
        .reloadSettingsPanelIfOpen = [this] { panels->reloadSettingsPanelIfOpen(); },
        .brandName = globals().brand.name,
    });
};

TEST_F(OakruneOnScreen, ConnectListAndOpenAnAgreementInAReader)
{
    ASSERT_TRUE(server.running()) << server.failure();

    dialogs.alertAnswers = { ui::AlertAnswer { .button = 0, .fieldTexts = { " ab12-cd34 ", "Screen desk" } } };
    actions->oakruneConnect();
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return client().isConnected(); }, kTimeout)) << "the code was not claimed";
    EXPECT_EQ(requests().at(0)["body"], R"({"code":"AB12CD34","device_name":"Screen desk"})");

    actions->showAgreements();
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return panels->visiblePanel("agreements") != nullptr; }, kTimeout));
    const auto panel = panels->visiblePanel("agreements");
    const std::string findLink = "(function(){ var a = document.querySelector('a.openagreement'); return a ? a.textContent : ''; })()";
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*panel, findLink) == "Office lease"; }, kTimeout));

    panel->web().evaluate("document.querySelector('a.openagreement').click()", {});
    const std::string downloaded = home.file("downloads/oakrune-ag1.pdf");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return readerOf(downloaded) != nullptr; }, kTimeout)) << "no reader opened the agreement";
    EXPECT_EQ(testing::readTestFile(downloaded), kAgreementPdf);
    EXPECT_TRUE(dialogs.alerts.size() == 1u) << "only the connect question was asked";
    const auto sent = requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2]["path"], "/api/library/ag%201/file");
    EXPECT_EQ(sent[2]["headers"]["Authorization"], "Bearer tok-e2e");
}

}
}
