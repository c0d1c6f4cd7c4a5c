#include "platform/speech/AudioSink.h"

#include <algorithm>
#include <thread>

namespace ikw::speech {

namespace {

// How much a paced null output holds before a write blocks, as a sound server's buffer would.
constexpr double kBufferSeconds = 0.2;

}

NullAudioSink::NullAudioSink(AudioFormat format, Pacing pacing)
    : m_format(format)
    , m_pacing(pacing)
{
}

std::int64_t NullAudioSink::playedFrames()
{
    if (m_pacing == Pacing::Immediate)
        return m_written;
    const std::chrono::duration<double> elapsed = Clock::now() - m_startTime;
    const auto played = m_startFrame + static_cast<std::int64_t>(elapsed.count() * m_format.sampleRate);
    return std::min(played, m_written);
}

bool NullAudioSink::write(std::span<const std::int16_t> samples)
{
    // After running dry, playing starts again with these samples, as an output does after an underrun.
    if (playedFrames() == m_written) {
        m_startFrame = m_written;
        m_startTime = Clock::now();
    }
    m_written += static_cast<std::int64_t>(samples.size());
    if (m_pacing == Pacing::RealTime)
        sleepUntilPlayed(m_written - static_cast<std::int64_t>(kBufferSeconds * m_format.sampleRate));
    return true;
}

void NullAudioSink::discard()
{
    m_written = playedFrames();
}

bool NullAudioSink::drain()
{
    sleepUntilPlayed(m_written);
    return true;
}

void NullAudioSink::sleepUntilPlayed(std::int64_t frame)
{
    const auto missing = frame - playedFrames();
    if (m_pacing == Pacing::Immediate || missing <= 0)
        return;
    std::this_thread::sleep_for(std::chrono::duration<double>(static_cast<double>(missing) / m_format.sampleRate));
}

}
