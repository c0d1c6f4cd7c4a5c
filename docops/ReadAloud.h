#pragma once

#include "platform/speech/Speech.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
class UrlActions;
struct ReviewFeatures;
namespace ui {
class WebView;
}
}

namespace ikw::docops {

// Reading a page's text aloud in its review window: the page puts the text in
// `window.__ikwSpeakText` and asks through "speak"; the window's synthesizer reports the word
// being spoken, the playing state and the end with the generation the page chose. The display
// stays awake while a reading plays. Main thread only.

// "speak": `rate` (0 to 1) and `gen` from the action URL; the text is fetched from `web`.
void startReadAloud(ReviewWC& window, const std::string& url, const std::shared_ptr<ui::WebView>& web, speech::SpeechService& speech);
void pauseReadAloud(ReviewWC& window);
void resumeReadAloud(ReviewWC& window);
void stopReadAloud(ReviewWC& window);
// The window closes: silence at once, and the synthesizer goes with its worker.
void stopReadAloudForClose(ReviewWC& window);

// The voice to read in: the "tts_voice" setting while that voice exists, else the window's
// automatic choice (English, "en-US" first, then the best quality), kept for the window.
std::optional<speech::Voice> bestVoice(ReviewWC& window, speech::SpeechService& speech);
// The "tts_voice" setting changed: every window chooses its voice again at its next reading.
void forgetChosenVoices(const std::vector<std::shared_ptr<ReviewWC>>& windows);

// The settings panel's English voices as a compact JSON array of {id, label}, best quality first.
std::string ttsVoiceOptionsJSON(speech::SpeechService& speech);

// The page's rate and generation items, as a reading takes them: a rate that is missing, not a
// number or not finite is the default; a gen that is not an integer within ±2^53 is none.
double speechRateFrom(const std::string& url);
std::optional<std::int64_t> speechGenerationFrom(const std::string& url);

// "speak", "speakpause", "speakresume" and "speakstop".
void registerReadAloudActions(UrlActions& actions, speech::SpeechService& speech);
// A closing window stops reading.
void registerReadAloudFeatures(ReviewFeatures& features);

}
