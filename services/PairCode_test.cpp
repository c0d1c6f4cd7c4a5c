#include "services/PairCode.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <deque>
#include <limits>

namespace ikw::services {
namespace {

TEST(PairCode, NormalisationAndDisplayForm)
{
    const std::pair<const char*, const char*> normalised[] = {
        { "abcd-efgh", "ABCDEFGH" },
        { " k7m2 p9qx\n", "K7M2P9QX" },
        { "IL0O1-\u00e9\u00e8", "IL0O1" }, // letters outside A-Z go, those of the alphabet's look-alikes stay
        { "", "" },
    };
    for (const auto& [text, expected] : normalised)
        EXPECT_EQ(normalizedPairCode(text), expected) << text;

    const std::pair<const char*, const char*> shown[] = {
        { "K7M2P9QX", "K7M2-P9QX" },
        { "K7M2P9", "K7M2P9" },
        { "K7M2P9QXZ", "K7M2P9QXZ" },
        { "", "" },
    };
    for (const auto& [code, expected] : shown)
        EXPECT_EQ(pairCodeDisplayForm(code), expected) << code;
}

// A value from the top range that 2^64 holds beyond whole runs of 31 would favour the first
// characters if folded by modulo: it is drawn again.
TEST(PairCode, DrawingRejectsTheBiasedTopRange)
{
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    // 2^64 leaves 16 over when divided by 31: max - 15 ... max are rejected, max - 16 is kept.
    std::deque<std::uint64_t> script { max, 0, max - 15, 1, max - 16, 30, 31, 62, 8, 9 };
    int draws = 0;
    const std::string code = drawPairCode([&] {
        ++draws;
        const std::uint64_t value = script.front();
        script.pop_front();
        return value;
    });
    // max - 16 is 30 modulo 31: the last character, '9'.
    EXPECT_EQ(code, "AB99AAJK");
    EXPECT_EQ(draws, 10);
}

TEST(PairCode, GeneratedCodesAreEightCharactersOfTheAlphabet)
{
    for (int i = 0; i < 200; ++i) {
        const std::string code = drawPairCode(systemRandom64);
        ASSERT_EQ(code.size(), kPairCodeLength);
        EXPECT_EQ(code.find_first_not_of(kPairCodeAlphabet), std::string::npos) << code;
    }
}

TEST(PairCode, AStoredCodeIsKeptAndOnlyGeneratingMakesOne)
{
    testing::TempHome home;
    const std::string config = home.file("support/config.json");
    PairCodeStore codes(SettingsStore(config), [] { return std::uint64_t { 3 }; });

    EXPECT_EQ(codes.pairCode(false), "");
    EXPECT_FALSE(realFileSystem().exists(config));
    EXPECT_EQ(codes.pairCode(true), "DDDDDDDD");
    EXPECT_EQ(SettingsStore(config).load()["pair_code"], "DDDDDDDD");
    EXPECT_EQ(codes.pairCode(false), "DDDDDDDD");

    // Whatever a page or a hand edit stored is the code; an empty or non-text entry is none.
    const std::pair<Json, std::string> stored[] = {
        { "ab-cd ef", "ab-cd ef" },
        { "", "" },
        { 12345678, "" },
    };
    for (const auto& [value, expected] : stored) {
        SettingsStore(config).save(Json { { "pair_code", value } });
        EXPECT_EQ(codes.pairCode(false), expected) << value.dump();
    }
}

TEST(PairCode, ACodeThatCannotBeSavedIsStillReturned)
{
    testing::TempHome home;
    FaultyFileSystem disk;
    disk.fail(FaultyFileSystem::Operation::Replace);
    std::uint64_t next = 0;
    PairCodeStore codes(SettingsStore(home.file("config.json"), disk), [&] { return next++; });
    EXPECT_EQ(codes.pairCode(true), "ABCDEFGH");
    // Nothing was kept, so the next ask makes another: callers ask once per use.
    EXPECT_EQ(codes.pairCode(false), "");
}

}
}
