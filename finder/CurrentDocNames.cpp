#include "finder/CurrentDocNames.h"

#include "finder/GridFileWork.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"

#include <sys/stat.h>

namespace ikw::finder {

namespace {

bool isSpaceOrLineBreak(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text, bool (*blank)(char))
{
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool somethingAt(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string stemOf(std::string_view fileName)
{
    const std::string extension = pathExtension(fileName);
    return std::string(extension.empty() ? fileName : fileName.substr(0, fileName.size() - extension.size() - 1));
}

}

std::optional<std::string> readerRenameName(std::string_view documentPath, std::string_view typed)
{
    std::string name = lastPathComponent(trimmed(typed, isSpaceOrLineBreak));
    if (!isPlainItemName(name))
        return std::nullopt;
    const std::string extension = pathExtension(documentPath);
    if (!extension.empty() && asciiLowercase(pathExtension(name)) != asciiLowercase(extension))
        name += "." + extension;
    if (name == lastPathComponent(documentPath))
        return std::nullopt;
    return name;
}

std::optional<std::string> dialogRenameName(std::string_view documentPath, std::string_view typed)
{
    const std::string name(trimmed(typed, [](char c) { return c == ' ' || c == '\t'; }));
    if (!isPlainItemName(name) || name == lastPathComponent(documentPath))
        return std::nullopt;
    return name;
}

std::string copyName(std::string_view fileName)
{
    const std::string extension = pathExtension(fileName);
    return stemOf(fileName) + " copy" + (extension.empty() ? "" : "." + extension);
}

std::optional<std::string> menuCopyPath(std::string_view documentPath)
{
    const std::string fileName = lastPathComponent(documentPath);
    if (fileName.empty())
        return std::nullopt;
    const std::string folder = parentPath(documentPath);
    const std::string extension = pathExtension(fileName);
    std::string candidate;
    for (int number = 1; number <= kMostMenuCopyNames; ++number) {
        const std::string suffix = number == 1 ? " copy" : " copy " + std::to_string(number);
        candidate = joinPath(folder, stemOf(fileName) + suffix + (extension.empty() ? "" : "." + extension));
        if (!somethingAt(candidate))
            break;
    }
    return candidate;
}

}
