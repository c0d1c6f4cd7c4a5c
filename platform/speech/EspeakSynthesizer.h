#pragma once

#include "platform/speech/AudioSink.h"
#include "platform/speech/EspeakEngine.h"
#include "platform/speech/Speech.h"

#include <memory>
#include <thread>

namespace ikw::speech {

// A synthesizer on espeak-ng. espeak-ng cannot pause, so a worker synthesizes the text a sentence
// at a time and plays the samples through its own output: a pause holds the output where the
// next word starts, and each word is reported when its samples are heard.
class EspeakSynthesizer final : public Synthesizer {
public:
    EspeakSynthesizer(EspeakEngine& engine, AudioSinkFactory outputs, SynthesizerEvents events);
    ~EspeakSynthesizer() override;
    EspeakSynthesizer(const EspeakSynthesizer&) = delete;
    EspeakSynthesizer& operator=(const EspeakSynthesizer&) = delete;

    void speak(Utterance utterance) override;
    void stopSpeaking() override;
    void pauseSpeaking() override;
    void continueSpeaking() override;
    bool isPaused() const override;
    bool isSpeaking() const override;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};

// The platform's speech on espeak-ng, speaking through the outputs the factory opens.
class EspeakSpeechService final : public SpeechService {
public:
    explicit EspeakSpeechService(AudioSinkFactory outputs);

    std::vector<Voice> voices() override;
    std::unique_ptr<Synthesizer> makeSynthesizer(SynthesizerEvents events) override;

private:
    AudioSinkFactory m_outputs;
};

}
