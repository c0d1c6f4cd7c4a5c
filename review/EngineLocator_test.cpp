#include "review/EngineLocator.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

using testing::EngineTestHome;

std::string bundleEngine(const EngineTestHome& home) { return home.path() + "/Resources/engine/"; }

TEST(EngineLocator, EachFileComesFromThePerUserFolderOnlyWhenItIsThere)
{
    EngineTestHome home;
    const std::string user = testing::userEngineFolder(home.path()) + "/";
    testing::writeEngineScript(home.path(), "app/launch.sh", "");
    testing::writeEngineScript(home.path(), "app/rurede_gen.py", ""); // only the folder's top counts

    EXPECT_EQ(engineLauncher(), user + "app/launch.sh");
    EXPECT_EQ(ruredeGenPy(), bundleEngine(home) + "rurede_gen.py");
    EXPECT_EQ(panelPy(), bundleEngine(home) + "panels.py");
    EXPECT_EQ(readerHTMLPath(), bundleEngine(home) + "vendor/pdfjs/reader.html");

    testing::installStandInEngine(home.path());
    const std::pair<std::string, std::string> expected[] = {
        { engineLauncher(), "app/launch.sh" },
        { panelPy(), "app/viewer/panels.py" },
        { ruredeGenPy(), "rurede_gen.py" },
        { inkwardenDiffPy(), "app/inkwarden_diff.py" },
        { readerHTMLPath(), "app/vendor/pdfjs/reader.html" },
        { gridHTMLPath(), "app/vendor/pdfjs/gridview.html" },
        { timelineHTMLPath(), "app/vendor/pdfjs/drafttimeline.html" },
        { groupWriterHTMLPath(), "app/vendor/pdfjs/groupwriter.html" },
    };
    for (const auto& [found, relative] : expected)
        EXPECT_EQ(found, user + relative);
}

TEST(EngineLocator, TheStandInServesTheBundleLayoutToo)
{
    EngineTestHome home;
    // The build copies the stand-in to Resources/engine; its links give the bundle's flat names.
    std::filesystem::copy(testing::installStandInEngine(home.path()), bundleEngine(home),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    std::filesystem::remove_all(testing::userEngineFolder(home.path()));
    for (const std::string& path : { engineLauncher(), panelPy(), ruredeGenPy(), inkwardenDiffPy(), readerHTMLPath(),
             gridHTMLPath(), timelineHTMLPath(), groupWriterHTMLPath() }) {
        EXPECT_TRUE(path.starts_with(bundleEngine(home))) << path;
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
    }
}

}
}
