#include "platform/core/BoundedFileRead.h"

#include "tests/support/TempHome.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

namespace ikw {
namespace {

using Status = BoundedFileRead::Status;

TEST(BoundedFileRead, ReadsRegularFilesWithinTheBoundOnly)
{
    testing::TempHome home;
    const std::string file = testing::writeTestFile(home.file("ten.txt"), "0123456789");
    const std::string link = home.file("link.txt");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    const std::string fifo = home.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    EXPECT_EQ(readRegularFileWithin(file, 10).bytes, "0123456789");
    EXPECT_EQ(readRegularFileWithin(link, 10).status, Status::Read) << "links are followed";
    EXPECT_EQ(readRegularFileWithin(file, 9).status, Status::TooLarge);
    EXPECT_EQ(readRegularFileWithin(fifo, 10).status, Status::NotRegular) << "a FIFO is never waited on";
    EXPECT_EQ(readRegularFileWithin(home.path(), 10).status, Status::NotRegular);
    const BoundedFileRead missing = readRegularFileWithin(home.file("absent"), 10);
    EXPECT_EQ(missing.status, Status::Failed);
    EXPECT_EQ(missing.error, ENOENT);

    // The head of a file: never too large, no more than asked for.
    EXPECT_EQ(readRegularFileHead(file, 4).bytes, "0123");
    EXPECT_EQ(readRegularFileHead(file, 100).bytes, "0123456789");
    EXPECT_EQ(readRegularFileHead(file, 0).status, Status::Read);
    EXPECT_EQ(readRegularFileHead(fifo, 4).status, Status::NotRegular);
}

}
}
