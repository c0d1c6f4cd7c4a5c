#include "assistants/PhotoSorting.h"

#include "assistants/AssistantActions.h"
#include "assistants/PhotoProgress.h"
#include "library/LibraryLayer.h"
#include "platform/core/Base64.h"
#include "platform/photos/FolderPhotoLibrary.h"
#include "platform/photos/PhotoDates.h"
#include "platform/photos/testing/PhotoFixtures.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace ikw::assistants {
namespace {

namespace fs = std::filesystem;
using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;
using photos::testing::setModificationTime;
using photos::testing::writePhoto;

std::string percentEncoded(const std::string& text)
{
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
            out += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            out += escape;
        }
    }
    return out;
}

std::string namesB64(const Json& names)
{
    return encodeBase64(names.dump());
}

std::int64_t taken(const char* date)
{
    return *photos::parseExifDateTime(date);
}

// Photo sorting over a temporary pictures folder, on the recording toolkit, with the stand-in
// engine installed; review runs are recorded, the photo script runs.
class PhotoSortingTest : public ikw::testing::ReviewFixture {
protected:
    PhotoSortingTest()
    {
        ikw::testing::installStandInEngine(home.path());
        fs::create_directories(exportRoot());
        fs::create_directories(home.file("reviews")); // where loading pages are written
        setenv("IKW_STANDIN_PHOTO_LOG", scriptLog().c_str(), 1);
        registerActions(actions, { .photos = sorting });
    }
    ~PhotoSortingTest() override { unsetenv("IKW_STANDIN_PHOTO_LOG"); }

    std::string pictures(const std::string& relative = {}) const { return home.file("Pictures") + (relative.empty() ? "" : "/" + relative); }
    std::string exportRoot() const { return home.file("exports"); }
    std::string scriptLog() const { return home.file("photo-script.log"); }

    void send(ReviewWC& window, const std::string& url)
    {
        actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url });
    }
    std::shared_ptr<ReviewWC> page()
    {
        auto window = windows.open(std::nullopt);
        window->hasContent = true;
        return window;
    }
    // Waits for the page's answer to `function`, then reads it.
    Json answerOf(ReviewWC& window, const std::string& function)
    {
        queue.runUntil([&] { return !calls(window, function).empty(); }, 20);
        return ReviewFixture::answerOf(window, function);
    }
    // The photo script's runs, one argument list each.
    std::vector<Json> scriptRuns() const
    {
        std::vector<Json> runs;
        if (!fs::exists(scriptLog()))
            return runs;
        const std::string text = readTestFile(scriptLog());
        for (std::size_t begin = 0, end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
            runs.push_back(parseJson(text.substr(begin, end - begin)).value_or(Json()));
        return runs;
    }

    // A library export folder: its map names two photos of the pictures folder.
    std::string libraryExport()
    {
        writePhoto(pictures("a.jpg"), { .dateTaken = "2021:01:01 10:00:00" });
        writePhoto(pictures("trip/b.jpg"), { .dateTaken = "2021:01:02 10:00:00" });
        const std::string folder = home.file("exports/culmora-photos-1-x");
        writeTestFile(folder + "/photokit_map.json", R"({"p0000.jpg":"trip/b.jpg","p0001.jpg":"a.jpg"})");
        return folder;
    }

    bool readable = true;
    UrlActions actions;
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<photos::FolderPhotoLibrary> photoLibrary = std::make_shared<photos::FolderPhotoLibrary>(photos::FolderLibraryOptions {
        .folder = home.file("Pictures"),
        .canRead = [this](const std::string&) { return readable; },
    });
    std::shared_ptr<PhotoSorting> sorting = std::make_shared<PhotoSorting>(PhotoSortServices {
        .library = [this] { return library; },
        .photos = photoLibrary,
        .dialogs = &toolkit.fakeDialogs,
        .workspace = &toolkit.fakeWorkspace,
        .shellEngine = services.shellEngine,
        .newLoadingFile = services.newLoadingFile,
        .exportRoot = [this] { return std::optional(exportRoot()); },
    });
};

