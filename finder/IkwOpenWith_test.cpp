#include "finder/IkwOpenWith.h"

#include "platform/ui/fake/FakeToolkit.h"

#include <gtest/gtest.h>

#include <chrono>

namespace ikw::finder {
namespace {

using Files = std::vector<std::string>;
using Time = std::chrono::system_clock::time_point;

constexpr const char* kDataHome = "/home/ana/.local/share";
const std::string kSystem = "/usr/share/applications/";
const std::string kUser = std::string(kDataHome) + "/applications/";
const Time kMonday = Time(std::chrono::hours(24 * 20000));
const Time kTuesday = kMonday + std::chrono::hours(24);

ui::ApplicationEntry entry(const std::string& file, const std::string& id, const std::string& name = "App", const std::string& version = "",
    std::optional<Time> modified = std::nullopt)
{
    return { file, id, name, version, modified };
}

Files filesOf(const std::vector<ui::ApplicationEntry>& apps)
{
    Files files;
    for (const auto& app : apps)
        files.push_back(app.file);
    return files;
}

class OpenWithTest : public ::testing::Test {
protected:
    ui::fake::FakeWorkspace workspace;
    IkwOpenWith openWith { workspace, kDataHome };
};

TEST_F(OpenWithTest, OneCopyOfEachApplicationStaysTheBestOrTheDefault)
{
    struct Case {
        const char* what;
        std::vector<ui::ApplicationEntry> listed;
        std::optional<ui::ApplicationEntry> first;
        Files expected;
    };
    const Case cases[] = {
        { "a build folder's copy gives way to the system's, where the id first occurred",
            { entry("/home/ana/src/viewer/build/org.Viewer.desktop", "org.Viewer.desktop"), entry(kSystem + "org.Editor.desktop", "org.Editor.desktop"),
                entry(kSystem + "org.Viewer.desktop", "org.Viewer.desktop") },
            std::nullopt, { kSystem + "org.Viewer.desktop", kSystem + "org.Editor.desktop" } },
        { "a subfolder of the system's folder scores below /usr/local",
            { entry(kSystem + "kde/viewer.desktop", "viewer.desktop"), entry("/usr/local/share/applications/viewer.desktop", "viewer.desktop") },
            std::nullopt, { "/usr/local/share/applications/viewer.desktop" } },
        { "equal place and version: the later date wins",
            { entry(kSystem + "a/v.desktop", "v.desktop", "V", "1", kMonday), entry(kSystem + "b/v.desktop", "v.desktop", "V", "1", kTuesday) },
            std::nullopt, { kSystem + "b/v.desktop" } },
        { "equal dates keep the first",
            { entry(kSystem + "a/v.desktop", "v.desktop", "V", "1", kMonday), entry(kSystem + "b/v.desktop", "v.desktop", "V", "1", kMonday) },
            std::nullopt, { kSystem + "a/v.desktop" } },
        { "a date beats none",
            { entry(kSystem + "a/v.desktop", "v.desktop"), entry(kSystem + "b/v.desktop", "v.desktop", "App", "", kMonday) },
            std::nullopt, { kSystem + "b/v.desktop" } },
        { "version 10.2 is later than 9.9",
            { entry("/opt/a/v.desktop", "v.desktop", "V", "10.2"), entry("/opt/b/v.desktop", "v.desktop", "V", "9.9", kTuesday) },
            std::nullopt, { "/opt/a/v.desktop" } },
        { "the default stays though another copy scores higher",
            { entry(kUser + "v.desktop", "v.desktop"), entry("/opt/v.desktop", "v.desktop") },
            entry("/opt/v.desktop", "v.desktop"), { "/opt/v.desktop" } },
        { "copies in a trash go, unless the default is one",
            { entry(kDataHome + std::string("/Trash/files/old.desktop"), "old.desktop"),
                entry(kDataHome + std::string("/Trash/files/v.desktop"), "v.desktop"), entry(kSystem + "e.desktop", "e.desktop") },
            entry(kDataHome + std::string("/Trash/files/v.desktop"), "v.desktop"),
            { kDataHome + std::string("/Trash/files/v.desktop"), kSystem + "e.desktop" } },
        { "a default the desktop did not list comes first",
            { entry(kSystem + "e.desktop", "e.desktop") }, entry(kUser + "mine.desktop", "mine.desktop"),
            { kUser + "mine.desktop", kSystem + "e.desktop" } },
        { "entries without an id follow the identified ones and are all kept",
            { entry("/opt/loose.desktop", ""), entry(kSystem + "e.desktop", "e.desktop"), entry("/opt/loose2.desktop", "") },
            std::nullopt, { kSystem + "e.desktop", "/opt/loose.desktop", "/opt/loose2.desktop" } },
        { "nothing can open it", {}, std::nullopt, {} },
    };
    for (const auto& c : cases) {
        ui::fake::FakeWorkspace desktop;
        desktop.applications = c.listed;
        IkwOpenWith ranking(desktop, kDataHome);
        EXPECT_EQ(filesOf(ranking.apps("/docs/a.pdf", c.first)), c.expected) << c.what;
    }
}

TEST_F(OpenWithTest, TheDefaultComesFromTheDesktopAndNeedsAnEntryFile)
{
    EXPECT_FALSE(openWith.defaultFor("/docs/a.pdf"));
    workspace.defaultApplication = ui::DesktopApplication { "org.Viewer.desktop", "Viewer" };
    EXPECT_FALSE(openWith.defaultFor("/docs/a.pdf")); // nothing to tell it apart by
    workspace.defaultApplication->file = kSystem + "org.Viewer.desktop";
    const auto found = openWith.defaultFor("/docs/a.pdf");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->file, kSystem + "org.Viewer.desktop");
    EXPECT_EQ(openWith.name(*found), "Viewer");
}

TEST_F(OpenWithTest, LabelsTellApartApplicationsOfOneName)
{
    const std::vector<ui::ApplicationEntry> apps {
        entry("/opt/a.desktop", "com.a.Scanner.desktop", "Scanner", "1.2"),
        entry("/opt/b.desktop", "com.b.Scanner.desktop", "Scanner", "2.0"),
        entry("/opt/c.desktop", "com.c.Scanner.desktop", "Scanner"),
        entry("/opt/notes.desktop", "org.Notes.desktop", "Notes", "3.1"),
        entry("/opt/paint.desktop", "org.Paint.desktop", "Paint", "5"),
        entry("/home/ana/.local/share/applications/wine/Programs/paint.desktop", "wine-Programs-Paint.desktop", "Paint", "6"),
    };
    const auto labels = openWith.labels(apps);
    EXPECT_EQ(labels.at("/opt/a.desktop"), "Scanner (1.2)");
    EXPECT_EQ(labels.at("/opt/b.desktop"), "Scanner (2.0)");
    EXPECT_EQ(labels.at("/opt/c.desktop"), "Scanner"); // no version to add
    EXPECT_EQ(labels.at("/opt/notes.desktop"), "Notes"); // a unique name goes without
    EXPECT_EQ(labels.at("/opt/paint.desktop"), "Paint");
    EXPECT_EQ(labels.at("/home/ana/.local/share/applications/wine/Programs/paint.desktop"), "Paint (Windows)");
}

TEST_F(OpenWithTest, AnEntryWithoutANameIsNamedAfterItsFile)
{
    const std::pair<ui::ApplicationEntry, std::string> cases[] = {
        { entry("/opt/Tool.DESKTOP", "t", ""), "Tool" },
        { entry("/opt/.desktop", "t", ""), ".desktop" },
        { entry("/opt/Tool.desktop.bak", "t", " \t"), "Tool" },
        { entry("/opt/tool", "t", ""), "tool" },
        { entry("/opt/x.desktop", "t", " Spaced "), " Spaced " },
    };
    for (const auto& [app, name] : cases)
        EXPECT_EQ(openWith.name(app), name) << app.file;
}

TEST_F(OpenWithTest, WhatAnEntrySaysIsReadOncePerRun)
{
    workspace.applications = { entry(kSystem + "v.desktop", "v.desktop", "Viewer") };
    const auto before = openWith.apps("/docs/a.pdf", std::nullopt);
    workspace.applications = { entry(kSystem + "v.desktop", "renamed.desktop", "Renamed") };
    const auto after = openWith.apps("/docs/a.pdf", std::nullopt);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(openWith.labels(after).at(kSystem + "v.desktop"), "Viewer");
}

TEST(OpenWithRules, VersionsCompareTheirNumbersAsNumbers)
{
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        { "10.2", "9.9", 1 }, { "1.9", "1.10", -1 }, { "2.0", "2.0", 0 }, { "1.02", "1.2", 0 },
        { "", "", 0 }, { "", "1", -1 }, { "2.0b", "2.0a", 1 }, { "2.0", "2.0.1", -1 },
    };
    for (const auto& c : cases) {
        const int order = compareVersions(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.order) << c.a << " vs " << c.b;
    }
}

