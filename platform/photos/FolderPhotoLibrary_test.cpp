#include "platform/photos/FolderPhotoLibrary.h"

#include "platform/photos/PhotoDates.h"
#include "platform/photos/testing/PhotoFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::photos {
namespace {

namespace fs = std::filesystem;
using ikw::testing::TempHome;
using ikw::testing::writeTestFile;
using testing::PhotoSpec;
using testing::setModificationTime;
using testing::writePhoto;

std::vector<std::string> identifiers(const std::vector<PhotoAsset>& assets)
{
    std::vector<std::string> ids;
    for (const auto& asset : assets)
        ids.push_back(asset.localIdentifier);
    return ids;
}

class FolderLibrary : public ::testing::Test {
protected:
    std::string file(const std::string& relative) const { return home.file("Pictures/" + relative); }
    std::string photo(const std::string& relative, const std::optional<std::string>& taken, std::int64_t modified)
    {
        const std::string path = writePhoto(file(relative), { .dateTaken = taken });
        setModificationTime(path, modified);
        return path;
    }
    std::vector<std::string> albumEntries(const std::string& title) const { return ikw::testing::folderEntries(file(title)); }

    TempHome home;
    FolderPhotoLibrary library { { .folder = home.file("Pictures") } };
};

TEST(ExifDates, ReadAsLocalTimeAndBlankOrMalformedDatesAreNone)
{
    const auto noon = parseExifDateTime("2021:06:01 12:00:00");
    ASSERT_TRUE(noon);
    EXPECT_EQ(*parseExifDateTime("2021:06:01 12:00:01") - *noon, 1);
    EXPECT_EQ(*parseExifDateTime("2021:06:02 12:00:00") - *noon, 86400);
    for (const char* bad : { "0000:00:00 00:00:00", "    :  :     :  :  ", "2021-06-01 12:00:00", "2021:13:01 12:00:00", "2021:06:01", "" })
        EXPECT_FALSE(parseExifDateTime(bad)) << bad;
}

TEST_F(FolderLibrary, FetchesImagesNewestFirstByExifDateElseFileTimeAndNothingElse)
{
    // The EXIF dates decide against the file times, which run the other way.
    photo("old.jpg", "2019:01:01 09:00:00", 1'700'000'300);
    photo("trips/2020/beach.jpg", "2020:07:01 09:00:00", 1'700'000'200);
    photo("newest.jpg", "2022:03:01 09:00:00", 1'500'000'000);
    // Without EXIF the file time counts.
    setModificationTime(writePhoto(file("undated.jpeg"), {}), *parseExifDateTime("2021:01:01 00:00:00"));
    setModificationTime(writeTestFile(file("scan.png"), ""), 1'000'000'000);
    // Never images of the library: a video, hidden entries, links, and what is not an image.
    writeTestFile(file("clip.mp4"), "video");
    writePhoto(file(".hidden.jpg"), {});
    writePhoto(file(".thumbnails/inside.jpg"), {});
    writeTestFile(file("notes.txt"), "text");
    fs::create_directories(file("Culmora Set Aside"));
    fs::create_symlink(file("newest.jpg"), file("Culmora Set Aside/newest.jpg"));
    fs::create_symlink(file("trips"), file("trips-link"));

    EXPECT_EQ(identifiers(library.fetchNewestImages(10)),
        (std::vector<std::string> { "newest.jpg", "undated.jpeg", "trips/2020/beach.jpg", "old.jpg", "scan.png" }));
    EXPECT_EQ(identifiers(library.fetchNewestImages(2)), (std::vector<std::string> { "newest.jpg", "undated.jpeg" }));
    EXPECT_EQ(library.fetchNewestImages(1).front().path, file("newest.jpg"));
}

TEST_F(FolderLibrary, AccessIsDeniedOnlyForAFolderThatExistsAndCannotBeRead)
{
    FolderPhotoLibrary refused({ .folder = home.file("Pictures"), .canRead = [](const std::string&) { return false; } });
    EXPECT_EQ(refused.requestAccess(), AccessStatus::Authorized) << "a missing folder is an empty library";
    EXPECT_TRUE(refused.fetchNewestImages(10).empty());
    fs::create_directories(home.file("Pictures"));
    EXPECT_EQ(refused.requestAccess(), AccessStatus::Denied);
    EXPECT_EQ(refused.accessLocation(), home.file("Pictures"));
    EXPECT_EQ(library.requestAccess(), AccessStatus::Authorized);
}

TEST_F(FolderLibrary, RendersFittedOrientedJpegsAndNothingForWhatCannotBeDecoded)
{
    struct Case {
        PhotoSpec spec;
        int edge;
        testing::ImageSize expected;
    };
    const Case cases[] = {
        { { .width = 3000, .height = 1000 }, 1600, { 1600, 533 } },
        { { .width = 40, .height = 30 }, 1600, { 40, 30 } },                    // never enlarged
        { { .width = 60, .height = 40, .orientation = 6 }, 1600, { 40, 60 } },  // turned upright
    };
    for (const auto& c : cases) {
        const PhotoAsset asset { .localIdentifier = "a.jpg", .path = writePhoto(file("a.jpg"), c.spec) };
        const auto jpeg = library.renderJpeg(asset, c.edge, 90);
        ASSERT_TRUE(jpeg);
        const std::string out = writeTestFile(home.file("out.jpg"), *jpeg);
        EXPECT_EQ(testing::imageFileSize(out), c.expected) << c.spec.width << "x" << c.spec.height;
    }
    const PhotoAsset broken { .localIdentifier = "b.jpg", .path = writeTestFile(file("b.jpg"), "not a picture") };
    EXPECT_FALSE(library.renderJpeg(broken, 1600, 90));
}

TEST_F(FolderLibrary, FilingLinksEachPhotoOnceUnderAUniqueNameAndLeavesThePhotosAlone)
{
    const std::string a = photo("a.jpg", "2020:01:01 00:00:00", 1);
    photo("trip/a.jpg", "2020:01:02 00:00:00", 2);
    const std::string bytes = ikw::testing::readTestFile(a);
    fs::create_symlink(a, file("linked.jpg"));

    const auto filed = library.addToAlbum({ "a.jpg", "trip/a.jpg", "a.jpg", "missing.jpg", "../a.jpg", "linked.jpg", ".x.jpg" }, "Keep");
    EXPECT_EQ(filed.count, 2);
    EXPECT_FALSE(filed.error);
    EXPECT_EQ(albumEntries("Keep"), (std::vector<std::string> { "a 2.jpg", "a.jpg" }));
    EXPECT_EQ(fs::read_symlink(file("Keep/a.jpg")), a);
    EXPECT_EQ(ikw::testing::readTestFile(a), bytes);

    const auto again = library.addToAlbum({ "a.jpg" }, "Keep");
    EXPECT_EQ(again.count, 1) << "an already filed photo still counts";
    EXPECT_EQ(albumEntries("Keep").size(), 2u);
    EXPECT_EQ(identifiers(library.fetchNewestImages(10)), (std::vector<std::string> { "trip/a.jpg", "a.jpg" })) << "albums are not walked";

    const auto removed = library.removeFromAlbum({ "a.jpg", "missing.jpg" }, "Keep");
    EXPECT_EQ(removed.count, 1);
    EXPECT_FALSE(removed.error);
    EXPECT_EQ(albumEntries("Keep").size(), 1u);
    EXPECT_TRUE(fs::exists(a));
}

TEST_F(FolderLibrary, TitlesThatNameNoFolderOfTheLibraryAreRefused)
{
    photo("a.jpg", "2020:01:01 00:00:00", 1);
    writeTestFile(file("Taken"), "a file, not an album");
    for (const std::string& title : std::vector<std::string> { "", ".", "..", "../x", "a/b", std::string("a\0b", 3), "Taken" }) {
        const auto filed = library.addToAlbum({ "a.jpg" }, title);
        EXPECT_EQ(filed.count, 0) << title;
        EXPECT_EQ(filed.error, "Could not create the \u2018" + title + "\u2019 album.") << title;
    }
    EXPECT_FALSE(fs::exists(home.file("x")));
    const auto removed = library.removeFromAlbum({ "a.jpg" }, "..");
    EXPECT_EQ(removed.count, 0);
    EXPECT_FALSE(removed.error);
    EXPECT_TRUE(fs::exists(file("a.jpg")));
}

TEST_F(FolderLibrary, RemovingFromAMissingAlbumChangesNothing)
{
    photo("a.jpg", "2020:01:01 00:00:00", 1);
    const auto removed = library.removeFromAlbum({ "a.jpg" }, "Nowhere");
    EXPECT_EQ(removed.count, 0);
    EXPECT_FALSE(removed.error);
    EXPECT_FALSE(fs::exists(file("Nowhere")));
}

}
}
