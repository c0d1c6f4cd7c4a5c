#include "services/OakruneActions.h"

#include "platform/core/Base64.h"
#include "platform/core/FileSystem.h"
#include "platform/core/WorkQueue.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/Panels.h"
#include "review/fake/StandInEngine.h"
#include "tests/support/TempHome.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <deque>
#include <mutex>

namespace ikw::services {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::writeTestFile;

constexpr const char* kReadWrite = "library:write";

// The client's two stored halves and a service answering from a script; requests are recorded.
// Clients made from it run on the workers while the test waits, so one lock guards it all.
struct FakeLibrary {
    explicit FakeLibrary(std::string downloadFolder) : downloads(std::move(downloadFolder)) {}

    std::mutex lock;
    std::optional<std::string> token;
    std::optional<Json> meta;
    std::deque<std::function<OakruneResult<OakruneResponse>()>> answers;
    std::vector<OakruneRequest> requests;
    std::string downloads;

    void connect(std::vector<std::string> scopes)
    {
        token = "t0";
        meta = Json { { "pairing_id", "p1" }, { "device_name", "Studio iMac" }, { "scopes", scopes }, { "paired_at", "2025-03-05T14:07:09Z" } };
    }
    void answer(int status, std::string body)
    {
        answers.push_back([status, body] { return OakruneResult<OakruneResponse>(OakruneResponse { status, body }); });
    }
    std::vector<OakruneRequest> sent()
    {
        std::lock_guard held(lock);
        return requests;
    }

    OakrunePairing client()
    {
        OakrunePairing::Env env;
        env.baseURL = "https://library.example.test";
        env.send = [this](const OakruneRequest& request) -> OakruneResult<OakruneResponse> {
            std::function<OakruneResult<OakruneResponse>()> next;
            {
                std::lock_guard held(lock);
                requests.push_back(request);
                if (answers.empty())
                    return OakruneFailure::offline("nothing scripted");
                next = answers.front();
                answers.pop_front();
            }
            return next();
        };
        env.readToken = [this] { std::lock_guard held(lock); return token; };
        env.writeToken = [this](const std::string& value) { std::lock_guard held(lock); token = value; return true; };
        env.deleteToken = [this] { std::lock_guard held(lock); token.reset(); };
        env.readMeta = [this] { std::lock_guard held(lock); return meta; };
        env.writeMeta = [this](const Json& object) { std::lock_guard held(lock); meta = object; };
        env.deleteMeta = [this] { std::lock_guard held(lock); meta.reset(); };
        env.cacheDirectory = downloads;
        return OakrunePairing(std::move(env));
    }
};

class OakruneActionsTest : public ::testing::Test {
protected:
    struct OpenedPanel {
        std::string kind;
        std::vector<std::string> arguments;
    };

    testing::TempHome home;
    ManualMainQueue queue;
    ScopedMainQueue scopedQueue { queue };
    WorkQueue workers { "test.oakrune", 2 };
    ui::fake::FakeDialogs dialogs;
    FakeLibrary library { home.file("downloads") };
    std::optional<std::string> document;
    // What reached the panels and readers, in order ("close agreements", "open agreements",
    // "reload after 0 alerts", "reader /path").
    std::vector<std::string> events;
    std::vector<OpenedPanel> opened;

    std::shared_ptr<OakruneActions> actions = std::make_shared<OakruneActions>(OakruneHooks {
        .dialogs = dialogs,
        .workers = workers,
        .client = [this] { return library.client(); },
        .deviceName = [] { return std::string("Ana\u2019s laptop"); },
        .currentDocPath = [this] { return document; },
        .openReader = [this](const std::string& path) { events.push_back("reader " + path); },
        .openPanel = [this](const std::string& kind, const std::vector<std::string>& arguments) {
            events.push_back("open " + kind);
            opened.push_back({ kind, arguments });
        },
        .closePanels = [this](const std::string& kind) { events.push_back("close " + kind); },
        .reloadSettingsPanelIfOpen = [this] { events.push_back("reload after " + std::to_string(dialogs.alerts.size()) + " alerts"); },
        .brandName = "Quill",
    });

