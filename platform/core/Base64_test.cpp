#include "platform/core/Base64.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(Base64, EncodesAndDecodesTheStandardVectors)
{
    const std::pair<std::string, std::string> cases[] = {
        { "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" }, { "foob", "Zm9vYg==" },
        { "fooba", "Zm9vYmE=" }, { "foobar", "Zm9vYmFy" }, { std::string("\xFB\xFF\x00", 3), "+/8A" },
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(encodeBase64(bytes), text);
        EXPECT_EQ(decodeBase64(text), bytes) << text;
    }
}

TEST(Base64, RoundTripsEveryByteValue)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    for (std::size_t length = 0; length <= bytes.size(); length += 37)
        EXPECT_EQ(decodeBase64(encodeBase64(bytes.substr(0, length))), bytes.substr(0, length));
}

TEST(Base64, RefusesAnythingButStrictStandardText)
{
    const char* unreadable[] = {
        "QQ==\n", "QQ=\n", "Q Q==", "\nQQ==", "QUJD\r\nREVG", // line breaks and spaces
        "QQ", "QUJ", "QUJDR",                                   // missing padding
        "QQ=A", "Q===", "====", "QQ==QUJD",                     // padding in the wrong place
        "QUJ-", "QUJ_", "QUJ.", "QUJ\xC3\xA9",                  // outside the alphabet (URL-safe too)
    };
    for (const char* text : unreadable)
        EXPECT_EQ(decodeBase64(text), std::nullopt) << text;
}

}
}
