#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ikw::testing {

// A throw-away home for one test: HOME and the XDG folders point into a fresh temporary folder
// for the object's lifetime, and the folder is removed afterwards.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
    struct Saved {
        std::string name;
        bool had;
        std::string value;
    };
    Saved m_saved[5];
};

// Writes a file (creating its folders) and returns its path.
std::string writeTestFile(const std::string& path, const std::string& contents);
std::string readTestFile(const std::string& path);
void removeTree(const std::string& path);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> folderEntries(const std::string& folder);
// The permission bits of a file (07777), following links; 0 when it does not exist.
mode_t fileMode(const std::string& path);

}
