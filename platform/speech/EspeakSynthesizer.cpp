#include "platform/speech/EspeakSynthesizer.h"

#include "platform/core/TaskQueue.h"
#include "platform/speech/SpokenText.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <utility>

namespace ikw::speech {

namespace {

// Samples go out in short slices, so a stop or a pause is seen quickly.
constexpr double kSliceSeconds = 0.02;
// The next sentence is synthesized while this much of the current one is still to be played.
constexpr double kLeadSeconds = 1.0;
// At the end, how long to wait for an output whose playing stopped moving before giving up on it.
constexpr double kStalledSeconds = 1.0;
constexpr auto kPollInterval = std::chrono::milliseconds(10);

}

struct EspeakSynthesizer::Shared : std::enable_shared_from_this<Shared> {
    Shared(EspeakEngine& engine, AudioSinkFactory outputs, SynthesizerEvents events)
        : engine(engine)
        , outputs(std::move(outputs))
        , events(std::move(events))
    {
    }

    EspeakEngine& engine;
    const AudioSinkFactory outputs;
    const SynthesizerEvents events;

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t current = 0; // the utterance allowed to sound; the worker drops any other
    std::optional<std::pair<std::uint64_t, Utterance>> request;
    bool pauseWanted = false;
    bool speaking = false; // from speak until its end is reported on the main queue
    bool quit = false;
    std::atomic<bool> alive = true; // false once the synthesizer is gone: nothing more is reported

    bool isCurrent(std::uint64_t id) const
    {
        const std::lock_guard lock(mutex);
        return !quit && current == id;
    }

    // `deliver` on the main queue, while `id` is still the utterance speaking.
    void report(std::uint64_t id, std::function<void(Shared&)> deliver)
    {
        mainQueue().post([self = shared_from_this(), id, deliver = std::move(deliver)] {
            if (!self->alive || !self->isCurrent(id))
                return;
            deliver(*self);
        });
    }

    void reportEnd(std::uint64_t id, std::function<void(const SynthesizerEvents&)> tell)
    {
        report(id, [tell = std::move(tell)](Shared& shared) {
            {
                const std::lock_guard lock(shared.mutex);
                shared.speaking = false;
                shared.pauseWanted = false;
            }
            tell(shared.events);
        });
    }

    void reportCancel()
    {
        mainQueue().post([self = shared_from_this()] {
            if (self->alive && self->events.didCancel)
                self->events.didCancel();
        });
    }
};

namespace {

using Shared = EspeakSynthesizer::Shared;

void call(const std::function<void()>& event)
{
    if (event)
        event();
}

// One utterance on the worker: sentences synthesized one ahead of the output, the pause held at
// a word's start, and each word reported once the output played up to it.
class Reading {
public:
    Reading(std::shared_ptr<Shared> shared, std::uint64_t id, const Utterance& utterance, AudioSink& output)
        : m_shared(std::move(shared))
        , m_id(id)
        , m_text(speakableText(utterance.text))
        , m_characters(m_text)
        , m_pieces(speechPieces(m_text))
        , m_voice(utterance.voice ? utterance.voice->identifier : "")
        , m_wordsPerMinute(wordsPerMinute(utterance.rate))
        , m_output(output)
        , m_rate(m_shared->engine.sampleRate())
    {
    }

