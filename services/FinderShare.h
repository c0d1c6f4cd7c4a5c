#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
}

namespace ikw::services {

struct FinderShareHooks {
    // The application opened something (no welcome page).
    std::function<void()> noteDidOpen;
    // Opens the one path as a normal review run.
    std::function<void(const std::string& path)> runEngine;
    // The open review windows, oldest first.
    std::function<std::vector<std::shared_ptr<ReviewWC>>()> windows;
    // Selects the review's tab and brings its window to the front, taking the focus.
    std::function<void(ReviewWC& review)> present;
    std::function<std::shared_ptr<ReviewWC>()> keyReviewWC;
    // Shares the reader (an online share from "finderservice").
    std::function<void(ReviewWC& reader)> share;
};

inline constexpr double kFinderShareFirstTry = 0.8;
inline constexpr double kFinderShareInterval = 0.5;
inline constexpr int kFinderShareTries = 12;

// A file handed over from the file manager to be shared: it is opened, its new reader is brought
// to the front as soon as it is open (once), and once the key window is a reader of that very file
// (0.8 s after the call, then every 0.5 s, 12 tries at most) that reader is shared. A reader of
// another document is never shared; when none appears the request ends silently. Main thread;
// each request counts its own tries.
void finderShare(const std::string& path, FinderShareHooks hooks);

// The path as readers record it: the home for a leading "~", "." and ".." resolved, no trailing
// "/".
std::string normalisedSharePath(const std::string& path);

}
