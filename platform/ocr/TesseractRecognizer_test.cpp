#include "platform/ocr/TesseractRecognizer.h"

#include "platform/ocr/testing/PrintedText.h"

#include <gtest/gtest.h>

#include <future>

namespace ikw::ocr {
namespace {

using testing::printedText;

// A small page: a few lines of large text is all the engine needs.
testing::PrintedImage smallPage(const std::vector<std::string>& lines)
{
    return printedText(lines, 24, 420, 240);
}

TEST(TesseractRecognizer, ReadsPrintedLinesInOrder)
{
    TesseractRecognizer recognizer;
    const auto page = smallPage({ "INVOICE 2024", "Total due" });
    EXPECT_EQ(recognizer.recognizeLines(page.view()), (std::vector<std::string> { "INVOICE 2024", "Total due" }));
}

TEST(TesseractRecognizer, BlankOrUnusableImagesGiveNoLines)
{
    TesseractRecognizer recognizer;
    const auto blank = smallPage({});
    EXPECT_TRUE(recognizer.recognizeLines(blank.view()).empty());

    const auto page = smallPage({ "INVOICE 2024" });
    ImageView shortRows = page.view();
    shortRows.bytesPerLine = page.width;
    ImageView fourChannels = page.view();
    fourChannels.bytesPerPixel = 4;
    for (const ImageView& view : { ImageView {}, shortRows, fourChannels })
        EXPECT_TRUE(recognizer.recognizeLines(view).empty());
}

TEST(TesseractRecognizer, ThreadsRecogniseSideBySide)
{
    TesseractRecognizer recognizer;
    const auto first = smallPage({ "INVOICE 2024" });
    const auto second = smallPage({ "Receipt 7781" });
    auto one = std::async(std::launch::async, [&] { return recognizer.recognizeLines(first.view()); });
    auto other = std::async(std::launch::async, [&] { return recognizer.recognizeLines(second.view()); });
    EXPECT_EQ(one.get(), std::vector<std::string> { "INVOICE 2024" });
    EXPECT_EQ(other.get(), std::vector<std::string> { "Receipt 7781" });
}

}
}
