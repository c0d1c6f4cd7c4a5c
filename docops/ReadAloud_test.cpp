#include "docops/ReadAloud.h"

#include "app/Settings.h"
#include "docops/ReviewPageOps.h"
#include "platform/speech/fake/FakeSpeech.h"
#include "review/PageBridgeTestFixture.h"

#include <gmock/gmock.h>

namespace ikw::docops {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using speech::Voice;
using speech::VoiceQuality;

class ReadAloud : public ikw::testing::PageBridgeFixture {
protected:
    ReadAloud()
    {
        const PageOpServices parts { .toolkit = &toolkit, .rewrites = nullptr, .reloadSettingsPanelIfOpen = {}, .readerURL = {}, .speech = &speech };
        registerActions(bridge->actions, parts);
        registerFeatures(services.features, parts);
    }

    // The page holds `text` in __ikwSpeakText and sends the action.
    void speak(const std::string& query, const Json& text = "Hello world")
    {
        view().nextResult = ui::ScriptResult { text, std::nullopt };
        send("qeliz://speak" + query);
        queue.drain();
    }
    void act(const std::string& url)
    {
        send(url);
        queue.drain();
    }
    // The read-aloud callbacks the page was sent, oldest first; the list starts over when read.
    std::vector<std::string> callbacks()
    {
        std::vector<std::string> found;
        for (const auto& script : view().evaluated) {
            if (script.find("ikwSpeak") != std::string::npos && script.find("__ikwSpeakText") == std::string::npos)
                found.push_back(script);
        }
        view().evaluated.clear();
        return found;
    }
    std::vector<std::string> spokenTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& utterance : speaker()->utterances)
            texts.push_back(utterance.text);
        return texts;
    }
    std::shared_ptr<speech::fake::FakeSynthesizerLog> speaker() const { return speech.latest(); }
    int awakeHolds() const { return toolkit.fakeKeepAwake.held; }

    speech::fake::FakeSpeechService speech;
};

std::string state(const std::string& word, long long generation)
{
    return "if(window.ikwSpeakState){try{ikwSpeakState('" + word + "'," + std::to_string(generation) + ")}catch(e){}}";
}
std::string range(int location, int length, long long generation)
{
    return "if(window.ikwSpeakRange){try{ikwSpeakRange(" + std::to_string(location) + "," + std::to_string(length) + "," + std::to_string(generation) + ")}catch(e){}}";
}
std::string done(long long generation)
{
    return "if(window.ikwSpeakDone){try{ikwSpeakDone(" + std::to_string(generation) + ")}catch(e){}}";
}

TEST_F(ReadAloud, EveryReportCarriesTheGenerationInThePagesOwnWords)
{
    speak("?rate=0.5&gen=7");
    EXPECT_THAT(view().evaluated.front(), "window.__ikwSpeakText || ''");
    speaker()->speakRange(6, 5);
    speaker()->finish();
    queue.drain();
    EXPECT_THAT(callbacks(), ElementsAre(state("playing", 7), range(6, 5, 7), done(7)));
    EXPECT_THAT(toolkit.fakeKeepAwake.reasons, ElementsAre("Inkwarden read-aloud"));
    EXPECT_EQ(awakeHolds(), 0);

    // Without a usable gen the next generation is one more, in every report.
    speak("");
    act("qeliz://speakpause");
    act("qeliz://speakresume");
    speaker()->speakRange(0, 5);
    speaker()->finish();
    queue.drain();
    EXPECT_THAT(callbacks(), ElementsAre(state("playing", 8), state("paused", 8), state("playing", 8), range(0, 5, 8), done(8)));

    const std::vector<std::pair<std::string, long long>> generations {
        { "?gen=9223372036854775807", 9 }, { "?gen=-9223372036854775808", 10 }, { "?gen=9007199254740993", 11 },
        { "?gen=9007199254740992", 9007199254740992 }, { "?gen=abc", 9007199254740993 }, { "?gen=+5", 5 }, { "?gen=-3", -3 },
        { "?gen=1.5", -2 }, { "?gen=", -1 },
    };
    for (const auto& [query, generation] : generations) {
        speak(query);
        EXPECT_EQ(window->speech.speakGen, generation) << query;
    }
    act("qeliz://speakstop");
    EXPECT_EQ(window->speech.speakGen, 0);
    EXPECT_EQ(callbacks().back(), state("stopped", 0));
    EXPECT_EQ(awakeHolds(), 0);
}

