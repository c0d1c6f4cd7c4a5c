#include "crossdoc/TextExtractors.h"

#include "crossdoc/ParagraphChunks.h"
#include "crossdoc/RegularFile.h"
#include "platform/core/TextMetrics.h"
#include "platform/core/Utf8.h"

namespace ikw::crossdoc {

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
