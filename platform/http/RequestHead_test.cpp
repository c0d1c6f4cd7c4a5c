#include "platform/http/RequestHead.h"

#include <gtest/gtest.h>

namespace ikw::http {
namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

TEST(RequestHead, LinesAreRepairedTextSplitAtCrLf)
{
    EXPECT_EQ(headLines("GET / HTTP/1.1\r\nHost: a\nb\r\n"), (std::vector<std::string> { "GET / HTTP/1.1", "Host: a\nb", "" }));
    EXPECT_EQ(headLines(""), (std::vector<std::string> { "" }));
    EXPECT_EQ(headLines("a\xFF" "b\xC3"), (std::vector<std::string> { "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" }));
    EXPECT_EQ(requestLinePieces("GET  /x HTTP/1.1"), (std::vector<std::string> { "GET", "", "/x", "HTTP/1.1" }));
    EXPECT_EQ(requestLinePieces("GET"), (std::vector<std::string> { "GET" }));
}

TEST(RequestHead, TargetsAreReferencesWithDecodedPathsAndQueryItems)
{
    struct Case {
        const char* target;
        const char* path;
        Items items;
    };
    const Case cases[] = {
        { "/status", "/status", {} },
        { "", "", {} },
        { "/a%20b/%C3%A9?path=%7E%2Fx.pdf&page=2", "/a b/\xC3\xA9", { { "path", "~/x.pdf" }, { "page", "2" } } },
        { "/open?q=a+b%2Bc&bare&=v", "/open", { { "q", "a+b+c" }, { "bare", "" }, { "", "v" } } },
        { "http://127.0.0.1:9/goto?page=1#frag", "/goto", { { "page", "1" } } },
    };
    for (const auto& entry : cases) {
        const auto parsed = parseRequestTarget(entry.target);
        ASSERT_TRUE(parsed) << entry.target;
        EXPECT_EQ(parsed->path, entry.path) << entry.target;
        EXPECT_EQ(parsed->queryItems, entry.items) << entry.target;
    }
    for (const char* bad : { "/a%zz", "/a?b=%g1", "/a%00b", "http://[::1/x" })
        EXPECT_FALSE(parseRequestTarget(bad)) << bad;
}

TEST(RequestHead, TheLastOfARepeatedNameWins)
{
    const auto parsed = parseRequestTarget("/annotations?path=a&path=b&token");
    ASSERT_TRUE(parsed);
    const auto query = parsed->queryMap();
    EXPECT_EQ(query.at("path"), "b");
    EXPECT_EQ(query.at("token"), "");
}

TEST(RequestHead, JsonResponsesCarryExactlyTheirHead)
{
    EXPECT_EQ(jsonResponse(404, "Not Found", "{\"ok\":false}"),
        "HTTP/1.1 404 Not Found\r\nContent-Type: application/json\r\nContent-Length: 12\r\nConnection: close\r\n\r\n{\"ok\":false}");
}

}
}