TEST(OpenWithRules, TrashesAndPlacesOfEntries)
{
    for (const char* trashed : { "/home/ana/.local/share/Trash/files/v.desktop", "/media/usb/.Trash-1000/files/v.desktop",
             "/media/usb/.Trash/1000/v.desktop", "/srv/Old Trash/v.desktop" })
        EXPECT_TRUE(IkwOpenWith::isTrashed(trashed)) << trashed;
    for (const char* kept : { "/opt/Trashy/v.desktop", "/opt/trash/v.desktop", "/opt/Trash.desktop.d/v.desktop" })
        EXPECT_FALSE(IkwOpenWith::isTrashed(kept)) << kept;

    ui::fake::FakeWorkspace workspace;
    const IkwOpenWith openWith(workspace, kDataHome);
    const std::pair<std::string, int> places[] = {
        { kUser + "v.desktop", 3 },
        { kSystem + "v.desktop", 3 },
        { kSystem + "kde4/v.desktop", 1 },
        { "/usr/local/share/applications/v.desktop", 2 },
        { "/var/lib/flatpak/exports/share/applications/v.desktop", 2 },
        { kDataHome + std::string("/flatpak/exports/share/applications/v.desktop"), 2 },
        { "/opt/app/v.desktop", 1 },
    };
    for (const auto& [file, score] : places)
        EXPECT_EQ(openWith.score(file), score) << file;
}

}
}
