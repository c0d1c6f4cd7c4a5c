#include "library/DocumentKinds.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"

#include <algorithm>

namespace ikw::library {

const std::set<std::string>& readerExts()
{
    static const std::set<std::string> table { "pdf", "ppt", "pptx", "key", "doc", "docx", "rtf", "odp", "odt", "pages", "txt", "md" };
    return table;
}

const std::set<std::string>& gridExts()
{
    static const std::set<std::string> table { "csv", "tsv", "tab" };
    return table;
}

const std::set<std::string>& handoffExts()
{
    static const std::set<std::string> table { "xls", "xlsx", "xlsm", "ods", "numbers" };
    return table;
}

std::string lowerExtension(std::string_view path)
{
    auto extension = pathExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

bool isDirectoryPath(const std::string& path)
{
    return realFileSystem().isDirectory(path);
}

bool isReaderDoc(const std::string& path)
{
    return !isDirectoryPath(path) && readerExts().contains(lowerExtension(path));
}

bool isHandoffDoc(const std::string& path)
{
    return !isDirectoryPath(path) && handoffExts().contains(lowerExtension(path));
}

bool isGridDoc(const std::string& path)
{
    return gridExts().contains(lowerExtension(path));
}

}
