// The "search" action end to end on the recording web view and the manual main queue: the page
// calls in order, the requests, the scope, and what the index answers for a scope.
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/CrossFolderSearch.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridgeTestFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace ikw::crossdoc {
namespace {

// One evaluated page call: the function's name and its JSON argument.
struct PageCall {
    std::string name;
    Json argument;
};

PageCall parseCall(const std::string& script)
{
    const std::string head = "if(window.";
    const std::size_t nameEnd = script.find(')', head.size());
    const std::string name = script.substr(head.size(), nameEnd - head.size());
    const std::string open = "{try{" + name + "(";
    const std::string tail = ")}catch(e){}}";
    const std::size_t begin = script.find(open) + open.size();
    const auto argument = parseJson(script.substr(begin, script.size() - begin - tail.size()));
    EXPECT_TRUE(argument) << script;
    return { name, argument.value_or(Json()) };
}

class CrossFolderSearchTest : public ikw::testing::PageBridgeFixture {
protected:
    CrossFolderSearchTest() { registerActions(bridge->actions, { .workers = &workers, .search = service }); }
    ~CrossFolderSearchTest() override { service->shutdown(); }

    // The page calls since the last look, once every queue has run.
    std::vector<PageCall> settle()
    {
        service->searchIndexQ().waitUntilIdle();
        workers.waitUntilIdle();
        queue.drain();
        std::vector<PageCall> calls;
        for (const std::string& script : view().evaluated)
            calls.push_back(parseCall(script));
        view().evaluated.clear();
        return calls;
    }
    std::vector<PageCall> runSearch(const std::string& query)
    {
        send("qeliz://search?" + query);
        return settle();
    }

    std::string writePdf(const std::string& name, const std::string& text)
    {
        return ikw::testing::writeTestFile(home.file(name), pdf::testing::textPdf({ pdf::testing::TextFixturePage { { text } } }));
    }
    std::string writeText(const std::string& name, const std::string& text) { return ikw::testing::writeTestFile(home.file(name), text); }

    // The documents' names, sorted: documents with equal counts come in the index's rank order.
    static std::vector<std::string> names(const Json& payload)
    {
        std::vector<std::string> result;
        for (const Json& document : payload["docs"])
            result.push_back(document["name"]);
        std::sort(result.begin(), result.end());
        return result;
    }

    WorkQueue workers { "cross-folder-search-tests", 2 };
    std::atomic<int> extractions = 0;
    // Told of each file the index extracts, on the index queue.
    std::function<void()> onExtract;
    std::shared_ptr<CrossFolderSearch> service = std::make_shared<CrossFolderSearch>(workers, [this] {
        return std::make_unique<IWSearchIndex>(home.file("index/searchindex.db"),
            [this](const std::string& path, const std::string& type, const ExtractorOptions& options) {
                ++extractions;
                if (onExtract)
                    onExtract();
                return extractChunks(path, type, options);
            });
    });
};

TEST_F(CrossFolderSearchTest, AStaleScopeGetsTheLiveAnswerThenProgressThenTheIndexedAnswer)
{
    writePdf("Matter/brief.pdf", "The INVOICE is attached");
    writeText("Matter/notes.txt", "an invoice and another invoice");
    writeText("Matter/sub/deep.md", "invoice\n");
    writeText("Matter/other.txt", "nothing here");
    window->sourcePaths = { home.file("Matter") };

    const auto calls = runSearch("q=invoice");
    ASSERT_EQ(calls.size(), 6u);
    const Json& interim = calls[0].argument;
    EXPECT_EQ(calls[0].name, "ikwSearchResults");
    EXPECT_EQ(interim["indexed"], false);
    EXPECT_EQ(interim["indexing"], true);
    EXPECT_EQ(names(interim), std::vector<std::string> { "brief.pdf" }) << "the live search reads PDFs only";
    EXPECT_EQ(interim["docs"][0]["type"], "pdf");
    EXPECT_EQ(interim["docs"][0]["hits"][0]["anchor"], "1");
    EXPECT_EQ(interim["docs"][0]["hits"][0]["atype"], "page");
    EXPECT_FALSE(interim.contains("truncated"));
    for (std::size_t done = 1; done <= 4; ++done) {
        EXPECT_EQ(calls[done].name, "ikwIndexProgress");
        EXPECT_EQ(calls[done].argument["done"], done);
        EXPECT_EQ(calls[done].argument["total"], 4);
    }
    const Json& indexed = calls[5].argument;
    EXPECT_EQ(calls[5].name, "ikwSearchResults");
    EXPECT_EQ(indexed["indexed"], true);
    EXPECT_EQ(indexed["indexing"], false);
    EXPECT_EQ(names(indexed), (std::vector<std::string> { "brief.pdf", "deep.md", "notes.txt" }));
    EXPECT_EQ(indexed["docs"][0]["name"], "notes.txt") << "most hits first";
    EXPECT_EQ(indexed["docs"][0]["count"], 2);
    EXPECT_EQ(indexed["docs"][0]["shown"], 2);
    EXPECT_EQ(indexed["docs"][0]["type"], "text");
    EXPECT_EQ(indexed["docs"][0]["hits"][1]["atype"], "line");
    EXPECT_EQ(indexed["docCount"], 3);
    EXPECT_EQ(indexed["hitCount"], 4);
    EXPECT_EQ(indexed["scope"], "Matter");
    EXPECT_EQ(indexed["scopeCount"], 1);
    EXPECT_EQ(extractions, 4);

    const auto again = runSearch("q=invoice");
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].argument, indexed);
    EXPECT_EQ(extractions, 4) << "a fresh scope is not re-read";
}

