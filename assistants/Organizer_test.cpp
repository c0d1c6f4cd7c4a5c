#include "assistants/Organizer.h"

#include "app/Settings.h"
#include "assistants/AssistantActions.h"
#include "assistants/OrganizePage.h"
#include "library/LibraryLayer.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>

namespace ikw::assistants {
namespace {

std::string percentEncoded(const std::string& text)
{
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
            out += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            out += escape;
        }
    }
    return out;
}

// The organize actions over the recording toolkit, with the stand-in engine installed; a test may
// put its own organizer script in its place.
class Organizing : public ikw::testing::ReviewFixture {
protected:
    Organizing()
    {
        ikw::testing::installStandInEngine(home.path());
        registerActions(actions, { .organizer = organizer });
    }

    void send(ReviewWC& window, const std::string& url)
    {
        actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url });
    }
    void useScript(const std::string& body) { ikw::testing::writeEngineScript(home.path(), "app/inkwarden_organize.py", body); }
    std::string folder(const std::vector<std::string>& files)
    {
        const std::string path = home.file("Matter");
        for (const auto& name : files)
            ikw::testing::writeTestFile(path + "/" + name, "x");
        std::filesystem::create_directories(path);
        return path;
    }
    bool waitFor(ReviewWC& window, const std::string& function)
    {
        return queue.runUntil([&] { return !calls(window, function).empty(); }, 20);
    }
    std::shared_ptr<ReviewWC> organizeTab(const std::string& path)
    {
        auto window = windows.open(std::nullopt);
        window->hasContent = true;
        window->isOrganize = true;
        window->sourcePaths = { path };
        return window;
    }
    // Apply as the page asks for it, with `plan` as its approved plan.
    void apply(ReviewWC& window, const std::string& query, const std::string& plan)
    {
        viewOf(window).nextResult = ui::ScriptResult { Json(plan), std::nullopt };
        send(window, "organizeapply" + query);
    }

    docops::PageOpServices pageOps()
    {
        docops::PageOpServices ops;
        ops.toolkit = &toolkit;
        ops.reloadSettingsPanelIfOpen = [this] { ++panelReloads; };
        return ops;
    }

    int panelReloads = 0;
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<Organizer> organizer = std::make_shared<Organizer>(OrganizerServices {
        .library = [this] { return library; },
        .pageOps = pageOps(),
        .resolvedScheme = [] { return std::string("dark"); },
    });
    UrlActions actions;
};

TEST_F(Organizing, TheReadyPageGetsTheFolderDocumentsInByteOrderOrTheError)
{
    const auto path = folder({ "b.pdf", "A.docx", ".hidden.pdf", "notes", "Scan.PDF", "x.pages", "Archive.pdf/inside.txt" });
    const auto window = organizeTab(path);
    send(*window, "organizeready");
    const Json init = answerOf(*window, "ikwOrgInit");
    EXPECT_EQ(init["folder"], path);
    EXPECT_EQ(init["ver"], globals.get().appInfo.shortVersion);
    EXPECT_EQ(init["name"], "Matter");
    EXPECT_EQ(init["files"], Json({ "A.docx", "Archive.pdf", "Scan.PDF", "b.pdf" }));
    EXPECT_FALSE(init.contains("err"));

    for (const std::string& query : { "?folder=" + home.file("gone"), "?folder=" + path + "/b.pdf", std::string("?folder=") }) {
        const auto other = organizeTab(path);
        send(*other, "organizeready" + query);
        const Json failed = answerOf(*other, "ikwOrgInit");
        EXPECT_EQ(failed["err"], "That folder could not be opened.") << query;
        EXPECT_FALSE(failed.contains("name") || failed.contains("files")) << query;
    }
}

