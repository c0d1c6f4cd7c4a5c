#include "docops/PageImages.h"

#include "docops/ReviewPageOps.h"
#include "platform/core/Json.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridgeTestFixture.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace ikw::docops {
namespace {

// A query value with every byte outside the unreserved set percent-escaped.
std::string percentEncodeQueryValue(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

class PageImages : public ikw::testing::PageBridgeFixture {
protected:
    PageImages()
    {
        ikw::testing::installStandInEngine(home.path());
        PageOpServices parts;
        parts.toolkit = &toolkit;
        registerActions(bridge->actions, parts);
    }
    ~PageImages() override { ::unsetenv("IKW_STANDIN_RENDER_FAIL"); }

    // The pagesReady calls the page was sent, waiting until there are `count` of them.
    std::vector<std::string> answers(std::size_t count)
    {
        std::vector<std::string> found;
        queue.runUntil([&] {
            found.clear();
            for (const std::string& script : view().evaluated)
                if (script.find("pagesReady(") != std::string::npos)
                    found.push_back(script);
            return found.size() >= count;
        }, 20);
        return found;
    }

    // The argument of a pagesReady call, read as JSON (the fallback's keys are bare words).
    static Json argumentOf(const std::string& script)
    {
        const std::size_t start = script.find("pagesReady(") + 11;
        std::string argument = script.substr(start, script.rfind(")}catch") - start);
        if (argument.rfind("{path:", 0) == 0) {
            argument.replace(0, 6, "{\"path\":");
            argument.replace(argument.rfind(",pages:[],needs_converter:"), 26, ",\"pages\":[],\"needs_converter\":");
        }
        return parseJson(argument).value_or(Json());
    }

    std::vector<std::string> leftoverJobFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(globals.get().archive))
            if (entry.path().filename().string().rfind(".pages-", 0) == 0)
                names.push_back(entry.path().filename());
        return names;
    }
};

TEST_F(PageImages, EachFileIsAnsweredInTurnWithTheEnginesAnswer)
{
    const std::string first = home.file("a.pdf");
    const std::string second = home.file("b.pdf");
    const std::string third = home.file("notes.txt");
    pdf::testing::writeFixture(first, pdf::testing::numberedPdf(2));
    pdf::testing::writeFixture(second, pdf::testing::numberedPdf(1));
    ikw::testing::writeTestFile(third, "hello");
    const Json prefetch = Json::array({ second, "relative.pdf", third });
    send("qeliz://pages?path=" + first + "&prefetch=" + percentEncodeQueryValue(toJson(prefetch)));
    const std::vector<std::string> scripts = answers(3);
    ASSERT_EQ(scripts.size(), 3u);
    const Json a = argumentOf(scripts[0]);
    const Json b = argumentOf(scripts[1]);
    const Json c = argumentOf(scripts[2]);
    EXPECT_EQ(a["path"], first);
    EXPECT_EQ(a["pages"].size(), 2u);
    EXPECT_EQ(b["path"], second);
    EXPECT_EQ(b["pages"].size(), 1u);
    EXPECT_EQ(c["path"], third);
    EXPECT_EQ(c["needs_converter"], true);
    queue.drain();
    EXPECT_TRUE(leftoverJobFiles().empty());
}

TEST_F(PageImages, WithoutAnAnswerThePageGetsTheFileWithNoPages)
{
    ::setenv("IKW_STANDIN_RENDER_FAIL", "1", 1);
    const std::string odd = home.file("say \"hi\" \\ and\nmore\u2028.pdf");
    pdf::testing::writeFixture(odd, pdf::testing::numberedPdf(1));
    send("qeliz://pages?path=" + percentEncodeQueryValue(odd));
    const std::vector<std::string> scripts = answers(1);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0], pagesFallbackScript(odd));
    EXPECT_EQ(argumentOf(scripts[0]), (Json { { "path", odd }, { "pages", Json::array() }, { "needs_converter", false } }));
    EXPECT_EQ(scripts[0].find('\n'), std::string::npos);
    EXPECT_EQ(scripts[0].find("\u2028"), std::string::npos);
}

TEST_F(PageImages, AnAnswerThatIsNotJsonNeverReachesThePageAsScript)
{
    ikw::testing::writeEngineScript(home.path(), "rurede_gen.py", "import sys\nopen(sys.argv[3], 'w').write('alert(1)')\n");
    const std::string file = home.file("a.pdf");
    send("qeliz://pages?path=" + file);
    const std::vector<std::string> scripts = answers(1);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0], pagesFallbackScript(file));
}

TEST_F(PageImages, NothingIsAskedWithoutAnAbsolutePathOrAnsweredToAClosedWindow)
{
    send("qeliz://pages?path=relative.pdf");
    send("qeliz://pages");
    const std::string file = home.file("a.pdf");
    pdf::testing::writeFixture(file, pdf::testing::numberedPdf(1));
    std::shared_ptr<ui::WebView> kept = window->web;
    send("qeliz://pages?path=" + file);
    window->window().close();
    window.reset();
    queue.runUntil([&] { return false; }, 3);
    queue.drain();
    auto& recorded = static_cast<ui::fake::FakeWebView&>(*kept).evaluated;
    EXPECT_EQ(std::count_if(recorded.begin(), recorded.end(), [](const std::string& s) { return s.find("pagesReady(") != std::string::npos; }), 0);
    EXPECT_TRUE(leftoverJobFiles().empty());
}

}
}
