#pragma once

#include "platform/core/Json.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The process-wide store of cross-document links: links.json in the application's support folder,
// a JSON array of link records in creation order. A record holds its two ends whole (`a`, marked
// first, and `b`), `created` (milliseconds since 1970), `id` (an upper-case UUID) and `note`. The
// file is read whole and written whole, pretty-printed with keys sorted at every level, and
// replaced atomically. Main thread only.
namespace ikw::crossdoc {

// The path of links.json; the support folder is created first (a failure shows at the next read
// or write).
std::string linksStorePath();

// Every record in store order; a missing, unreadable or damaged store (not an array of objects)
// reads as empty.
std::vector<Json> loadLinks();

// Writes the records as the whole store. A store that exists but does not read as one is kept
// as "links.json.bad" first, so that a damaged file is never overwritten unseen; when it cannot
// be kept, nothing is written. Failures reach the log only.
void saveLinks(const std::vector<Json>& links);

// The `path` of a link end when the end is an object whose `path` is a string.
std::optional<std::string> linkEndPath(const Json& end);

// The records with an end at `path` (end `a` first, else end `b`), in store order. Paths and ids of
// links compare as Unicode text (canonicallyEqual): composed and decomposed accents are equal.
std::vector<Json> linksInvolving(const std::string& path);

// A field that is a JSON integer (booleans and fractions are not).
std::optional<long long> integerField(const Json& object, std::string_view key);
// A field that is a JSON string.
std::optional<std::string> stringField(const Json& object, std::string_view key);

}
