#pragma once

#include "platform/speech/Speech.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw::speech::fake {

// What one fake synthesizer was asked, and the test's handle to make it report. Reports go
// through the main queue like a real synthesizer's, and stop once the synthesizer is gone.
struct FakeSynthesizerLog : std::enable_shared_from_this<FakeSynthesizerLog> {
    std::vector<Utterance> utterances;
    int stops = 0;
    int pauses = 0;
    int continues = 0;
    bool speaking = false;
    bool paused = false;
    bool destroyed = false;
    SynthesizerEvents events;

    // The synthesizer's side: what it would report while speaking.
    void speakRange(std::size_t location, std::size_t length);
    void finish();
    void fail(const std::string& reason);

    void post(std::function<void(const SynthesizerEvents&)> report);
};

class FakeSynthesizer final : public Synthesizer {
public:
    explicit FakeSynthesizer(std::shared_ptr<FakeSynthesizerLog> log) : m_log(std::move(log)) { }
    ~FakeSynthesizer() override { m_log->destroyed = true; }

    void speak(Utterance utterance) override;
    void stopSpeaking() override;
    void pauseSpeaking() override;
    void continueSpeaking() override;
    bool isPaused() const override { return m_log->paused; }
    bool isSpeaking() const override { return m_log->speaking; }

private:
    std::shared_ptr<FakeSynthesizerLog> m_log;
};

// Installed voices set by the test; every synthesizer made is logged.
class FakeSpeechService final : public SpeechService {
public:
    std::vector<Voice> voices() override { return installed; }
    std::unique_ptr<Synthesizer> makeSynthesizer(SynthesizerEvents events) override;

    std::shared_ptr<FakeSynthesizerLog> latest() const { return made.empty() ? nullptr : made.back(); }

    std::vector<Voice> installed;
    std::vector<std::shared_ptr<FakeSynthesizerLog>> made;
};

}
