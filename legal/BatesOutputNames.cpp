#include "legal/BatesOutputNames.h"

#include "platform/core/Paths.h"
#include "platform/core/UniqueName.h"

namespace ikw::legal::BatesStamper {

namespace {

constexpr std::string_view copyExtension = ".pdf";

// The name up to its last dot; a name whose only dot leads it has no extension.
std::string_view stem(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string safeFileName(std::string name)
{
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7f)
            c = '_';
    }
    if (!name.empty() && name.front() == '.')
        name.front() = '_';
    return name;
}

}

std::string copyName(const BatesConfig& config, std::int64_t firstNumber, std::string_view sourcePath)
{
    const std::string base = config.nameByBates ? config.label(firstNumber) : std::string(stem(lastPathComponent(sourcePath)));
    return safeFileName(base) + std::string(copyExtension);
}

std::string numberedCopyName(std::string_view name, int number)
{
    if (number <= 1)
        return std::string(name);
    const std::string_view base = stem(name);
    return std::string(base) + "-" + std::to_string(number) + std::string(name.substr(base.size()));
}

PlaceResult placeCopy(const std::string& temporaryPath, std::string_view folder, std::string_view name)
{
    PlaceResult result;
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        result = moveWithoutReplacing(temporaryPath, std::string(folder) + "/" + numberedCopyName(name, number));
        if (result.outcome != PlaceResult::Outcome::nameTaken)
            return result;
    }
    return result;
}

}
