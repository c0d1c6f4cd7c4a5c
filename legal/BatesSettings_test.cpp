#include "legal/BatesSettings.h"

#include <gtest/gtest.h>

namespace ikw::legal {
namespace {

BatesConfig with(const std::function<void(BatesConfig&)>& change)
{
    BatesConfig config;
    change(config);
    return config;
}

TEST(BatesSettings, PageValuesMapOntoTheConfigurationWithTheirDefaults)
{
    struct Case {
        const char* json;
        BatesConfig expected;
    };
    const Case cases[] = {
        { R"({})", BatesConfig {} },
        { R"({"prefix":"  ACME  "})", with([](BatesConfig& c) { c.prefix = "ACME"; }) },
        { "{\"prefix\":\"\\n\\tLAW\\u00a0\"}", with([](BatesConfig& c) { c.prefix = "LAW"; }) },
        { R"({"prefix":7})", BatesConfig {} },
        { R"({"start":"5"})", BatesConfig {} },
        { R"({"start":5.9})", with([](BatesConfig& c) { c.start = 5; }) },
        { R"({"start":-0.5})", with([](BatesConfig& c) { c.start = 0; }) },
        { R"({"start":true})", with([](BatesConfig& c) { c.start = 1; }) },
        { R"({"start":false})", with([](BatesConfig& c) { c.start = 0; }) },
        { R"({"start":2147483647})", with([](BatesConfig& c) { c.start = 2147483647; }) },
        { R"({"pad":3.7})", with([](BatesConfig& c) { c.pad = 3; }) },
        { R"({"pad":0})", with([](BatesConfig& c) { c.pad = 1; }) },
        { R"({"pad":-1e300})", with([](BatesConfig& c) { c.pad = 1; }) },
        { R"({"pad":true})", BatesConfig {} },
        { R"({"pad":12})", with([](BatesConfig& c) { c.pad = 12; }) },
        { R"({"position":"middle"})", BatesConfig {} },
        { R"({"position":"TopLeft"})", BatesConfig {} },
        { R"({"position":"topLeft"})", with([](BatesConfig& c) { c.position = BatesPosition::topLeft; }) },
        { R"({"fontSize":4})", with([](BatesConfig& c) { c.fontSize = 4; }) },
        { R"({"fontSize":12.5})", with([](BatesConfig& c) { c.fontSize = 12.5; }) },
        { R"({"fontSize":"30"})", BatesConfig {} },
        { R"({"nameByBates":false})", with([](BatesConfig& c) { c.nameByBates = false; }) },
        { R"({"nameByBates":0})", with([](BatesConfig& c) { c.nameByBates = false; }) },
        { R"({"nameByBates":0.5})", BatesConfig {} },
        { R"({"nameByBates":"no"})", BatesConfig {} },
        { R"({"margin":2,"halo":false})", BatesConfig {} },
    };
    for (const auto& test : cases) {
        const auto read = readBatesSettings(*parseJson(test.json));
        EXPECT_FALSE(read.problem) << test.json << ": " << read.problem.value_or("");
        EXPECT_EQ(read.config, test.expected) << test.json;
    }
}

TEST(BatesSettings, AnEmptyPrefixOrAValueOutOfBoundsIsRefused)
{
    struct Case {
        const char* json;
        std::string_view problem;
    };
    const Case cases[] = {
        { R"({"prefix":""})", emptyPrefixMessage },
        { "{\"prefix\":\"  \\n \\r\\n \"}", emptyPrefixMessage },
        { R"({"prefix":"","start":1e300})", emptyPrefixMessage },
        { R"({"start":1e300})", settingsOutOfRangeMessage },
        { R"({"start":-1})", settingsOutOfRangeMessage },
        { R"({"start":2147483648})", settingsOutOfRangeMessage },
        { R"({"start":18446744073709551615})", settingsOutOfRangeMessage },
        { R"({"pad":13})", settingsOutOfRangeMessage },
        { R"({"pad":1e300})", settingsOutOfRangeMessage },
        { R"({"fontSize":1e300})", settingsOutOfRangeMessage },
        { R"({"fontSize":0})", settingsOutOfRangeMessage },
        { R"({"fontSize":-10})", settingsOutOfRangeMessage },
        { R"({"fontSize":3.9})", settingsOutOfRangeMessage },
        { R"({"fontSize":72.5})", settingsOutOfRangeMessage },
    };
    for (const auto& test : cases)
        EXPECT_EQ(readBatesSettings(*parseJson(test.json)).problem, std::string(test.problem)) << test.json;
}

}
}
