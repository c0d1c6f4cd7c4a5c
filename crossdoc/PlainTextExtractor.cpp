#include "crossdoc/TextExtractors.h"

#include "crossdoc/ParagraphChunks.h"
#include "crossdoc/RegularFile.h"
#include "platform/core/TextMetrics.h"

namespace ikw::crossdoc {

namespace {

std::string latin1ToUtf8(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 4);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            utf8.push_back(byte);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

}

std::vector<Chunk> extractText(const std::string& path)
{
    const auto bytes = readRegularFile(path);
    if (!bytes)
        return {};
    if (!isValidUtf8(*bytes))
        return paragraphChunks(latin1ToUtf8(*bytes), "line", "L", true);
    std::string_view text = *bytes;
    if (text.starts_with("\xEF\xBB\xBF")) // a byte order mark is no text of the first line
        text.remove_prefix(3);
    return paragraphChunks(text, "line", "L", true);
}

}