    // Runs the background work and its answers until nothing is left.
    void settle()
    {
        do
            workers.waitUntilIdle();
        while (queue.drain() > 0);
    }
    const ui::AlertContent& alert(std::size_t index) { return dialogs.alerts.at(index).request; }
    std::string pdf(const std::string& name) { return writeTestFile(home.file("Matters/" + name), "%PDF-1.7 lease"); }
};

// ---- archive ----

TEST_F(OakruneActionsTest, ArchiveChecksTheDocumentAndTheConnectionBeforeAsking)
{
    struct Case {
        const char* name;
        std::optional<std::string> document;
        std::optional<std::vector<std::string>> scopes;
        const char* message;
        const char* informative;
    };
    writeTestFile(home.file("Matters/Brief.pdf"), "%PDF converted");
    const Case cases[] {
        { "no document", std::nullopt, std::vector<std::string> { kReadWrite }, "Open a document first",
            "Archiving sends the document in the front window to your Oakrune library." },
        { "a capital extension", pdf("REPORT.PDF"), std::vector<std::string> { kReadWrite }, "Archive \u201CREPORT.PDF\u201D to your Oakrune library?",
            "It is uploaded to the library connected as \u201CStudio iMac\u201D, where its terms can be tracked. The file on this computer is untouched." },
        { "a word-processor file beside its PDF", writeTestFile(home.file("Matters/Brief.docx"), "PK"), std::vector<std::string> { kReadWrite },
            "The library takes PDFs", "\u201CBrief.docx\u201D isn\u2019t a PDF. Save or export it as a PDF first, then archive it." },
        { "not connected", pdf("Lease.pdf"), std::nullopt, "Not connected to a Oakrune library",
            "Quill reads and compares documents on its own. Connecting a Oakrune library adds one thing: your executed agreements, "
            "with their renewal and notice deadlines, in this window." },
        { "read-only", pdf("Lease.pdf"), std::vector<std::string> { "library:read" }, "This connection is read-only",
            "It can see your agreements but not add to them. Generate a new connection code in Oakrune with archive permission, then "
            "connect again from Settings." },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        dialogs.alerts.clear();
        library.token.reset();
        library.meta.reset();
        if (test.scopes)
            library.connect(*test.scopes);
        document = test.document;
        // Every question is answered with its second button: Cancel, or Not now.
        dialogs.alertAnswers = { ui::AlertAnswer { .button = 1 } };

        actions->archiveToOakrune();
        settle();

        ASSERT_EQ(dialogs.alerts.size(), 1u);
        EXPECT_EQ(alert(0).message, test.message);
        EXPECT_EQ(alert(0).informativeText, test.informative);
        EXPECT_THAT(library.sent(), IsEmpty());
        EXPECT_THAT(opened, IsEmpty());
    }
}

TEST_F(OakruneActionsTest, NotConnectedOffersTheSettingsPanel)
{
    document = pdf("Lease.pdf");
    actions->archiveToOakrune();
    settle();

    EXPECT_EQ(alert(0).buttons, (std::vector<std::string> { "Open Settings", "Not now" }));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].kind, "settings");
    EXPECT_THAT(opened[0].arguments, IsEmpty());
}

