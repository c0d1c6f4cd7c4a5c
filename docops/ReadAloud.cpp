#include "docops/ReadAloud.h"

#include "app/Settings.h"
#include "platform/core/Json.h"
#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"
#include "platform/ui/PageScript.h"
#include "review/ReviewServices.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"
#include "review/UrlQuery.h"

#include <algorithm>
#include <cmath>

namespace ikw::docops {

namespace {

constexpr const char* kSpeakTextScript = "window.__ikwSpeakText || ''";
constexpr const char* kAwakeReason = "Inkwarden read-aloud";
// Generations beyond what a page's numbers hold exactly are no generation (and one more never overflows).
constexpr std::int64_t kLargestGeneration = std::int64_t { 1 } << 53;

std::string stateScript(const char* state, std::int64_t generation)
{
    return ui::guardedCall("ikwSpeakState", std::string("'") + state + "'," + std::to_string(generation));
}

std::string rangeScript(std::size_t location, std::size_t length, std::int64_t generation)
{
    return ui::guardedCall("ikwSpeakRange", std::to_string(location) + "," + std::to_string(length) + "," + std::to_string(generation));
}

std::string doneScript(std::int64_t generation)
{
    return ui::guardedCall("ikwSpeakDone", std::to_string(generation));
}

// Reports go to the window's own page, with the generation current when they are sent.
speech::SynthesizerEvents reportsTo(std::weak_ptr<ReviewWC> weak)
{
    const auto sendState = [weak](const char* state) {
        return [weak, state] {
            if (const auto window = weak.lock())
                window->evaluate(stateScript(state, window->speech.speakGen));
        };
    };
    return speech::SynthesizerEvents {
        .willSpeakRange = [weak](std::size_t location, std::size_t length) {
            if (const auto window = weak.lock())
                window->evaluate(rangeScript(location, length, window->speech.speakGen));
        },
        .didStart = sendState("playing"),
        .didPause = sendState("paused"),
        .didContinue = sendState("playing"),
        // A reading replaced by a new one is cancelled; the display stays awake for the new one.
        .didCancel = sendState("stopped"),
        .didFinish = [weak] {
            if (const auto window = weak.lock()) {
                ReviewWC::endAwake(window->speakAwake);
                window->evaluate(doneScript(window->speech.speakGen));
            }
        },
        // A synthesizer or sound output that fails ends the reading as a stop would.
        .didFail = [weak](const std::string&) {
            if (const auto window = weak.lock()) {
                ReviewWC::endAwake(window->speakAwake);
                window->evaluate(stateScript("stopped", window->speech.speakGen));
            }
        },
    };
}

speech::Synthesizer& speakerOf(ReviewWC& window, speech::SpeechService& speech)
{
    auto& speaker = window.speech.speaker;
    if (!speaker)
        speaker = speech.makeSynthesizer(reportsTo(window.weak_from_this()));
    return *speaker;
}

std::vector<speech::Voice> englishOf(std::vector<speech::Voice> voices)
{
    std::erase_if(voices, [](const speech::Voice& voice) { return !voice.language.starts_with("en"); });
    return voices;
}

int qualityRank(speech::VoiceQuality quality)
{
    switch (quality) {
    case speech::VoiceQuality::Premium:
        return 2;
    case speech::VoiceQuality::Enhanced:
        return 1;
    case speech::VoiceQuality::Default:
        break;
    }
    return 0;
}

const char* qualityWord(speech::VoiceQuality quality)
{
    switch (quality) {
    case speech::VoiceQuality::Premium:
        return "Premium";
    case speech::VoiceQuality::Enhanced:
        return "Enhanced";
    case speech::VoiceQuality::Default:
        break;
    }
    return "Standard";
}

// The "tts_voice" setting when it names a voice rather than the automatic choice.
std::optional<std::string> chosenVoiceSetting()
{
    const Json settings = loadConfig();
    const auto it = settings.find("tts_voice");
    if (it == settings.end() || !it->is_string())
        return std::nullopt;
    auto identifier = it->get<std::string>();
    if (identifier.empty() || identifier == "auto")
        return std::nullopt;
    return identifier;
}

}

double speechRateFrom(const std::string& url)
{
    const auto item = urlQuery(url, "rate");
    const auto rate = item ? parseDouble(*item) : std::nullopt;
    return rate && std::isfinite(*rate) ? *rate : speech::kDefaultSpeechRate;
}

std::optional<std::int64_t> speechGenerationFrom(const std::string& url)
{
    const auto generation = queryInteger(url, "gen");
    if (!generation || *generation > kLargestGeneration || *generation < -kLargestGeneration)
        return std::nullopt;
    return *generation;
}

void startReadAloud(ReviewWC& window, const std::string& url, const std::shared_ptr<ui::WebView>& web, speech::SpeechService& speech)
{
    const double rate = speechRateFrom(url);
    auto& state = window.speech;
    const std::int64_t generation = speechGenerationFrom(url).value_or(state.speakGen + 1);
    if (state.speaker)
        state.speaker->stopSpeaking();
    state.speakGen = generation;
    web->evaluate(kSpeakTextScript,
        [weakWindow = window.weak_from_this(), weakWeb = std::weak_ptr(web), generation, rate, service = &speech](ui::ScriptResult result) {
            const auto window = weakWindow.lock();
            const auto view = weakWeb.lock();
            // A newer request or a stop came in meanwhile, or the window closed: this one is void.
            if (!window || !view || window->isClosed() || window->speech.speakGen != generation)
                return;
            const std::string text = result.value && result.value->is_string() ? result.value->get<std::string>() : "";
            if (trimWhitespaceAndNewlines(text).empty()) {
                // Nothing to read; a reading this request cancelled no longer keeps the display awake.
                ReviewWC::endAwake(window->speakAwake);
                view->evaluate(doneScript(generation));
                return;
            }
            speech::Utterance utterance { text, std::clamp(rate, speech::kMinimumSpeechRate, speech::kMaximumSpeechRate), bestVoice(*window, *service) };
            window->beginAwake(window->speakAwake, kAwakeReason);
            speakerOf(*window, *service).speak(std::move(utterance));
        });
}

void pauseReadAloud(ReviewWC& window)
{
    if (const auto& speaker = window.speech.speaker)
        speaker->pauseSpeaking();
}

void resumeReadAloud(ReviewWC& window)
{
    if (const auto& speaker = window.speech.speaker; speaker && speaker->isPaused())
        speaker->continueSpeaking();
}

void stopReadAloud(ReviewWC& window)
{
    ++window.speech.speakGen;
    if (const auto& speaker = window.speech.speaker)
        speaker->stopSpeaking();
    ReviewWC::endAwake(window.speakAwake);
}

void stopReadAloudForClose(ReviewWC& window)
{
    stopReadAloud(window);
    window.speech.speaker.reset();
}

std::optional<speech::Voice> bestVoice(ReviewWC& window, speech::SpeechService& speech)
{
    const auto voices = speech.voices();
    if (const auto identifier = chosenVoiceSetting()) {
        const auto it = std::ranges::find(voices, *identifier, &speech::Voice::identifier);
        if (it != voices.end())
            return *it;
    }
    auto& chosen = window.speech.speakVoice;
    if (chosen)
        return chosen;
    auto english = englishOf(voices);
    std::ranges::stable_sort(english, [](const speech::Voice& a, const speech::Voice& b) {
        const bool aIsUS = a.language == "en-US";
        const bool bIsUS = b.language == "en-US";
        if (aIsUS != bIsUS)
            return aIsUS;
        return qualityRank(a.quality) > qualityRank(b.quality);
    });
    chosen = english.empty() ? speech::voiceForLanguage(voices, "en-US") : std::optional(english.front());
    return chosen;
}

void forgetChosenVoices(const std::vector<std::shared_ptr<ReviewWC>>& windows)
{
    for (const auto& window : windows)
        window->speech.speakVoice.reset();
}

std::string ttsVoiceOptionsJSON(speech::SpeechService& speech)
{
    auto voices = englishOf(speech.voices());
    const auto score = [](const speech::Voice& voice) { return 2 * qualityRank(voice.quality) + (voice.language == "en-US" ? 1 : 0); };
    std::ranges::stable_sort(voices, [&](const speech::Voice& a, const speech::Voice& b) { return score(a) > score(b); });
    Json options = Json::array();
    for (const auto& voice : voices) {
        options.push_back(Json { { "id", voice.identifier },
            { "label", voice.name + " (" + qualityWord(voice.quality) + ", " + voice.language + ")" } });
    }
    try {
        return toJson(options);
    } catch (const Json::exception&) {
        return "[]";
    }
}

void registerReadAloudActions(UrlActions& actions, speech::SpeechService& speech)
{
    actions.add("speak", [service = &speech](const UrlAction& action) { startReadAloud(action.window, action.url, action.window.web, *service); });
    actions.add("speakpause", [](const UrlAction& action) { pauseReadAloud(action.window); });
    actions.add("speakresume", [](const UrlAction& action) { resumeReadAloud(action.window); });
    actions.add("speakstop", [](const UrlAction& action) { stopReadAloud(action.window); });
}

void registerReadAloudFeatures(ReviewFeatures& features)
{
    features.windowClosing = [earlier = std::move(features.windowClosing)](ReviewWC& window) {
        if (earlier)
            earlier(window);
        stopReadAloudForClose(window);
    };
}

}
