#include "platform/core/RtfPlainText.h"

#include "platform/core/RtfReader.h"

#include <array>

namespace ikw {

namespace {

class PlainTextCollector final : public RtfReaderHandler {
public:
    void text(std::string_view utf8) override { m_text.append(utf8); }

    void controlWord(std::string_view word, std::optional<int>) override
    {
        static constexpr std::array<std::string_view, 8> kLineEnds = { "par", "sect", "page", "line", "cell", "row", "nestcell", "nestrow" };
        for (const std::string_view lineEnd : kLineEnds) {
            if (word == lineEnd) {
                m_text.push_back('\n');
                return;
            }
        }
    }

    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

}

std::optional<std::string> rtfPlainText(std::string_view rtf)
{
    PlainTextCollector collector;
    if (!readRtf(rtf, collector))
        return std::nullopt;
    return collector.take();
}

}
