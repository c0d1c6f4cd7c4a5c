#include "crossdoc/DraftTimeline.h"

#include "crossdoc/CrossDocActions.h"
#include "crossdoc/TimelinePage.h"
#include "library/LibraryLayer.h"
#include "review/EngineLocator.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"
#include "tests/support/CapturedStream.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::crossdoc {
namespace {

// Answers every pair it is asked for (else each neighbour pair) with the job it read and its
// arguments, so a test can see what the application sent.
constexpr const char* kRecordingDiff = R"(import json, sys
job = json.load(open(sys.argv[2]))
pairs = job.get("pairs") or [[i, i + 1] for i in range(len(job["paths"]) - 1)]
seen = {"job": job, "argv": sys.argv[1:]}
answer = {"drafts": seen, "diffs": {"%d>%d" % (a, b): seen for a, b in pairs}}
open(sys.argv[3], "w").write(json.dumps(answer))
)";

const std::string kGuardOpen = "if(window.ikwTimeline){try{ikwTimeline(";
const std::string kDiffsGuardOpen = "if(window.ikwTimelineDiffs){try{ikwTimelineDiffs(";
const std::string kGuardClose = ")}catch(e){}}";

class DraftTimelining : public ikw::testing::ReviewFixture {
protected:
    DraftTimelining() { registerActions(actions, { .draftTimeline = timeline }); }
    // Runs still going finish here, so that their answers (and log lines) do not reach the next test.
    ~DraftTimelining() override { queue.runUntil([&] { return runFiles().empty(); }, 20); }

    void send(ReviewWC& window, const std::string& url) { actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url }); }
    std::string draft(const std::string& name, const std::string& text = "first\nsecond\n") const
    {
        return ikw::testing::writeTestFile(home.file("Drafts/" + name), text);
    }
    std::vector<std::string> threeDrafts() const
    {
        return { draft("v1.txt", "alpha\nbeta\n"), draft("v2.txt", "alpha\ngamma\n"), draft("v3.txt", "delta\ngamma\n") };
    }
    void useDiffScript(const std::string& text) { ikw::testing::writeEngineScript(home.path(), "app/inkwarden_diff.py", text); }
    std::shared_ptr<ReviewWC> timelineWindow()
    {
        for (const auto& window : windows.windows()) {
            if (window->timeline.isTimeline)
                return window;
        }
        return nullptr;
    }
    bool showsTimelinePage(ReviewWC& window) { return !viewOf(window).loads.empty() && viewOf(window).loads.back() == "file://" + timelineHTMLPath(); }
    // Opens the timeline and waits for its first run.
    std::shared_ptr<ReviewWC> openedTimeline(const std::vector<std::string>& drafts)
    {
        timeline->openDraftTimeline(drafts);
        const auto window = timelineWindow();
        if (!window)
            return nullptr;
        EXPECT_TRUE(queue.runUntil([&] { return showsTimelinePage(*window); }, 20));
        return window;
    }
    // The hidden job and answer files of the timeline in the reviews folder.
    std::vector<std::string> runFiles() const
    {
        std::vector<std::string> names;
        if (std::filesystem::exists(globals.get().archive)) {
            for (const auto& entry : std::filesystem::directory_iterator(globals.get().archive)) {
                const std::string name = entry.path().filename();
                if (name.starts_with(".tl-") || name.starts_with(".tlo-"))
                    names.push_back(name);
            }
        }
        return names;
    }
    // The arguments of every call of `open`...`)}catch(e){}}` the window's page was given.
    std::vector<Json> callsOf(ReviewWC& window, const std::string& open)
    {
        std::vector<Json> calls;
        for (const auto& script : viewOf(window).evaluated) {
            if (script.starts_with(open) && script.ends_with(kGuardClose))
                calls.push_back(parseJson("[" + script.substr(open.size(), script.size() - open.size() - kGuardClose.size()) + "]").value_or(Json("unreadable")));
        }
        return calls;
    }

    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    EngineRunOptions runOptions {};
    std::shared_ptr<DraftTimeline> timeline = std::make_shared<DraftTimeline>(toolkit.fakeDialogs, [this] { return library; }, runOptions);
    UrlActions actions;
};

