#pragma once

#include "platform/photos/PhotoLibrary.h"

#include <string>
#include <string_view>

namespace ikw::assistants {

// The answers the photo sort page gets for album work done here, as JSON text with the keys in
// the page's order. Titles and messages have their double quotes turned into apostrophes, as
// the page has always been given them, and are then quoted properly.

// {"moved":N,"dest":"the ‘Culmora Set Aside’ album in Photos"} or {"moved":0,"error":"..."}.
std::string setAsideAnswer(const photos::AlbumChange& change);
// {"filed":N,"album":"..."} (or "removed" for a removal) or {"filed":0,"error":"..."}.
std::string collectAnswer(bool removal, const photos::AlbumChange& change, const std::string& albumTitle);

// The call of a page callback with `answer`, ignored by a page without it.
std::string photoCallbackScript(std::string_view function, std::string_view answer);

}
