// The module is loaded into Nautilus, which runs GTK 4: it must bring no GTK and none of the
// application's code, and show Nautilus nothing but its three entry points.
#include "finder-extension/ExtensionNames.h"
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace ikw::finderext {
namespace {

std::string outputOf(const std::vector<std::string>& argv)
{
    ProcessOptions options;
    options.argv = argv;
    options.timeoutSeconds = 60;
    const auto result = runProcess(options);
    EXPECT_TRUE(result.succeeded()) << argv[0] << ": " << result.spawnError << result.standardError;
    return result.standardOutput;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The libraries `ldd` resolves for a shared object, by file name ("libgio-2.0.so.0").
std::map<std::string, std::string> loadedLibraries(const std::string& object)
{
    std::map<std::string, std::string> libraries;
    for (const auto& line : lines(outputOf({ "ldd", object }))) {
        std::istringstream fields(line);
        std::string name, arrow, path;
        fields >> name >> arrow >> path;
        if (arrow == "=>")
            libraries[std::filesystem::path(name).filename().string()] = path;
    }
    return libraries;
}

TEST(ModuleLinkage, LoadsOnlyGLibGioAndTheExtensionLibrary)
{
    EXPECT_EQ(std::filesystem::path(IKW_FINDER_MODULE).filename().string(), kModuleFileName);
    const auto libraries = loadedLibraries(IKW_FINDER_MODULE);
    ASSERT_TRUE(libraries.count("libnautilus-extension.so.4")) << outputOf({ "ldd", IKW_FINDER_MODULE });
    // Everything beyond the C++ runtime comes in with libnautilus-extension (GLib, GIO and theirs).
    auto allowed = loadedLibraries(libraries.at("libnautilus-extension.so.4"));
    for (const auto* runtime : { "libnautilus-extension.so.4", "libstdc++.so.6", "libgcc_s.so.1", "libm.so.6", "libc.so.6" })
        allowed[runtime] = "";
    for (const auto& [name, path] : libraries) {
        EXPECT_TRUE(allowed.count(name)) << name << " => " << path;
        EXPECT_FALSE(name.starts_with("libgtk") || name.starts_with("libgdk")) << name;
    }
}

TEST(ModuleLinkage, ExportsTheEntryPointsAndCarriesNoApplicationCode)
{
    std::set<std::string> exported;
    for (const auto& line : lines(outputOf({ "nm", "-D", "--defined-only", IKW_FINDER_MODULE }))) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        exported.insert(name);
    }
    EXPECT_EQ(exported, (std::set<std::string> { "nautilus_module_initialize", "nautilus_module_list_types", "nautilus_module_shutdown" }));

    std::size_t ownSymbols = 0;
    for (const auto& line : lines(outputOf({ "nm", "-C", IKW_FINDER_MODULE }))) {
        if (line.find("ikw::") == std::string::npos)
            continue;
        ++ownSymbols;
        EXPECT_NE(line.find("ikw::finderext::"), std::string::npos) << line;
    }
    EXPECT_GT(ownSymbols, 0u); // the symbol table is there to be read
    const auto undefined = outputOf({ "nm", "-D", "--undefined-only", IKW_FINDER_MODULE });
    for (const auto* foreign : { "gtk_", "gdk_", "cairo_", "webkit_", "fz_", "sqlite3_" })
        EXPECT_EQ(undefined.find(foreign), std::string::npos) << foreign;
}

TEST(ModuleLinkage, InstallsUnderTheNameTheApplicationLooksFor)
{
    testing::TempHome home;
    const auto folder = home.file("nautilus/extensions-4");
    const auto output = outputOf({ IKW_INSTALL_FINDER_EXTENSION, IKW_FINDER_MODULE, folder });
    EXPECT_NE(output.find("restart Nautilus"), std::string::npos) << output;
    EXPECT_EQ(testing::folderEntries(folder), std::vector<std::string> { std::string(kModuleFileName) });
    EXPECT_EQ(testing::readTestFile(folder + "/" + std::string(kModuleFileName)), testing::readTestFile(IKW_FINDER_MODULE));
    // Without a built module there is nothing to install, and that is no error.
    EXPECT_NE(outputOf({ IKW_INSTALL_FINDER_EXTENSION, home.file("missing.so"), folder }).find("skipped"), std::string::npos);
}

}
}