    void run()
    {
        m_shared->report(m_id, [](Shared& shared) { call(shared.events.didStart); });
        std::optional<SynthesizedSpeech> speech;
        if (!m_pieces.empty() && !(speech = synthesize(0)))
            return endWithoutSpeech();
        for (std::size_t index = 0; index < m_pieces.size(); ++index) {
            auto following = play(*speech, index);
            if (!following)
                return;
            speech = std::move(*following);
        }
        if (pauseWanted() && !holdForPause())
            return m_output.discard();
        waitUntilHeard(m_written + 1, [this] { return keepGoing(); });
        if (!keepGoing())
            return m_output.discard();
        if (!m_output.drain())
            return fail("the sound output failed");
        releaseHeardWords(true);
        m_shared->reportEnd(m_id, [](const SynthesizerEvents& events) { call(events.didFinish); });
    }

private:
    // Plays the piece's speech; returns the next piece's (empty after the last), none when the
    // reading ended here (stopped or failed).
    std::optional<std::optional<SynthesizedSpeech>> play(const SynthesizedSpeech& speech, std::size_t index)
    {
        queueWords(speech, m_pieces[index]);
        const auto& samples = speech.samples;
        const auto& words = speech.words;
        const bool more = index + 1 < m_pieces.size();
        const auto slice = static_cast<std::size_t>(kSliceSeconds * m_rate);
        const auto lead = static_cast<std::size_t>(kLeadSeconds * m_rate);
        std::optional<SynthesizedSpeech> following;
        std::size_t position = 0;
        std::size_t word = 0;
        while (true) {
            if (!keepGoing()) {
                m_output.discard();
                return std::nullopt;
            }
            while (word < words.size() && static_cast<std::size_t>(words[word].frame) < position)
                ++word;
            const bool atWordStart = word < words.size() && static_cast<std::size_t>(words[word].frame) == position;
            if (atWordStart && pauseWanted() && !holdForPause()) {
                m_output.discard();
                return std::nullopt;
            }
            if (more && !following && samples.size() - position < lead && !(following = synthesize(index + 1))) {
                endWithoutSpeech();
                return std::nullopt;
            }
            if (position >= samples.size())
                break;
            std::size_t end = std::min(samples.size(), position + slice);
            if (word < words.size() && static_cast<std::size_t>(words[word].frame) > position)
                end = std::min(end, static_cast<std::size_t>(words[word].frame));
            if (!m_output.write(std::span(samples).subspan(position, end - position))) {
                fail("the sound output failed");
                return std::nullopt;
            }
            m_written += static_cast<std::int64_t>(end - position);
            position = end;
            releaseHeardWords(false);
        }
        return std::optional<std::optional<SynthesizedSpeech>>(std::move(following));
    }

    std::optional<SynthesizedSpeech> synthesize(std::size_t index)
    {
        const TextPiece& piece = m_pieces[index];
        const auto text = std::string_view(m_text).substr(piece.byteBegin, piece.byteEnd - piece.byteBegin);
        return m_shared->engine.synthesize(text, m_voice, m_wordsPerMinute, piece.endsSentence, [this] { return keepGoing(); });
    }

    void queueWords(const SynthesizedSpeech& speech, const TextPiece& piece)
    {
        for (const WordMark& mark : speech.words) {
            const std::size_t first = piece.firstCharacter + mark.character;
            const std::size_t location = m_characters.utf16Offset(first);
            const std::size_t end = m_characters.utf16Offset(first + mark.length);
            m_pending.push_back({ m_written + mark.frame, location, end - location });
        }
    }

    // Reports the words whose first sample was played (all of them when `all`).
    void releaseHeardWords(bool all)
    {
        if (m_pending.empty())
            return;
        const auto played = all ? m_written : m_output.playedFrames();
        while (!m_pending.empty() && m_pending.front().frame <= played) {
            const auto word = m_pending.front();
            m_pending.pop_front();
            m_shared->report(m_id, [word](Shared& shared) {
                if (shared.events.willSpeakRange)
                    shared.events.willSpeakRange(word.location, word.length);
            });
        }
    }

    // Holds until the pause is lifted; false when the reading was stopped meanwhile. The words
    // before the hold play out first, so the pause is reported when the sound stops.
    bool holdForPause()
    {
        const auto held = [this] {
            const std::lock_guard lock(m_shared->mutex);
            return m_shared->pauseWanted && m_shared->current == m_id && !m_shared->quit;
        };
        waitUntilHeard(m_written, held);
        if (!held())
            return keepGoing(); // lifted before the sound stopped: there was no pause
        m_shared->report(m_id, [](Shared& shared) { call(shared.events.didPause); });
        {
            std::unique_lock lock(m_shared->mutex);
            m_shared->changed.wait(lock, [&] { return !m_shared->pauseWanted || m_shared->current != m_id || m_shared->quit; });
        }
        if (!keepGoing())
            return false;
        m_shared->report(m_id, [](Shared& shared) { call(shared.events.didContinue); });
        return true;
    }

    // Reports the words that start before `frame` as the output plays them, while `waiting`
    // holds; an output whose playing stopped moving is not waited for.
    void waitUntilHeard(std::int64_t frame, const std::function<bool()>& waiting)
    {
        using Clock = std::chrono::steady_clock;
        auto lastMove = Clock::now();
        std::int64_t lastPlayed = -1;
        while (!m_pending.empty() && m_pending.front().frame < frame && waiting()) {
            releaseHeardWords(false);
            const auto played = m_output.playedFrames();
            if (played != lastPlayed) {
                lastPlayed = played;
                lastMove = Clock::now();
            } else if (Clock::now() - lastMove > std::chrono::duration<double>(kStalledSeconds)) {
                return;
            }
            std::unique_lock lock(m_shared->mutex);
            m_shared->changed.wait_for(lock, kPollInterval);
        }
    }

