#include "library/OpenRouter.h"

#include "app/Globals.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

std::string joined(const std::vector<std::string>& paths)
{
    std::string text;
    for (const auto& path : paths)
        text += (text.empty() ? "" : ",") + path;
    return text;
}

// Every call as one line, in order.
class RecordingOpeners final : public Openers {
public:
    void openReader(const std::string& path, const ReaderOpening& opening) override
    {
        calls.push_back("reader " + path + (opening.setPaths.empty() ? "" : " set=" + joined(opening.setPaths)));
    }
    void openGrid(const std::string& path) override { calls.push_back("grid " + path); }
    void openInDefaultApp(const std::string& path) override { calls.push_back("handoff " + path); }
    void openReviewDirect(const std::vector<std::string>& paths, const std::optional<std::string>& mode) override
    {
        calls.push_back("review " + joined(paths) + (mode ? " mode=" + *mode : ""));
    }
    void openInBrowser(const std::string& path) override { calls.push_back("browser " + path); }
    void recordRecent(const std::vector<std::string>& paths) override { calls.push_back("recent " + joined(paths)); }
    void handleFinderExtensionURL(const std::string& url) override { calls.push_back("finder " + url); }
    void noteDidOpen() override { calls.push_back("didOpen"); }
    void activate() override { calls.push_back("activate"); }

    std::vector<std::string> calls;
};

class OpenRouting : public ::testing::Test {
protected:
    OpenRouting()
    {
        testing::writeTestFile(home.file("docs/data.csv/inside.txt"), "a folder named like a table");
        testing::writeTestFile(home.file("docs/deck.pptx/inside.txt"), "a folder named like a deck");
    }
    std::string doc(const std::string& name) const { return home.file("docs/" + name); }
    void writeConfig(const std::string& json) { testing::writeTestFile(globals.get().configPath, json); }

    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    RecordingOpeners openers;
    OpenRouter router { openers };
};

TEST_F(OpenRouting, OpenedItemsGoWhereTheirKindBelongs)
{
    struct Case {
        std::vector<std::string> items;
        std::vector<std::string> expected;
    };
    const auto a = doc("A.PDF"), b = doc("b.docx"), folder = doc("data.csv"), deck = doc("deck.pptx");
    const Case cases[] = {
        { { a }, { "didOpen", "reader " + a, "activate" } },
        { { "file://" + doc("My%20Notes.txt") }, { "didOpen", "reader " + doc("My Notes.txt"), "activate" } },
        { { doc("x.csv") }, { "didOpen", "grid " + doc("x.csv"), "activate" } },
        { { doc("Budget.XLSX") }, { "didOpen", "handoff " + doc("Budget.XLSX"), "activate" } },
        { { doc("notes.html") }, { "didOpen", "browser " + doc("notes.html"), "activate" } },
        { { folder }, { "didOpen", "grid " + folder, "activate" } }, // the extension alone decides
        { { deck }, { "didOpen", "review " + deck, "activate" } },
        { { doc("photo.jpg") }, { "didOpen", "review " + doc("photo.jpg"), "activate" } },
        // Two documents form a set; "together" with two follows the two-file setting (a review).
        { { a, b }, { "didOpen", "review " + a + "," + b, "activate" } },
        // A folder among them: each item on its own.
        { { a, deck }, { "didOpen", "reader " + a, "review " + deck, "activate" } },
        // The hand-off URL is passed on first; other "qeliz" URLs are dropped.
        { { a, "qeliz://finder?op=open&p=%2Fx", "qeliz://pin?path=%2Fy", doc("x.csv") },
            { "finder qeliz://finder?op=open&p=%2Fx", "didOpen", "reader " + a, "grid " + doc("x.csv"), "activate" } },
        { { "QELIZ://Finder?op=open" }, { "finder QELIZ://Finder?op=open" } },
        { { "qeliz://open" }, {} },
        // Only paths and file URLs are local: a sign-in callback or a web address opens nothing.
        { { "inkwarden://auth?state=S&code=C" }, {} },
        { { "https://host/etc/hosts", "HTTP://host" + a }, {} },
        { { "inkwarden://auth?state=S", a }, { "didOpen", "reader " + a, "activate" } },
        { {}, {} },
    };
    for (const auto& test : cases) {
        openers.calls.clear();
        router.openURLs(test.items);
        EXPECT_EQ(openers.calls, test.expected) << joined(test.items);
    }
}

TEST_F(OpenRouting, RunEngineRoutesPathSets)
{
    struct Case {
        std::string config;
        std::vector<std::string> paths;
        std::optional<std::string> mode;
        std::vector<std::string> expected;
    };
    const auto a = doc("a.pdf"), b = doc("b.md"), c = doc("c.docx");
    const Case cases[] = {
        { "{}", {}, std::nullopt, { "review " } },
        { "{}", { a }, "rank", { "review " + a + " mode=rank" } },
        { "{}", { doc("data.csv") }, std::nullopt, { "grid " + doc("data.csv") } },
        { "{}", { a, b, c }, std::nullopt, { "review " + a + "," + b + "," + c } },
        { R"({"multidoc_open_mode":"Separately"})", { a, b, c }, std::nullopt, { "review " + a + "," + b + "," + c } },
        { R"({"multidoc_open_mode":"separately"})", { a, b, c }, std::nullopt,
            { "recent " + a + "," + b + "," + c, "reader " + a + " set=" + a + "," + b + "," + c,
                "reader " + b + " set=" + a + "," + b + "," + c, "reader " + c + " set=" + a + "," + b + "," + c } },
        { R"({"two_file_drop_action_v2":"","two_file_drop_action":"compare"})", { a, b }, std::nullopt, { "review " + a + "," + b + " mode=compare" } },
        { R"({"two_file_drop_action_v2":"Compare"})", { a, b }, std::nullopt, { "review " + a + "," + b } },
        { R"({"two_file_drop_action_v2":"individual"})", { a, b }, std::nullopt,
            { "recent " + a + "," + b, "reader " + a + " set=" + a + "," + b, "reader " + b + " set=" + a + "," + b } },
    };
    for (const auto& test : cases) {
        writeConfig(test.config);
        openers.calls.clear();
        router.runEngine(test.paths, test.mode);
        EXPECT_EQ(openers.calls, test.expected) << test.config << " " << joined(test.paths);
    }
}

TEST(TwoFileDropAction, FallsBackThroughTheLegacyKey)
{
    EXPECT_EQ(twoFileDropAction(Json::object()), "review");
    EXPECT_EQ(twoFileDropAction(Json { { "two_file_drop_action_v2", 1 }, { "two_file_drop_action", "individual" } }), "individual");
    EXPECT_EQ(twoFileDropAction(Json { { "two_file_drop_action_v2", "compare" }, { "two_file_drop_action", "individual" } }), "compare");
}

}
}
