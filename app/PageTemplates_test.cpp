#include "app/Globals.h"
#include "app/PageTemplates.h"
#include "app/TemplateFill.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <regex>

namespace ikw {
namespace {

std::size_t countOf(const std::string& text, std::string_view needle)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

bool hasPlaceholder(const std::string& page)
{
    return std::regex_search(page, std::regex("__[A-Z][A-Z0-9]*__"));
}

TEST(TemplateFill, FillsEveryPlaceholderInOnePass)
{
    const TemplateValues values {
        { "__A__", TemplateValue::html("__B__") },
        { "__B__", TemplateValue::json(2) },
        { "__START_MODE__", TemplateValue::verbatim("__A__.pdf") },
    };
    const std::pair<const char*, const char*> cases[] = {
        { "m=__START_MODE__;", "m=__A__.pdf;" }, // what a value brings in is never filled again
        { "__START__MODE__", "__START__MODE__" },
        { "__A__ __B__", "_&#95;B_&#95; 2" },
        { "__A____B__", "_&#95;B_&#95;2" },
        { "___B__", "_2" },
        { "__C__ __b__ __ __A", "__C__ __b__ __ __A" },
    };
    for (const auto& [page, filled] : cases)
        EXPECT_EQ(fillTemplate(page, values), filled) << page;
}

TEST(TemplateFill, ValuesAreEscapedForTheirPlace)
{
    EXPECT_EQ(TemplateValue::html("<a href=\"x\">Tom & Jerry's</a>").text(), "&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&#39;s&lt;/a&gt;");
    EXPECT_EQ(TemplateValue::string("a\"b\\c\n</script>").text(), R"("a\"b\\c\n\u003c\/script>")");
    EXPECT_EQ(TemplateValue::json(Json { { "n", "</" } }).text(), R"({"n":"\u003c\/"})");
}

TEST(PageTemplates, OpenerValuesCannotInjectMarkupOrScript)
{
    const std::string hostileName = "<img src=x onerror=alert(1)>.pdf";
    const std::string hostilePath = "/docs/a\"b</script><script>alert(2)</script>/" + hostileName;
    const std::string ask = askPageTemplate(Brand::fallback());
    const std::string filledAsk = fillAskPage(ask, AskPageScope {
        .path = hostilePath,
        .name = hostileName,
        .isFolder = true,
        .files = { { hostileName, "PDF" }, { "a\"b.pdf", "PDF" } },
        .count = 3,
    });
    const std::string diff = visualDiffPageTemplate();
    const std::string filledDiff = fillVisualDiffPage(diff, hostilePath, "/x/a\"b.pdf");

    for (const auto& [page, filled] : { std::pair { ask, filledAsk }, std::pair { diff, filledDiff } }) {
        EXPECT_FALSE(hasPlaceholder(filled));
        EXPECT_EQ(countOf(filled, "<script"), countOf(page, "<script"));
        EXPECT_EQ(countOf(filled, "</script"), countOf(page, "</script"));
        EXPECT_EQ(countOf(filled, "<img"), countOf(page, "<img"));
    }
    EXPECT_NE(filledAsk.find("var ISFOLDER = true;"), std::string::npos);
    EXPECT_NE(filledAsk.find("var COUNT = 3;"), std::string::npos);
    EXPECT_NE(filledAsk.find(R"({"n":"a\"b.pdf","t":"PDF"})"), std::string::npos);
    EXPECT_NE(filledDiff.find(R"(var B = "\/x\/a\"b.pdf";)"), std::string::npos);
    EXPECT_NE(filledDiff.find(">a&quot;b.pdf<"), std::string::npos);
}

TEST(PageTemplates, TheProcessConstantsCarryTheEscapedBrand)
{
    testing::TempHome home;
    testing::writeTestFile(home.file("Resources/brand.json"), R"({"name":"Ink <&> __DOC__","domain":"ink.example"})");
    const Globals globals = Globals::build(Paths::fromEnvironment());
    const std::string brand = "Ink &lt;&amp;&gt; _&#95;DOC_&#95;";

    EXPECT_EQ(countOf(globals.loadingHTML, brand), 2u);
    EXPECT_NE(globals.loadingHTML.find("<title>" + brand + " · preparing…</title>"), std::string::npos);
    EXPECT_NE(globals.loadingHTML.find(R"(href="qeliz://cancel")"), std::string::npos);
    EXPECT_FALSE(hasPlaceholder(globals.loadingHTML));

    // The brand's own text is never taken for the opener's placeholder.
    const std::string ask = fillAskPage(globals.askHTML, AskPageScope { .path = "/d.pdf", .name = "d.pdf", .isFolder = false, .files = {}, .count = 0 });
    EXPECT_NE(ask.find("<title>Ask " + brand + "</title>"), std::string::npos);
    EXPECT_NE(ask.find(R"(data-domain="ink.example")"), std::string::npos);
    EXPECT_FALSE(hasPlaceholder(ask));

    EXPECT_NE(globals.visualDiffHTML.find("<title>Visual compare</title>"), std::string::npos);
    EXPECT_NE(globals.compareIntakeHTML.find("<title>Compare documents</title>"), std::string::npos);
    EXPECT_FALSE(hasPlaceholder(globals.compareIntakeHTML));
}

}
}
