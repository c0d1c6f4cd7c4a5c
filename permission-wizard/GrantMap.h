#pragma once

#include <map>
#include <string>
#include <string_view>

namespace ikw::wizard {

// The last probe result per permission id.
using GrantMap = std::map<std::string, bool, std::less<>>;

// Granted exactly when the map holds true for the id; a missing id counts as not granted.
inline bool isGrantedIn(const GrantMap& granted, std::string_view id)
{
    const auto found = granted.find(id);
    return found != granted.end() && found->second;
}

}