TEST_F(PhotoSortingTest, ExportWritesTheNewestFirstWithAGapAMapAndProgressThenStartsTheEngine)
{
    // Twelve images whose file times run against their EXIF dates; the fourth newest cannot be
    // decoded. Beside them: a video, a hidden image and an album link, none of them fetched.
    for (int day = 1; day <= 12; ++day) {
        char name[32], date[32];
        std::snprintf(name, sizeof name, "day%02d.jpg", day);
        std::snprintf(date, sizeof date, "2023:05:%02d 08:00:00", day);
        const std::string path = day == 9 ? writeTestFile(pictures(name), "broken") : writePhoto(pictures(name), { .dateTaken = date });
        setModificationTime(path, day == 9 ? taken("2023:05:09 08:00:00") : taken("2024:01:01 00:00:00") - day);
    }
    writeTestFile(pictures("clip.mp4"), "video");
    writePhoto(pictures(".hidden.jpg"), {});
    fs::create_directories(pictures("Culmora Set Aside"));
    fs::create_symlink(pictures("day12.jpg"), pictures("Culmora Set Aside/day12.jpg"));

    const auto sender = page();
    for (const std::string mode : { "sort", "collect" }) {
        engineRuns.clear();
        send(*sender, mode == "sort" ? "culmoraphotos" : "culmoracollectlib");
        ASSERT_TRUE(queue.runUntil([&] { return !engineRuns.empty(); }, 60)) << mode;

        const auto& window = windows.windows().back();
        ASSERT_EQ(window->sourcePaths.size(), 1u);
        const std::string folder = window->sourcePaths.front();
        const std::string progress = window->loadingFile.value_or("");
        EXPECT_TRUE(window->hasContent);
        EXPECT_EQ(parentPath(folder), exportRoot());
        EXPECT_TRUE(lastPathComponent(folder).starts_with("culmora-photos-")) << folder;
        std::vector<std::string> expected { "--choose", "--loading-file", progress };
        if (mode == "collect")
            expected.insert(expected.end(), { "--mode", "collect" });
        expected.push_back(folder);
        EXPECT_EQ(engineRuns, std::vector<std::vector<std::string>> { expected }) << mode;

        std::vector<std::string> files;
        for (const auto& name : ikw::testing::folderEntries(folder))
            files.push_back(name);
        EXPECT_EQ(files, (std::vector<std::string> { "p0000.jpg", "p0001.jpg", "p0002.jpg", "p0004.jpg", "p0005.jpg", "p0006.jpg", "p0007.jpg",
                             "p0008.jpg", "p0009.jpg", "p0010.jpg", "p0011.jpg", "photokit_map.json" }));
        const std::string mapText = readTestFile(folder + "/photokit_map.json");
        const Json map = parseJson(mapText).value_or(Json());
        EXPECT_EQ(map.size(), 11u);
        EXPECT_EQ(map.value("p0000.jpg", ""), "day12.jpg");
        EXPECT_EQ(map.value("p0011.jpg", ""), "day01.jpg");
        EXPECT_FALSE(map.contains("p0003.jpg"));
        EXPECT_EQ(mapText.find(' '), std::string::npos) << "compact";
        // Rewritten at 10 only (12 is no multiple of ten), and the first page said 0.
        const std::string page = readTestFile(progress);
        EXPECT_NE(page.find("10 of 12 \u00b7"), std::string::npos) << page;
        EXPECT_NE(page.find("width:83%"), std::string::npos) << page;
    }
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
}

TEST_F(PhotoSortingTest, AnEmptyLibraryFindsNoPhotosAndAnUnreadableOneAsksForAccess)
{
    const auto sender = page();
    const auto alertCount = [this] { return toolkit.fakeDialogs.alerts.size(); };
    send(*sender, "culmoraphotos"); // no pictures folder at all
    ASSERT_TRUE(queue.runUntil([&] { return alertCount() == 1; }, 20));
    writeTestFile(pictures("clip.mp4"), "video");
    send(*sender, "culmoracollectlib");
    ASSERT_TRUE(queue.runUntil([&] { return alertCount() == 2; }, 20));
    for (const auto& alert : toolkit.fakeDialogs.alerts) {
        EXPECT_EQ(alert.request.message, "No photos found");
        EXPECT_EQ(alert.request.informativeText, "Culmora could not find any photos in your library to sort.");
    }

    writePhoto(pictures("a.jpg"), {});
    readable = false;
    toolkit.fakeDialogs.alertAnswers = { ui::AlertAnswer { .button = 1 }, ui::AlertAnswer { .button = 0 } };
    send(*sender, "culmoraphotos");
    EXPECT_TRUE(toolkit.fakeWorkspace.revealed.empty()) << "Cancel does nothing";
    send(*sender, "culmoraphotos");
    ASSERT_EQ(alertCount(), 4u);
    const auto& access = toolkit.fakeDialogs.alerts.back().request;
    EXPECT_EQ(access.message, "Culmora needs access to your Photos");
    EXPECT_EQ(access.informativeText, "Culmora finds duplicates and blurry shots entirely on your computer \u2014 nothing is uploaded. "
                                      "Turn on Photos access in Settings \u25b8 Privacy & Security \u25b8 Photos, then try again.");
    EXPECT_EQ(access.buttons, (std::vector<std::string> { "Open Settings", "Cancel" }));
    EXPECT_EQ(toolkit.fakeWorkspace.revealed, std::vector<std::string> { pictures() });

    queue.runUntil([] { return false; }, 0.2);
    EXPECT_EQ(windows.windows().size(), 1u) << "no progress window";
    EXPECT_TRUE(engineRuns.empty());
    EXPECT_TRUE(ikw::testing::folderEntries(exportRoot()).empty());
}