TEST(DraftTimelineText, DraftsTitleAndDiffsObject)
{
    ikw::testing::TempHome home;
    const std::string folder = home.file("Drafts.pdf");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(timelineDrafts({ "/a/v1.PDF", folder, "/a/sheet.xlsx", "/a/notes.md", "/a/deck.Key", "/a/README", "/a/v2.pages" }),
        (std::vector<std::string> { "/a/v1.PDF", "/a/notes.md", "/a/deck.Key", "/a/v2.pages" }));
    EXPECT_EQ(draftTimelineTitle(3), "Draft Timeline \u00b7 3 drafts");

    // Keys come from the script, so they are quoted; the object is valid JSON whatever they hold.
    const std::map<std::string, std::string> diffs { { "0>1", R"({"added":["x"]})" }, { "a\"b</script>\u2028", "[1]" } };
    EXPECT_EQ(parseJson(timelineDiffsObject(diffs)), Json::parse(R"({"0>1":{"added":["x"]},"a\"b</script>\u2028":[1]})"));
    EXPECT_EQ(timelineDiffsObject({}), "{}");
}

TEST(DraftTimelineText, AReorderAsksOnlyForNewNeighbourPairsOfRealDrafts)
{
    const std::map<std::string, std::string> known { { "0>1", "{}" }, { "1>2", "{}" } };
    struct Case {
        const char* order;
        std::vector<DraftPair> pairs;
    };
    const Case cases[] = {
        { "2,0,1", { { 2, 0 } } },
        { "0,1,2", {} },
        { "1,,x,0", { { 1, 0 } } },
        { "2,0,2,0", { { 2, 0 }, { 0, 2 } } },
        // Indexes that name no draft are dropped before pairing.
        { "5,0", {} },
        { "2,5,-1,0", { { 2, 0 } } },
        { "3,2,1", { { 2, 1 } } },
        { "9223372036854775808,2,1", { { 2, 1 } } },
        { "2", {} },
        { "", {} },
        { ",,", {} },
    };
    for (const auto& test : cases)
        EXPECT_EQ(reorderPairs(test.order, 3, known), test.pairs) << test.order;
    EXPECT_EQ(reorderPairs("1,,x,2", 3, {}), (std::vector<DraftPair> { { 1, 2 } }));
}

TEST_F(DraftTimelining, ThePickerKeepsDraftsAndOpensATimelineOrOneDocument)
{
    const std::string folder = home.file("Drafts");
    const auto a = draft("v1.pdf");
    const auto b = draft("v2.PDF");
    const auto brief = draft("brief.docx");
    const auto sheet = draft("sheet.xlsx");
    struct Case {
        const char* what;
        std::optional<std::vector<std::string>> chosen;
        std::vector<std::string> timeline; // the drafts of the timeline opened, if any
        std::vector<std::string> reader;   // the document opened alone, if any
    };
    const Case cases[] = {
        { "a folder and two PDFs", std::vector { folder, a, b }, { a, b }, {} },
        { "a docx and an xlsx", std::vector { brief, sheet }, {}, { brief } },
        { "only a folder", std::vector { folder }, {}, {} },
        { "cancelled", std::nullopt, {}, {} },
    };
    for (const auto& test : cases) {
        for (const auto& window : std::vector(windows.windows()))
            window->closeTab();
        toolkit.fakeDialogs.panels.clear();
        toolkit.fakeDialogs.openAnswers = { test.chosen };
        send(*windows.open(std::nullopt), "drafttimeline");

        ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u) << test.what;
        const auto& panel = toolkit.fakeDialogs.panels.front();
        EXPECT_EQ(panel.title, "Choose two or more drafts of one document to compare on a timeline");
        EXPECT_EQ(panel.prompt, "Compare Drafts");
        EXPECT_TRUE(panel.extensions.empty());
        EXPECT_TRUE(panel.chooseFiles && !panel.chooseDirectories && panel.allowsMultiple);

        const auto shown = timelineWindow();
        EXPECT_EQ(shown ? shown->timeline.timelinePaths : std::vector<std::string> {}, test.timeline) << test.what;
        // Its diff run ends (and is answered) before the next case closes the tab or the test ends.
        if (shown)
            EXPECT_TRUE(queue.runUntil([&] { return showsTimelinePage(*shown); }, 20)) << test.what;
        std::vector<std::string> readers;
        for (const auto& window : windows.windows()) {
            if (window->isReader)
                readers.insert(readers.end(), window->sourcePaths.begin(), window->sourcePaths.end());
        }
        EXPECT_EQ(readers, test.reader) << test.what;
    }
}

