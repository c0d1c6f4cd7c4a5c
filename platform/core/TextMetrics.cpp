#include "platform/core/TextMetrics.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <memory>
#include <string>

namespace ikw {

namespace {

icu::UnicodeString toUnicode(std::string_view utf8)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

}

bool isValidUtf8(std::string_view text)
{
    std::string back;
    toUnicode(text).toUTF8String(back);
    return back == text;
}

std::size_t utf16Length(std::string_view utf8)
{
    return static_cast<std::size_t>(toUnicode(utf8).length());
}

std::size_t graphemeCount(std::string_view utf8)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status))
        return utf16Length(utf8);
    const icu::UnicodeString text = toUnicode(utf8);
    iterator->setText(text);
    std::size_t count = 0;
    for (int32_t boundary = iterator->next(); boundary != icu::BreakIterator::DONE; boundary = iterator->next())
        ++count;
    return count;
}

}