TEST_F(CrossFolderSearchTest, RequestsAreTrimmedAndTheirModeLowerCased)
{
    writePdf("Matter/brief.pdf", "ab invoice");
    writeText("Matter/notes.txt", "the invoice");
    window->sourcePaths = { home.file("Matter/brief.pdf") };
    runSearch("q=invoice"); // indexes the folder

    struct Case {
        std::string query;
        std::string q;
        std::string mode;
        bool indexed;
        std::size_t docCount;
        std::string note; // live answers only
    };
    const Case cases[] = {
        { "q=ab", "ab", "exact", false, 1, "" },
        { "q=", "", "exact", false, 0, "empty" },
        { "mode=exact", "", "exact", false, 0, "empty" },
        { "q=x&mode=FUZZY", "x", "fuzzy", false, 0, "short" },
        { "q=%20%20INVOICE%0A", "INVOICE", "exact", true, 2, "" },
        { "q=invoise&mode=Fuzzy", "invoise", "fuzzy", true, 2, "" },
        { "q=invoice&mode=other", "invoice", "other", true, 2, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const auto calls = runSearch(c.query);
        ASSERT_EQ(calls.size(), 1u);
        const Json& answer = calls[0].argument;
        EXPECT_EQ(answer["q"], c.q);
        EXPECT_EQ(answer["mode"], c.mode);
        EXPECT_EQ(answer["indexed"], c.indexed);
        EXPECT_EQ(answer["indexing"], false);
        EXPECT_EQ(answer["docCount"], c.docCount);
        EXPECT_EQ(answer["fuzzyAvailable"], false);
        EXPECT_EQ(answer["fuzzyPreview"], 0);
        EXPECT_EQ(answer["scope"], "Matter");
        EXPECT_EQ(answer["scopeCount"], 1);
        if (c.indexed) {
            EXPECT_FALSE(answer.contains("note") || answer.contains("scanned"));
            EXPECT_EQ(answer["docs"][0]["fuzzy"], c.mode == "fuzzy");
        } else {
            EXPECT_EQ(answer["note"], c.note);
            EXPECT_EQ(answer["scanned"], c.note.empty() ? 1 : 0);
        }
    }

    const auto misspelt = runSearch("q=invoise");
    ASSERT_EQ(misspelt.size(), 1u);
    EXPECT_TRUE(misspelt[0].argument["docs"].empty());
    EXPECT_EQ(misspelt[0].argument["fuzzyAvailable"], true);
    EXPECT_EQ(misspelt[0].argument["fuzzyPreview"], 2) << "one fuzzy hit in each document";
    EXPECT_EQ(runSearch("q=invoise&mode=other")[0].argument["fuzzyPreview"], 0) << "only an exact search offers fuzzy hits";
}

TEST_F(CrossFolderSearchTest, TheAnswerKeepsToTheScopeAndToFilesThatStillExist)
{
    writeText("A/top.txt", "retainer");
    const std::string kept = writeText("A/sub/kept.txt", "retainer");
    const std::string deleted = writeText("A/sub/deleted.txt", "retainer retainer");
    window->sourcePaths = { home.file("A") };
    EXPECT_EQ(names(runSearch("q=retainer").back().argument), (std::vector<std::string> { "deleted.txt", "kept.txt", "top.txt" }));

    window->sourcePaths = { home.file("A/sub") };
    const auto sub = runSearch("q=retainer");
    ASSERT_EQ(sub.size(), 1u) << "the subfolder is indexed already";
    EXPECT_EQ(names(sub[0].argument), (std::vector<std::string> { "deleted.txt", "kept.txt" }));
    EXPECT_EQ(sub[0].argument["hitCount"], 3);
    EXPECT_EQ(sub[0].argument["scope"], "sub");

    ASSERT_EQ(::unlink(deleted.c_str()), 0);
    const auto afterDeletion = runSearch("q=retainer");
    ASSERT_EQ(afterDeletion.size(), 1u);
    EXPECT_EQ(names(afterDeletion[0].argument), std::vector<std::string> { "kept.txt" });
    EXPECT_EQ(afterDeletion[0].argument["docCount"], 1);
    EXPECT_EQ(afterDeletion[0].argument["hitCount"], 1);
    EXPECT_EQ(runSearch("q=retanier")[0].argument["fuzzyPreview"], 1) << "the fuzzy preview keeps to the same documents";
}

TEST_F(CrossFolderSearchTest, AWindowClosedWhileItsSearchWaitsGetsNothingAndTheIndexIsLeftAlone)
{
    writeText("Matter/notes.txt", "invoice");
    window->sourcePaths = { home.file("Matter") };
    std::promise<void> release;
    service->searchIndexQ().post([waiting = release.get_future().share()] { waiting.wait(); });
    send("qeliz://search?q=invoice");

    const auto kept = std::static_pointer_cast<ui::fake::FakeWebView>(window->web);
    windowOf(*window).close();
    window.reset();
    release.set_value();
    service->searchIndexQ().waitUntilIdle();
    queue.drain();
    EXPECT_TRUE(kept->evaluated.empty());
    EXPECT_EQ(extractions, 0);
}

TEST_F(CrossFolderSearchTest, ShuttingDownStopsARunningReindexAfterTheFileInProgress)
{
    for (int number = 0; number < 41; ++number)
        writeText("Matter/file-" + std::to_string(number) + ".txt", "invoice");
    window->sourcePaths = { home.file("Matter") };
    std::promise<void> thirdStarted;
    std::atomic<bool> shuttingDown = false;
    onExtract = [&] {
        if (extractions != 3)
            return;
        thirdStarted.set_value();
        // The file in progress outlasts the call to shut down.
        while (!shuttingDown)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    };
    send("qeliz://search?q=invoice");
    ASSERT_EQ(thirdStarted.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    shuttingDown = true;
    service->shutdown();
    EXPECT_EQ(extractions, 3);

    queue.drain();
    std::vector<PageCall> calls;
    for (const std::string& script : view().evaluated)
        calls.push_back(parseCall(script));
    ASSERT_EQ(calls.size(), 4u) << "the interim answer and three steps, no indexed answer";
    EXPECT_EQ(calls.back().argument["done"], 3);
    EXPECT_EQ(IWSearchIndex(home.file("index/searchindex.db")).fileCount(), 3) << "what was read stays recorded";

    send("qeliz://search?q=invoice");
    queue.drain();
    EXPECT_EQ(view().evaluated.size(), 4u) << "no search after shutting down";
}

TEST(SearchScope, FoldersOfTheSourcesAndTheirPdfs)
{
    ikw::testing::TempHome home;
    const auto file = [&](const std::string& name) { return ikw::testing::writeTestFile(home.file(name), "%PDF-1.4\n"); };
    const std::string x = file("A/B/x.pdf");
    const std::string y = file("A/y.PDF");
    const std::string z = file("A/z.pdf");
    const std::string notes = file("A/notes.txt");
    const std::string missing = home.file("A/missing.pdf");
    struct Case {
        std::vector<std::string> sources;
        std::vector<std::string> dirs;
        std::vector<std::string> explicitFiles;
    };
    const Case cases[] = {
        { { x }, { home.file("A/B") }, { x } },
        { { z, y }, { home.file("A") }, { z, y } },
        { { missing, notes }, { home.file("A") }, { missing } },
        { { home.file("A/B"), x, home.file("A"), z }, { home.file("A/B"), home.file("A") }, { x, z } },
        { { "", missing }, {}, { missing } },
        { {}, {}, {} },
    };
    for (const Case& c : cases) {
        const SearchScope scope = searchScope(c.sources);
        EXPECT_EQ(scope.dirs, c.dirs);
        EXPECT_EQ(scope.explicitFiles, c.explicitFiles);
    }
    EXPECT_EQ(scopeName({ home.file("A/B"), home.file("A") }), "B");
    EXPECT_EQ(scopeName({ "/" }), "/");
    EXPECT_EQ(scopeName({}), "");
}

TEST(SearchPayloads, ALiveResultBecomesTheSharedShape)
{
    const SearchRequest request { "inv", "exact" };
    const Json live = { { "q", "other" }, { "truncated", true }, { "scanned", 4 }, { "scope", "Matter" }, { "scopeCount", 2 },
        { "docs", { { { "path", "/m/a.pdf" }, { "name", "a.pdf" }, { "count", 7 }, { "ocr", true },
                        { "hits", { { { "page", 3 }, { "snippet", "s" }, { "rects", Json::array() } }, { { "snippet", "no page" } } } } },
                      { { "path", "/m/b.pdf" }, { "count", "many" } }, "not a document" } } };
    const Json payload = upgradePayload(live, request, true);
    EXPECT_EQ(payload["q"], "inv");
    EXPECT_EQ(payload["mode"], "exact");
    EXPECT_EQ(payload["indexing"], true);
    EXPECT_EQ(payload["docCount"], 2);
    EXPECT_EQ(payload["hitCount"], 7) << "a count that is no integer adds nothing";
    const Json& first = payload["docs"][0];
    EXPECT_EQ(first["type"], "pdf");
    EXPECT_EQ(first["ocr"], true);
    EXPECT_EQ(first["hits"][0], (Json { { "page", 3 }, { "snippet", "s" }, { "rects", Json::array() }, { "anchor", "3" }, { "atype", "page" }, { "fuzzy", false } }));
    EXPECT_EQ(first["hits"][1]["anchor"], "");
    EXPECT_EQ(payload["docs"][1]["hits"], Json::array());
    EXPECT_EQ(payload["scanned"], 4);
    EXPECT_EQ(payload["scannedNoText"], Json::array());
    EXPECT_EQ(payload["ocrUsed"], 0);
    EXPECT_EQ(payload["note"], "");
    EXPECT_FALSE(payload.contains("truncated"));
    EXPECT_EQ(upgradePayload(Json("garbage"), request, false)["docs"], Json::array());
}

}
}
