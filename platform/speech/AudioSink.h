#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace ikw::speech {

// Signed 16-bit mono samples at `sampleRate` frames a second.
struct AudioFormat {
    int sampleRate = 22050;
};

// Where synthesized speech is played. One thread at a time.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Queues the samples, blocking while the output's buffer is full. False: the output failed.
    virtual bool write(std::span<const std::int16_t> samples) = 0;
    // Frames heard so far: those written less those still waiting in the output.
    virtual std::int64_t playedFrames() = 0;
    // Drops what still waits (a stop).
    virtual void discard() = 0;
    // Waits until everything written was heard. False: the output failed.
    virtual bool drain() = 0;
};

// Opens an output for the format; none when it cannot be opened.
using AudioSinkFactory = std::function<std::unique_ptr<AudioSink>(const AudioFormat&)>;

// An output that plays into nothing. Paced, it takes as long as a sound card would (so words are
// reported as they would be heard); unpaced, everything is heard the moment it is written.
class NullAudioSink final : public AudioSink {
public:
    enum class Pacing { RealTime, Immediate };
    NullAudioSink(AudioFormat format, Pacing pacing);

    bool write(std::span<const std::int16_t> samples) override;
    std::int64_t playedFrames() override;
    void discard() override;
    bool drain() override;

    std::int64_t writtenFrames() const { return m_written; }

private:
    using Clock = std::chrono::steady_clock;
    void sleepUntilPlayed(std::int64_t frame);

    AudioFormat m_format;
    Pacing m_pacing;
    std::int64_t m_written = 0;
    // Playing ran from this frame at this time; it stops where the written frames end.
    std::int64_t m_startFrame = 0;
    Clock::time_point m_startTime = Clock::now();
};

// The sound server's output when one answers (PulseAudio, also PipeWire's), else a paced null
// output, so reading goes on (and reports its words) on a machine without sound.
std::unique_ptr<AudioSink> openDefaultAudioSink(const AudioFormat& format, const std::string& clientName);

}
