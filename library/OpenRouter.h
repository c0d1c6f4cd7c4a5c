#pragma once

#include "library/Openers.h"
#include "platform/core/Json.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::library {

// Decides, for everything the application is asked to open, which window or application shows
// it. Main thread only; never reports an error (a missing path fails, if at all, where it opens).
class OpenRouter {
public:
    explicit OpenRouter(Openers& openers) : m_openers(openers) {}

    // What the system handed over: local paths, file URLs or "qeliz:" URLs, in order.
    void openURLs(const std::vector<std::string>& items);
    // One path or URL.
    void handle(const std::string& item);
    // One or more paths; a mode always means a review.
    void runEngine(const std::vector<std::string>& paths, const std::optional<std::string>& mode = std::nullopt);
    // A pair of documents, by the two-file setting.
    void routeTwoFileOpen(const std::vector<std::string>& paths);
    void routeMultiFileOpen(const std::vector<std::string>& paths);
    // Each path in a reader of its own, every reader carrying the whole set.
    void openEachIndividually(const std::vector<std::string>& paths);
    // A new document set, opened "together" or "separately".
    void applyDocumentSetMode(const std::string& mode, const std::vector<std::string>& paths);

private:
    void openReaderAlone(const std::string& path);

    Openers& m_openers;
};

// The two-file action: "two_file_drop_action_v2", else the legacy "two_file_drop_action", when a
// non-empty string; else "review". The word is not checked here.
std::string twoFileDropAction(const Json& settings);
// "together" or "separately" when "multidoc_open_mode" is exactly one of them.
std::optional<std::string> multidocOpenMode(const Json& settings);

}
