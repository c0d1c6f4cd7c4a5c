#pragma once

namespace ikw {
class TaskQueue;
class UrlActions;
}

namespace ikw::crossdoc {

// What cross-document search takes from the running application.
struct CrossDocServices {
    // The application's concurrent workers for work the user waits on.
    TaskQueue* workers = nullptr;
};

// The page actions of cross-document search: "readersearch".
void registerActions(UrlActions& actions, const CrossDocServices& services);

}