TEST_F(OakruneActionsTest, TheTitleIsTheTrimmedFieldOrElseTheWholeName)
{
    struct Case {
        std::string typed;
        std::string title;
    };
    const Case cases[] { { "", "Lease 2024.pdf" }, { "  Lease  ", "Lease" }, { " \n\t", "Lease 2024.pdf" }, { "Lease \u2014 final", "Lease \u2014 final" } };
    library.connect({ "library:read", kReadWrite });
    document = pdf("Lease 2024.pdf");
    for (const Case& test : cases) {
        SCOPED_TRACE(test.typed);
        dialogs.alerts.clear();
        events.clear();
        library.requests.clear();
        library.answer(201, R"({"ok":true})");
        dialogs.alertAnswers = { ui::AlertAnswer { .button = 0, .fieldTexts = { test.typed } } };

        actions->archiveToOakrune();
        settle();

        ASSERT_EQ(dialogs.alerts.size(), 2u);
        ASSERT_EQ(alert(0).textFields.size(), 1u);
        EXPECT_EQ(alert(0).textFields[0].text, "Lease 2024");
        EXPECT_EQ(alert(0).textFields[0].placeholder, "Title in the library");
        ASSERT_EQ(library.sent().size(), 1u);
        const Json body = *library.sent()[0].body;
        EXPECT_EQ(body["title"], test.title);
        EXPECT_EQ(decodeBase64(body["pdf_base64"].get<std::string>()), "%PDF-1.7 lease");
        EXPECT_FALSE(body.contains("is_test"));
        EXPECT_EQ(alert(1).message, "Archived");
        EXPECT_EQ(alert(1).informativeText, "\u201C" + test.title
                + "\u201D is in your Oakrune library. Any renewal or notice deadline it carries will show up in Agreements Needing Attention.");
        EXPECT_THAT(events, ElementsAre("reload after 2 alerts"));
    }
}

TEST_F(OakruneActionsTest, AFailedUploadShowsTheClientsMessage)
{
    library.connect({ kReadWrite });
    document = pdf("Lease.pdf");
    library.answer(500, R"({"error":"maintenance"})");
    actions->archiveToOakrune();
    settle();

    ASSERT_EQ(dialogs.alerts.size(), 2u);
    EXPECT_EQ(alert(1).message, "Couldn\u2019t archive that document");
    EXPECT_EQ(alert(1).informativeText, "Oakrune returned 500. maintenance");
    EXPECT_THAT(events, IsEmpty());
}

// ---- agreements ----

TEST_F(OakruneActionsTest, NotConnectedTheAgreementsPanelShowsOnlyTheStatus)
{
    actions->openAgreements();
    settle();

    EXPECT_THAT(events, ElementsAre("close agreements", "open agreements"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_THAT(opened[0].arguments, ElementsAre("--oakrunestatus", R"({"connected":false})"));
    EXPECT_THAT(library.sent(), IsEmpty());
}

TEST_F(OakruneActionsTest, TheAgreementsPanelShowsWhatTheFetchGave)
{
    const std::string twoItems = R"({"actions":[
        {"id":"a1","item_id":"i1","title":"Office lease","rule":"renewal","message":"Renews soon","due_date":"2025-04-01","severity":"urgent","extra":1},
        {"id":7,"item_id":"i2","title":"NDA","rule":"notice","message":"Give notice","due_date":"2025-05-01","severity":"watch"}]})";
    const std::string twoObjects = R"([{"due_date":"2025-04-01","id":"a1","item_id":"i1","message":"Renews soon","rule":"renewal","severity":"urgent","title":"Office lease"},)"
                                   R"({"due_date":"2025-05-01","id":"7","item_id":"i2","message":"Give notice","rule":"notice","severity":"watch","title":"NDA"}])";
    struct Case {
        const char* name;
        int status;
        std::string body;
        std::vector<std::string> tail; // the arguments after the status
    };
    const Case cases[] {
        { "two items", 200, twoItems, { "--agreements", twoObjects } },
        { "none", 200, R"({"actions":[]})", { "--agreements", "[]" } },
        { "a failure", 503, R"({"error":"down for a moment"})", { "--agreements", "[]", "--agreementserror", "Oakrune returned 503. down for a moment" } },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        library.connect({ kReadWrite });
        library.answer(test.status, test.body);
        opened.clear();
        events.clear();

        actions->openAgreements();
        settle();

        EXPECT_THAT(events, ElementsAre("close agreements", "open agreements", "reload after 0 alerts"));
        ASSERT_EQ(opened.size(), 1u);
        const auto& arguments = opened[0].arguments;
        ASSERT_GE(arguments.size(), 2u);
        EXPECT_EQ(arguments[0], "--oakrunestatus");
        const Json status = Json::parse(arguments[1]);
        EXPECT_EQ(status["connected"], true);
        // Made after the fetch: a fetch that worked shows its sync.
        EXPECT_EQ(status["last_synced"], test.status == 200 ? "just now" : "");
        EXPECT_EQ(std::vector<std::string>(arguments.begin() + 2, arguments.end()), test.tail);
        EXPECT_TRUE(dialogs.alerts.empty());
    }
}

