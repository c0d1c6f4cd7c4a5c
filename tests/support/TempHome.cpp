#include "tests/support/TempHome.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ikw::testing {

namespace {
constexpr const char* kVariables[] = { "HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "IKW_RESOURCES_DIR" };
}

TempHome::TempHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ikw-home.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
    for (std::size_t i = 0; i < std::size(kVariables); ++i) {
        const char* value = std::getenv(kVariables[i]);
        m_saved[i] = Saved { kVariables[i], value != nullptr, value ? value : "" };
    }
    ::setenv("HOME", m_path.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_path + "/.local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (m_path + "/.cache").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (m_path + "/.config").c_str(), 1);
    ::setenv("IKW_RESOURCES_DIR", (m_path + "/Resources").c_str(), 1);
    std::filesystem::create_directories(m_path + "/Resources");
}

TempHome::~TempHome()
{
    for (const auto& saved : m_saved) {
        if (saved.had)
            ::setenv(saved.name.c_str(), saved.value.c_str(), 1);
        else
            ::unsetenv(saved.name.c_str());
    }
    removeTree(m_path);
}

std::string writeTestFile(const std::string& path, const std::string& contents)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::string readTestFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void removeTree(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t fileMode(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

}
