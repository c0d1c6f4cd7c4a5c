#pragma once

#include "review/Panels.h"
#include "review/ReviewActions.h"
#include "review/ScriptMessages.h"
#include "review/UrlActions.h"
#include "review/UrlDispatcher.h"

#include <functional>
#include <memory>
#include <vector>

namespace ikw {

struct ReviewServices;

// The tables through which pages reach native code (URL actions and script messages of review
// windows, the panels' actions) and the panels themselves. The review layer fills its own rows;
// the composition root then lets every feature add its rows. Lives as long as the review layer.
struct PageBridge {
    explicit PageBridge(ui::Toolkit& toolkit, SettingsPanelFacts facts = {});

    UrlActions actions;
    ScriptMessages messages;
    std::shared_ptr<Panels> panels;
    UrlDispatcher dispatcher;
    // The open review windows; set once the window list exists.
    std::function<std::vector<std::shared_ptr<ReviewWC>>()> openWindows;
};

// Makes the bridge with the review layer's own rows and plugs it into `services`' navigation
// policy and message channel.
std::shared_ptr<PageBridge> installPageBridge(ReviewServices& services, SettingsPanelFacts facts = {},
    ReviewActionParts extraParts = {});

}
