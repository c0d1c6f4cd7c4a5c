#pragma once

#include "platform/speech/Speech.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::speech {

// The start of a spoken word: its first sample and its characters in the synthesized text.
struct WordMark {
    std::int64_t frame = 0;
    std::size_t character = 0; // 0-based, in Unicode code points
    std::size_t length = 0;
};

struct SynthesizedSpeech {
    std::vector<std::int16_t> samples;
    std::vector<WordMark> words;
};

// A voice as espeak-ng lists it; `mbrolaDatabase` names the diphone database an mbrola voice needs.
struct EspeakVoiceRecord {
    std::string name;
    std::string language; // espeak-ng's name, "en-us"
    std::string identifier;
    std::optional<std::string> mbrolaDatabase;
};

// The platform's voices: espeak-ng's own (standard quality) and the mbrola voices whose database
// is installed (enhanced), in that order; variants are not voices.
std::vector<Voice> voicesFrom(const std::vector<EspeakVoiceRecord>& records, const std::function<bool(const std::string& database)>& databaseInstalled);

// espeak-ng in its retrieval mode: it hands back samples and word events instead of playing them.
// The library keeps one state per process, so there is one engine, and one synthesis runs at a time.
class EspeakEngine {
public:
    static EspeakEngine& shared();
    EspeakEngine(const EspeakEngine&) = delete;
    EspeakEngine& operator=(const EspeakEngine&) = delete;

    // False when espeak-ng or its data could not be loaded.
    bool isReady() const { return m_sampleRate > 0; }
    int sampleRate() const { return m_sampleRate; }
    // Listed once, when the engine starts.
    const std::vector<Voice>& voices() const { return m_voices; }

    // Speech for the text (valid UTF-8 without NUL; read as text, never as markup) in the voice
    // (empty: the default voice), at the rate. `keepGoing` is asked between blocks of sound. None
    // when the synthesis failed or was given up.
    std::optional<SynthesizedSpeech> synthesize(std::string_view text, const std::string& voiceIdentifier, int wordsPerMinute,
        bool pauseAtEnd, const std::function<bool()>& keepGoing);

private:
    EspeakEngine();
    static int receive(short* samples, int count, void* events);
    std::vector<EspeakVoiceRecord> listVoices() const;

    struct Run {
        SynthesizedSpeech speech;
        const std::function<bool()>* keepGoing = nullptr;
        bool givenUp = false;
    };

    std::mutex m_mutex; // one synthesis at a time, and the library's settings with it
    int m_sampleRate = 0;
    std::string m_dataPath;
    std::vector<Voice> m_voices;
    std::string m_voice; // the voice the library has loaded
    Run* m_run = nullptr;
};

}
