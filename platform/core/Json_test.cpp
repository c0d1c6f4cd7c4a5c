#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"
#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"

#include <gtest/gtest.h>

#include <regex>

namespace ikw {
namespace {

TEST(Json, EscapesSlashesAndLineSeparatorsSoScriptsCannotBeClosed)
{
    const Json value = { { "name", "</script><script>alert(1)</script>" }, { "sep", "a\u2028b\u2029c" } };
    const std::string text = toJson(value);
    EXPECT_EQ(text.find("</"), std::string::npos);
    EXPECT_EQ(text, R"({"name":"<\/script><script>alert(1)<\/script>","sep":"a\u2028b\u2029c"})");
    EXPECT_EQ(parseJson(text), value);
}

TEST(Json, PrettyOutputSortsKeysAtEveryLevel)
{
    const Json value = { { "b", 1 }, { "a", { { "z", true }, { "m", nullptr } } } };
    EXPECT_EQ(toPrettyJson(value), "{\n  \"a\": {\n    \"m\": null,\n    \"z\": true\n  },\n  \"b\": 1\n}");
}

TEST(Json, ParseRefusesInvalidTextWithoutThrowing)
{
    EXPECT_FALSE(parseJson("{\"a\":"));
    EXPECT_FALSE(parseJson(""));
    EXPECT_TRUE(parseJson("[1,2]"));
    EXPECT_EQ(jsQuote("a\"b\\c/d"), R"("a\"b\\c\/d")");
}

TEST(Identifiers, UuidIsUpperCaseVersionFour)
{
    const std::string uuid = makeUuid();
    EXPECT_TRUE(std::regex_match(uuid, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")));
    EXPECT_NE(uuid, makeUuid());
}

TEST(Identifiers, Sha256OfKnownText)
{
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(Text, CountsUtf16UnitsAndGraphemes)
{
    struct Case {
        std::string text;
        std::size_t utf16;
        std::size_t graphemes;
    };
    const Case cases[] = {
        { "", 0, 0 },
        { "abc", 3, 3 },
        { "\u00e9", 1, 1 },
        { "e\u0301", 2, 1 },
        { "\U0001F600", 2, 1 },
        { "\U0001F469\u200D\U0001F469\u200D\U0001F467", 8, 1 },
        { "\U0001F1E9\U0001F1EA", 4, 1 },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16Length(c.text), c.utf16) << c.text;
        EXPECT_EQ(graphemeCount(c.text), c.graphemes) << c.text;
    }
}

TEST(Text, NumberReadersTakeTheWholeTextOnly)
{
    EXPECT_EQ(parseInteger("42"), 42);
    EXPECT_EQ(parseInteger("-7"), -7);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_FALSE(parseInteger("7x"));
    EXPECT_FALSE(parseInteger(" 7"));
    EXPECT_FALSE(parseInteger(""));
    EXPECT_FALSE(parseInteger("99999999999999999999"));
    EXPECT_EQ(parseDouble("800"), 800.0);
    EXPECT_EQ(parseDouble("1.5"), 1.5);
    EXPECT_FALSE(parseDouble("1,5"));
    EXPECT_FALSE(parseDouble("a"));
    EXPECT_EQ(trim("  a b \r\n"), "a b");
    EXPECT_EQ(split("a,,b", ',', false), (std::vector<std::string> { "a", "b" }));
}

}
}

#include "platform/core/Iso8601.h"

namespace ikw {
namespace {

TEST(Iso8601, WritesWholeSecondsUtcAndReadsThemBack)
{
    EXPECT_EQ(iso8601Utc(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(iso8601Utc(1796912707), "2026-12-10T14:25:07Z");
    EXPECT_EQ(parseIso8601Utc("2026-12-10T14:25:07Z"), 1796912707);
    EXPECT_EQ(parseIso8601Utc("2026-12-10T14:25:07.250Z"), 1796912707);
    EXPECT_FALSE(parseIso8601Utc("2026-12-10T14:25:07"));
    EXPECT_FALSE(parseIso8601Utc("2026-13-10T14:25:07Z"));
    EXPECT_FALSE(parseIso8601Utc("2026-12-10 14:25:07Z"));
}

}
}
