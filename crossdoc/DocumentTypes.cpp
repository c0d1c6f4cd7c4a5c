#include "crossdoc/DocumentTypes.h"

#include "platform/core/Paths.h"

#include <algorithm>
#include <cctype>

namespace ikw::crossdoc {

const std::map<std::string, std::string, std::less<>>& typeForExt()
{
    static const std::map<std::string, std::string, std::less<>> table = {
        { "pdf", "pdf" }, { "docx", "docx" }, { "doc", "docx" }, { "xlsx", "xlsx" }, { "txt", "text" },
        { "text", "text" }, { "log", "text" }, { "csv", "text" }, { "md", "md" }, { "markdown", "md" },
        { "rtf", "rtf" }, { "gdoc", "gdoc" }, { "gsheet", "gsheet" }, { "gslides", "gslides" },
    };
    return table;
}

const std::set<std::string, std::less<>>& indexableExts()
{
    static const std::set<std::string, std::less<>> extensions = [] {
        std::set<std::string, std::less<>> keys;
        for (const auto& [extension, type] : typeForExt())
            keys.insert(extension);
        return keys;
    }();
    return extensions;
}

namespace {

std::string lowerCasedAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}

bool isIndexablePath(std::string_view path)
{
    return indexableExts().contains(lowerCasedAscii(pathExtension(path)));
}

std::string documentType(std::string_view extension)
{
    const auto found = typeForExt().find(lowerCasedAscii(extension));
    return found == typeForExt().end() ? "text" : found->second;
}

}
