#include "crossdoc/MatchSnippet.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

// The snippet of the first occurrence of `match` in `text`.
std::string snippetOf(const std::string& text, const std::string& match, SnippetTrim trim = SnippetTrim::SpaceSeparators)
{
    const std::size_t at = text.find(match);
    return matchSnippet(text, { at, at + match.size() }, 48, trim);
}

TEST(MatchSnippet, FortyEightCharactersEitherSide)
{
    const std::string e = "\u00e9";          // two bytes, one character
    const std::string flag = "\U0001F1E9\U0001F1EA"; // eight bytes, one character
    struct Case {
        std::string text;
        std::string expected;
    };
    std::string many;
    for (int at = 0; at < 49; ++at)
        many += flag;
    const Case cases[] = {
        { std::string(48, 'a') + "X" + std::string(48, 'z'), std::string(48, 'a') + "X" + std::string(48, 'z') },
        { std::string(49, 'a') + "X" + std::string(49, 'z'), "\u2026" + std::string(48, 'a') + "X" + std::string(48, 'z') + "\u2026" },
        { many + "X" + e + e, "\u2026" + many.substr(8) + "X" + e + e },
        { "line one\r\nX\nline two", "line one  X line two" },
        { "\u00a0\t X \u2003", "X" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(snippetOf(c.text, "X"), c.expected) << c.text;
}

TEST(MatchSnippet, TheTrimRuleDecidesWhichSpacesGo)
{
    EXPECT_EQ(snippetOf("\u2003 X \t", "X", SnippetTrim::SpacesAndTabs), "\u2003 X");
    EXPECT_EQ(snippetOf("\u2003 X \t", "X", SnippetTrim::SpaceSeparators), "X");
    // The ellipsis follows where the context was cut, not what trimming left.
    EXPECT_EQ(snippetOf(std::string(60, ' ') + "X", "X"), "\u2026X");
}

}
}
