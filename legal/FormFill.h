#pragma once

#include "docops/ReviewPageOps.h"
#include "platform/core/FileSystem.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {
class ReviewWC;
class TaskQueue;
class UrlActions;
struct UrlAction;
}

namespace ikw::legal {

inline constexpr std::string_view unreadableFilledFormScript = "if(window.ikwToast){ikwToast('Could not read the filled form',true)}";

struct FormServices {
    // The gate's and the newer-on-disk questions, and the queue that serialises rewrites of a file.
    docops::PageOpServices pageOps;
    // Where form summaries are made.
    TaskQueue* workers = nullptr;
    // Where the filled form is written; tests make it fail.
    FileSystem* files = &realFileSystem();
};

// The file "fillform" may write: the `path` item, else `p`, else the window's document. Only an
// absolute path to an existing PDF that is one of the window's documents or lies in one of its
// folders is taken; none otherwise.
std::optional<std::string> fillTarget(const ReviewWC& window, const std::optional<std::string>& requested);

// "forminfo": the summary of the window's document for ikwFormInfo, made on the workers.
void sendFormInfo(ReviewWC& window, const FormServices& services);
// "fillform": writes the page's filled PDF over the document in place after the checks (unchanged
// on disk, confirmed), one rewrite of the file at a time, and tells the page how many fields it saved.
void fillForm(const UrlAction& action, const FormServices& services);

// "forminfo" and "fillform".
void registerActions(UrlActions& actions, FormServices services);

}
