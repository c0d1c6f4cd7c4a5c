#pragma once

#include <set>
#include <string>
#include <string_view>

// Which files a Bates run stamps: PDFs and the common scanned-image formats.
namespace ikw::legal::BatesStamper {

inline constexpr std::string_view pdfExt = "pdf";

// Lower-case extensions of the images accepted.
const std::set<std::string, std::less<>>& imageExts();

enum class InputKind { none, pdf, image };

// By the file's extension, compared in lower case ("A.PDF" is a PDF).
InputKind inputKind(std::string_view path);

}
