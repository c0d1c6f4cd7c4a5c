#pragma once

#include <string>
#include <string_view>

namespace ikw {

// The code points of UTF-8 text, one per lead byte; a sequence cut short at the end keeps the bits it has.
inline std::u32string utf8CodePoints(std::string_view utf8)
{
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(code);
        i += extra + 1;
    }
    return out;
}

}
