#include "permission-wizard/ResourceImages.h"

#include "platform/core/Paths.h"

#include <filesystem>
#include <system_error>

namespace ikw::wizard {

std::optional<std::string> findResourceImage(std::string_view name)
{
    if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..")
        return std::nullopt;
    std::string path = joinPath(Paths::fromEnvironment().resourcesDir, std::string(name) + ".png");
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    return path;
}

}
