#pragma once

#include <string>
#include <string_view>

namespace ikw::setup {

// Takes the Full Disk Access banner off a review page.
inline constexpr std::string_view kFdaBannerRemovalScript = "var b=document.getElementById('__fdab'); if(b) b.remove();";

// The script that adds the Full Disk Access banner to a review page: once per page ("__fdab"),
// only on pages with a grid or a stage, with the application mark at `markPath` (none when it
// is empty). The path reaches the page only as a percent-encoded file URL, escaped for the
// attribute and quoted for the script, so no folder name can break out of either.
std::string fdaBannerScript(std::string_view markPath);

}