TEST_F(OakruneActionsTest, EveryOpeningReplacesThePanelAndEachFetchShowsItsOwn)
{
    library.connect({ kReadWrite });
    library.answer(200, R"([{"id":"a1","title":"First"}])");
    library.answer(200, R"([{"id":"b2","title":"Second"}])");
    actions->openAgreements();
    workers.waitUntilIdle();
    actions->openAgreements();
    settle();

    EXPECT_THAT(events, ElementsAre("close agreements", "close agreements", "open agreements", "reload after 0 alerts", "open agreements",
                            "reload after 0 alerts"));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_THAT(opened[0].arguments[3], HasSubstr("First"));
    EXPECT_THAT(opened[1].arguments[3], HasSubstr("Second"));
}

TEST_F(OakruneActionsTest, OpeningAnAgreementDownloadsItIntoAReaderOrSaysWhyNot)
{
    library.connect({ kReadWrite });
    library.answer(200, "%PDF-1.4 agreement");
    library.answers.push_back([]() -> OakruneResult<OakruneResponse> { throw 42; });
    library.answer(404, R"({"error":"no such agreement"})");

    actions->openAgreementFile("a/1");
    settle();
    const std::string saved = home.file("downloads/oakrune-a1.pdf");
    EXPECT_THAT(events, ElementsAre("reader " + saved));
    EXPECT_EQ(testing::readTestFile(saved), "%PDF-1.4 agreement");
    EXPECT_EQ(library.sent().at(0).path, "/api/library/a%2F1/file");

    actions->openAgreementFile("a2");
    actions->openAgreementFile("a3");
    settle();
    ASSERT_EQ(dialogs.alerts.size(), 2u);
    std::vector<std::string> texts { alert(0).informativeText, alert(1).informativeText };
    std::ranges::sort(texts);
    EXPECT_EQ(alert(0).message, "Couldn\u2019t open that agreement");
    EXPECT_EQ(alert(1).message, "Couldn\u2019t open that agreement");
    EXPECT_THAT(texts, ElementsAre("Oakrune returned 404. no such agreement", "Unknown error."));
    EXPECT_EQ(events.size(), 1u);
}

// ---- connect ----

TEST_F(OakruneActionsTest, TheConnectAlertAsksForTheCodeAboveThisComputersName)
{
    dialogs.alertAnswers = { ui::AlertAnswer { .button = 1 } };
    actions->oakruneConnect();
    settle();

    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(alert(0).message, "Connect to your Oakrune library");
    EXPECT_THAT(alert(0).informativeText, HasSubstr("\u201CGenerate a connection code\u201D"));
    EXPECT_EQ(alert(0).buttons, (std::vector<std::string> { "Connect", "Cancel" }));
    ASSERT_EQ(alert(0).textFields.size(), 2u);
    EXPECT_EQ(alert(0).textFields[0].text, "");
    EXPECT_EQ(alert(0).textFields[0].placeholder, "Connection code (e.g. K7QM4X2P)");
    EXPECT_EQ(alert(0).textFields[1].text, "Ana\u2019s laptop");
    EXPECT_EQ(alert(0).textFields[1].placeholder, "Name for this device");
    EXPECT_THAT(library.sent(), IsEmpty());
    EXPECT_THAT(events, IsEmpty());
}

