#include "platform/http/UrlCheck.h"

#include <gtest/gtest.h>

namespace ikw::http {
namespace {

TEST(UrlCheck, ReadsSchemeAndHostOrRefusesTheText)
{
    const auto secure = parseUrlOrigin("HTTPS://Library.Example.test:8443/api/x?y#z");
    ASSERT_TRUE(secure);
    EXPECT_EQ(secure->scheme, "https");
    EXPECT_EQ(secure->host, "Library.Example.test");
    EXPECT_EQ(parseUrlOrigin("http://[::1]:80/a")->host, "[::1]");
    for (const char* bad : { "", "no scheme here", "https://exa mple.test/", "https://" })
        EXPECT_FALSE(parseUrlOrigin(bad)) << bad;
    EXPECT_FALSE(parseUrlOrigin(std::string_view("https://a.test/\0evil", 20)));
}

TEST(UrlCheck, KnowsTheLoopbackNames)
{
    for (const char* host : { "127.0.0.1", "[::1]", "localhost", "LocalHost" })
        EXPECT_TRUE(isLoopbackHost(host)) << host;
    for (const char* host : { "127.0.0.2.example", "localhost.example", "10.0.0.1", "" })
        EXPECT_FALSE(isLoopbackHost(host)) << host;
}

}
}
