#include "finder-extension/HandoffUrl.h"

#include <gtest/gtest.h>

namespace ikw::finderext {
namespace {

TEST(HandoffUrl, EscapesEverythingButTheUnreservedCharacters)
{
    struct Case {
        std::string value;
        std::string written;
    };
    const Case cases[] = {
        { "AZaz09-._~", "AZaz09-._~" },
        { "/Users/example/Q3 Board & Notes.pdf", "%2FUsers%2Fexample%2FQ3%20Board%20%26%20Notes.pdf" },
        { "/a+b=c#d%e?f", "%2Fa%2Bb%3Dc%23d%25e%3Ff" },
        { "/Akten/Übersicht.pdf", "%2FAkten%2F%C3%9Cbersicht.pdf" },
        { "/bad-\xff-name", "%2Fbad-%FF-name" }, // bytes that are not UTF-8 travel escaped
        { "", "" },
    };
    for (const auto& [value, written] : cases)
        EXPECT_EQ(composeUrl("qeliz", "finder", { { "path", value } }), "qeliz://finder?path=" + written) << value;
    EXPECT_EQ(composeUrl("qeliz", "finder", {}), "qeliz://finder");
    EXPECT_EQ(composeUrl("qeliz", "finder", { { "a b", "1" }, { "c&d", "" } }), "qeliz://finder?a%20b=1&c%26d=");
}

TEST(HandoffUrl, CarriesTheCountOfAllAndTheFirstPathsOnly)
{
    EXPECT_EQ(handoffUrl("open", {}), std::nullopt);
    EXPECT_EQ(handoffUrl("share", { "/r.pdf" }), "qeliz://finder?action=share&count=1&path=%2Fr.pdf");

    std::vector<std::string> paths;
    for (int i = 0; i < 250; ++i)
        paths.push_back("/f" + std::to_string(i));
    const auto url = handoffUrl("open", paths);
    ASSERT_TRUE(url);
    EXPECT_TRUE(url->starts_with("qeliz://finder?action=open&count=250&path=%2Ff0&path=%2Ff1&")) << *url;
    EXPECT_TRUE(url->ends_with("&path=%2Ff199")) << url->substr(url->size() - 40);
    std::size_t pathItems = 0;
    for (auto at = url->find("path="); at != std::string::npos; at = url->find("path=", at + 1))
        ++pathItems;
    EXPECT_EQ(pathItems, kMaxPaths);
}

}
}
