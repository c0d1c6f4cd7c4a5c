#include "platform/speech/WavFileSink.h"

#include <cstdint>

namespace ikw::speech {

namespace {

void putLittleEndian(std::ofstream& file, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        file.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}

std::unique_ptr<WavFileSink> WavFileSink::create(const std::string& path, const AudioFormat& format)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return nullptr;
    auto sink = std::unique_ptr<WavFileSink>(new WavFileSink(std::move(file), format));
    sink->writeHeader();
    return sink;
}

WavFileSink::WavFileSink(std::ofstream file, AudioFormat format)
    : m_file(std::move(file))
    , m_format(format)
{
}

WavFileSink::~WavFileSink()
{
    drain();
}

bool WavFileSink::write(std::span<const std::int16_t> samples)
{
    for (const auto sample : samples)
        putLittleEndian(m_file, static_cast<std::uint16_t>(sample), 2);
    m_written += static_cast<std::int64_t>(samples.size());
    return static_cast<bool>(m_file);
}

bool WavFileSink::drain()
{
    const auto end = m_file.tellp();
    m_file.seekp(0);
    writeHeader();
    m_file.seekp(end);
    m_file.flush();
    return static_cast<bool>(m_file);
}

void WavFileSink::writeHeader()
{
    constexpr std::uint32_t kHeaderBytes = 44;
    const auto dataBytes = static_cast<std::uint32_t>(m_written * 2);
    const auto rate = static_cast<std::uint32_t>(m_format.sampleRate);
    m_file.write("RIFF", 4);
    putLittleEndian(m_file, kHeaderBytes - 8 + dataBytes, 4);
    m_file.write("WAVEfmt ", 8);
    putLittleEndian(m_file, 16, 4); // the format chunk's size
    putLittleEndian(m_file, 1, 2);  // PCM
    putLittleEndian(m_file, 1, 2);  // mono
    putLittleEndian(m_file, rate, 4);
    putLittleEndian(m_file, rate * 2, 4); // bytes a second
    putLittleEndian(m_file, 2, 2);        // bytes a frame
    putLittleEndian(m_file, 16, 2);       // bits a sample
    m_file.write("data", 4);
    putLittleEndian(m_file, dataBytes, 4);
}

}