TEST_F(DraftTimelining, TimelineGoOpensTheTimelineTabWithItsTitleAndSpinner)
{
    const auto host = windows.open(std::nullopt);
    send(*host, "timelinego?paths=[]");
    EXPECT_TRUE(engineRuns.empty());
    EXPECT_FALSE(host->hasContent) << "an empty list does nothing";

    send(*host, "timelinego?paths=" + toJson(Json { home.file("Drafts/outline.zip") }));
    ASSERT_EQ(engineRuns.size(), 1u) << "one unsupported file opens as a document";
    EXPECT_EQ(engineRuns.front().back(), home.file("Drafts/outline.zip"));
    EXPECT_FALSE(timelineWindow());

    const auto drafts = threeDrafts();
    send(*host, "timelinego?paths=" + toJson(Json { "relative/v0.txt", drafts[0], drafts[1], drafts[2] }));
    const auto window = timelineWindow();
    ASSERT_TRUE(window);
    EXPECT_NE(window, host) << "the host has content, so the timeline gets a tab of its own";
    EXPECT_EQ(&window->window(), &host->window());
    EXPECT_EQ(window->timeline.timelinePaths, drafts) << "a page's relative path is not used";
    EXPECT_EQ(window->sourcePaths, drafts);
    EXPECT_TRUE(window->hasContent && !window->isReader && !window->isGrid);
    EXPECT_EQ(windowOf(*window).title(), "Draft Timeline \u00b7 3 drafts");
    EXPECT_EQ(window->representedFile(), "");
    ASSERT_TRUE(window->loadingFile);
    EXPECT_EQ(viewOf(*window).loads.back(), "file://" + *window->loadingFile) << "the spinner shows until the run completes";
}

TEST_F(DraftTimelining, RunsSendTheirJobsAndTheReorderAddsOnlyMissingPairs)
{
    useDiffScript(kRecordingDiff);
    const auto drafts = threeDrafts();
    timeline->openDraftTimeline(drafts);
    const auto window = timelineWindow();
    ASSERT_TRUE(window);
    send(*window, "timelineready");
    EXPECT_TRUE(callsOf(*window, kGuardOpen).empty()) << "nothing is sent before the first run completed";

    ASSERT_TRUE(queue.runUntil([&] { return showsTimelinePage(*window); }, 20));
    const auto opening = parseJson(window->timeline.timelineDraftsJSON).value_or(Json());
    EXPECT_EQ(opening["job"], (Json { { "paths", drafts }, { "meta", true } })) << "no pairs at opening";
    const std::string jobPath = opening["argv"][1];
    EXPECT_TRUE(jobPath.starts_with(globals.get().archive + "/.tl-")) << jobPath;
    EXPECT_TRUE(std::string(opening["argv"][2]).starts_with(globals.get().archive + "/.tlo-"));
    EXPECT_EQ(window->timeline.timelineDiffs.size(), 2u);
    EXPECT_TRUE(runFiles().empty()) << "job and answer are removed after the run";

    send(*window, "timelineready");
    auto pushed = callsOf(*window, kGuardOpen);
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0][0], opening);
    EXPECT_EQ(pushed[0][1].size(), 2u);
    EXPECT_TRUE(pushed[0][1].contains("0>1") && pushed[0][1].contains("1>2"));

    for (const char* order : { "0,1,2", "5,0", "1,x" }) {
        send(*window, std::string("timelinereorder?order=") + order);
        EXPECT_TRUE(runFiles().empty()) << order << " starts no run";
    }
    send(*window, "timelinereorder?order=2%2C0%2C1");
    ASSERT_TRUE(queue.runUntil([&] { return !callsOf(*window, kDiffsGuardOpen).empty(); }, 20));
    const auto added = callsOf(*window, kDiffsGuardOpen);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0][0].size(), 1u) << "only the new key is sent";
    EXPECT_EQ(added[0][0]["2>0"]["job"], (Json { { "paths", drafts }, { "meta", false }, { "pairs", { { 2, 0 } } } }));
    EXPECT_TRUE(window->timeline.timelineDiffs.contains("2>0"));
    EXPECT_EQ(window->timeline.timelineDraftsJSON, toJson(opening)) << "a reorder's drafts are not used";
    EXPECT_TRUE(runFiles().empty());

    send(*window, "timelineready");
    pushed = callsOf(*window, kGuardOpen);
    ASSERT_EQ(pushed.size(), 2u);
    EXPECT_EQ(pushed[1][1].size(), 3u) << "every stored diff is sent";

    // A tab closed while its run goes on drops the answer.
    send(*window, "timelinereorder?order=1,0");
    window->closeTab();
    ASSERT_TRUE(queue.runUntil([&] { return runFiles().empty(); }, 20));
    EXPECT_FALSE(window->timeline.timelineDiffs.contains("1>0"));
}

