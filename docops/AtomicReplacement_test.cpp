#include "docops/AtomicReplacement.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>

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
    const pdf::Document replacement = *pdf::Document::fromBytes(pdf::testing::numberedPdf(5));
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
