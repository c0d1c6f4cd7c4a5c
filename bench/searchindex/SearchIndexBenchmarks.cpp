// Speed of the search index against ripgrep over the same files, printed as ratios at the end of
// one run: 10,000 generated text documents of 60 lines (a rare phrase in every 200th), indexed
// once; an exact query for the rare phrase and one found in nearly every line, end to end; and
// the re-index after one file changed against a full index into an empty database; and the
// page's "search" action for the rare phrase over the indexed folder, from the URL action to the
// answer evaluated in a recording web view.

#include "app/Globals.h"
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/CrossFolderSearch.h"
#include "crossdoc/SearchIndex.h"
#include "platform/core/Paths.h"
#include "platform/core/Process.h"
#include "platform/core/WorkQueue.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/PageBridge.h"
#include "review/ReviewWindows.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

namespace {

using namespace ikw;

constexpr const char* kRarePhrase = "quarterly indemnity waiver";
constexpr const char* kCommonWord = "the";
constexpr int kDocuments = 10000;
constexpr int kRareEvery = 200;
constexpr int kLines = 60;

// Pseudo-words of two or three syllables, with a few short words that most lines hold.
class PseudoText {
public:
    explicit PseudoText(std::uint32_t seed)
        : m_random(seed)
    {
        static const char* const kSyllables[] = { "ka", "lo", "mi", "ner", "tus", "va", "del", "pro", "si", "gan", "bor",
            "fi", "ul", "mar", "tek", "ros", "pa", "din", "ve", "so", "lan", "quo", "zer", "hu" };
        std::uniform_int_distribution<std::size_t> syllable(0, std::size(kSyllables) - 1);
        std::uniform_int_distribution<int> length(2, 3);
        for (int count = 0; count < 4000; ++count) {
            std::string word;
            for (int part = length(m_random); part > 0; --part)
                word += kSyllables[syllable(m_random)];
            m_words.push_back(std::move(word));
        }
    }

    std::string line()
    {
        static const char* const kShortWords[] = { "the", "of", "and", "to" };
        std::uniform_int_distribution<std::size_t> word(0, m_words.size() - 1);
        std::uniform_int_distribution<int> chance(0, 99);
        std::string text;
        for (int count = 0; count < 9; ++count) {
            text += count ? " " : "";
            const int roll = chance(m_random);
            text += roll < 40 ? kShortWords[roll % 4] : m_words[word(m_random)];
        }
        return text;
    }

private:
    std::mt19937 m_random;
    std::vector<std::string> m_words;
};

struct Corpus {
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    const std::string folder = home.file("Corpus");
    std::vector<std::string> files;

    Corpus()
    {
        PseudoText text(20240611);
        for (int index = 0; index < kDocuments; ++index) {
            std::string contents;
            for (int line = 0; line < kLines; ++line) {
                contents += text.line();
                if (line == kLines / 2 && index % kRareEvery == 0)
                    contents += " Quarterly Indemnity Waiver";
                contents += '\n';
            }
            files.push_back(testing::writeTestFile(folder + "/matter-" + std::to_string(index / 100) + "/doc-" + std::to_string(index) + ".txt", contents));
        }
    }

    std::string databasePath(const std::string& name) const { return home.file("index/" + name); }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

// The index the queries and the re-index run on, built once.
crossdoc::IWSearchIndex& sharedIndex()
{
    static crossdoc::IWSearchIndex index(corpus().databasePath("shared.db"));
    if (!index.isFresh({ corpus().folder }, {}, kDocuments))
        index.reindex({ corpus().folder }, {}, kDocuments);
    return index;
}

void BM_FullIndex_Inkwarden(benchmark::State& state)
{
    int run = 0;
    for (auto _ : state) {
        crossdoc::IWSearchIndex index(corpus().databasePath("full-" + std::to_string(run++) + ".db"));
        if (index.reindex({ corpus().folder }, {}, kDocuments) != static_cast<std::size_t>(kDocuments))
            state.SkipWithError("not every file was indexed");
    }
}

void BM_TouchOneAndReindex_Inkwarden(benchmark::State& state)
{
    crossdoc::IWSearchIndex& index = sharedIndex();
    const std::string& file = corpus().files[kDocuments / 2];
    time_t when = ::time(nullptr) + 100;
    for (auto _ : state) {
        const timespec times[2] = { { when, 0 }, { when, 0 } };
        ++when;
        ::utimensat(AT_FDCWD, file.c_str(), times, 0);
        if (index.isFresh({ corpus().folder }, {}, kDocuments) || index.reindex({ corpus().folder }, {}, kDocuments) != 1)
            state.SkipWithError("the touched file was not found stale");
    }
}

void searchIndex(benchmark::State& state, const char* query, std::size_t expectedDocuments)
{
    crossdoc::IWSearchIndex& index = sharedIndex();
    for (auto _ : state) {
        const auto results = index.searchExact(query);
        if (results.size() != expectedDocuments)
            state.SkipWithError("unexpected number of documents found");
        benchmark::DoNotOptimize(results.data());
    }
}

void searchRipgrep(benchmark::State& state, const char* query)
{
    for (auto _ : state) {
        ProcessOptions options;
        options.argv = { "rg", "-i", "-F", "-c", query, corpus().folder };
        options.timeoutSeconds = 600;
        if (!runProcess(options).succeeded())
            state.SkipWithError("cannot run rg");
    }
}

// A review window over the corpus folder on the recording toolkit, its page's actions answered by
// cross-folder search on the index built above.
class SearchPage {
public:
    SearchPage()
    {
        services.toolkit = &toolkit;
        services.webContext = toolkit.makeWebContext();
        services.trustedRoots = { corpus().home.file("reviews") };
        bridge = installPageBridge(services);
        crossdoc::registerActions(bridge->actions, { .workers = &workers, .search = search });
        window = windows.open(testing::writeTestFile(corpus().home.file("reviews/page.html"), "<html></html>"));
        window->sourcePaths = { corpus().folder };
    }
    ~SearchPage() { search->shutdown(); }

