#pragma once

#include "platform/core/Json.h"

#include <optional>
#include <string>

namespace ikw::services {

// The contract library's pairing metadata: one JSON object in a file of its own. The file is
// IKW_OAKRUNE_META when that is set, else oakrune.json in the product's data folder; the variable
// is read again on every call. Calls block their thread.
namespace OakruneMetaStore {

std::string path();
// The file's object; nothing when it is missing, does not parse or holds anything but an object.
std::optional<Json> read();
// Replaces the file atomically with the object (indented, keys sorted), creating its folders. A
// failure is logged and otherwise dropped: the next read finds the earlier file or none.
void write(const Json& object);
// Removes the file; a missing one is no failure.
void remove();

}

}