TEST(PhotoProgress, ThePercentageTruncatesInWholeNumbers)
{
    struct Case {
        long long done, total;
        int percent;
    };
    for (const Case c : { Case { 7, 400, 1 }, { 399, 400, 99 }, { 0, 0, 0 }, { 29, 100, 29 }, { 400, 400, 100 }, { 3, -1, 0 } })
        EXPECT_EQ(photoProgressPercent(c.done, c.total), c.percent) << c.done << " of " << c.total;
    const std::string page = photoProgressHTML(7, 400);
    EXPECT_NE(page.find("7 of 400 \u00b7 on your computer, nothing uploaded"), std::string::npos);
    EXPECT_NE(page.find("width:1%"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("href"), std::string::npos);
}

TEST_F(PhotoSortingTest, SettingAsideFilesLibraryPhotosIntoTheAlbumAndOtherFoldersGoToTheScript)
{
    const std::string exported = libraryExport();
    const std::string before = readTestFile(pictures("a.jpg"));
    const std::string plainFolder = home.file("Shoot");
    writeTestFile(plainFolder + "/x.jpg", "x");

    struct Case {
        std::string query;
        Json answer; // null: no callback at all
    };
    const Json dest = "the \u2018Culmora Set Aside\u2019 album in Photos";
    const Case cases[] = {
        { "dir=" + percentEncoded(exported) + "&rejb64=" + percentEncoded(namesB64({ "p0000.jpg", "p0001.jpg", "p0007.jpg" })),
            { { "moved", 2 }, { "dest", dest } } },
        { "dir=" + percentEncoded(exported) + "&rejb64=" + percentEncoded(namesB64({ "p0007.jpg" })), { { "moved", 0 }, { "dest", dest } } },
        { "dir=" + percentEncoded(plainFolder) + "&rejb64=" + percentEncoded(namesB64({ "x.jpg" })),
            { { "moved", 1 }, { "dest", "the Set Aside folder" } } },
        // Not Base64: the script's turn even for a library export.
        { "dir=" + percentEncoded(exported) + "&rejb64=%5B%5D", { { "error", "The photo names could not be read." } } },
        { "dir=" + percentEncoded(exported), nullptr },
        { "rejb64=" + percentEncoded(namesB64({ "p0000.jpg" })), nullptr },
    };
    for (const auto& c : cases) {
        const auto sender = page();
        send(*sender, "culmoraapply?" + c.query);
        if (c.answer.is_null()) {
            queue.runUntil([] { return false; }, 0.3);
            EXPECT_TRUE(calls(*sender, "culmoraApplied").empty()) << c.query;
        } else {
            EXPECT_EQ(answerOf(*sender, "culmoraApplied"), c.answer) << c.query;
        }
    }
    EXPECT_EQ(ikw::testing::folderEntries(pictures("Culmora Set Aside")), (std::vector<std::string> { "a.jpg", "b.jpg" }));
    EXPECT_EQ(fs::read_symlink(pictures("Culmora Set Aside/b.jpg")), pictures("trip/b.jpg"));
    EXPECT_EQ(readTestFile(pictures("a.jpg")), before);
    EXPECT_TRUE(fs::exists(plainFolder + "/Set Aside/x.jpg"));
    const auto runs = scriptRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], Json({ "apply", "--dir", plainFolder, "--reject-b64", namesB64({ "x.jpg" }) }));
}

