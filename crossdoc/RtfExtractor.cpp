#include "crossdoc/TextExtractors.h"

#include "crossdoc/ParagraphChunks.h"
#include "crossdoc/RegularFile.h"
#include "platform/core/RtfPlainText.h"

namespace ikw::crossdoc {

std::vector<Chunk> extractRTF(const std::string& path)
{
    const auto bytes = readRegularFile(path);
    if (!bytes)
        return {};
    const auto text = rtfPlainText(*bytes);
    if (!text)
        return {};
    return paragraphChunks(*text, "para", "\u00b6", false);
}

}
