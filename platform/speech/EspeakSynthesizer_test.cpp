// The espeak-ng synthesizer speaking for real into outputs without sound.
#include "platform/speech/EspeakSynthesizer.h"

#include "platform/core/Process.h"
#include "platform/core/Text.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/speech/WavFileSink.h"
#include "tests/support/TempHome.h"

#include <gmock/gmock.h>

#include <atomic>

namespace ikw::speech {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr double kTimeout = 20;
const std::string kLongText = "Reading aloud goes on word by word until the very last word of this rather long sentence.";

Utterance said(std::string text, double rate = kDefaultSpeechRate, std::optional<Voice> voice = std::nullopt)
{
    return Utterance { std::move(text), rate, std::move(voice) };
}

ProcessResult run(std::vector<std::string> argv)
{
    ProcessOptions options;
    options.argv = std::move(argv);
    options.timeoutSeconds = 60;
    return runProcess(options);
}

// An output that fails once it has taken `limit` frames.
class FailingSink final : public AudioSink {
public:
    explicit FailingSink(std::int64_t limit) : m_limit(limit) { }
    bool write(std::span<const std::int16_t> samples) override { return (m_written += static_cast<std::int64_t>(samples.size())) <= m_limit; }
    std::int64_t playedFrames() override { return m_written; }
    void discard() override { }
    bool drain() override { return true; }

private:
    std::int64_t m_limit;
    std::int64_t m_written = 0;
};

class EspeakSynthesizerTest : public ::testing::Test {
protected:
    // Every report as a word: "start", "range 9 5", "pause", ...
    SynthesizerEvents recording()
    {
        return SynthesizerEvents {
            .willSpeakRange = [this](std::size_t location, std::size_t length) { log.push_back("range " + std::to_string(location) + " " + std::to_string(length)); },
            .didStart = [this] { log.push_back("start"); },
            .didPause = [this] { log.push_back("pause"); },
            .didContinue = [this] { log.push_back("continue"); },
            .didCancel = [this] { log.push_back("cancel"); },
            .didFinish = [this] { log.push_back("finish"); },
            .didFail = [this](const std::string& reason) { log.push_back("fail " + reason); },
        };
    }

    std::unique_ptr<Synthesizer> synthesizer(NullAudioSink::Pacing pacing)
    {
        return makeWith([pacing](const AudioFormat& format) { return std::make_unique<NullAudioSink>(format, pacing); });
    }

    std::unique_ptr<Synthesizer> makeWith(AudioSinkFactory outputs)
    {
        return EspeakSpeechService(std::move(outputs)).makeSynthesizer(recording());
    }

    bool logged(const std::string& entry) const { return std::ranges::find(log, entry) != log.end(); }
    bool waitFor(const std::string& entry) { return queue.runUntil([&] { return logged(entry); }, kTimeout); }
    std::vector<std::string> ranges() const
    {
        std::vector<std::string> found;
        std::ranges::copy_if(log, std::back_inserter(found), [](const std::string& entry) { return entry.starts_with("range"); });
        return found;
    }