TEST_F(OakruneActionsTest, ConnectClaimsTheCodeAsTypedAndReloadsTheSettingsBeforeAnyFailure)
{
    struct Case {
        std::string code;
        int status; // 0: nothing may be sent
        std::vector<std::string> events;
        std::optional<std::string> failure;
    };
    const Case cases[] {
        { " \u00a0\t ", 0, {}, std::nullopt },
        { "  ab-12 cd  ", 201, { "reload after 1 alerts" }, std::nullopt },
        { "ZZ99", 400, { "reload after 1 alerts" },
            "That code didn\u2019t work. Codes last 10 minutes and can be used once \u2014 generate a fresh one in Oakrune and try again." },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.code);
        dialogs.alerts.clear();
        events.clear();
        library.requests.clear();
        library.token.reset();
        library.meta.reset();
        if (test.status)
            library.answer(test.status, R"({"token":"t9","scopes":["library:read"]})");
        dialogs.alertAnswers = { ui::AlertAnswer { .button = 0, .fieldTexts = { test.code, " Ana\u2019s laptop " } } };

        actions->oakruneConnect();
        settle();

        EXPECT_EQ(events, test.events);
        const auto sent = library.sent();
        ASSERT_EQ(sent.size(), test.status ? 1u : 0u);
        if (test.status) {
            EXPECT_EQ(sent[0].path, "/api/pair/claim");
            EXPECT_EQ((*sent[0].body)["device_name"], "Ana\u2019s laptop");
        }
        EXPECT_EQ(library.token.has_value(), test.status == 201);
        if (test.failure) {
            ASSERT_EQ(dialogs.alerts.size(), 2u);
            EXPECT_EQ(alert(1).message, "Couldn\u2019t connect to Oakrune");
            EXPECT_EQ(alert(1).informativeText, *test.failure);
        } else {
            EXPECT_EQ(dialogs.alerts.size(), 1u);
        }
    }
}

TEST_F(OakruneActionsTest, AnswersForGoneActionsAreDropped)
{
    library.connect({ kReadWrite });
    library.answer(200, "[]");
    actions->openAgreements();
    actions->openAgreementFile("a1");
    workers.waitUntilIdle();
    actions.reset();
    queue.drain();
    EXPECT_THAT(events, ElementsAre("close agreements"));
    EXPECT_TRUE(dialogs.alerts.empty());
}

TEST(OakruneAgreementsJSON, ABrokenTitleDoesNotCostTheList)
{
    EXPECT_EQ(agreementsJSON({}), "[]");
    const OakrunePairing::ActionItem broken { .id = "1", .itemId = "", .title = "bad \xff byte", .rule = "", .message = "", .dueDate = "", .severity = "" };
    const auto list = Json::parse(agreementsJSON({ broken, { .id = "2", .itemId = "", .title = "</script>", .rule = "", .message = "", .dueDate = "", .severity = "" } }));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["title"], "bad \ufffd byte");
    EXPECT_EQ(list[1]["title"], "</script>");
}

// ---- with the real panels ----

// The panels' own actions and the real panel list, over the stand-in engine's panel script.
class OakrunePanelsTest : public ::testing::Test {
protected:
    OakrunePanelsTest()
    {
        testing::installStandInEngine(engineHome.path());
        registerOakrunePanelActions(panels->actions(), actions);
    }

    std::shared_ptr<PanelWC> open(const std::string& kind, const std::vector<std::string>& extra = {})
    {
        const auto before = toolkit.windows.size();
        panels->openPanel(kind, extra);
        EXPECT_TRUE(queue.runUntil([&] { return toolkit.windows.size() > before; }));
        return panels->visiblePanel(kind);
    }
    ui::NavigationPolicy navigate(const PanelWC& panel, const std::string& url)
    {
        return static_cast<ui::fake::FakeWebView&>(panel.web()).navigate({ url });
    }

