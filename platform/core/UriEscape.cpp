#include "platform/core/UriEscape.h"

#include <glib.h>

#include <memory>

namespace ikw {

std::string uriEscaped(std::string_view text, const char* reservedAllowed)
{
    const std::unique_ptr<char, decltype(&g_free)> escaped(
        g_uri_escape_string(std::string(text).c_str(), reservedAllowed, FALSE), &g_free);
    return escaped ? std::string(escaped.get()) : std::string(text);
}

}
