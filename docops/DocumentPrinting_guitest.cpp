#include "docops/DocumentPrinting.h"

#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/Printing.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace ikw::docops {
namespace {

TEST(DocumentPrintingOnGtk, ThePrintOperationWritesEveryPageTurnedToThePaper)
{
    ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)";
    ikw::testing::TempHome home;
    const pdf::Rect landscape { 0, 0, 792, 612 };
    std::optional<pdf::Document> document = pdf::Document::fromBytes(
        pdf::testing::numberedPdf({ { pdf::kLetterPage, 0 }, { landscape, 0 }, { pdf::kLetterPage, 90 } }));
    ASSERT_TRUE(document);
    ui::gtk3::Printing printing;
    const std::string exported = home.file("printed.pdf");
    printPdf(printing, nullptr, std::move(*document), "three pages", exported);
    EXPECT_TRUE(pdf::testing::qpdfCheckPasses(exported));
    const std::optional<pdf::Document> printed = pdf::Document::openFile(exported);
    ASSERT_TRUE(printed);
    ASSERT_EQ(printed->pageCount(), 3);
    // Every sheet is the paper, upright.
    for (int index = 0; index < 3; ++index) {
        const std::optional<pdf::Size> sheet = printed->pageSize(index, pdf::PageBox::Media);
        ASSERT_TRUE(sheet);
        EXPECT_LT(sheet->width, sheet->height) << index;
    }
    // The pages are drawn, not blank sheets.
    for (int index = 0; index < 3; ++index) {
        const std::optional<pdf::PageImage> image = pdf::renderPageImage(*printed, index, 0.5, pdf::PageBox::Media);
        ASSERT_TRUE(image);
        const long dark = std::count_if(image->pixels.begin(), image->pixels.end(), [](std::uint8_t v) { return v < 0x80; });
        EXPECT_GT(dark, 20) << index;
    }
}

}
}
