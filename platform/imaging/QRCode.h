#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::imaging {

struct RgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
};

struct QRCodeLook {
    RgbColor modules;    // the dark squares
    RgbColor background; // the light ones and the quiet zone
    int side = 0;        // pixels, square
};

// `message` (as bytes) as a QR code with the highest error correction (H) and a quiet zone of one
// module, drawn `side` pixels square: each module is filled with the nearest pixels, never
// blurred, so that the squares stay sharp at any size. PNG bytes; none when the message does not
// fit a QR code or the side is not positive.
std::optional<std::string> qrCodePng(std::string_view message, const QRCodeLook& look);

}
