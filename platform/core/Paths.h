#pragma once

#include <string>
#include <string_view>

namespace ikw {

// The folders of this user and this program, read from the environment so that tests can run
// in a temporary home (HOME and the XDG variables) with their own resources (IKW_RESOURCES_DIR).
struct Paths {
    std::string home;
    std::string dataHome;   // $XDG_DATA_HOME, else ~/.local/share
    std::string cacheHome;  // $XDG_CACHE_HOME, else ~/.cache
    std::string configHome; // $XDG_CONFIG_HOME, else ~/.config
    std::string runtimeDir; // $XDG_RUNTIME_DIR, or empty
    std::string resourcesDir; // $IKW_RESOURCES_DIR, else <bundle>/Resources beside the program

    static Paths fromEnvironment();

    // "~" and "~/..." against `home`; anything else unchanged.
    std::string expandTilde(std::string_view path) const;

    // Where a folder a macOS product would keep under the user's Library lives here:
    // "~/Library/Application Support/X" -> dataHome/X, "~/Library/Caches/X" -> cacheHome/X;
    // other paths are tilde-expanded.
    std::string mapLibraryPath(std::string_view path) const;

    std::string applicationSupport(std::string_view name) const { return dataHome + "/" + std::string(name); }
    std::string caches(std::string_view name) const { return cacheHome + "/" + std::string(name); }

    // The XDG user folders (from user-dirs.dirs), falling back to these names under home.
    std::string downloadsDir() const { return userDir("XDG_DOWNLOAD_DIR", "Downloads"); }
    std::string picturesDir() const { return userDir("XDG_PICTURES_DIR", "Pictures"); }
    std::string desktopDir() const { return userDir("XDG_DESKTOP_DIR", "Desktop"); }
    std::string documentsDir() const { return userDir("XDG_DOCUMENTS_DIR", "Documents"); }

private:
    std::string userDir(std::string_view key, std::string_view fallbackName) const;
};

// The folder holding the running program's executable.
std::string executableDir();

// Joins two path pieces with exactly one slash between them.
std::string joinPath(std::string_view base, std::string_view name);
// The last path component ("" for a path ending in "/").
std::string lastPathComponent(std::string_view path);
// Everything before the last "/" ("" when there is none, "/" for a file in the root).
std::string parentPath(std::string_view path);
// The extension without its dot, of the last component ("" when there is none or the name starts with it).
std::string pathExtension(std::string_view path);

}
