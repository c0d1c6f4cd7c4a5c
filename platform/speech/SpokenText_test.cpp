#include "platform/speech/SpokenText.h"

#include <gmock/gmock.h>

#include <cmath>

namespace ikw::speech {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> pieceTexts(const std::string& text, std::size_t maxCharacters = 300)
{
    std::vector<std::string> texts;
    for (const auto& piece : speechPieces(text, maxCharacters))
        texts.push_back(text.substr(piece.byteBegin, piece.byteEnd - piece.byteBegin) + (piece.endsSentence ? "|" : "~"));
    return texts;
}

TEST(SpeechPieces, CutAfterSentencesAndBlankLinesAndLongStretchesAtWhiteSpace)
{
    EXPECT_THAT(pieceTexts("One. Two! Three? Four"), ElementsAre("One. |", "Two! |", "Three? |", "Four|"));
    // A line break inside a sentence is no cut; a blank line is; a dot inside a word is none.
    EXPECT_THAT(pieceTexts("a line\nwith e.g.x\n\nnext"), ElementsAre("a line\nwith e.g.x\n\n|", "next|"));
    EXPECT_THAT(pieceTexts("aaa bbb ccc", 5), ElementsAre("aaa ~", "bbb ~", "ccc|"));
    // No white space at all: cut mid-word rather than grow without end.
    EXPECT_THAT(pieceTexts("abcdefgh", 3), ElementsAre("abc~", "def~", "gh|"));
    // White space alone is never a piece.
    EXPECT_THAT(pieceTexts("Done.   \n\n  "), ElementsAre("Done. |"));
    EXPECT_THAT(pieceTexts("  \n "), ElementsAre());
    EXPECT_THAT(pieceTexts(""), ElementsAre());
}

TEST(SpeechPieces, FirstCharactersCountCodePointsNotBytes)
{
    const std::string text = "\xC3\xA9t\xC3\xA9. \xF0\x9D\x84\x9E ok";
    const auto pieces = speechPieces(text);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1], (TextPiece { 7, text.size(), 5, true }));
}

TEST(CharacterIndex, MapsCharactersToUtf16Offsets)
{
    const CharacterIndex index("Hello \xF0\x9D\x84\x9E world");
    EXPECT_EQ(index.characterCount(), 13u);
    EXPECT_EQ(index.utf16Offset(6), 6u);
    EXPECT_EQ(index.utf16Offset(7), 8u);  // after the surrogate pair
    EXPECT_EQ(index.utf16Offset(8), 9u);  // "world"
    EXPECT_EQ(index.utf16Offset(13), 14u);
    EXPECT_EQ(index.utf16Offset(99), 14u);
}

TEST(SpeakableText, RepairsBadUtf8AndNul)
{
    EXPECT_EQ(speakableText(std::string("a\0b", 3)), "a b");
    EXPECT_EQ(speakableText("x\xFFy\xC3"), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
    EXPECT_EQ(speakableText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // an encoded surrogate
    EXPECT_EQ(speakableText("\xC3\xA9\xF0\x9D\x84\x9E"), "\xC3\xA9\xF0\x9D\x84\x9E");
}

TEST(LanguageTag, WritesRegionsInCapitals)
{
    const std::vector<std::pair<std::string, std::string>> cases {
        { "en-us", "en-US" }, { "en", "en" }, { "en-gb-scotland", "en-GB-scotland" }, { "en-gb-x-rp", "en-GB-x-rp" },
        { "en-029", "en-029" }, { "pt-br", "pt-BR" }, { "EN-US", "en-US" }, { "art-x-ab", "art-x-ab" },
    };
    for (const auto& [name, tag] : cases)
        EXPECT_EQ(languageTag(name), tag) << name;
}

TEST(WordsPerMinute, MapsTheRateScaleOntoEspeaksRange)
{
    const std::vector<std::pair<double, int>> cases {
        { 0.0, 80 }, { 0.25, 128 }, { 0.5, 175 }, { 0.75, 313 }, { 1.0, 450 }, { -1.0, 80 }, { 2.0, 450 }, { NAN, 175 }, { INFINITY, 175 },
    };
    for (const auto& [rate, words] : cases)
        EXPECT_EQ(wordsPerMinute(rate), words) << rate;
}

}
}