TEST_F(ReadAloud, TheRateIsClampedAndBadRatesGiveTheDefault)
{
    const std::vector<std::pair<std::string, double>> rates {
        { "?rate=2", 1.0 }, { "?rate=-1", 0.0 }, { "?rate=abc", 0.5 }, { "", 0.5 }, { "?rate=0.3", 0.3 },
        { "?rate=nan", 0.5 }, { "?rate=inf", 0.5 }, { "?rate=-infinity", 0.5 }, { "?rate=1e999", 0.5 }, { "?rate=", 0.5 },
    };
    for (const auto& [query, rate] : rates) {
        speak(query);
        EXPECT_DOUBLE_EQ(speaker()->utterances.back().rate, rate) << query;
    }
}

TEST_F(ReadAloud, OnlyTheLatestRequestIsSpoken)
{
    view().holdAnswers = true;
    // The page answers the held text fetches, in order, with these texts.
    const auto answer = [this](std::vector<std::string> texts) {
        auto held = std::exchange(view().heldAnswers, {});
        ASSERT_EQ(held.size(), texts.size());
        for (std::size_t i = 0; i < held.size(); ++i)
            held[i](ui::ScriptResult { Json(texts[i]), std::nullopt });
        queue.drain();
    };
    act("qeliz://speak?gen=1");
    act("qeliz://speak?gen=2");
    answer({ "first", "second" });
    EXPECT_THAT(spokenTexts(), ElementsAre("second"));

    // A stop while the text is fetched: nothing is read and the display may sleep.
    act("qeliz://speak?gen=3");
    act("qeliz://speakstop");
    answer({ "third" });
    EXPECT_THAT(spokenTexts(), ElementsAre("second"));
    EXPECT_EQ(awakeHolds(), 0);

    // A window closed while the text is fetched reads nothing either.
    act("qeliz://speak?gen=4");
    window->window().requestClose();
    answer({ "fourth" });
    EXPECT_THAT(spokenTexts(), ElementsAre("second"));
    EXPECT_EQ(awakeHolds(), 0);
}

TEST_F(ReadAloud, ANewReadingStopsTheOldOneUnderTheNewGenerationAndKeepsTheDisplayAwake)
{
    speak("?gen=1", "first");
    callbacks();
    speak("?gen=2", "second");
    EXPECT_THAT(callbacks(), ElementsAre(state("stopped", 2), state("playing", 2)));
    EXPECT_THAT(spokenTexts(), ElementsAre("first", "second"));
    EXPECT_EQ(awakeHolds(), 1);
    EXPECT_EQ(toolkit.fakeKeepAwake.reasons.size(), 1u);
}

TEST_F(ReadAloud, ResumeActsOnlyOnAPause)
{
    act("qeliz://speakresume");
    act("qeliz://speakpause");
    speak("?gen=1");
    act("qeliz://speakresume");
    EXPECT_EQ(speaker()->continues, 0);
    act("qeliz://speakpause");
    act("qeliz://speakresume");
    EXPECT_EQ(speaker()->continues, 1);
    EXPECT_THAT(callbacks(), ElementsAre(state("playing", 1), state("paused", 1), state("playing", 1)));
}

