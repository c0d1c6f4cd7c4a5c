#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::finder {

// Names for the one document a review window shows, worked out before anything moves.

// The new name a reader's rename field asks for: trimmed, only its last path component, and with
// the document's extension appended (in its own case) unless the typed name already ends in it,
// compared ignoring case. Nothing when the result is no usable name or the document's own name.
std::optional<std::string> readerRenameName(std::string_view documentPath, std::string_view typed);

// The name a rename dialog asks for, taken as typed once spaces and tabs are trimmed. Nothing when
// it is empty, the document's own name, or not a plain name ("a/b", "..").
std::optional<std::string> dialogRenameName(std::string_view documentPath, std::string_view typed);

// "stem copy.ext" ("name copy" without an extension): the first name a duplicate tries.
std::string copyName(std::string_view fileName);

// How many names a duplicate made from the menu tries before it gives up.
inline constexpr int kMostMenuCopyNames = 200;

// Where a duplicate made from the menu goes: "stem copy.ext", "stem copy 2.ext", ... up to the
// 200th name, the first at which nothing exists, else the 200th itself (a copy there fails
// instead of replacing). Nothing for a path without a file name.
std::optional<std::string> menuCopyPath(std::string_view documentPath);

}
