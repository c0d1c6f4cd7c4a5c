#pragma once

#include "review/UrlActions.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {

class Panels;
namespace ui {
class Clipboard;
class Workspace;
}

// What the review window's own actions reach beyond the window that sent them. An empty entry
// makes the actions that need it do nothing.
struct ReviewActionParts {
    ui::Workspace* workspace = nullptr;
    ui::Clipboard* clipboard = nullptr;
    Panels* panels = nullptr;
    std::function<std::vector<std::shared_ptr<ReviewWC>>()> openWindows;
    std::function<void(const std::vector<std::string>& paths)> recordRecent;
    std::function<void(const std::string& statId)> recordStat;
};

// The actions that the review window and the application shell answer themselves.
void registerActions(UrlActions& actions, ReviewActionParts parts);

}
