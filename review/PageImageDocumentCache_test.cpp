#include "review/PageImageDocumentCache.h"

#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <thread>

namespace ikw::review {
namespace {

using ikw::testing::writeTestFile;

void setModificationTime(const std::string& path, std::time_t seconds)
{
    const timespec times[2] = { { seconds, 0 }, { seconds, 0 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class DocumentCache : public ::testing::Test {
protected:
    ikw::testing::TempHome home;
    PageImageDocumentCache cache;
    const std::string path = writeTestFile(home.file("doc.pdf"), pdf::testing::numberedPdf(2));
};

TEST_F(DocumentCache, ReopensOnlyWhenTheModificationTimeChanges)
{
    setModificationTime(path, 1'000'000);
    ASSERT_EQ(cache.documentFor(path)->pageCount(), 2);

    // New content under the old time: still the cached document.
    writeTestFile(path, pdf::testing::numberedPdf(5));
    setModificationTime(path, 1'000'000);
    EXPECT_EQ(cache.documentFor(path)->pageCount(), 2);

    setModificationTime(path, 1'000'001);
    EXPECT_EQ(cache.documentFor(path)->pageCount(), 5);

    // A file that no longer opens fails, and the entry stays for when it is whole again.
    writeTestFile(path, "broken");
    setModificationTime(path, 1'000'002);
    EXPECT_EQ(cache.documentFor(path), nullptr);
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(DocumentCache, EachThreadGetsItsOwnHandle)
{
    const std::shared_ptr<const pdf::Document> mine = cache.documentFor(path);
    EXPECT_EQ(cache.documentFor(path), mine);
    std::shared_ptr<const pdf::Document> theirs;
    std::thread([&] { theirs = cache.documentFor(path); }).join();
    ASSERT_TRUE(theirs);
    EXPECT_NE(theirs, mine);
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(DocumentCache, TheEighthDocumentEmptiesItWithoutFreeingHandlesInUse)
{
    const std::shared_ptr<const pdf::Document> held = cache.documentFor(path);
    for (int index = 1; index <= 6; ++index)
        cache.documentFor(writeTestFile(home.file("more-" + std::to_string(index) + ".pdf"), pdf::testing::numberedPdf(1)));
    EXPECT_EQ(cache.size(), 7u);
    cache.documentFor(writeTestFile(home.file("eighth.pdf"), pdf::testing::numberedPdf(1)));
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_TRUE(pdf::renderPageImage(*held, 1, 0.2, pdf::PageBox::Crop));
    EXPECT_NE(cache.documentFor(path), held);
}

}
}
