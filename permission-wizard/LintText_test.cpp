#include "permission-wizard/LintText.h"

#include <gtest/gtest.h>

namespace ikw::wizard {
namespace {

TEST(LintText, TrimsUnicodeSpaceAndKeepsMalformedBytes)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        { "", "" },
        { " \t\r\n", "" },
        { "\u00a0\u3000word\u2028\u202f", "word" },
        { "  two words  ", "two words" },
        { "caf\u00e9 ", "caf\u00e9" },
        { "\xa0x", "\xa0x" },        // a lone continuation byte is not a space
        { "x\xc2", "x\xc2" },        // a cut-off sequence is kept
        { "word\xe2\x80", "word\xe2\x80" },
        { "\xe2\x80\xa8word\xe2\x80\xa9", "word" },
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(trimUnicode(text), trimmed) << text;
}

TEST(LintText, SchemeIsTheValidTextBeforeTheFirstColon)
{
    const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
        { "x-apple.systempreferences:com.apple.preference.security?Privacy_Camera", "x-apple.systempreferences" },
        { "X-Apple.SystemPreferences:pane", "X-Apple.SystemPreferences" },
        { "https://example.com/a:b", "https" },
        { "no-scheme-here", std::nullopt },
        { ":empty", std::nullopt },
        { "1abc:x", std::nullopt },
        { "has space:x", std::nullopt },
    };
    for (const auto& [url, scheme] : cases)
        EXPECT_EQ(urlScheme(url), scheme) << url;
}

}
}
