#include "platform/speech/fake/FakeSpeech.h"

#include "platform/core/TaskQueue.h"

namespace ikw::speech::fake {

void FakeSynthesizerLog::post(std::function<void(const SynthesizerEvents&)> report)
{
    mainQueue().post([self = shared_from_this(), report = std::move(report)] {
        if (!self->destroyed)
            report(self->events);
    });
}

void FakeSynthesizerLog::speakRange(std::size_t location, std::size_t length)
{
    post([location, length](const SynthesizerEvents& events) {
        if (events.willSpeakRange)
            events.willSpeakRange(location, length);
    });
}

void FakeSynthesizerLog::finish()
{
    speaking = paused = false;
    post([](const SynthesizerEvents& events) {
        if (events.didFinish)
            events.didFinish();
    });
}

void FakeSynthesizerLog::fail(const std::string& reason)
{
    speaking = paused = false;
    post([reason](const SynthesizerEvents& events) {
        if (events.didFail)
            events.didFail(reason);
    });
}

namespace {

void call(const std::function<void()>& event)
{
    if (event)
        event();
}

}

void FakeSynthesizer::speak(Utterance utterance)
{
    if (m_log->speaking)
        m_log->post([](const SynthesizerEvents& events) { call(events.didCancel); });
    m_log->utterances.push_back(std::move(utterance));
    m_log->speaking = true;
    m_log->paused = false;
    m_log->post([](const SynthesizerEvents& events) { call(events.didStart); });
}

void FakeSynthesizer::stopSpeaking()
{
    ++m_log->stops;
    if (!m_log->speaking)
        return;
    m_log->speaking = m_log->paused = false;
    m_log->post([](const SynthesizerEvents& events) { call(events.didCancel); });
}

void FakeSynthesizer::pauseSpeaking()
{
    ++m_log->pauses;
    if (!m_log->speaking || m_log->paused)
        return;
    m_log->paused = true;
    m_log->post([](const SynthesizerEvents& events) { call(events.didPause); });
}

void FakeSynthesizer::continueSpeaking()
{
    ++m_log->continues;
    if (!m_log->paused)
        return;
    m_log->paused = false;
    m_log->post([](const SynthesizerEvents& events) { call(events.didContinue); });
}

std::unique_ptr<Synthesizer> FakeSpeechService::makeSynthesizer(SynthesizerEvents events)
{
    auto log = std::make_shared<FakeSynthesizerLog>();
    log->events = std::move(events);
    made.push_back(log);
    return std::make_unique<FakeSynthesizer>(log);
}

}