TEST_F(Organizing, PlanProgressLinesReachThePageWithTheirStepAndTotal)
{
    useScript(R"PY(import sys
for line in ['\u00b7 Reading 3/12 documents', 'Thinking about folders', '99999999999999999999/2 pages',
             '3/99999999999999999999', 'v1.2 has 4/5 done, then 6/7', '\u00b7 \u00b7 twice 1/2']:
    sys.stderr.write(line + '\n')
sys.stderr.flush()
print('{"moves": []}')
)PY");
    const auto path = folder({ "a.pdf", "b.md", "c.jpg" });
    const auto window = organizeTab(path);
    send(*window, "organizeplan");
    ASSERT_TRUE(waitFor(*window, "ikwOrgPlan"));
    const auto progress = [](const std::string& text, const std::string& numbers) {
        return "if(window.ikwOrgProgress)try{ikwOrgProgress(" + jsQuote(text) + "," + numbers + ")}catch(e){}";
    };
    const std::vector<std::string> expected {
        progress("Reading 3/12 documents", "3,12"),
        progress("Thinking about folders", "0,2"), // no fraction: the folder's two documents
        progress("99999999999999999999/2 pages", "0,2"),
        progress("3/99999999999999999999", "3,2"),
        progress("v1.2 has 4/5 done, then 6/7", "4,5"),
        progress("\u00b7 twice 1/2", "1,2"),
    };
    EXPECT_EQ(calls(*window, "ikwOrgProgress"), expected);
    EXPECT_EQ(answerOf(*window, "ikwOrgPlan"), Json({ { "moves", Json::array() } }));

    // The folder goes to the script as an argument, so only an absolute path is taken.
    const auto relative = organizeTab("Matter");
    send(*relative, "organizeplan?folder=-rf");
    send(*relative, "organizeplan");
    queue.drain();
    EXPECT_TRUE(viewOf(*relative).evaluated.empty());
}

TEST_F(Organizing, WithTheQuestionOffTheApprovedPlanIsStagedPrivatelyAppliedAndRemoved)
{
    useScript(R"PY(import json, os, sys
path = sys.argv[3]
sys.stderr.write('\u00b7 Moving 1/3\n'); sys.stderr.flush()
print(json.dumps({'args': sys.argv[1:3], 'dir': os.path.dirname(path), 'name': os.path.basename(path),
                  'mode': os.stat(path).st_mode & 0o777, 'plan': open(path).read()}))
)PY");
    saveConfig({ { "pageops_confirm", false } });
    const auto path = folder({ "a.pdf" });
    const auto window = organizeTab(path);
    apply(*window, "?n=1", "{\"moves\": [\"a.pdf\"]}");
    ASSERT_TRUE(waitFor(*window, "ikwOrgApplied"));
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
    const Json applied = answerOf(*window, "ikwOrgApplied");
    EXPECT_EQ(applied["args"], Json({ "apply", "--plan" }));
    EXPECT_EQ(applied["dir"], privateTemporaryFolder(globals.get().paths, kProductFolderName).value_or("none"));
    EXPECT_TRUE(applied["name"].get<std::string>().starts_with("iworg-approve-")) << applied;
    EXPECT_TRUE(applied["name"].get<std::string>().ends_with(".json")) << applied;
    EXPECT_EQ(applied["mode"], 0600);
    EXPECT_EQ(applied["plan"], "{\"moves\": [\"a.pdf\"]}");
    EXPECT_FALSE(std::filesystem::exists(applied["dir"].get<std::string>() + "/" + applied["name"].get<std::string>()));
    EXPECT_EQ(calls(*window, "ikwOrgProgress"), std::vector<std::string> { "if(window.ikwOrgProgress)try{ikwOrgProgress(\"Moving 1\\/3\",0,0)}catch(e){}" });
}

