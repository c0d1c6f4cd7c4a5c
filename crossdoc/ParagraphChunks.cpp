#include "crossdoc/ParagraphChunks.h"

#include "platform/core/TextMetrics.h"

#include <string>

namespace ikw::crossdoc {

namespace {

// The length in bytes of the line break at `at`, 0 when there is none.
std::size_t breakLength(std::string_view text, std::size_t at)
{
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c == '\n' || c == '\v' || c == '\f' || c == '\r')
        return 1;
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("\xC2\x85")) // next line
        return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) // line and paragraph separators
        return 3;
    return 0;
}

template<typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = breakLength(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        visit(text.substr(start, at - start));
        at += length;
        start = at;
    }
    visit(text.substr(start));
}

bool isBlank(std::string_view line)
{
    return trimSpaceSeparators(line).empty();
}

Chunk chunk(std::string_view atype, std::string_view labelPrefix, std::size_t number, std::string body)
{
    return Chunk { std::string(atype), std::string(labelPrefix) + std::to_string(number), 0, std::move(body) };
}

}

std::vector<Chunk> paragraphChunks(std::string_view text, std::string_view atype, std::string_view labelPrefix, bool lineBased)
{
    std::vector<Chunk> chunks;
    if (lineBased) {
        std::size_t number = 0;
        forEachLine(text, [&](std::string_view line) {
            ++number;
            if (!isBlank(line))
                chunks.push_back(chunk(atype, labelPrefix, number, std::string(line)));
        });
        return chunks;
    }
    std::size_t paragraph = 0;
    std::string collected;
    bool collecting = false;
    const auto finishParagraph = [&] {
        if (!collecting)
            return;
        ++paragraph;
        const std::string_view body = trimSpaceSeparators(collected);
        if (!body.empty())
            chunks.push_back(chunk(atype, labelPrefix, paragraph, std::string(body)));
        collected.clear();
        collecting = false;
    };
    forEachLine(text, [&](std::string_view line) {
        if (isBlank(line)) {
            finishParagraph();
            return;
        }
        if (collecting)
            collected.push_back(' ');
        collected.append(line);
        collecting = true;
    });
    finishParagraph();
    return chunks;
}

}
