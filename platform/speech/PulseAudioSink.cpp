#include "platform/speech/PulseAudioSink.h"

#include "platform/core/Log.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>

namespace ikw::speech {

namespace {

// The server's buffer: short, so a stop is quick and words are reported close to when they are heard.
constexpr pa_usec_t kTargetLatencyMicroseconds = 200'000;

}

void PulseAudioSink::Free::operator()(pa_simple* stream) const
{
    pa_simple_free(stream);
}

std::unique_ptr<PulseAudioSink> PulseAudioSink::open(const AudioFormat& format, const std::string& clientName)
{
    const pa_sample_spec spec { PA_SAMPLE_S16NE, static_cast<std::uint32_t>(format.sampleRate), 1 };
    pa_buffer_attr buffer {};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kTargetLatencyMicroseconds, &spec));
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(-1);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, clientName.c_str(), PA_STREAM_PLAYBACK, nullptr, "Read aloud", &spec, nullptr, &buffer, &error);
    if (!stream) {
        logLine(std::string("speech: no sound server (") + pa_strerror(error) + "); speaking into silence");
        return nullptr;
    }
    return std::unique_ptr<PulseAudioSink>(new PulseAudioSink(std::unique_ptr<pa_simple, Free>(stream), format));
}

PulseAudioSink::PulseAudioSink(std::unique_ptr<pa_simple, Free> stream, AudioFormat format)
    : m_stream(std::move(stream))
    , m_format(format)
{
}

bool PulseAudioSink::write(std::span<const std::int16_t> samples)
{
    if (samples.empty())
        return true;
    int error = 0;
    if (pa_simple_write(m_stream.get(), samples.data(), samples.size_bytes(), &error) < 0) {
        logLine(std::string("speech: the sound server failed: ") + pa_strerror(error));
        return false;
    }
    m_written += static_cast<std::int64_t>(samples.size());
    return true;
}

std::int64_t PulseAudioSink::playedFrames()
{
    int error = 0;
    const pa_usec_t latency = pa_simple_get_latency(m_stream.get(), &error);
    if (latency == static_cast<pa_usec_t>(-1))
        return m_written;
    const auto waiting = static_cast<std::int64_t>(latency * static_cast<std::uint64_t>(m_format.sampleRate) / 1'000'000);
    return std::max<std::int64_t>(0, m_written - waiting);
}

void PulseAudioSink::discard()
{
    int error = 0;
    pa_simple_flush(m_stream.get(), &error);
}

bool PulseAudioSink::drain()
{
    int error = 0;
    return pa_simple_drain(m_stream.get(), &error) >= 0;
}

std::unique_ptr<AudioSink> openDefaultAudioSink(const AudioFormat& format, const std::string& clientName)
{
    if (auto server = PulseAudioSink::open(format, clientName))
        return server;
    return std::make_unique<NullAudioSink>(format, NullAudioSink::Pacing::RealTime);
}

}
