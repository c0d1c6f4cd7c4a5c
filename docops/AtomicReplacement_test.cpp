#include "docops/AtomicReplacement.h"

#include "app/HiddenPageCleanup.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>

namespace ikw::docops {
namespace {

using Operation = FaultyFileSystem::Operation;
using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;

std::vector<std::string> hiddenFilesIn(const std::string& folder)
{
    std::vector<std::string> names = ikw::testing::folderEntries(folder);
    std::erase_if(names, [](const std::string& name) { return !name.starts_with(".ikw-"); });
    return names;
}

class AtomicReplacement : public ::testing::Test {
protected:
    ikw::testing::TempHome home;
    const std::string folder = home.file("docs");
    const std::string target = writeTestFile(home.file("docs/report.pdf"), pdf::testing::numberedPdf(2));
    const std::string original = readTestFile(target);
    const pdf::EditableDocument replacement = *pdf::EditableDocument::fromBytes(pdf::testing::numberedPdf(5));
};

// The real file system, noting the mode of each hidden file as it is about to take its target's
// place.
class ModeNotingFileSystem final : public FileSystem {
public:
    std::optional<std::string> readFile(const std::string& path) const override { return realFileSystem().readFile(path); }
    IoStatus writeFile(const std::string& path, std::string_view data) override { return realFileSystem().writeFile(path, data); }
    IoStatus writePrivateFile(const std::string& path, std::string_view data) override { return realFileSystem().writePrivateFile(path, data); }
    IoStatus replaceFile(const std::string& path, std::string_view data, const ReplaceOptions& options) override
    {
        return realFileSystem().replaceFile(path, data, options);
    }
    IoStatus commitReplacement(const std::string& temporaryPath, const std::string& path) override
    {
        modes.push_back(ikw::testing::fileMode(temporaryPath));
        return realFileSystem().commitReplacement(temporaryPath, path);
    }
    IoStatus createDirectories(const std::string& path) override { return realFileSystem().createDirectories(path); }
    IoStatus rename(const std::string& from, const std::string& to) override { return realFileSystem().rename(from, to); }
    IoStatus removeFile(const std::string& path) override { return realFileSystem().removeFile(path); }
    bool exists(const std::string& path) const override { return realFileSystem().exists(path); }
    bool isDirectory(const std::string& path) const override { return realFileSystem().isDirectory(path); }

    std::vector<mode_t> modes;
};

TEST_F(AtomicReplacement, ReplacesTheFileKeepingModeAndAttributes)
{
    ::chmod(target.c_str(), 0640);
    const std::string identity = "4F1C-identity";
    const bool attributes = ::setxattr(target.c_str(), "user.app.norvale.inkwarden.docid", identity.data(), identity.size(), 0) == 0;

    ASSERT_TRUE(atomicWrite(replacement, target));
    EXPECT_EQ(pdf::testing::pageNumbers(readTestFile(target)), (std::vector<int> { 1, 2, 3, 4, 5 }));
    EXPECT_EQ(ikw::testing::fileMode(target), 0640u);
    if (attributes) {
        char value[64] = {};
        const ssize_t length = ::getxattr(target.c_str(), "user.app.norvale.inkwarden.docid", value, sizeof value);
        EXPECT_EQ(std::string(value, length > 0 ? static_cast<std::size_t>(length) : 0), identity);
    }
    EXPECT_TRUE(hiddenFilesIn(folder).empty());
}

TEST_F(AtomicReplacement, ThePagesAreTheOwnersAloneUntilTheyReplaceTheFile)
{
    ::chmod(target.c_str(), 0644);
    ModeNotingFileSystem fileSystem;
    ASSERT_TRUE(atomicWrite(replacement, target, fileSystem));
    EXPECT_EQ(fileSystem.modes, (std::vector<mode_t> { 0600 }));
    EXPECT_EQ(ikw::testing::fileMode(target), 0644u);
}

TEST_F(AtomicReplacement, ALinkStaysALinkAndTheFileItLeadsToIsReplaced)
{
    const std::string linkFolder = home.file("links");
    std::filesystem::create_directories(linkFolder);
    const std::string link = linkFolder + "/report.pdf";
    ASSERT_EQ(::symlink("../docs/report.pdf", link.c_str()), 0);
    ASSERT_TRUE(atomicWrite(replacement, link));
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(pdf::testing::pageNumbers(readTestFile(target)).size(), 5u);
    EXPECT_EQ(ikw::testing::folderEntries(linkFolder), (std::vector<std::string> { "report.pdf" }));
    EXPECT_TRUE(hiddenFilesIn(folder).empty());
}

TEST_F(AtomicReplacement, HiddenFilesOfKilledRewritesGoBeforeTheNextOne)
{
    namespace fs = std::filesystem;
    const std::string uuid = "0F8C2A4E-1B3D-4C5E-8F90-A1B2C3D4E5F6";
    const std::string stale = writeTestFile(folder + "/.ikw-pageop-" + uuid + ".pdf", "half");
    const std::string staleFill = writeTestFile(folder + "/.ikw-fillform-" + uuid + ".pdf", "half");
    const std::string running = writeTestFile(folder + "/.ikw-split-" + uuid + ".pdf", "being written now");
    const std::string notOurs = writeTestFile(folder + "/.ikw-pageop-notes.pdf", "a user's file");
    for (const std::string& path : { stale, staleFill, notOurs })
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));

