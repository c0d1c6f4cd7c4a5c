#include "crossdoc/MatchSnippet.h"

#include <algorithm>

namespace ikw::crossdoc {

namespace {

constexpr std::string_view kEllipsis = "\u2026";

std::string_view trimmed(std::string_view text, SnippetTrim trim)
{
    if (trim == SnippetTrim::SpaceSeparators)
        return trimSpaceSeparators(text);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}

std::string matchSnippet(std::string_view text, TextRange match, std::size_t radius, SnippetTrim trim)
{
    GraphemeBoundaries boundaries(text);
    const std::size_t begin = boundaries.back(std::min(match.begin, text.size()), radius);
    const std::size_t end = boundaries.forward(std::min(match.end, text.size()), radius);
    std::string context(text.substr(begin, end - begin));
    std::replace_if(context.begin(), context.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::string snippet;
    if (begin > 0)
        snippet += kEllipsis;
    snippet += trimmed(context, trim);
    if (end < text.size())
        snippet += kEllipsis;
    return snippet;
}

}
