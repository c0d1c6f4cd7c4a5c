#include "assistants/ReaderOutline.h"

#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::assistants {
namespace {

using pdf::testing::FixtureOutlineItem;

Json item(const std::string& title, int page, int level)
{
    return Json { { "title", title }, { "page", page }, { "level", level } };
}

TEST(ReaderOutline, FixturesGiveTheReaderTheirOutlineAnswers)
{
    ikw::testing::TempHome home;
    std::vector<FixtureOutlineItem> many(6000, FixtureOutlineItem { "Entry", 2 });
    struct Case {
        const char* name;
        std::string bytes;
        Json answer;
    };
    const std::vector<Case> cases {
        { "chapters with sections",
            pdf::testing::outlinedPdf(4,
                { { "Chapter 1", 1, { { "Section 1.1", 2 }, { "Section 1.2", 3, { { "Note", 3 } } } } }, { "Chapter 2", 4 } }),
            Json { { "ok", true }, { "hasOutline", true }, { "pageCount", 4 },
                { "items",
                    { item("Chapter 1", 1, 0), item("Section 1.1", 2, 1), item("Section 1.2", 3, 1), item("Note", 3, 2),
                        item("Chapter 2", 4, 0) } } } },
        { "no destination, a destination that is no page, blank and padded labels",
            pdf::testing::outlinedPdf(2, { { "Nowhere", 0 }, { "Not a page", 9 }, { " \t ", 1 }, { "\n  Résumé  \r\n", 2 } }),
            Json { { "ok", true }, { "hasOutline", true }, { "pageCount", 2 },
                { "items", { item("Nowhere", -1, 0), item("Not a page", -1, 0), item("", 1, 0), item("Résumé", 2, 0) } } } },
        { "no outline", pdf::testing::outlinedPdf(3, {}),
            Json { { "ok", true }, { "hasOutline", false }, { "items", Json::array() } } },
        { "not a PDF", "%PDF-1.7\nnothing here but words\n", Json { { "ok", false } } },
    };
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const std::string path = home.file("case" + std::to_string(index) + ".pdf");
        pdf::testing::writeFixture(path, cases[index].bytes);
        EXPECT_EQ(runOutline(path), cases[index].answer) << cases[index].name;
    }
    EXPECT_EQ(runOutline(home.file("gone.pdf")), Json({ { "ok", false } }));

    // The walk stops once it holds more than its limit.
    many[10].children = { { "Deep", 1 } };
    const std::string large = home.file("large.pdf");
    pdf::testing::writeFixture(large, pdf::testing::outlinedPdf(2, many));
    const Json answer = runOutline(large);
    ASSERT_EQ(answer["items"].size(), kOutlineItemLimit + 1);
    EXPECT_EQ(answer["items"][11], item("Deep", 1, 1));
    EXPECT_EQ(answer["items"][kOutlineItemLimit], item("Entry", 2, 0));
}

}
}
