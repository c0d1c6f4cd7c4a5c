#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::finder {

// What the file-manager extension asked for through its hand-off URL
// ("qeliz://finder?action=open&count=2&path=%2Fa.pdf&path=%2Fb.pdf").
struct IkwFinderRequest {
    std::string action;             // "open" or "share"
    std::vector<std::string> paths; // absolute, in URL order, duplicates kept; never empty
    std::optional<std::int64_t> declaredCount; // the selection's size before the extension's cap

    bool operator==(const IkwFinderRequest&) const = default;

    // A request when `url` is a hand-off URL that names at least one usable path. Pure.
    static std::optional<IkwFinderRequest> parse(std::string_view url);
    // Refuses decoys and reads back URLs made by the extension's writer; reports on standard
    // output and standard error. True when every case passed.
    static bool selftest();
};

using FinderRequestParser = std::function<std::optional<IkwFinderRequest>(std::string_view url)>;

// The self-test over any parser, reporting to the given streams.
bool runFinderUrlSelftest(const FinderRequestParser& parse, std::ostream& out, std::ostream& err);

}
