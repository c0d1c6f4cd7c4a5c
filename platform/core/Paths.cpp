#include "platform/core/Paths.h"

#include "platform/core/Text.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace ikw {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string absoluteOr(const std::string& value, const std::string& fallback)
{
    return !value.empty() && value.front() == '/' ? value : fallback;
}

std::string homeFromPasswordDatabase()
{
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

}

Paths Paths::fromEnvironment()
{
    Paths paths;
    paths.home = absoluteOr(environment("HOME"), homeFromPasswordDatabase());
    while (paths.home.size() > 1 && paths.home.back() == '/')
        paths.home.pop_back();
    paths.dataHome = absoluteOr(environment("XDG_DATA_HOME"), paths.home + "/.local/share");
    paths.cacheHome = absoluteOr(environment("XDG_CACHE_HOME"), paths.home + "/.cache");
    paths.configHome = absoluteOr(environment("XDG_CONFIG_HOME"), paths.home + "/.config");
    paths.runtimeDir = absoluteOr(environment("XDG_RUNTIME_DIR"), "");
    paths.resourcesDir = absoluteOr(environment("IKW_RESOURCES_DIR"), joinPath(parentPath(executableDir()), "Resources"));
    return paths;
}

std::string Paths::expandTilde(std::string_view path) const
{
    if (path == "~")
        return home;
    if (path.starts_with("~/"))
        return joinPath(home, path.substr(2));
    return std::string(path);
}

std::string Paths::mapLibraryPath(std::string_view path) const
{
    constexpr std::string_view support = "~/Library/Application Support/";
    constexpr std::string_view caches = "~/Library/Caches/";
    if (path.starts_with(support))
        return joinPath(dataHome, path.substr(support.size()));
    if (path.starts_with(caches))
        return joinPath(cacheHome, path.substr(caches.size()));
    return expandTilde(path);
}

std::string Paths::userDir(std::string_view key, std::string_view fallbackName) const
{
    // user-dirs.dirs lines look like: XDG_DOWNLOAD_DIR="$HOME/Downloads"
    std::ifstream file(configHome + "/user-dirs.dirs");
    std::string line;
    while (std::getline(file, line)) {
        std::string_view view = trim(line);
        if (!view.starts_with(key) || view.size() <= key.size() || view[key.size()] != '=')
            continue;
        std::string_view value = view.substr(key.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME/"))
            return joinPath(home, value.substr(6));
        if (value.starts_with("/"))
            return std::string(value);
    }
    return joinPath(home, fallbackName);
}

std::string executableDir()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    return parentPath(std::string_view(buffer, static_cast<std::size_t>(n)));
}

std::string joinPath(std::string_view base, std::string_view name)
{
    if (base.empty())
        return std::string(name);
    std::string joined(base);
    while (joined.size() > 1 && joined.back() == '/')
        joined.pop_back();
    while (name.starts_with("/"))
        name.remove_prefix(1);
    if (name.empty())
        return joined;
    if (joined != "/")
        joined += '/';
    joined += name;
    return joined;
}

std::string lastPathComponent(std::string_view path)
{
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string parentPath(std::string_view path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string pathExtension(std::string_view path)
{
    const std::string name = lastPathComponent(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

}
