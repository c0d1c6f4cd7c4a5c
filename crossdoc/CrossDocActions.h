#pragma once

#include <memory>

namespace ikw {
class TaskQueue;
class UrlActions;
}

namespace ikw::crossdoc {

class LinksController;

// What cross-document search takes from the running application.
struct CrossDocServices {
    // The application's concurrent workers for work the user waits on.
    TaskQueue* workers = nullptr;
    // The application's cross-document links.
    std::weak_ptr<LinksController> links {};
};

// The page actions of cross-document search ("readersearch") and of the links between passages
// (see LinkActions.h).
void registerActions(UrlActions& actions, const CrossDocServices& services);

}