TEST_F(PhotoSortingTest, CollectingFilesAndRemovesByAlbumTitleAndQuotesTheAnswerSafely)
{
    const std::string exported = libraryExport();
    const std::string both = percentEncoded(namesB64({ "p0000.jpg", "p0001.jpg" }));
    const auto collect = [&](const std::string& album, const std::string& extra) {
        const auto sender = page();
        send(*sender, "culmoracollect?dir=" + percentEncoded(exported) + "&album=" + percentEncoded(album) + "&filesb64=" + both + extra);
        return answerOf(*sender, "culmoraCollected");
    };
    EXPECT_EQ(collect("Gone", "&op=remove"), Json({ { "removed", 0 }, { "album", "Gone" } }));
    EXPECT_FALSE(fs::exists(pictures("Gone")));
    EXPECT_EQ(collect("Keep", "&dest=ignored"), Json({ { "filed", 2 }, { "album", "Keep" } }));
    EXPECT_EQ(ikw::testing::folderEntries(pictures("Keep")).size(), 2u);
    EXPECT_EQ(collect("Keep", "&op=remove"), Json({ { "removed", 2 }, { "album", "Keep" } }));
    EXPECT_TRUE(ikw::testing::folderEntries(pictures("Keep")).empty());

    // The library gets the title as sent; the page's copy has apostrophes for double quotes.
    const std::string awkward = "A\"B\\\nC";
    EXPECT_EQ(collect(awkward, ""), Json({ { "filed", 2 }, { "album", "A'B\\\nC" } }));
    EXPECT_EQ(ikw::testing::folderEntries(pictures(awkward)).size(), 2u);
    EXPECT_EQ(collect("../x", ""), Json({ { "filed", 0 }, { "error", "Could not create the \u2018../x\u2019 album." } }));
    EXPECT_FALSE(fs::exists(home.file("x")));
    EXPECT_TRUE(scriptRuns().empty());
}

TEST_F(PhotoSortingTest, CollectingInAPlainFolderHandsTheScriptItsArguments)
{
    const std::string folder = home.file("Shoot");
    writeTestFile(folder + "/x.jpg", "x");
    const std::string names = namesB64({ "x.jpg" });
    struct Case {
        std::string extra;
        Json arguments;
        Json answer;
    };
    const Case cases[] = {
        { "&dest=", { "collectapply", "--album", "Keep", "--dest", "", "--names-b64", names, "--dir", folder }, { { "filed", 1 }, { "album", "Keep" } } },
        { "&op=remove", { "collectremove", "--album", "Keep", "--dest", "", "--names-b64", names }, { { "removed", 0 }, { "album", "Keep" } } },
    };
    for (const auto& c : cases) {
        fs::remove(scriptLog());
        const auto sender = page();
        send(*sender, "culmoracollect?dir=" + percentEncoded(folder) + "&album=Keep&filesb64=" + percentEncoded(names) + c.extra);
        EXPECT_EQ(answerOf(*sender, "culmoraCollected"), c.answer) << c.extra;
        EXPECT_EQ(scriptRuns(), std::vector<Json> { c.arguments }) << c.extra;
    }
    EXPECT_TRUE(fs::exists(folder + "/Keep/x.jpg"));
}

TEST_F(PhotoSortingTest, TheBakeRunsTheUsersCommandAndAnswersItsOutcome)
{
    struct Case {
        std::optional<std::string> settings;
        Json answer;
    };
    const Json failed = { { "ok", false }, { "err", "The Velmo bake reported an error." } };
    const Json unset = { { "ok", false }, { "err", "No Velmo bake is configured on this computer." } };
    const Case cases[] = {
        { R"({"bake_cmd":"exit 1"})", failed },
        { R"({"bake_cmd":"head -c 300000 /dev/zero; head -c 300000 /dev/zero >&2; true"})", { { "ok", true } } },
        { R"({"bake_cmd":""})", unset },
        { R"({"bake_cmd":5})", unset },
        { R"(["exit 0"])", unset },
        { std::nullopt, unset },
    };
    for (const auto& c : cases) {
        fs::remove(home.file(".culmora/personal.json"));
        if (c.settings)
            writeTestFile(home.file(".culmora/personal.json"), *c.settings);
        const auto sender = page();
        send(*sender, "culmorabake");
        EXPECT_EQ(answerOf(*sender, "culmoraBaked"), c.answer) << c.settings.value_or("no file");
    }
}

TEST_F(PhotoSortingTest, TheModeSwitchRerunsTheWindowsSourcesInTheChosenMode)
{
    struct Case {
        std::string query;
        std::optional<std::string> mode; // nothing: no run
    };
    const Case cases[] = { { "?to=cull", "sort" }, { "", "collect" }, { "?to=", "collect" }, { "?to=sort", "sort" }, { "?to=other", std::nullopt } };
    for (const auto& c : cases) {
        engineRuns.clear();
        const auto window = page();
        window->sourcePaths = { "/exports/culmora-photos-1-x" };
        send(*window, "culmoramode" + c.query);
        if (!c.mode) {
            EXPECT_TRUE(engineRuns.empty()) << c.query;
            continue;
        }
        ASSERT_EQ(engineRuns.size(), 1u) << c.query;
        EXPECT_EQ(engineRuns[0], (std::vector<std::string> { "--choose", "--loading-file", window->loadingFile.value_or(""), "--mode", *c.mode,
                                     "/exports/culmora-photos-1-x" }))
            << c.query;
    }
    engineRuns.clear();
    send(*page(), "culmoramode?to=sort");
    EXPECT_TRUE(engineRuns.empty()) << "a window without sources is left alone";
}

}
}