    testing::EngineTestHome engineHome;
    ManualMainQueue& queue = engineHome.mainQueue;
    WorkQueue workers { "test.oakrune.panels", 2 };
    ui::fake::FakeToolkit toolkit;
    std::shared_ptr<Panels> panels = Panels::create(toolkit);
    FakeLibrary library { engineHome.home.file("downloads") };
    std::vector<std::string> readers;
    std::shared_ptr<OakruneActions> actions = std::make_shared<OakruneActions>(OakruneHooks {
        .dialogs = toolkit.fakeDialogs,
        .workers = workers,
        .client = [this] { return library.client(); },
        .deviceName = [] { return std::string("Desk"); },
        .currentDocPath = {},
        .openReader = [this](const std::string& path) { readers.push_back(path); },
        .openPanel = [this](const std::string& kind, const std::vector<std::string>& extra) { panels->openPanel(kind, extra); },
        .closePanels = [this](const std::string& kind) { panels->closePanels(kind); },
        .reloadSettingsPanelIfOpen = [this] { panels->reloadSettingsPanelIfOpen(); },
        .brandName = "Quill",
    });
};

TEST_F(OakrunePanelsTest, DisconnectClosesTheAgreementsPanelAndReloadsTheSettings)
{
    library.connect({ kReadWrite });
    const auto settings = open("settings");
    const auto agreements = open("agreements");
    ASSERT_TRUE(settings && agreements);

    const auto before = toolkit.windows.size();
    EXPECT_EQ(navigate(*settings, "qeliz://oakdisconnect"), ui::NavigationPolicy::Cancel);
    EXPECT_FALSE(library.token);
    EXPECT_FALSE(agreements->isVisible());
    ASSERT_TRUE(queue.runUntil([&] { return toolkit.windows.size() > before; }));
    const auto reloaded = panels->visiblePanel("settings");
    ASSERT_TRUE(reloaded);
    EXPECT_NE(reloaded, settings);
    EXPECT_EQ(panels->visiblePanel("agreements"), nullptr);
}

TEST_F(OakrunePanelsTest, TheAgreementsPanelListsItsLinksAndOpensOnlyARealId)
{
    library.connect({ kReadWrite });
    library.answer(200, R"([{"id":"a 1","title":"Office lease"}])");
    const auto first = open("agreements");
    ASSERT_TRUE(first);
    EXPECT_EQ(navigate(*first, "qeliz://agreements"), ui::NavigationPolicy::Cancel);
    EXPECT_FALSE(first->isVisible()) << "the old panel goes at once";
    workers.waitUntilIdle();
    ASSERT_TRUE(queue.runUntil([&] { return panels->visiblePanel("agreements") != nullptr; }));
    const auto fresh = panels->visiblePanel("agreements");
    EXPECT_THAT(panels->panels(), ElementsAre(fresh));
    const auto& view = static_cast<ui::fake::FakeWebView&>(fresh->web());
    const std::string page = *realFileSystem().readFile(view.loads.back().substr(std::string("file://").size()));
    EXPECT_THAT(page, HasSubstr("href=\"qeliz://openagreement?id=a%201\">Office lease</a>"));

    library.answer(200, "%PDF-1.4 lease");
    navigate(*fresh, "qeliz://openagreement");
    navigate(*fresh, "qeliz://openagreement?id=");
    navigate(*fresh, "qeliz://openagreement?id=a%201");
    workers.waitUntilIdle();
    ASSERT_TRUE(queue.runUntil([&] { return !readers.empty(); }));
    EXPECT_THAT(readers, ElementsAre(engineHome.home.file("downloads/oakrune-a1.pdf")));
    ASSERT_EQ(library.sent().size(), 2u);
    EXPECT_EQ(library.sent()[1].path, "/api/library/a%201/file");
}

}
}
