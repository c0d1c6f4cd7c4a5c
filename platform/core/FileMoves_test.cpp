#include "platform/core/FileMoves.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>

#include <algorithm>
#include <barrier>
#include <thread>

namespace ikw {
namespace {

using Operation = PlaceResult (*)(const std::string&, const std::string&);

TEST(FileMoves, NeverReplaceAnExistingFile)
{
    const std::pair<const char*, Operation> operations[] = {
        { "move", moveWithoutReplacing }, { "copy", [](const std::string& from, const std::string& to) { return copyWithoutReplacing(from, to); } },
        { "spare copy", [](const std::string& from, const std::string& to) { return copyWithoutReplacing(from, to, CopyFlush::cacheOnly); } } };
    for (const auto& [label, operation] : operations) {
        testing::TempHome home;
        const std::string from = testing::writeTestFile(home.file("in/a.txt"), "mine");
        const std::string to = testing::writeTestFile(home.file("out/a.txt"), "theirs");

        const PlaceResult result = operation(from, to);
        EXPECT_EQ(result.outcome, PlaceResult::Outcome::nameTaken) << label;
        EXPECT_EQ(testing::readTestFile(from), "mine") << label;
        EXPECT_EQ(testing::readTestFile(to), "theirs") << label;
        EXPECT_EQ(testing::folderEntries(home.file("out")), (std::vector<std::string> { "a.txt" })) << label;
    }
}

TEST(FileMoves, MoveAndCopyToAFreeName)
{
    testing::TempHome home;
    const std::string from = testing::writeTestFile(home.file("in/a.txt"), "data");
    ::chmod(from.c_str(), 0640);
    const timespec old[2] = { { 1000000000, 0 }, { 1000000000, 0 } };
    ::utimensat(AT_FDCWD, from.c_str(), old, 0);

    const PlaceResult copied = copyWithoutReplacing(from, home.file("out/b.txt"));
    ASSERT_FALSE(copied) << "the folder does not exist yet";
    ::mkdir(home.file("out").c_str(), 0700);

    ASSERT_TRUE(copyWithoutReplacing(from, home.file("out/b.txt")));
    struct stat info {};
    ::stat(home.file("out/b.txt").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(testing::readTestFile(home.file("out/b.txt")), "data");

    const PlaceResult moved = moveWithoutReplacing(from, home.file("out/c.txt"));
    ASSERT_TRUE(moved) << moved.message;
    EXPECT_EQ(moved.path, home.file("out/c.txt"));
    EXPECT_EQ(testing::folderEntries(home.file("in")), std::vector<std::string> {});
    EXPECT_EQ(testing::folderEntries(home.file("out")), (std::vector<std::string> { "b.txt", "c.txt" }));
}

std::string userAttribute(const std::string& path, const char* name)
{
    char value[64] = {};
    const ssize_t length = ::getxattr(path.c_str(), name, value, sizeof value);
    return length < 0 ? std::string() : std::string(value, static_cast<std::size_t>(length));
}

TEST(FileMoves, CopyCarriesTheUsersAttributes)
{
    testing::TempHome home;
    const std::string from = testing::writeTestFile(home.file("a.pdf"), "doc");
    if (::setxattr(from.c_str(), "user.ikw.docid", "D-42", 4, 0) != 0)
        GTEST_SKIP() << "this file system keeps no user attributes";
    ASSERT_TRUE(copyWithoutReplacing(from, home.file("b.pdf")));
    EXPECT_EQ(userAttribute(home.file("b.pdf"), "user.ikw.docid"), "D-42");
}

TEST(FileMoves, CopyRefusesWhatIsNotARegularFile)
{
    testing::TempHome home;
    ::mkdir(home.file("work").c_str(), 0700);
    ::mkdir(home.file("work/folder").c_str(), 0700);
    const PlaceResult result = copyWithoutReplacing(home.file("work/folder"), home.file("work/copy"));
    EXPECT_EQ(result.outcome, PlaceResult::Outcome::failed);
    EXPECT_FALSE(copyWithoutReplacing(home.file("work/missing"), home.file("work/copy")));
    EXPECT_EQ(testing::folderEntries(home.file("work")), (std::vector<std::string> { "folder" }));
}

TEST(FileMoves, UniqueNamesNumberAfterTheTakenOnes)
{
    testing::TempHome home;
    const std::string out = home.file("out");
    testing::writeTestFile(out + "/scan.pdf", "0");
    const std::string first = testing::writeTestFile(home.file("in/1.pdf"), "1");
    const std::string second = testing::writeTestFile(home.file("in/2.pdf"), "2");

    EXPECT_EQ(moveToUniqueName(first, out, "scan.pdf").path, out + "/scan 2.pdf");
    EXPECT_EQ(copyToUniqueName(second, out, "scan.pdf").path, out + "/scan 3.pdf");
    EXPECT_EQ(testing::readTestFile(out + "/scan.pdf"), "0");
    EXPECT_EQ(testing::readTestFile(out + "/scan 2.pdf"), "1");
    EXPECT_EQ(testing::readTestFile(out + "/scan 3.pdf"), "2");
}

TEST(FileMoves, RacingMovesToOneUniqueNameKeepBothFiles)
{
    testing::TempHome home;
    const std::string out = home.file("out");
    ::mkdir(out.c_str(), 0700);
    for (int round = 0; round < 50; ++round) {
        const std::string a = testing::writeTestFile(home.file("in/a"), "A");
        const std::string b = testing::writeTestFile(home.file("in/b"), "B");
        std::barrier start(2);
        const auto race = [&](const std::string& from) {
            start.arrive_and_wait();
            EXPECT_TRUE(moveToUniqueName(from, out, "x.pdf"));
        };
        std::thread first(race, a), second(race, b);
        first.join();
        second.join();

        ASSERT_EQ(testing::folderEntries(out), (std::vector<std::string> { "x 2.pdf", "x.pdf" })) << "round " << round;
        const std::string contents = testing::readTestFile(out + "/x.pdf") + testing::readTestFile(out + "/x 2.pdf");
        EXPECT_TRUE(contents == "AB" || contents == "BA") << contents;
        testing::removeTree(out);
        ::mkdir(out.c_str(), 0700);
    }
}

TEST(FileMoves, MovesAFileToAnotherFileSystem)
{
    testing::TempHome home;
    struct stat here {}, shm {};
    if (::stat(home.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system beside the test's folder";
    char pattern[] = "/dev/shm/ikw-moves.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string other = pattern;
    const std::string from = testing::writeTestFile(home.file("a.txt"), "travels");
    testing::writeTestFile(other + "/a.txt", "stays");

    EXPECT_EQ(moveWithoutReplacing(from, other + "/a.txt").outcome, PlaceResult::Outcome::nameTaken);
    const PlaceResult moved = moveToUniqueName(from, other, "a.txt");
    EXPECT_EQ(moved.path, other + "/a 2.txt") << moved.message;
    EXPECT_EQ(testing::readTestFile(other + "/a 2.txt"), "travels");
    EXPECT_EQ(testing::readTestFile(other + "/a.txt"), "stays");
    EXPECT_EQ(::access(from.c_str(), F_OK), -1);
    EXPECT_EQ(testing::folderEntries(other).size(), 2u);
    testing::removeTree(other);
}


// A scratch folder on a file system other than the test home's, removed afterwards.
class OtherFileSystem {
public:
    explicit OtherFileSystem(const std::string& here)
    {
        struct stat local {}, shm {};
        if (::stat(here.c_str(), &local) != 0 || ::stat("/dev/shm", &shm) != 0 || local.st_dev == shm.st_dev)
            return;
        char pattern[] = "/dev/shm/ikw-moves.XXXXXX";
        if (::mkdtemp(pattern))
            m_path = pattern;
    }
    ~OtherFileSystem() { testing::removeTree(m_path); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

TEST(FileMoves, MovesAFolderToAnotherFileSystemWhole)
{
    testing::TempHome home;
    const OtherFileSystem other(home.path());
    if (other.path().empty())
        GTEST_SKIP() << "no second file system beside the test's folder";
    const std::string from = home.file("Notes");
    testing::writeTestFile(from + "/a.txt", "alpha");
    testing::writeTestFile(from + "/sub/b.txt", "beta");
    ASSERT_EQ(::symlink("sub/b.txt", (from + "/link").c_str()), 0);
    ::chmod((from + "/sub").c_str(), 0750);
    const bool keepsAttributes = ::setxattr((from + "/a.txt").c_str(), "user.ikw.docid", "D-7", 3, 0) == 0;
    testing::writeTestFile(other.path() + "/Notes/old.txt", "stays");

    const PlaceResult moved = moveToUniqueName(from, other.path(), "Notes");
    ASSERT_TRUE(moved) << moved.message;
    const std::string to = other.path() + "/Notes 2";
    EXPECT_EQ(moved.path, to);
    EXPECT_EQ(::access(from.c_str(), F_OK), -1) << "the source is gone";
    EXPECT_EQ(testing::folderEntries(to), (std::vector<std::string> { "a.txt", "link", "sub" }));
    EXPECT_EQ(testing::readTestFile(to + "/a.txt"), "alpha");
    EXPECT_EQ(testing::readTestFile(to + "/link"), "beta");
    char target[64] = {};
    const ssize_t length = ::readlink((to + "/link").c_str(), target, sizeof target);
    EXPECT_EQ(std::string(target, static_cast<std::size_t>(std::max<ssize_t>(0, length))), "sub/b.txt") << "still a link";
    EXPECT_EQ(testing::fileMode(to + "/sub"), 0750u);
    EXPECT_EQ(testing::readTestFile(other.path() + "/Notes/old.txt"), "stays");
    EXPECT_EQ(testing::folderEntries(other.path()), (std::vector<std::string> { "Notes", "Notes 2" })) << "no hidden copy left";
    const bool otherKeepsAttributes = ::setxattr((other.path() + "/Notes/old.txt").c_str(), "user.probe", "x", 1, 0) == 0;
    if (keepsAttributes && otherKeepsAttributes) {
        EXPECT_EQ(userAttribute(to + "/a.txt", "user.ikw.docid"), "D-7");
    }
}

TEST(FileMoves, AFailedCopyToAnotherFileSystemLeavesTheSourceWhole)
{
    testing::TempHome home;
    const OtherFileSystem other(home.path());
    if (other.path().empty())
        GTEST_SKIP() << "no second file system beside the test's folder";
    const std::string from = home.file("Notes");
    testing::writeTestFile(from + "/a.txt", "alpha");
    testing::writeTestFile(from + "/z/b.txt", "beta");
    // A socket cannot be copied: the copy fails after the first file went over.
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = from + "/m.sock";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    const PlaceResult result = moveWithoutReplacing(from, other.path() + "/Notes");
    ::close(listener);
    EXPECT_EQ(result.outcome, PlaceResult::Outcome::failed);
    EXPECT_EQ(testing::folderEntries(from), (std::vector<std::string> { "a.txt", "m.sock", "z" }));
    EXPECT_EQ(testing::readTestFile(from + "/z/b.txt"), "beta");
    EXPECT_EQ(testing::folderEntries(other.path()), std::vector<std::string> {});
}

}
}
