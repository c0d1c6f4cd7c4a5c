#include "platform/core/Identifiers.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ikw {
namespace {

TEST(Sha256OfFile, HashesTheWholeFileAcrossReadPieces)
{
    testing::TempHome home;
    std::string bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i)
        bytes += static_cast<char>((i * 131) % 251);
    const auto big = testing::writeTestFile(home.file("big.bin"), bytes);
    const auto empty = testing::writeTestFile(home.file("empty.bin"), "");
    EXPECT_EQ(sha256HexOfFile(big), sha256Hex(bytes));
    EXPECT_EQ(sha256HexOfFile(empty), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(Sha256OfFile, AnythingButARegularFileGivesNothing)
{
    testing::TempHome home;
    const auto fifo = home.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& path : { home.path(), home.file("missing.pdf"), fifo })
        EXPECT_FALSE(sha256HexOfFile(path)) << path;
}

}
}
