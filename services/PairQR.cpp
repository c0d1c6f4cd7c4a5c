#include "services/PairQR.h"

#include "platform/imaging/QRCode.h"

namespace ikw::services {

std::string pairQRPayload(const std::string& code)
{
    return "inkwarden://pair?code=" + code;
}

std::optional<std::string> pairQRImage(const std::string& code, int side)
{
    return imaging::qrCodePng(pairQRPayload(code), {
        .modules = { 0.16, 0.13, 0.10 },
        .background = { 0.99, 0.97, 0.93 },
        .side = side,
    });
}

}
