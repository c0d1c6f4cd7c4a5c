#include "finder-extension/HandoffDelivery.h"
#include "finder-extension/InkwardenFinderSync.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::finderext {
namespace {

using Actions = std::vector<HandoffAction>;
constexpr auto Share = HandoffAction::Share;
constexpr auto Open = HandoffAction::Open;

SelectedItem itemAt(const std::string& uriOrPath)
{
    g_autoptr(GFile) file = uriOrPath.starts_with("/") ? g_file_new_for_path(uriOrPath.c_str()) : g_file_new_for_uri(uriOrPath.c_str());
    return selectedItem(file);
}

Selection selectionOf(const std::vector<std::string>& locations)
{
    Selection selection;
    for (const auto& location : locations)
        selection.push_back(itemAt(location));
    return selection;
}

TEST(InkwardenFinderSync, MenuAndHandOffForEachSelection)
{
    using Url = std::optional<std::string>;
    struct Case {
        std::vector<std::string> selection;
        Actions menu;
        Url open;
        Url share;
    };
    const Case cases[] = {
        { { "/Matter/Briefs" }, { Open }, "qeliz://finder?action=open&count=1&path=%2FMatter%2FBriefs", std::nullopt },
        { { "/Matter/REPORT.PDF", "/Matter/notes.txt" }, { Share, Open },
            "qeliz://finder?action=open&count=2&path=%2FMatter%2FREPORT.PDF&path=%2FMatter%2Fnotes.txt",
            "qeliz://finder?action=share&count=1&path=%2FMatter%2FREPORT.PDF" },
        // A folder named like a PDF is offered for sharing: only the name is examined.
        { { "/Matter/notes.txt", "/Matter/Exhibits.pdf" }, { Share, Open },
            "qeliz://finder?action=open&count=2&path=%2FMatter%2Fnotes.txt&path=%2FMatter%2FExhibits.pdf",
            "qeliz://finder?action=share&count=1&path=%2FMatter%2FExhibits.pdf" },
        { {}, {}, std::nullopt, std::nullopt },
        // Items without a local path add no path, and are not counted.
        { { "sftp://files.example/srv/a b.pdf", "/Matter/c.pdf" }, { Share, Open },
            "qeliz://finder?action=open&count=1&path=%2FMatter%2Fc.pdf",
            "qeliz://finder?action=share&count=1&path=%2FMatter%2Fc.pdf" },
        { { "sftp://files.example/srv/a.pdf", "sftp://files.example/srv/b" }, { Share, Open }, std::nullopt, std::nullopt },
    };
    for (const auto& [locations, menu, open, share] : cases) {
        const auto selection = selectionOf(locations);
        const auto where = ::testing::PrintToString(locations);
        EXPECT_EQ(InkwardenFinderSync::menuFor(selection), menu) << where;
        EXPECT_EQ(InkwardenFinderSync::handoffFor(Open, selection), open) << where;
        EXPECT_EQ(InkwardenFinderSync::handoffFor(Share, selection), share) << where;
    }
}

TEST(InkwardenFinderSync, ItemsKeepTheirDecodedNameAndLocalPath)
{
    EXPECT_EQ(itemAt("/Matter/Q3 Board & Notes.pdf"), (SelectedItem { "Q3 Board & Notes.pdf", "/Matter/Q3 Board & Notes.pdf" }));
    EXPECT_EQ(itemAt("file:///Matter/%C3%9Cbersicht%20%231.PDF"), (SelectedItem { "Übersicht #1.PDF", "/Matter/Übersicht #1.PDF" }));
    EXPECT_EQ(itemAt("sftp://files.example/srv/a%20b.pdf"), (SelectedItem { "a b.pdf", std::nullopt }));

    // Where the item leads counts only when the item itself has no local path.
    g_autoptr(GFile) recent = g_file_new_for_uri("recent:///b7e1");
    g_autoptr(GFile) remote = g_file_new_for_uri("sftp://files.example/srv/c.pdf");
    g_autoptr(GFile) local = g_file_new_for_path("/Matter/Report.pdf");
    g_autoptr(GFile) link = g_file_new_for_path("/Matter/Report link.desktop");
    EXPECT_EQ(selectedItem(recent, local), (SelectedItem { "Report.pdf", "/Matter/Report.pdf" }));
    EXPECT_EQ(selectedItem(recent, remote), (SelectedItem { "b7e1", std::nullopt }));
    EXPECT_EQ(selectedItem(link, local), (SelectedItem { "Report link.desktop", "/Matter/Report link.desktop" }));
}

TEST(InkwardenFinderSync, ShareableIsALowerCasedPdfExtension)
{
    const std::pair<std::string_view, bool> cases[] = {
        { "a.pdf", true }, { "REPORT.PDF", true }, { "x.Pdf", true }, { "archive.tar.pdf", true },
        { "a.pdf.txt", false }, { "a.pdfx", false }, { "pdf", false }, { ".pdf", false }, { "a.", false }, { "", false },
    };
    for (const auto& [name, shareable] : cases)
        EXPECT_EQ(InkwardenFinderSync::isShareable(name), shareable) << name;
    const auto selection = selectionOf({ "/a.txt", "/b.PDF", "/c", "/d.pdf" });
    EXPECT_EQ(InkwardenFinderSync::shareable(selection), selectionOf({ "/b.PDF", "/d.pdf" }));
}

TEST(InkwardenFinderSync, IconComesFromTheInstalledDesktopEntry)
{
    testing::TempHome home;
    testing::writeTestFile(home.file(".local/share/applications/ikw-marked.desktop"),
        "[Desktop Entry]\nType=Application\nName=Marked\nExec=/bin/true\nIcon=ikw-test-mark\n");
    testing::writeTestFile(home.file(".local/share/applications/ikw-gone.desktop"),
        "[Desktop Entry]\nType=Application\nName=Gone\nExec=/nonexistent/program\nTryExec=/nonexistent/program\nIcon=ikw-test-mark\n");
    EXPECT_EQ(desktopEntryIcon("ikw-marked.desktop"), "ikw-test-mark");
    EXPECT_EQ(desktopEntryIcon("ikw-gone.desktop"), std::nullopt);
    EXPECT_EQ(desktopEntryIcon("ikw-not-installed.desktop"), std::nullopt);
}

TEST(HandoffDelivery, LongUrlsTravelOverTheSessionBus)
{
    EXPECT_EQ(routeFor(std::string(kMaxArgumentLength, 'a')), HandoffRoute::Argument);
    EXPECT_EQ(routeFor(std::string(kMaxArgumentLength + 1, 'a')), HandoffRoute::SessionBus);
    EXPECT_EQ(applicationObjectPath("com.norvale.inkwarden"), "/com/norvale/inkwarden");
    EXPECT_EQ(applicationObjectPath("org.example.my-app"), "/org/example/my_app");

    // 200 paths of 1,000 characters, counted before the cap, do not fit in one argument.
    std::vector<std::string> paths;
    for (int i = 0; i < 250; ++i)
        paths.push_back("/" + std::string(995, 'a' + i % 26) + ".pdf");
    Selection selection;
    for (const auto& path : paths)
        selection.push_back({ path.substr(1), path });
    const auto url = InkwardenFinderSync::handoffFor(Open, selection);
    ASSERT_TRUE(url);
    EXPECT_EQ(routeFor(*url), HandoffRoute::SessionBus) << url->size();
}

}
}
