#include "platform/core/LocaleFormat.h"

#include <glib.h>
#include <unicode/udat.h>
#include <unicode/ustring.h>

#include <array>
#include <memory>

namespace ikw {

std::string formatMediumDateShortTime(double secondsSince1970)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UDateFormat, void (*)(UDateFormat*)> format(
        udat_open(UDAT_SHORT, UDAT_MEDIUM, nullptr, nullptr, -1, nullptr, -1, &status), udat_close);
    if (U_FAILURE(status))
        return {};
    std::array<UChar, 128> text {};
    const int32_t length = udat_format(format.get(), secondsSince1970 * 1000.0, text.data(), text.size(), nullptr, &status);
    if (U_FAILURE(status))
        return {};
    std::array<char, 512> utf8 {};
    int32_t utf8Length = 0;
    u_strToUTF8(utf8.data(), utf8.size(), &utf8Length, text.data(), length, &status);
    if (U_FAILURE(status))
        return {};
    return std::string(utf8.data(), static_cast<std::size_t>(utf8Length));
}

std::string formatFileSize(std::int64_t bytes)
{
    const std::unique_ptr<char, void (*)(gpointer)> text(g_format_size(static_cast<guint64>(bytes < 0 ? 0 : bytes)), g_free);
    return text.get();
}

}