    // The answer's script, or "" when none came within a minute.
    std::string ask(const std::string& url)
    {
        auto& view = static_cast<ui::fake::FakeWebView&>(window->webView());
        view.evaluated.clear();
        view.navigate({ url });
        queue.runUntil([&] { return !view.evaluated.empty(); }, 60);
        return view.evaluated.empty() ? std::string() : view.evaluated.back();
    }

private:
    ManualMainQueue queue;
    ScopedMainQueue installed { queue };
    ui::fake::FakeToolkit toolkit;
    ReviewServices services;
    ReviewWindows windows { services };
    std::shared_ptr<PageBridge> bridge;
    WorkQueue workers { "bench-workers", 2 };
    std::shared_ptr<crossdoc::CrossFolderSearch> search = std::make_shared<crossdoc::CrossFolderSearch>(workers,
        [] { return std::make_unique<crossdoc::IWSearchIndex>(corpus().databasePath("shared.db")); });
    std::shared_ptr<ReviewWC> window;
};

SearchPage& searchPage()
{
    static SearchPage page;
    return page;
}

void BM_SearchAction_Inkwarden(benchmark::State& state)
{
    const std::string url = "qeliz://search?q=quarterly%20indemnity%20waiver";
    const std::string expected = "\"docCount\":" + std::to_string(kDocuments / kRareEvery) + ",";
    for (auto _ : state) {
        const std::string answer = searchPage().ask(url);
        if (answer.find("\"indexed\":true") == std::string::npos || answer.find(expected) == std::string::npos)
            state.SkipWithError("the action did not answer from the index with every document");
    }
}

void BM_RareQuery_Inkwarden(benchmark::State& state) { searchIndex(state, kRarePhrase, kDocuments / kRareEvery); }
void BM_RareQuery_Ripgrep(benchmark::State& state) { searchRipgrep(state, kRarePhrase); }
void BM_CommonQuery_Inkwarden(benchmark::State& state) { searchIndex(state, kCommonWord, 300); }
void BM_CommonQuery_Ripgrep(benchmark::State& state) { searchRipgrep(state, kCommonWord); }

BENCHMARK(BM_FullIndex_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_TouchOneAndReindex_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_RareQuery_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_RareQuery_Ripgrep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_SearchAction_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_CommonQuery_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CommonQuery_Ripgrep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] {
        sharedIndex();
        searchPage().ask("qeliz://search?q=warm"); // makes the action's index and queue
    }, [](const bench::RatioReporter& times) {
        bench::printRatio("index query, rare phrase: time / rg -i -F -c's",
            times.ratio("BM_RareQuery_Inkwarden", "BM_RareQuery_Ripgrep"), "<=", 0.1);
        bench::printRatio("search action, rare phrase, to the page's answer: time / rg -i -F -c's",
            times.ratio("BM_SearchAction_Inkwarden", "BM_RareQuery_Ripgrep"), "<=", 0.125);
        bench::printRatio("index query found in nearly every line: time / rg's",
            times.ratio("BM_CommonQuery_Inkwarden", "BM_CommonQuery_Ripgrep"));
        bench::printRatio("re-index after touching one of 10,000 files: / full index",
            times.ratio("BM_TouchOneAndReindex_Inkwarden", "BM_FullIndex_Inkwarden"), "<=", 0.01);
    });
}
