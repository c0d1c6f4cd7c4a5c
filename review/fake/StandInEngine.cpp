#include "review/fake/StandInEngine.h"

#include "app/Globals.h"
#include "tests/support/TempHome.h"

#include <filesystem>

namespace ikw::testing {

std::string userEngineFolder(const std::string& home)
{
    return home + "/" + kUserEngineFolder;
}

std::string installStandInEngine(const std::string& home)
{
    namespace fs = std::filesystem;
    const std::string folder = userEngineFolder(home);
    fs::create_directories(folder);
    fs::copy(IKW_STANDIN_ENGINE_DIR, folder, fs::copy_options::recursive | fs::copy_options::copy_symlinks | fs::copy_options::overwrite_existing);
    return folder;
}

std::string writeEngineScript(const std::string& home, const std::string& relativePath, const std::string& text)
{
    const std::string path = writeTestFile(userEngineFolder(home) + "/" + relativePath, text);
    std::filesystem::permissions(path, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    return path;
}

}
