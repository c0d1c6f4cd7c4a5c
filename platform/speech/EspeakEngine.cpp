#include "platform/speech/EspeakEngine.h"

#include "platform/core/Log.h"
#include "platform/speech/SpokenText.h"

#include <espeak-ng/speak_lib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace ikw::speech {

namespace {

constexpr int kBufferMilliseconds = 100;
constexpr const char* kDefaultVoice = "en";

// The database an mbrola voice file names on its "mbrola <database> <table>" line.
std::optional<std::string> mbrolaDatabaseOf(const std::string& voiceFile)
{
    std::ifstream file(voiceFile);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string keyword;
        std::string database;
        if (words >> keyword >> database && keyword == "mbrola")
            return database;
    }
    return std::nullopt;
}

// Where espeak-ng looks for an mbrola database.
bool mbrolaDatabaseInstalled(const std::string& dataPath, const std::string& database)
{
    if (database.empty() || database.find('/') != std::string::npos || database.starts_with("."))
        return false;
    std::error_code error;
    for (const auto& place : { dataPath + "/mbrola/" + database, "/usr/share/mbrola/" + database + "/" + database,
             "/usr/share/mbrola/" + database, "/usr/share/mbrola/voices/" + database }) {
        if (std::filesystem::is_regular_file(place, error))
            return true;
    }
    return false;
}

void appendRecords(std::vector<EspeakVoiceRecord>& records, const espeak_VOICE** voices, const std::string& dataPath)
{
    for (; voices && *voices; ++voices) {
        const espeak_VOICE& voice = **voices;
        if (!voice.name || !voice.identifier || !voice.languages)
            continue;
        EspeakVoiceRecord record { voice.name, voice.languages + 1, voice.identifier, std::nullopt };
        if (record.identifier.starts_with("mb/"))
            record.mbrolaDatabase = mbrolaDatabaseOf(dataPath + "/voices/" + record.identifier).value_or("");
        records.push_back(std::move(record));
    }
}

}

std::vector<Voice> voicesFrom(const std::vector<EspeakVoiceRecord>& records, const std::function<bool(const std::string&)>& databaseInstalled)
{
    std::vector<Voice> voices;
    std::vector<Voice> mbrola;
    for (const auto& record : records) {
        if (record.identifier.starts_with("!v/") || record.language == "variant")
            continue;
        Voice voice { record.identifier, record.name, languageTag(record.language), VoiceQuality::Default };
        if (!record.mbrolaDatabase) {
            voices.push_back(std::move(voice));
        } else if (databaseInstalled(*record.mbrolaDatabase)) {
            voice.quality = VoiceQuality::Enhanced;
            mbrola.push_back(std::move(voice));
        }
    }
    voices.insert(voices.end(), mbrola.begin(), mbrola.end());
    return voices;
}

EspeakEngine& EspeakEngine::shared()
{
    static EspeakEngine engine;
    return engine;
}

EspeakEngine::EspeakEngine()
{
    const std::lock_guard lock(m_mutex);
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMilliseconds, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
        logLine("speech: espeak-ng could not start (is its voice data installed?)");
        return;
    }
    m_sampleRate = rate;
    const char* dataPath = nullptr;
    espeak_Info(&dataPath);
    m_dataPath = dataPath ? dataPath : "";
    espeak_SetSynthCallback([](short* samples, int count, espeak_EVENT* events) { return receive(samples, count, events); });
    const auto dataPathCopy = m_dataPath;
    m_voices = voicesFrom(listVoices(), [dataPathCopy](const std::string& database) { return mbrolaDatabaseInstalled(dataPathCopy, database); });
}

std::vector<EspeakVoiceRecord> EspeakEngine::listVoices() const
{
    std::vector<EspeakVoiceRecord> records;
    appendRecords(records, espeak_ListVoices(nullptr), m_dataPath);
    // The library lists its mbrola voices only when asked for them by this name.
    espeak_VOICE mbrola {};
    mbrola.languages = "mb";
    appendRecords(records, espeak_ListVoices(&mbrola), m_dataPath);
    return records;
}

int EspeakEngine::receive(short* samples, int count, void* rawEvents)
{
    Run* run = shared().m_run;
    if (!run)
        return 1;
    for (auto* event = static_cast<espeak_EVENT*>(rawEvents); event && event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD && event->text_position > 0 && event->length > 0) {
            run->speech.words.push_back(WordMark { event->sample, static_cast<std::size_t>(event->text_position - 1),
                static_cast<std::size_t>(event->length) });
        }
    }
    if (samples && count > 0)
        run->speech.samples.insert(run->speech.samples.end(), samples, samples + count);
    if (!(*run->keepGoing)()) {
        run->givenUp = true;
        return 1;
    }
    return 0;
}

std::optional<SynthesizedSpeech> EspeakEngine::synthesize(std::string_view text, const std::string& voiceIdentifier, int wordsPerMinute,
    bool pauseAtEnd, const std::function<bool()>& keepGoing)
{
    if (!isReady())
        return std::nullopt;
    const std::lock_guard lock(m_mutex);
    const std::string voice = voiceIdentifier.empty() ? kDefaultVoice : voiceIdentifier;
    if (voice != m_voice) {
        // A voice that no longer loads (an mbrola database removed) gives way to the default one.
        if (espeak_SetVoiceByName(voice.c_str()) == EE_OK)
            m_voice = voice;
        else if (espeak_SetVoiceByName(kDefaultVoice) == EE_OK)
            m_voice = kDefaultVoice;
        else
            return std::nullopt;
    }
    espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
    Run run;
    run.keepGoing = &keepGoing;
    m_run = &run;
    const std::string terminated(text);
    const unsigned flags = espeakCHARS_UTF8 | (pauseAtEnd ? espeakENDPAUSE : 0u);
    const auto status = espeak_Synth(terminated.c_str(), terminated.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
    m_run = nullptr;
    if (status != EE_OK || run.givenUp)
        return std::nullopt;
    return std::move(run.speech);
}

}
