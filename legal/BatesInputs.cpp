#include "legal/BatesInputs.h"

#include "platform/core/Paths.h"

#include <algorithm>

namespace ikw::legal::BatesStamper {

const std::set<std::string, std::less<>>& imageExts()
{
    static const std::set<std::string, std::less<>> extensions {
        "jpg", "jpeg", "png", "tif", "tiff", "heic", "gif", "bmp",
    };
    return extensions;
}

InputKind inputKind(std::string_view path)
{
    std::string extension = pathExtension(path);
    std::ranges::transform(extension, extension.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    if (extension == pdfExt)
        return InputKind::pdf;
    return imageExts().contains(extension) ? InputKind::image : InputKind::none;
}

}