    ASSERT_TRUE(atomicWrite(replacement, target));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(staleFill));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(notOurs));
}

// A rewrite killed at any moment leaves the old file or the new one, never a mix; what it leaves
// beside a private file is as private, and the next run's clean-up takes it away.
TEST_F(AtomicReplacement, AKilledRewriteLeavesTheOldFileOrTheNewOne)
{
    ::chmod(target.c_str(), 0600);
    const std::string small = pdf::testing::numberedPdf(2);
    const std::string large = pdf::testing::numberedPdf(400);
    std::mt19937 random(7);
    for (int kill = 0; kill < 12; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int round = 0;; ++round)
                atomicWriteData(round % 2 ? small : large, target);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution(0, 40000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::vector<int> pages = pdf::testing::pageNumbers(readTestFile(target));
        EXPECT_TRUE(pages.size() == 2 || pages.size() == 400 || readTestFile(target) == original) << pages.size();
    }
    for (const std::string& name : hiddenFilesIn(folder))
        EXPECT_EQ(ikw::testing::fileMode(folder + "/" + name), 0600u) << name;
    removeStaleRewriteFiles(folder, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(1));
    EXPECT_TRUE(hiddenFilesIn(folder).empty());
}

TEST_F(AtomicReplacement, EachFailureKeepsTheOriginalAndLeavesNoHiddenFile)
{
    struct Case {
        Operation operation;
        bool bytes;
    };
    for (const Case c : { Case { Operation::Write, false }, Case { Operation::Commit, false }, Case { Operation::Write, true },
             Case { Operation::Commit, true } }) {
        SCOPED_TRACE(static_cast<int>(c.operation) * 2 + c.bytes);
        FaultyFileSystem fileSystem;
        fileSystem.fail(c.operation);
        const bool ok = c.bytes ? atomicWriteData(*replacement.toBytes(), target, fileSystem) : atomicWrite(replacement, target, fileSystem);
        EXPECT_FALSE(ok);
        EXPECT_EQ(readTestFile(target), original);
        EXPECT_TRUE(hiddenFilesIn(folder).empty());
    }
}

TEST_F(AtomicReplacement, HiddenNamesAreFreshAndNamedForTheirPurpose)
{
    FaultyFileSystem fileSystem;
    ASSERT_TRUE(atomicWrite(replacement, target, fileSystem));
    ASSERT_TRUE(atomicWriteData(pdf::testing::numberedPdf(1), target, fileSystem));
    ASSERT_TRUE(atomicWrite(replacement, target, fileSystem));
    std::vector<std::string> written;
    for (const std::string& call : fileSystem.calls()) {
        if (call.starts_with("write "))
            written.push_back(call.substr(6));
    }
    ASSERT_EQ(written.size(), 3u);
    const std::string prefix = folder + "/.ikw-";
    EXPECT_TRUE(written[0].starts_with(prefix + "pageop-")) << written[0];
    EXPECT_TRUE(written[1].starts_with(prefix + "fillform-")) << written[1];
    EXPECT_EQ(written[0].size(), prefix.size() + 7 + 36 + 4);
    EXPECT_TRUE(written[0].ends_with(".pdf"));
    EXPECT_NE(written[0], written[2]);
}

}
}
