#pragma once

#include "platform/speech/AudioSink.h"

#include <memory>
#include <string>

struct pa_simple;

namespace ikw::speech {

// Playback through the sound server's simple interface (PulseAudio, or PipeWire's server for it).
class PulseAudioSink final : public AudioSink {
public:
    // None when no sound server answers.
    static std::unique_ptr<PulseAudioSink> open(const AudioFormat& format, const std::string& clientName);

    bool write(std::span<const std::int16_t> samples) override;
    std::int64_t playedFrames() override;
    void discard() override;
    bool drain() override;

private:
    struct Free {
        void operator()(pa_simple* stream) const;
    };
    PulseAudioSink(std::unique_ptr<pa_simple, Free> stream, AudioFormat format);

    std::unique_ptr<pa_simple, Free> m_stream;
    AudioFormat m_format;
    std::int64_t m_written = 0;
};

}