TEST_F(ReadAloud, RequestsThatEndWithoutSpeakingLetTheDisplaySleep)
{
    // A blank text cancels the reading playing and answers done at once.
    speak("?gen=1", "words");
    EXPECT_EQ(awakeHolds(), 1);
    callbacks();
    speak("?gen=2", " \n\t\u2029 ");
    EXPECT_THAT(callbacks(), ElementsAre(done(2), state("stopped", 2)));
    EXPECT_EQ(awakeHolds(), 0);
    speak("?gen=3", Json(42));
    EXPECT_THAT(callbacks(), ElementsAre(done(3)));
    EXPECT_THAT(spokenTexts(), ElementsAre("words"));

    // A synthesizer or sound output that fails reports a stop.
    speak("?gen=4", "words");
    speaker()->fail("no sound");
    queue.drain();
    EXPECT_EQ(callbacks().back(), state("stopped", 4));
    EXPECT_EQ(awakeHolds(), 0);
}

TEST_F(ReadAloud, ClosingTheWindowSilencesItAtOnce)
{
    speak("?gen=1");
    const auto log = speaker();
    window->window().requestClose();
    EXPECT_EQ(log->stops, 1);
    EXPECT_TRUE(log->destroyed);
    EXPECT_EQ(awakeHolds(), 0);
    log->speakRange(0, 5);
    queue.drain();
    EXPECT_EQ(callbacks(), std::vector<std::string> { state("playing", 1) });
}

class ReadAloudVoices : public ReadAloud {
protected:
    void install(std::vector<Voice> voices) { speech.installed = std::move(voices); }
    std::optional<std::string> readWith()
    {
        speak("");
        const auto& voice = speaker()->utterances.back().voice;
        return voice ? std::optional(voice->identifier) : std::nullopt;
    }
    void setVoice(const Json& value)
    {
        auto settings = loadConfig();
        settings["tts_voice"] = value;
        saveConfig(settings);
    }
};

TEST_F(ReadAloudVoices, ReadingPrefersUsEnglishWhileTheListPrefersQuality)
{
    install({ { "de", "Hanna", "de-DE", VoiceQuality::Premium }, { "gb", "X", "en-GB", VoiceQuality::Premium },
        { "us", "Y", "en-US", VoiceQuality::Default }, { "au", "Z", "en-AU", VoiceQuality::Enhanced },
        { "us2", "W", "en-US", VoiceQuality::Enhanced } });
    EXPECT_EQ(readWith(), "us2");
    EXPECT_EQ(ttsVoiceOptionsJSON(speech),
        R"j([{"id":"gb","label":"X (Premium, en-GB)"},{"id":"us2","label":"W (Enhanced, en-US)"},)j"
        R"j({"id":"au","label":"Z (Enhanced, en-AU)"},{"id":"us","label":"Y (Standard, en-US)"}])j");

    install({ { "gb", "X", "en-GB", VoiceQuality::Premium }, { "us", "Y", "en-US", VoiceQuality::Default } });
    EXPECT_EQ(readWith(), "us2"); // kept for the window until the setting changes
    forgetChosenVoices({ window });
    EXPECT_EQ(readWith(), "us");
    EXPECT_EQ(ttsVoiceOptionsJSON(speech), R"j([{"id":"gb","label":"X (Premium, en-GB)"},{"id":"us","label":"Y (Standard, en-US)"}])j");
}

TEST_F(ReadAloudVoices, TheSettingWinsWhileItsVoiceExists)
{
    install({ { "gb", "X", "en-GB", VoiceQuality::Premium }, { "us", "Y", "en-US", VoiceQuality::Default }, { "de", "Hanna", "de-DE", VoiceQuality::Default } });
    const std::vector<std::pair<Json, std::string>> cases {
        { "gb", "gb" }, { "de", "de" }, { "gone", "us" }, { "auto", "us" }, { "", "us" }, { 7, "us" },
    };
    for (const auto& [setting, identifier] : cases) {
        setVoice(setting);
        EXPECT_EQ(readWith(), identifier) << setting;
    }
}

TEST_F(ReadAloudVoices, WithoutEnglishVoicesTheUsVoiceOrTheDefaultReads)
{
    install({ { "de", "Hanna", "de-DE", VoiceQuality::Premium } });
    EXPECT_EQ(ttsVoiceOptionsJSON(speech), "[]");
    EXPECT_EQ(readWith(), std::nullopt);
    install({});
    EXPECT_EQ(ttsVoiceOptionsJSON(speech), "[]");
}

}
}