TEST_F(DraftTimelining, ABadAnswerStillLoadsThePageWithNoDrafts)
{
    struct Case {
        const char* what;
        const char* script;
        std::size_t diffs;
        std::size_t logLines;
    };
    const Case cases[] = {
        { "no drafts", "import sys\nopen(sys.argv[3], 'w').write('{\"diffs\": {\"0>1\": {\"a\": 1}, \"1>2\": 5}}')", 2, 0 },
        { "not an object", "import sys\nopen(sys.argv[3], 'w').write('[1, 2]')", 0, 1 },
        { "not JSON", "import sys\nopen(sys.argv[3], 'w').write('{oops')", 0, 1 },
        { "no answer", "import sys\nsys.exit(3)", 0, 1 },
    };
    const auto drafts = threeDrafts();
    for (const auto& test : cases) {
        useDiffScript(test.script);
        ikw::testing::CapturedStream errors(STDERR_FILENO);
        const auto window = openedTimeline(drafts);
        ASSERT_TRUE(window) << test.what;
        EXPECT_EQ(window->timeline.timelineDraftsJSON, "[]") << test.what;
        EXPECT_EQ(window->timeline.timelineDiffs.size(), test.diffs) << test.what;
        const auto log = errors.text();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), static_cast<long>(test.logLines)) << test.what << ": " << log;
        EXPECT_TRUE(runFiles().empty()) << test.what;
        send(*window, "timelineready");
        const auto pushed = callsOf(*window, kGuardOpen);
        ASSERT_EQ(pushed.size(), 1u) << test.what;
        EXPECT_EQ(pushed[0][0], Json::array()) << test.what;
        window->timeline.isTimeline = false; // the next case finds its own window
    }
}

TEST_F(DraftTimelining, AScriptThatNeverEndsIsStoppedAndThePageStillLoads)
{
    useDiffScript("import time\ntime.sleep(60)");
    timeline = std::make_shared<DraftTimeline>(toolkit.fakeDialogs, [this] { return library; }, EngineRunOptions { .idleTimeoutSeconds = 0.5, .interpreter = {} });
    ikw::testing::CapturedStream errors(STDERR_FILENO);
    const auto started = std::chrono::steady_clock::now();
    const auto window = openedTimeline(threeDrafts());
    ASSERT_TRUE(window);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
    EXPECT_EQ(window->timeline.timelineDraftsJSON, "[]");
    const auto log = errors.text();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("[ikw] draft timeline"), std::string::npos) << log;
    EXPECT_TRUE(runFiles().empty());
}

}
}