    bool keepGoing() const { return m_shared->isCurrent(m_id); }

    bool pauseWanted() const
    {
        const std::lock_guard lock(m_shared->mutex);
        return m_shared->pauseWanted;
    }

    // Synthesis gave nothing: a stop asked for that; anything else is a failure.
    void endWithoutSpeech()
    {
        if (keepGoing())
            fail("the speech synthesizer failed");
    }

    void fail(std::string reason)
    {
        m_output.discard();
        m_shared->reportEnd(m_id, [reason = std::move(reason)](const SynthesizerEvents& events) {
            if (events.didFail)
                events.didFail(reason);
        });
    }

    struct PendingWord {
        std::int64_t frame;
        std::size_t location;
        std::size_t length;
    };

    std::shared_ptr<Shared> m_shared;
    const std::uint64_t m_id;
    const std::string m_text;
    const CharacterIndex m_characters;
    const std::vector<TextPiece> m_pieces;
    const std::string m_voice;
    const int m_wordsPerMinute;
    AudioSink& m_output;
    const int m_rate;
    std::int64_t m_written = 0; // frames of this utterance given to the output
    std::deque<PendingWord> m_pending;
};

void speakOne(const std::shared_ptr<Shared>& shared, std::uint64_t id, const Utterance& utterance)
{
    const auto failed = [&](const char* reason) {
        shared->reportEnd(id, [reason](const SynthesizerEvents& events) {
            if (events.didFail)
                events.didFail(reason);
        });
    };
    if (!shared->engine.isReady())
        return failed("the speech synthesizer is not available");
    const auto output = shared->outputs ? shared->outputs(AudioFormat { shared->engine.sampleRate() }) : nullptr;
    if (!output)
        return failed("no sound output could be opened");
    Reading(shared, id, utterance, *output).run();
}

void work(const std::shared_ptr<Shared>& shared)
{
    while (true) {
        std::pair<std::uint64_t, Utterance> job;
        {
            std::unique_lock lock(shared->mutex);
            shared->changed.wait(lock, [&] { return shared->quit || shared->request; });
            if (shared->quit)
                return;
            job = std::move(*shared->request);
            shared->request.reset();
        }
        speakOne(shared, job.first, job.second);
    }
}

}

EspeakSynthesizer::EspeakSynthesizer(EspeakEngine& engine, AudioSinkFactory outputs, SynthesizerEvents events)
    : m_shared(std::make_shared<Shared>(engine, std::move(outputs), std::move(events)))
{
}

EspeakSynthesizer::~EspeakSynthesizer()
{
    m_shared->alive = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->quit = true;
        ++m_shared->current;
        m_shared->request.reset();
    }
    m_shared->changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void EspeakSynthesizer::speak(Utterance utterance)
{
    bool replaced = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        replaced = m_shared->speaking;
        m_shared->request.emplace(++m_shared->current, std::move(utterance));
        m_shared->pauseWanted = false;
        m_shared->speaking = true;
    }
    if (replaced)
        m_shared->reportCancel();
    m_shared->changed.notify_all();
    if (!m_worker.joinable())
        m_worker = std::thread([shared = m_shared] { work(shared); });
}

void EspeakSynthesizer::stopSpeaking()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (!m_shared->speaking)
            return;
        ++m_shared->current;
        m_shared->request.reset();
        m_shared->pauseWanted = false;
        m_shared->speaking = false;
    }
    m_shared->changed.notify_all();
    m_shared->reportCancel();
}

void EspeakSynthesizer::pauseSpeaking()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (!m_shared->speaking)
            return;
        m_shared->pauseWanted = true;
    }
    m_shared->changed.notify_all();
}

void EspeakSynthesizer::continueSpeaking()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (!m_shared->pauseWanted)
            return;
        m_shared->pauseWanted = false;
    }
    m_shared->changed.notify_all();
}

bool EspeakSynthesizer::isPaused() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->speaking && m_shared->pauseWanted;
}

bool EspeakSynthesizer::isSpeaking() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->speaking;
}

EspeakSpeechService::EspeakSpeechService(AudioSinkFactory outputs)
    : m_outputs(std::move(outputs))
{
}

std::vector<Voice> EspeakSpeechService::voices()
{
    return EspeakEngine::shared().voices();
}

std::unique_ptr<Synthesizer> EspeakSpeechService::makeSynthesizer(SynthesizerEvents events)
{
    return std::make_unique<EspeakSynthesizer>(EspeakEngine::shared(), m_outputs, std::move(events));
}

}
