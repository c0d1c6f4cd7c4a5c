#include "platform/pdf/PageLabels.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>

namespace ikw::pdf {
namespace {

// The labels of a document of `pages` blank text pages with the catalog entries.
std::vector<std::string> labelsOf(int pages, const std::string& catalogEntries)
{
    const auto document = Document::fromBytes(testing::textPdf(std::vector<testing::TextFixturePage>(static_cast<std::size_t>(pages)), catalogEntries));
    if (!document)
        return { "unreadable" };
    const PageLabels labels = PageLabels::read(*document);
    std::vector<std::string> out;
    for (int index = 0; index < pages; ++index)
        out.push_back(labels.labelOf(index).value_or("-"));
    return out;
}

TEST(PageLabels, ReadTheNumberTree)
{
    struct Case {
        const char* what;
        int pages;
        std::string catalog;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "no tree", 2, "", { "-", "-" } },
        { "roman front matter, then decimal", 6, "/PageLabels << /Nums [0 << /S /r >> 3 << /S /D >>] >>",
            { "i", "ii", "iii", "1", "2", "3" } },
        { "pages before the first range have none", 4, "/PageLabels << /Nums [2 << /S /r /St 4 >>] >>", { "-", "-", "iv", "v" } },
        { "prefix and start", 3, "/PageLabels << /Nums [0 << /S /D /P (A-) /St 8 >>] >>", { "A-8", "A-9", "A-10" } },
        { "prefix alone", 2, "/PageLabels << /Nums [0 << /P (Cover) >>] >>", { "Cover", "Cover" } },
        { "an empty label is none", 2, "/PageLabels << /Nums [0 << >> 1 << /S /R /St 1999 >>] >>", { "-", "MCMXCIX" } },
        { "letters go on doubled", 3, "/PageLabels << /Nums [0 << /S /A /St 26 >>] >>", { "Z", "AA", "BB" } },
        { "kids, out of order", 4, "/PageLabels << /Kids [<< /Nums [2 << /S /a >>] >> << /Nums [0 << /S /D /St 5 >>] >>] >>",
            { "5", "6", "a", "b" } },
        { "junk entries are passed over", 3, "/PageLabels << /Nums [(x) << /S /D >> 0 (y) -1 << /S /r >> 1 << /S /Q /P (p) >>] >>",
            { "-", "p", "p" } },
        { "a tree that is not a dictionary", 1, "/PageLabels [0 1]", { "-" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(labelsOf(c.pages, c.catalog), c.expected) << c.what;
}

TEST(PageLabels, CyclesAndDanglingReferencesEndTheWalk)
{
    // The catalog is its own label tree and lists itself twice as a kid: without care the walk
    // would branch forever.
    EXPECT_EQ(labelsOf(2, "/PageLabels 1 0 R /Kids [1 0 R 1 0 R] /Nums [0 << /S /r >>]"), (std::vector<std::string> { "i", "ii" }));
    EXPECT_EQ(labelsOf(1, "/PageLabels 9999 0 R"), std::vector<std::string> { "-" });
}

TEST(PageLabels, NumbersInEachStyle)
{
    EXPECT_EQ(pageLabelNumber('D', 12), "12");
    EXPECT_EQ(pageLabelNumber('r', 4), "iv");
    EXPECT_EQ(pageLabelNumber('R', 3999), "MMMCMXCIX");
    EXPECT_EQ(pageLabelNumber('R', 4000), "4000") << "beyond roman numerals";
    EXPECT_EQ(pageLabelNumber('a', 53), "aaa");
    EXPECT_EQ(pageLabelNumber('A', 1LL << 40), std::to_string(1LL << 40)) << "not a million letters";
    EXPECT_EQ(pageLabelNumber(0, 5), "");
}

}
}
