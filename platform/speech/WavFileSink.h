#pragma once

#include "platform/speech/AudioSink.h"

#include <fstream>
#include <memory>
#include <string>

namespace ikw::speech {

// Speech recorded into a 16-bit mono WAV file, heard the moment it is written. The file's sizes
// are right after every drain and when the sink closes.
class WavFileSink final : public AudioSink {
public:
    // None when the file cannot be created.
    static std::unique_ptr<WavFileSink> create(const std::string& path, const AudioFormat& format);
    ~WavFileSink() override;

    bool write(std::span<const std::int16_t> samples) override;
    std::int64_t playedFrames() override { return m_written; }
    void discard() override { }
    bool drain() override;

private:
    WavFileSink(std::ofstream file, AudioFormat format);
    void writeHeader();

    std::ofstream m_file;
    AudioFormat m_format;
    std::int64_t m_written = 0;
};

}
