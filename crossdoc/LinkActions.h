#pragma once

#include <memory>

namespace ikw {
class UrlActions;
}

namespace ikw::crossdoc {

class LinksController;

// The page actions of cross-document links: "linkstart" and "linkfinish" (the passage in the
// page global __ikwLinkEndpoint), "linkcancel", "links", "linkjump" (the request in
// __ikwLinkJump), "linkopenpair" and "linkdelete" (item `id`) and "linknote" (items `id` and
// `note`). Without the controller (before it exists or once it is gone) they do nothing.
void registerLinkActions(UrlActions& actions, std::weak_ptr<LinksController> links);

}
