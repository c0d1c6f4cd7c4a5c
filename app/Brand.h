#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// The product's branding, read from the bundle's brand.json with a built-in fallback.
struct Brand {
    std::string name;
    std::string tagline;
    std::string endorsement;
    std::string domain;
    std::string category;
    std::map<std::string, bool> modules;
    std::optional<std::string> paletteAccent;

    static Brand fallback();
    // From brand.json text: a key of the wrong type falls back alone; unreadable text gives the fallback.
    static Brand parse(std::string_view text);
    // From <resourcesDir>/brand.json.
    static Brand load(const std::string& resourcesDir);

    // Whether a feature module is on; false when it is not listed.
    bool has(std::string_view module) const;

    bool operator==(const Brand&) const = default;
};

}
