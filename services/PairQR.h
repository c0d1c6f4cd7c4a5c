#pragma once

#include <optional>
#include <string>

namespace ikw::services {

inline constexpr int kPairQRSide = 168;

// What the phone reads from the QR code: "inkwarden://pair?code=" and the code.
std::string pairQRPayload(const std::string& code);
// The QR code that pairs a phone with `code`, `side` pixels square, as PNG bytes: dark brown
// modules on paper white. None when it cannot be made.
std::optional<std::string> pairQRImage(const std::string& code, int side = kPairQRSide);

}
