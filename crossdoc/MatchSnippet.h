#pragma once

#include "platform/core/TextMetrics.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ikw::crossdoc {

// Which white space a snippet loses at its ends: tabs and every space separator, or only plain
// spaces and tabs.
enum class SnippetTrim { SpaceSeparators, SpacesAndTabs };

// The context of a match for a result list: from `radius` user-perceived characters before the
// match to `radius` after it (fewer at the text's ends), line feeds and carriage returns as blanks,
// trimmed; "…" in front when the context starts after the text's start and after it when it ends
// before the text's end. The match lies on character boundaries of `text`.
std::string matchSnippet(std::string_view text, TextRange match, std::size_t radius, SnippetTrim trim);

}
