// The hand-off to the desktop's word processor, on the desktop's own application registry: a
// stand-in application is made the default for Word documents in the test's home.
#include "docops/WordHandOff.h"

#include "platform/core/Base64.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/ui/gtk/Desktop.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "tests/support/TempHome.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace ikw::docops {
namespace {

using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;

constexpr const char* kPrefix = "data:image/png;base64,";

// A 48 × 48 PNG: the icon the stand-in names by its path.
std::string writeIcon(const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 48, 48);
    gdk_pixbuf_fill(pixbuf, 0x3366ccff);
    gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr);
    g_object_unref(pixbuf);
    return path;
}

TEST(WordHandOff, TheDesktopsWordApplicationGetsItsButtonIconAndTheFile)
{
    ikw::testing::TempHome home;
    const std::string dataHome = std::getenv("XDG_DATA_HOME");
    const std::string configHome = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : home.file(".config");
    if (g_get_user_data_dir() != dataHome || g_get_user_config_dir() != configHome)
        GTEST_SKIP() << "GLib read its folders before this test's home existed (run the test on its own)";
    ASSERT_TRUE(ui::gtk3::initializeGtk());

    const std::string launched = home.file("launched.txt");
    const std::string program = writeTestFile(home.file("bin/standin-writer"), "#!/bin/sh\nprintf '%s' \"$1\" > '" + launched + "'\n");
    ::chmod(program.c_str(), 0755);
    writeTestFile(dataHome + "/applications/ikw-standin-writer.desktop",
        "[Desktop Entry]\nType=Application\nName=Stand-in Writer\nExec=" + program + " %f\nIcon=" + writeIcon(home.file("icons/writer.png"))
            + "\nMimeType=" + kWordDocumentType + ";\n");
    writeTestFile(configHome + "/mimeapps.list", std::string("[Default Applications]\n") + kWordDocumentType + "=ikw-standin-writer.desktop\n");

    ui::gtk3::Workspace workspace;
    std::vector<std::string> recent;
    WordHandOff word(workspace, [&](const std::vector<std::string>& paths) { recent = paths; });
    const auto application = word.wordAppURL();
    ASSERT_TRUE(application);
    EXPECT_EQ(application->id, "ikw-standin-writer.desktop");
    EXPECT_EQ(application->name, "Stand-in Writer");

    const auto toolbarIcon = word.wordIconImage(15);
    ASSERT_TRUE(toolbarIcon);
    EXPECT_EQ(toolbarIcon->width, 15);
    EXPECT_EQ(toolbarIcon->file, home.file("icons/writer.png"));
    const auto uri = word.wordIconDataURI();
    ASSERT_TRUE(uri);
    ASSERT_EQ(uri->rfind(kPrefix, 0), 0u);
    const auto png = decodeBase64(uri->substr(std::string(kPrefix).size()));
    ASSERT_TRUE(png);
    const auto image = imaging::decodeImageFile(writeTestFile(home.file("decoded.png"), *png));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);

    const std::string document = writeTestFile(home.file("Docs/Brief and notes.docx"), "PK");
    word.openInWord(document);
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return std::filesystem::exists(launched) && !readTestFile(launched).empty(); }, 10));
    EXPECT_EQ(readTestFile(launched), document);
    EXPECT_EQ(recent, std::vector<std::string> { document });
}

}
}
