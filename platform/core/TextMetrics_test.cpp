#include "platform/core/TextMetrics.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace ikw {
namespace {

// Every match of the needle in the text, as the text's own bytes.
std::vector<std::string> matches(std::string_view needle, const std::string& text)
{
    const CaseInsensitiveFinder finder(needle);
    auto found = finder.matchesIn(text);
    std::vector<std::string> out;
    while (const auto range = found.next())
        out.push_back(text.substr(range->begin, range->size()));
    return out;
}

TEST(CaseInsensitiveFinder, ComparesFullCaseFoldingsAndAnswersTheOriginal)
{
    struct Case {
        const char* needle;
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "invoice", "Total INVOICE and Invoice.", { "INVOICE", "Invoice" } },
        { "STRASSE", "Hauptstraße 5", { "straße" } },
        { "straße", "HAUPTSTRASSE", { "STRASSE" } },
        // A folding that grows is matched whole or not at all.
        { "s", "\u00df", {} },
        { "ss", "x\u00dfx", { "\u00df" } },
        // Matches do not overlap; the search goes on after each.
        { "aa", "aaaaa", { "aa", "aa" } },
        // Accents and widths are not folded away.
        { "cafe", "CAF\u00c9 cafe", { "cafe" } },
        { "abc", "\uff41\uff42\uff43", {} },
        // No locale: the dotted capital I folds to i plus a combining dot, so "i" alone would split it.
        { "i", "\u0130", {} },
        { "\u03c3", "\u03a3\u03c2", { "\u03a3", "\u03c2" } },
        { "", "anything", {} },
        // ASCII texts take a shorter way with the same answers; CR LF stays one character.
        { "b\r", "ab\r\nAB\r", { "B\r" } },
        { "\nx", "\r\nx \nX", { "\nX" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(matches(c.needle, c.text), c.expected) << c.needle << " in " << c.text;
}

TEST(CaseInsensitiveFinder, NeverSplitsAUserPerceivedCharacter)
{
    // "e" followed by a combining acute accent is one character: "e" alone does not match in it.
    EXPECT_EQ(matches("e", "cafe\u0301 e"), std::vector<std::string> { "e" });
    EXPECT_EQ(matches("E\u0301", "cafe\u0301"), std::vector<std::string> { "e\u0301" });
    // One person of a family emoji is not a match either.
    EXPECT_TRUE(matches("\U0001F469", "\U0001F469\u200D\U0001F469\u200D\U0001F467").empty());
    const std::string text = "x\u00e9\u00df\U0001F600y";
    const CaseInsensitiveFinder finder("Y");
    auto found = finder.matchesIn(text);
    EXPECT_EQ(found.next(), (TextRange { text.size() - 1, text.size() }));
    EXPECT_EQ(found.next(), std::nullopt);
}

TEST(CaseInsensitiveFinder, InvalidUtf8IsSearchedAsReplacementCharacters)
{
    EXPECT_EQ(matches("ab", std::string("\xff" "AB\xc3")), std::vector<std::string> { "AB" });
}

TEST(GraphemeBoundaries, StepsOverWholeCharactersInBytes)
{
    // a, e+acute (3 bytes), a flag (8 bytes), CR LF (one character), b
    const std::string text = "ae\u0301\U0001F1E9\U0001F1EA\r\nb";
    GraphemeBoundaries boundaries(text);
    EXPECT_TRUE(boundaries.isBoundary(0));
    EXPECT_TRUE(boundaries.isBoundary(1));
    EXPECT_FALSE(boundaries.isBoundary(2)) << "inside e + accent";
    EXPECT_FALSE(boundaries.isBoundary(8)) << "between the two halves of a flag";
    EXPECT_TRUE(boundaries.isBoundary(text.size()));
    EXPECT_EQ(boundaries.forward(0, 2), 4u);
    EXPECT_EQ(boundaries.forward(4, 1), 12u);
    EXPECT_EQ(boundaries.forward(12, 1), 14u) << "CR LF is one character";
    EXPECT_EQ(boundaries.forward(1, 99), text.size());
    EXPECT_EQ(boundaries.back(text.size(), 3), 4u);
    EXPECT_EQ(boundaries.back(4, 99), 0u);
    EXPECT_EQ(boundaries.back(0, 1), 0u);
}

TEST(TextMetrics, FindsTheFirstByteThatStartsNoCharacter)
{
    struct Case {
        std::string text;
        std::optional<std::size_t> offset;
    };
    const Case cases[] = {
        { "", std::nullopt },
        { "plain \u00e9\u20ac\U0001D11E \uFFFF", std::nullopt },
        { std::string("a\0b", 3), std::nullopt },
        { "ab\xff", 2 },
        { "\xC3", 0 },                 // cut off
        { "x\xC0\xAF", 1 },           // overlong
        { "xy\xED\xA0\x80", 2 },     // a surrogate
        { "\xF4\x90\x80\x80", 0 },  // beyond U+10FFFF
        { "\u00e9\x80", 2 },          // a stray continuation byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(invalidUtf8Offset(c.text), c.offset) << c.text;
        EXPECT_EQ(isValidUtf8(c.text), !c.offset) << c.text;
    }
}

TEST(TextMetrics, EscapesOnlyTheBytesThatStartNoCharacter)
{
    EXPECT_EQ(escapeInvalidUtf8("caf\u00e9/a.pdf"), "caf\u00e9/a.pdf");
    EXPECT_EQ(escapeInvalidUtf8("caf\xe9/a.pdf"), "caf\\xE9/a.pdf");
    EXPECT_EQ(escapeInvalidUtf8("\xff\xfe\u00e9\xC3"), "\\xFF\\xFE\u00e9\\xC3");
}

TEST(TextMetrics, TrimsSpaceSeparatorsWithOrWithoutLineEnds)
{
    const std::string text = "\u00a0\t \u3000 word \u2009\n";
    EXPECT_EQ(trimSpaceSeparators(text), "word \u2009\n");
    EXPECT_EQ(trimWhitespaceAndNewlines(text), "word");
    EXPECT_EQ(trimWhitespaceAndNewlines("\u2028\r\n x \u0085"), "x");
    EXPECT_EQ(trimSpaceSeparators(" \t "), "");
    EXPECT_EQ(trimSpaceSeparators("\xff "), "\xff");
}

TEST(TextMetrics, NfcMakesCanonicallyEquivalentSpellingsOneAndLeavesBadBytesAlone)
{
    const std::string composed = "/Docs/R\u00e9sum\u00e9 \u00c5ngstr\u00f6m.pdf";
    const std::string decomposed = "/Docs/Re\u0301sume\u0301 A\u030angstro\u0308m.pdf";
    EXPECT_EQ(toNFC(decomposed), composed);
    EXPECT_EQ(toNFC(composed), composed);
    EXPECT_EQ(toNFC("\u212b"), "\u00c5"); // the Angstrom sign is a singleton: it composes to the letter
    EXPECT_EQ(toNFC("plain/ascii"), "plain/ascii");
    EXPECT_EQ(toNFC(""), "");
    EXPECT_TRUE(canonicallyEqual(composed, decomposed));
    EXPECT_FALSE(canonicallyEqual("\u00e9", "e"));
    // Names that are not UTF-8 stay as they are, so two of them never meet in U+FFFD.
    EXPECT_EQ(toNFC("/d/\xff.pdf"), "/d/\xff.pdf");
    EXPECT_FALSE(canonicallyEqual("/d/\xff.pdf", "/d/\xfe.pdf"));
}

TEST(TextMetrics, UpperCasesWithFullMappingsAndNoLanguageRules)
{
    const std::pair<std::string, std::string> cases[] {
        { "stra\u00dfe12", "STRASSE12" },       // sharp s becomes two letters
        { "\ufb01le", "FILE" },                 // the fi ligature too
        { "istanbul", "ISTANBUL" },              // no Turkish dotted capital I
        { "\u01c9ubljana", "\u01c7UBLJANA" },    // a digraph letter takes its full capital
        { "a\xff" "b", "A\ufffdB" },            // a bad byte counts as U+FFFD
    };
    for (const auto& [text, upper] : cases)
        EXPECT_EQ(toUpperFull(text), upper) << text;
}

TEST(TextMetrics, KeepsOnlyLettersAndNumbersAndTheGivenExtras)
{
    EXPECT_EQ(lettersAndNumbers(" AB-12 CD\u2014\u00e9\u0661\u2167!"), "AB12CD\u00e9\u0661\u2167"); // Nd and Nl stay
    EXPECT_EQ(lettersAndNumbers("a/../b 7_x-y.pdf", "-_"), "ab7_x-ypdf");
    EXPECT_EQ(lettersAndNumbers("a\xff" "b"), "ab");
}

}
}
