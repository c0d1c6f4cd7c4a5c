#include "docops/PageEdits.h"

#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>

namespace ikw::docops {
namespace {

PageOpRequest request(std::initializer_list<std::pair<const char*, const char*>> items)
{
    PageOpRequest r;
    for (const auto& [name, value] : items) {
        const std::string key = name;
        auto& slot = key == "pages" ? r.pages : key == "page" ? r.page : key == "deg" ? r.deg : key == "at" ? r.at
            : key == "from" ? r.from : key == "to" ? r.to : r.order;
        slot = value;
    }
    return r;
}

TEST(PageEditsTest, QuestionsAndToastsOfEveryOperation)
{
    struct Case {
        std::optional<PageEdit> edit;
        std::string operation, action, verb, title, message, toast;
    };
    const Case cases[] = {
        { rotateEdit(request({ { "pages", "3,1,3" } }), "a.pdf"), "rotate", "rotate", "Rotate",
            "Rotate 2 pages in \u201Ca.pdf\u201D?", "This changes the saved file. You can rotate back the same way.",
            "Rotated 2 pages" },
        { rotateEdit(request({ { "page", "4" } }), "a.pdf"), "rotate", "rotate", "Rotate", "Rotate page 4 in \u201Ca.pdf\u201D?",
            "This changes the saved file. You can rotate back the same way.", "Rotated page 4" },
        { deleteEdit(request({ { "pages", "1,2,3" } }), "a.pdf"), "delete", "delete", "Delete",
            "Delete 3 pages from \u201Ca.pdf\u201D?", "This permanently removes 3 pages from the saved file.", "Deleted 3 pages" },
        { duplicateEdit(request({ { "pages", "5,2" } }), "a.pdf"), "duplicate", "duplicate", "Duplicate",
            "Duplicate page 5 in \u201Ca.pdf\u201D?", "This adds a copy of page 5 to the saved file.", "Duplicated page 5" },
        { insertBlankEdit(request({}), "a.pdf"), "insertblank", "insert", "Insert", "Insert a blank page into \u201Ca.pdf\u201D?",
            "This adds a blank page to the saved file. You can delete it the same way.", "Inserted a blank page" },
        { reorderEdit(request({ { "from", "0" }, { "to", "2" } }), "a.pdf"), "reorder", "reorder", "Move",
            "Move page 1 in \u201Ca.pdf\u201D?", "This reorders pages in the saved file.", "Moved page 1" },
        { reorderFullEdit(request({ { "order", "2,0,1" } }), "a.pdf", 3), "reorderfull", "reorder", "Apply",
            "Reorder 3 pages in \u201Ca.pdf\u201D?",
            "This saves the new page order into the file. You can rearrange again the same way.", "Reordered 3 pages" },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.edit) << c.title;
        EXPECT_EQ(c.edit->operation, c.operation);
        EXPECT_EQ(c.edit->question.action, c.action);
        EXPECT_EQ(c.edit->question.verb, c.verb);
        EXPECT_EQ(c.edit->question.title, c.title);
        EXPECT_EQ(c.edit->question.message, c.message);
        EXPECT_EQ(c.edit->successToast, c.toast);
    }
}

TEST(PageEditsTest, RequestsWithoutUsableInputAskNothing)
{
    const std::pair<const char*, std::optional<PageEdit>> cases[] = {
        { "rotate without pages", rotateEdit(request({}), "a.pdf") },
        { "empty pages hides page", rotateEdit(request({ { "pages", "" }, { "page", "2" } }), "a.pdf") },
        { "delete of words", deleteEdit(request({ { "pages", "x,y" } }), "a.pdf") },
        { "duplicate beyond 32 bits", duplicateEdit(request({ { "page", "4294967297" } }), "a.pdf") },
        { "from without to", reorderEdit(request({ { "from", "0" } }), "a.pdf") },
        { "to not an integer", reorderEdit(request({ { "from", "0" }, { "to", "" } }), "a.pdf") },
        { "from beyond 32 bits", reorderEdit(request({ { "from", "9223372036854775807" }, { "to", "0" } }), "a.pdf") },
        { "no order", reorderFullEdit(request({}), "a.pdf", 3) },
        { "order unchanged", reorderFullEdit(request({ { "order", "0,1,2" } }), "a.pdf", 3) },
        { "order too short", reorderFullEdit(request({ { "order", "2,0" } }), "a.pdf", 3) },
        { "order repeats", reorderFullEdit(request({ { "order", "2,0,0" } }), "a.pdf", 3) },
        { "order with a space", reorderFullEdit(request({ { "order", "2, 0,1" } }), "a.pdf", 3) },
    };
    for (const auto& [name, edit] : cases)
        EXPECT_FALSE(edit) << name;
}

TEST(PageEditsTest, InsertedDocumentTextsCountItsPages)
{
    const char* const message = "This adds the dropped pages to the saved file. You can remove them the same way.";
    struct Case {
        int pages;
        const char* title;
        const char* toast;
    };
    for (const Case c : { Case { 1, "Insert 1 page into \u201CBrief.pdf\u201D?", "Inserted 1 page" },
             Case { 5, "Insert 5 pages into \u201CBrief.pdf\u201D?", "Inserted 5 pages" } }) {
        auto inserted = std::make_shared<pdf::EditableDocument>(*pdf::EditableDocument::fromBytes(pdf::testing::numberedPdf(c.pages)));
        const PageEdit edit = insertDocumentEdit(inserted, 0, "Brief.pdf", message);
        EXPECT_EQ(edit.operation, "insertfile");
        EXPECT_EQ(edit.question.action, "insert");
        EXPECT_EQ(edit.question.verb, "Insert");
        EXPECT_EQ(edit.question.title, c.title);
        EXPECT_EQ(edit.question.message, message);
        EXPECT_EQ(edit.successToast, c.toast);
    }
}

}
}
