#include "review/JsLiterals.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(JsLiterals, StringsAreQuotedAndCannotCloseAScript)
{
    EXPECT_EQ(jsStringArray({}), "[]");
    EXPECT_EQ(jsStringArray({ "a\"b", "c\\d\n", "</script>", "é" }), R"(["a\"b","c\\d\n","<\/script>","é"])");
    EXPECT_EQ(jsStringObject({ { "z", "1" }, { "a", "'" } }), R"({"z":"1","a":"'"})");
}

TEST(JsLiterals, SingleQuotedLiteralsKeepQuotesBackslashesAndLineBreaksInside)
{
    const struct {
        const char* text;
        const char* escaped;
    } cases[] = {
        { "it's.pdf", R"(it\'s.pdf)" },
        { R"(a\b)", R"(a\\b)" },
        { R"(\')", R"(\\\')" }, // the backslash is doubled first, so the quote stays escaped
        { "one\ntwo\r\nthree", "one two  three" },
        { "caf\u00e9 \u00b7 p.3", "caf\u00e9 \u00b7 p.3" },
        { "", "" },
    };
    for (const auto& test : cases)
        EXPECT_EQ(jsEsc(test.text), test.escaped) << test.text;
}

TEST(JsLiterals, JsonInjectionOnlyForContainersAndPlainNames)
{
    EXPECT_EQ(jsonInjectionScript("ikwOrgPlan", Json { { "n", 2 } }), R"(if(window.ikwOrgPlan)try{ikwOrgPlan({"n":2})}catch(e){})");
    EXPECT_EQ(jsonInjectionScript("f", Json::array({ "</" })), R"(if(window.f)try{f(["<\/"])}catch(e){})");
    EXPECT_EQ(jsonInjectionScript("f", Json("text")), std::nullopt);
    EXPECT_EQ(jsonInjectionScript("f);alert(1", Json::object()), std::nullopt);
    EXPECT_EQ(jsonInjectionScript("", Json::object()), std::nullopt);
}

}
}
