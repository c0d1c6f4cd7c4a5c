#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ikw::pdf {

class Document;

// The labels a document gives its pages ("iv", "A-3", ...) through its /PageLabels number tree:
// ranges that each start at a page with a numbering style, a prefix and a first number. A value;
// read it from any thread.
class PageLabels {
public:
    // Reads the tree once; a document without one (or with an unreadable one) labels no page.
    static PageLabels read(const Document& document);

    // The page's label; none for a page before the first range and for an empty label.
    std::optional<std::string> labelOf(int index) const;
    bool isEmpty() const { return m_ranges.empty(); }

    struct Range {
        int firstPage = 0;
        char style = 0;        // 'D', 'R', 'r', 'A', 'a', or 0 for the prefix alone
        std::string prefix;
        long long firstNumber = 1;
    };

private:
    std::vector<Range> m_ranges; // by first page
};

// The number in a page-label style: decimal ("D"), roman ("R", "r": 4 is "IV", "iv") or letters
// ("A", "a": 27 is "AA", 28 "BB"). Numbers too large to spell sensibly are written in decimal.
std::string pageLabelNumber(char style, long long number);

}
