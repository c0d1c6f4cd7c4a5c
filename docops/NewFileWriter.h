#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::docops {

// Writes `bytes` as a new file in `folder` named `stem` + ".pdf", or, when that name is taken,
// `stem` + " (2).pdf", " (3).pdf" and so on. An existing file is never replaced, even one that
// appears while this runs. The file's path, or none when it could not be written.
std::optional<std::string> writeNewPdf(std::string_view bytes, const std::string& folder, const std::string& stem);

}
