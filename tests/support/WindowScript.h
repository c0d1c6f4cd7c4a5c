#pragma once

#include "platform/core/Text.h"

#include <map>
#include <string>

namespace ikw::testing {

// Shell functions for scripts that drive the built program under X: `window_of NAME` prints the
// id of the program's window titled NAME, and `wait_for NAME` waits up to 30 s for it and reports
// "NAME=<id>" (an empty id when it never came).
inline constexpr const char* kWindowWaitFunctions = R"sh(
window_of() { xwininfo -root -tree | awk -v t="\"$1\": (\"CulmoraPhotos\"" 'index($0, t) { print $1; exit }'; }
wait_for() { for _ in $(seq 150); do id=$(window_of "$1"); [ -n "$id" ] && { echo "$1=$id"; return; }; sleep 0.2; done; echo "$1="; }
)sh";

// The "key=value" lines of a script's output; a key missing from it reads as empty.
inline std::map<std::string, std::string> reportedValues(const std::string& output)
{
    std::map<std::string, std::string> values;
    for (const auto& line : split(output, '\n', false)) {
        if (const auto equals = line.find('='); equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

}
