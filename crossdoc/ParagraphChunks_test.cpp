#include "crossdoc/ParagraphChunks.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

using Chunks = std::vector<Chunk>;

Chunk para(const char* anchor, const char* body)
{
    return { "para", anchor, 0, body };
}

Chunk line(const char* anchor, const char* body)
{
    return { "line", anchor, 0, body };
}

TEST(ParagraphChunks, NumbersParagraphsAndLines)
{
    struct Case {
        const char* name;
        std::string text;
        bool lineBased;
        Chunks expected;
    };
    const Case cases[] = {
        { "a blank line ends a paragraph", "a\n\nb\nc\n", false, { para("¶1", "a"), para("¶2", "b c") } },
        { "blank lines count as lines", "x\n\n  \ny", true, { line("L1", "x"), line("L4", "y") } },
        { "CR LF leaves an empty line between its breaks", "one\r\ntwo\r\nthree", true,
            { line("L1", "one"), line("L3", "two"), line("L5", "three") } },
        { "CR LF also splits paragraphs", "a\r\nb", false, { para("¶1", "a"), para("¶2", "b") } },
        { "every line end breaks", "a\vb\fc\rd\u0085e\u2028f\u2029g", true,
            { line("L1", "a"), line("L2", "b"), line("L3", "c"), line("L4", "d"), line("L5", "e"), line("L6", "f"), line("L7", "g") } },
        { "lines stay untrimmed, paragraphs are trimmed", "  x\t\n\t y  \n z ", true,
            { line("L1", "  x\t"), line("L2", "\t y  "), line("L3", " z ") } },
        { "", "  x\t\n\t y  \n\n\n z ", false, { para("¶1", "x\t \t y"), para("¶2", "z") } },
        { "nothing to split", "", false, {} },
        { "", " \t\n\n", true, {} },
        { "leading blank lines are skipped", "\n\n\nfirst", false, { para("¶1", "first") } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(paragraphChunks(c.text, c.lineBased ? "line" : "para", c.lineBased ? "L" : "¶", c.lineBased), c.expected) << c.name;
}

}
}
