#pragma once

#include <string>
#include <string_view>

namespace ikw::assistants {

// One progress line of the organizer as the organize page shows it.
struct OrganizeProgress {
    std::string text;
    long long step = 0;
    long long total = 0;
};

// The line without a leading "· " (middle dot and space), which the organizer puts before its
// steps.
std::string_view withoutProgressBullet(std::string_view line);

// A plan line: the first "<digits>/<digits>" in it gives the step and the total. A step that does
// not fit a number is 0, a total that does not is `documentCount`, and so is the total of a line
// without the pattern (its step is 0).
OrganizeProgress planProgress(std::string_view line, long long documentCount);
// An apply line carries no numbers: step and total are 0.
OrganizeProgress applyProgress(std::string_view line);

// The guarded call of the page's ikwOrgProgress.
std::string organizeProgressScript(const OrganizeProgress& progress);

}
