#include "platform/core/ZipWriter.h"

#include "platform/core/ZipArchive.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

namespace ikw {
namespace {

TEST(ZipWriter, WritesMembersThatReadBackInOrder)
{
    testing::TempHome home;
    const std::string text(100000, 'a');
    const std::string binary = std::string("\0\x01\xff", 3) + "data";
    ZipWriter writer;
    EXPECT_TRUE(writer.add("[Content_Types].xml", "<Types/>"));
    EXPECT_TRUE(writer.add("folder/sub/big.txt", text));
    EXPECT_TRUE(writer.add("stored.bin", binary, ZipCompression::Store));
    EXPECT_TRUE(writer.add("caf\u00e9.txt", "unicode name"));
    EXPECT_FALSE(writer.add("stored.bin", "again")) << "a name is taken once";
    EXPECT_FALSE(writer.add("", "nameless"));
    const auto bytes = writer.finish();
    ASSERT_TRUE(bytes);
    EXPECT_FALSE(writer.add("late", "x")) << "a finished writer takes nothing";
    EXPECT_FALSE(writer.finish());

    const auto archive = ZipArchive::open(testing::writeTestFile(home.file("out.zip"), *bytes));
    ASSERT_TRUE(archive);
    const auto entries = archive->entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "[Content_Types].xml");
    EXPECT_EQ(entries[3].name, "caf\u00e9.txt");
    EXPECT_LT(entries[1].compressedSize, text.size() / 10) << "deflated";
    EXPECT_EQ(entries[2].compressedSize, binary.size()) << "stored as it is";
    EXPECT_EQ(archive->readMember("folder/sub/big.txt", text.size()), text);
    EXPECT_EQ(archive->readMember("stored.bin", 100), binary);
    EXPECT_EQ(archive->readMember("caf\u00e9.txt", 100), "unicode name");
}

TEST(ZipWriter, AnArchiveWithoutMembersIsStillAnArchive)
{
    testing::TempHome home;
    const auto bytes = ZipWriter().finish();
    ASSERT_TRUE(bytes);
    const auto archive = ZipArchive::open(testing::writeTestFile(home.file("empty.zip"), *bytes));
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->entries().empty());
}

}
}

namespace ikw {
namespace {

// A member as libzip lists it: name, permission bits, modification time and content.
struct Listed {
    std::string name;
    mode_t mode = 0;
    std::time_t mtime = 0;
    std::string content;
};

std::vector<Listed> listArchive(const std::string& path)
{
    std::vector<Listed> listed;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        return listed;
    for (zip_int64_t index = 0; index < zip_get_num_entries(archive, 0); ++index) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, &system, &attributes);
        std::string content(static_cast<std::size_t>(stat.size), '\0');
        if (zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0)) {
            zip_fread(file, content.data(), content.size());
            zip_fclose(file);
        }
        listed.push_back({ stat.name, static_cast<mode_t>(system == ZIP_OPSYS_UNIX ? attributes >> 16 : 0), stat.mtime, content });
    }
    zip_close(archive);
    return listed;
}

void setTimes(const std::string& path, std::time_t seconds)
{
    const struct timespec times[2] = { { seconds, 0 }, { seconds, 0 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(ZipOfItem, AFileIsTheOneMemberWithItsModeAndTime)
{
    testing::TempHome home;
    const std::string report = testing::writeTestFile(home.file("docs/report.txt"), "quarterly figures");
    ::chmod(report.c_str(), 0640);
    setTimes(report, 1700000000);
    const std::string archive = home.file("docs/report.zip");
    ASSERT_TRUE(writeZipOfItem(report, archive));
    const auto listed = listArchive(archive);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "report.txt");
    EXPECT_EQ(listed[0].mode, S_IFREG | 0640);
    EXPECT_EQ(listed[0].mtime / 2, std::time_t { 1700000000 } / 2) << "zip times have two-second steps";
    EXPECT_EQ(listed[0].content, "quarterly figures");
    EXPECT_FALSE(writeZipOfItem(report, archive)) << "an existing archive is never replaced";
    EXPECT_EQ(listArchive(archive).size(), 1u);
}

TEST(ZipOfItem, AFolderKeepsItsTreeUnderItsOwnName)
{
    testing::TempHome home;
    testing::writeTestFile(home.file("case/letters/a.txt"), "A");
    testing::writeTestFile(home.file("case/b.txt"), "B");
    std::filesystem::create_directories(home.file("case/empty"));
    std::filesystem::create_symlink("b.txt", home.file("case/link"));
    ::mkfifo(home.file("case/pipe").c_str(), 0600);
    ASSERT_TRUE(writeZipOfItem(home.file("case"), home.file("case.zip")));
    std::vector<std::string> names;
    for (const Listed& member : listArchive(home.file("case.zip"))) {
        names.push_back(member.name);
        if (member.name == "case/link") {
            EXPECT_TRUE(S_ISLNK(member.mode));
            EXPECT_EQ(member.content, "b.txt");
        }
        if (member.name == "case/letters/") {
            EXPECT_TRUE(S_ISDIR(member.mode));
        }
    }
    EXPECT_EQ(names, (std::vector<std::string> { "case/", "case/b.txt", "case/empty/", "case/letters/", "case/letters/a.txt", "case/link" }))
        << "the pipe has no bytes to keep";
}

TEST(ZipOfItem, FailureLeavesNoFile)
{
    testing::TempHome home;
    EXPECT_FALSE(writeZipOfItem(home.file("missing.txt"), home.file("missing.zip")));
    EXPECT_FALSE(std::filesystem::exists(home.file("missing.zip")));
    const std::string item = testing::writeTestFile(home.file("a.txt"), "A");
    EXPECT_FALSE(writeZipOfItem(item, home.file("no/such/folder/a.zip")));
    EXPECT_FALSE(std::filesystem::exists(home.file("no")));
}

}
}
