#pragma once

#include "platform/ui/WebView.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw {

// Where a drop onto a review window goes.
enum class DropRoute {
    CompareIntake, // the compare-intake page fills its slots
    AskRail,       // a PDF reader asks its page whether the drop landed on the page rail
    Open,          // opened from this window (openHere)
};

struct DropTarget {
    bool isCompareIntake = false;
    bool isReader = false;
    std::string document; // the reader's document ("" for none)
    bool documentExists = false;
};

DropRoute routeDrop(const DropTarget& target, const std::vector<std::string>& paths);

// The dropped paths whose lower-cased name ends in ".pdf", in order.
std::vector<std::string> droppedPDFs(const std::vector<std::string>& paths);

// Two documents (not folders) of the kinds that open as a pair.
bool isDocumentPair(const std::vector<std::string>& paths);

// The question to the reader page: where, on the rail, did a drop at (x, y from the top) land?
std::string railDropScript(double x, double y);

// The page's answer: whether the drop is over the rail, and before which page.
struct RailAnswer {
    bool over = false;
    std::optional<int> at;
};
RailAnswer readRailAnswer(const ui::ScriptResult& result);

}