    ManualMainQueue queue;
    std::vector<std::string> log;
};

TEST_F(EspeakSynthesizerTest, ReportsEachWordInUtf16AndFinishes)
{
    const auto speaker = synthesizer(NullAudioSink::Pacing::Immediate);
    speaker->speak(said("Hello \xF0\x9D\x84\x9E world"));
    EXPECT_TRUE(speaker->isSpeaking());
    ASSERT_TRUE(waitFor("finish")) << ::testing::PrintToString(log);
    EXPECT_THAT(log, ElementsAre("start", "range 0 5", "range 9 5", "finish"));
    EXPECT_FALSE(speaker->isSpeaking());
}

TEST_F(EspeakSynthesizerTest, SentencesAfterTheFirstKeepTheirPlaceInTheText)
{
    const auto speaker = synthesizer(NullAudioSink::Pacing::Immediate);
    speaker->speak(said("One two. Three \xC3\xA9t\xC3\xA9!\n\nFour"));
    ASSERT_TRUE(waitFor("finish"));
    EXPECT_THAT(ranges(), ElementsAre("range 0 3", "range 4 3", "range 9 5", "range 15 3", "range 21 4"));
}

// The samples are espeak-ng's own: as long as its program's recording of the same text, and not silence.
TEST_F(EspeakSynthesizerTest, WritesTheSameSpeechAsTheEspeakProgram)
{
    testing::TempHome home;
    const std::string ours = home.file("ours.wav");
    const std::string theirs = home.file("theirs.wav");
    const std::string text = "The quick brown fox jumps over the lazy dog.";
    {
        const auto speaker = makeWith([&](const AudioFormat& format) { return WavFileSink::create(ours, format); });
        speaker->speak(said(text, kDefaultSpeechRate, Voice { "gmw/en-US", "", "en-US", VoiceQuality::Default }));
        ASSERT_TRUE(waitFor("finish"));
    }
    ASSERT_TRUE(run({ "espeak-ng", "-v", "gmw/en-US", "-w", theirs, text }).succeeded());
    const auto measure = [](const std::string& file, const std::string& what) {
        const auto result = run({ "sox", file, "-n", "stat" });
        for (const auto& line : split(result.standardError, '\n')) {
            if (line.starts_with(what))
                return parseDouble(trim(line.substr(line.find(':') + 1))).value_or(-1);
        }
        return -1.0;
    };
    const double ourLength = measure(ours, "Length (seconds)");
    const double theirLength = measure(theirs, "Length (seconds)");
    EXPECT_GT(theirLength, 1.0);
    EXPECT_NEAR(ourLength, theirLength, 0.15 * theirLength);
    EXPECT_GT(measure(ours, "RMS     amplitude"), 0.5 * measure(theirs, "RMS     amplitude"));
}

TEST_F(EspeakSynthesizerTest, APauseHoldsAtAWordAndContinuesWithoutCancelling)
{
    const auto speaker = synthesizer(NullAudioSink::Pacing::RealTime);
    speaker->speak(said(kLongText));
    ASSERT_TRUE(waitFor("range 8 5")); // "aloud"
    speaker->pauseSpeaking();
    EXPECT_TRUE(speaker->isPaused());
    ASSERT_TRUE(waitFor("pause"));
    // Held: the words after the pause wait.
    queue.runUntil([] { return false; }, 0.5);
    const auto heldAt = log.size();
    EXPECT_EQ(log.back(), "pause");
    speaker->continueSpeaking();
    EXPECT_FALSE(speaker->isPaused());
    ASSERT_TRUE(waitFor("finish"));
    EXPECT_EQ(log[heldAt], "continue");
    EXPECT_FALSE(logged("cancel"));
    EXPECT_EQ(ranges().size(), 17u);
}

TEST_F(EspeakSynthesizerTest, AStopIsReportedOnceAndEndsTheReading)
{
    const auto speaker = synthesizer(NullAudioSink::Pacing::RealTime);
    speaker->speak(said(kLongText));
    ASSERT_TRUE(waitFor("range 0 7"));
    speaker->stopSpeaking();
    speaker->stopSpeaking();
    EXPECT_FALSE(speaker->isSpeaking());
    queue.runUntil([] { return false; }, 0.5);
    EXPECT_EQ(log.back(), "cancel");
    EXPECT_EQ(std::ranges::count(log, "cancel"), 1);
    EXPECT_FALSE(logged("finish"));
}

TEST_F(EspeakSynthesizerTest, ANewUtteranceCancelsTheOneSpeaking)
{
    const auto speaker = synthesizer(NullAudioSink::Pacing::RealTime);
    speaker->speak(said(kLongText));
    ASSERT_TRUE(waitFor("start"));
    speaker->speak(said("Next", 1.0));
    ASSERT_TRUE(waitFor("finish"));
    EXPECT_THAT(log, ::testing::IsSupersetOf({ "cancel", "range 0 4" }));
    EXPECT_EQ(std::ranges::count(log, "finish"), 1);
    EXPECT_EQ(std::ranges::count(log, "start"), 2);
}

TEST_F(EspeakSynthesizerTest, AFailingOutputIsReportedAsAFailure)
{
    {
        const auto speaker = makeWith([](const AudioFormat&) { return nullptr; });
        speaker->speak(said("Hello"));
        ASSERT_TRUE(waitFor("fail no sound output could be opened"));
        EXPECT_FALSE(speaker->isSpeaking());
    }
    log.clear();
    const auto speaker = makeWith([](const AudioFormat&) { return std::make_unique<FailingSink>(2000); });
    speaker->speak(said(kLongText));
    ASSERT_TRUE(waitFor("fail the sound output failed"));
    EXPECT_FALSE(logged("finish"));
}

// A synthesizer that goes away mid-sentence stops its worker and reports nothing more.
TEST_F(EspeakSynthesizerTest, DestroyingTheSynthesizerStopsItQuietly)
{
    auto speaker = synthesizer(NullAudioSink::Pacing::RealTime);
    speaker->speak(said(kLongText));
    ASSERT_TRUE(waitFor("start"));
    speaker.reset();
    const auto before = log.size();
    queue.runUntil([] { return false; }, 0.3);
    EXPECT_EQ(log.size(), before);
}

}
}
