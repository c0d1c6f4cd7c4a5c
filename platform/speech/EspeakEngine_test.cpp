#include "platform/speech/EspeakEngine.h"

#include <gmock/gmock.h>

namespace ikw::speech {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;

TEST(EspeakVoices, MbrolaVoicesCountOnlyWithTheirDatabaseAndAsEnhanced)
{
    const std::vector<EspeakVoiceRecord> records {
        { "us-mbrola-1", "en-us", "mb/mb-us1", "us1" },
        { "English (America)", "en-us", "gmw/en-US", std::nullopt },
        { "Storm", "variant", "!v/Storm", std::nullopt },
        { "us-mbrola-2", "en-us", "mb/mb-us2", "us2" },
        { "German", "de", "gmw/de", std::nullopt },
        { "broken-mbrola", "en", "mb/mb-xx", "" },
    };
    const auto voices = voicesFrom(records, [](const std::string& database) { return database == "us2"; });
    EXPECT_THAT(voices, ElementsAre(Voice { "gmw/en-US", "English (America)", "en-US", VoiceQuality::Default },
                            Voice { "gmw/de", "German", "de", VoiceQuality::Default },
                            Voice { "mb/mb-us2", "us-mbrola-2", "en-US", VoiceQuality::Enhanced }));
}

TEST(EspeakVoices, TheInstalledEnglishVoicesAreListed)
{
    auto& engine = EspeakEngine::shared();
    ASSERT_TRUE(engine.isReady());
    EXPECT_THAT(engine.voices(), Contains(Voice { "gmw/en-US", "English (America)", "en-US", VoiceQuality::Default }));
    EXPECT_THAT(engine.voices(), Contains(Field(&Voice::language, "en-GB")));
    EXPECT_EQ(voiceForLanguage(engine.voices(), "EN-us")->identifier, "gmw/en-US");
    EXPECT_FALSE(voiceForLanguage(engine.voices(), "xx-YY"));
}

}
}
