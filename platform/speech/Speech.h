#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::speech {

// Speaking rates on the synthesizers' own scale: 0 the slowest, 1 the fastest.
inline constexpr double kMinimumSpeechRate = 0.0;
inline constexpr double kMaximumSpeechRate = 1.0;
inline constexpr double kDefaultSpeechRate = 0.5;

enum class VoiceQuality { Default, Enhanced, Premium };

struct Voice {
    std::string identifier;
    std::string name;
    std::string language; // a language tag written "en-US"
    VoiceQuality quality = VoiceQuality::Default;

    bool operator==(const Voice&) const = default;
};

struct Utterance {
    std::string text; // UTF-8
    double rate = kDefaultSpeechRate;
    std::optional<Voice> voice; // none: the synthesizer's default voice
};

// What a synthesizer reports about the utterance it speaks, always on the main queue and never
// after the synthesizer is gone. Ranges are UTF-16 offsets and lengths in the utterance's text,
// reported when their sound plays.
struct SynthesizerEvents {
    std::function<void(std::size_t location, std::size_t length)> willSpeakRange;
    std::function<void()> didStart;
    std::function<void()> didPause;
    std::function<void()> didContinue;
    std::function<void()> didCancel;
    std::function<void()> didFinish;
    std::function<void(const std::string& reason)> didFail; // the synthesizer or the sound output failed
};

// One voice speaking one utterance at a time. Main thread only.
class Synthesizer {
public:
    virtual ~Synthesizer() = default;
    // Speaks the utterance; one still speaking is cancelled first.
    virtual void speak(Utterance utterance) = 0;
    // Stops at once; a speaking utterance reports its cancel.
    virtual void stopSpeaking() = 0;
    // Holds at the end of the word being spoken; a pause never cancels.
    virtual void pauseSpeaking() = 0;
    // Goes on after a pause; nothing when not paused.
    virtual void continueSpeaking() = 0;
    virtual bool isPaused() const = 0;
    virtual bool isSpeaking() const = 0;
};

// The system's speech: its voices and its synthesizers.
class SpeechService {
public:
    virtual ~SpeechService() = default;
    // Every installed voice, in the platform's order.
    virtual std::vector<Voice> voices() = 0;
    virtual std::unique_ptr<Synthesizer> makeSynthesizer(SynthesizerEvents events) = 0;
};

// The first voice whose language is `language` (letter case aside), none when there is none.
std::optional<Voice> voiceForLanguage(const std::vector<Voice>& voices, std::string_view language);

}
