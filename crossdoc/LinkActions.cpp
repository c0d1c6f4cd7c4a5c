#include "crossdoc/LinkActions.h"

#include "crossdoc/LinksController.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::crossdoc {

namespace {

using LinksAction = std::function<void(LinksController&, const UrlAction&)>;

UrlActions::Handler withLinks(const std::weak_ptr<LinksController>& links, LinksAction action)
{
    return [links, action = std::move(action)](const UrlAction& request) {
        if (const auto controller = links.lock())
            action(*controller, request);
    };
}

// Reads the sending page's passage, then hands it to the controller while it still exists.
LinksAction withEndpoint(void (LinksController::*step)(const Json&))
{
    return [step](LinksController& controller, const UrlAction& action) {
        readPageObject(action.web(), "__ikwLinkEndpoint", [weak = controller.weak_from_this(), step](const Json& endpoint) {
            if (const auto links = weak.lock())
                ((*links).*step)(endpoint);
        });
    };
}

}

void registerLinkActions(UrlActions& actions, std::weak_ptr<LinksController> links)
{
    actions.add("linkstart", withLinks(links, withEndpoint(&LinksController::beginLink)));
    actions.add("linkfinish", withLinks(links, withEndpoint(&LinksController::finishLink)));
    actions.add("linkcancel", withLinks(links, [](LinksController& controller, const UrlAction&) { controller.cancelLink(); }));
    actions.add("links", withLinks(links, [](LinksController& controller, const UrlAction& action) { controller.sendLinks(action.window); }));
    actions.add("linkjump", withLinks(links, [](LinksController& controller, const UrlAction& action) {
        controller.handleLinkJump(action.window.web);
    }));
    actions.add("linkopenpair", withLinks(links, [](LinksController& controller, const UrlAction& action) {
        if (const auto id = action.item("id"))
            controller.handleLinkOpenPair(*id, action.window.web);
    }));
    actions.add("linkdelete", withLinks(links, [](LinksController& controller, const UrlAction& action) {
        if (const auto id = action.item("id"))
            controller.deleteLink(*id);
    }));
    actions.add("linknote", withLinks(links, [](LinksController& controller, const UrlAction& action) {
        if (const auto id = action.item("id"))
            controller.setLinkNote(*id, action.item("note").value_or(""));
    }));
}

}