TEST_F(Organizing, TheQuestionNamesTheFolderAndCountAndCancelChangesNothing)
{
    useScript("import sys; open(sys.argv[0] + '.ran', 'w'); print('{}')");
    const std::string ran = ikw::testing::userEngineFolder(home.path()) + "/app/inkwarden_organize.py.ran";
    const auto path = folder({});
    struct Case {
        const char* name;
        std::string query;
        ui::AlertAnswer answer;
        std::string fileCount;
    };
    const Case cases[] = {
        { "one file, ticked and cancelled", "?n=1", { 1, true }, "1 file" },
        { "no count", "", { 1, false }, "0 files" },
        { "a count that is no number", "?n=twelve", { -1, false }, "0 files" },
        { "signed count", "?n=%2B12", { 1, false }, "12 files" },
    };
    for (const Case& c : cases) {
        saveConfig(Json::object());
        toolkit.fakeDialogs.alerts.clear();
        toolkit.fakeDialogs.alertAnswers = { c.answer };
        const auto window = organizeTab(path);
        apply(*window, c.query, "{}");
        queue.drain();
        ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u) << c.name;
        const auto& alert = toolkit.fakeDialogs.alerts.front().request;
        EXPECT_EQ(alert.message, "Organize \u201CMatter\u201D?") << c.name;
        EXPECT_EQ(alert.informativeText, "Inkwarden will create folders and move or rename " + c.fileCount
                + " in \u201CMatter\u201D. Every change is logged and can be undone in one click.") << c.name;
        EXPECT_EQ(alert.buttons, (std::vector<std::string> { "Organize", "Cancel" })) << c.name;
        EXPECT_EQ(answerOf(*window, "ikwOrgApplied"), Json({ { "error", "Nothing was changed." } })) << c.name;
        EXPECT_EQ(cfgBool("pageops_skip_organize", false), c.answer.suppressed) << c.name;
    }
    EXPECT_EQ(panelReloads, 1);
    EXPECT_FALSE(std::filesystem::exists(ran));
}

TEST_F(Organizing, AnEmptyOrMissingPlanAndAMissingManifestSendNothing)
{
    useScript("import sys; open(sys.argv[0] + '.ran', 'w'); print('{}')");
    const auto window = organizeTab(folder({ "a.pdf" }));
    for (const Json& approved : { Json(""), Json(nullptr), Json(3) }) {
        viewOf(*window).nextResult = ui::ScriptResult { approved, std::nullopt };
        send(*window, "organizeapply?n=1");
    }
    send(*window, "organizeundo");
    send(*window, "organizeundo?manifest=");
    send(*window, "organizeundo?manifest=relative.json");
    queue.drain();
    EXPECT_EQ(viewOf(*window).evaluated, std::vector<std::string>(3, "window.__ikwOrgApprove || ''"));
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
    EXPECT_FALSE(std::filesystem::exists(ikw::testing::userEngineFolder(home.path()) + "/app/inkwarden_organize.py.ran"));
}

TEST_F(Organizing, TheActionOpensAnExistingFolderInTheEmptyKeyReviewElseThePanel)
{
    const auto path = home.file("A & B #1 + more");
    std::filesystem::create_directories(path);
    const auto empty = windows.open(std::nullopt);
    // As a page sends it: the path percent-encoded.
    send(*empty, "organize?dir=" + percentEncoded(path));
    ASSERT_EQ(windows.windows().size(), 1u);
    EXPECT_TRUE(empty->isOrganize && empty->hasContent && !empty->isReader);
    EXPECT_EQ(empty->sourcePaths, std::vector<std::string> { path });
    EXPECT_EQ(windowOf(*empty).title(), "A & B #1 + more");
    const std::string url = viewOf(*empty).loads.back();
    EXPECT_TRUE(url.starts_with("file://" + organizeHTMLPath() + "?folder=")) << url;
    EXPECT_EQ(urlQuery(url, "folder"), path);
    EXPECT_EQ(urlQuery(url, "theme"), "dark");
    EXPECT_LT(url.find("folder="), url.find("theme="));
    EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());

    for (const char* dir : { "?dir=/nonexistent", "?dir=", "", "?dir=relative" }) {
        toolkit.fakeDialogs.panels.clear();
        send(*empty, std::string("organize") + dir);
        ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u) << dir;
        const auto& panel = toolkit.fakeDialogs.panels.front();
        EXPECT_EQ(panel.prompt, "Organize");
        EXPECT_EQ(panel.message, "Choose a folder of documents to organize with AI (on-device)");
        EXPECT_TRUE(panel.chooseDirectories && !panel.chooseFiles && !panel.allowsMultiple);
    }
    // The panel's folder opens in a new tab beside the one that shows the first.
    toolkit.fakeDialogs.openAnswers = { std::vector<std::string> { path } };
    organizer->openOrganize();
    EXPECT_EQ(windows.windows().size(), 2u);
    EXPECT_EQ(windows.windows().back()->sourcePaths, std::vector<std::string> { path });
}

}
}
