#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace ikw {

// One lexical piece of an RTF document.
struct RtfToken {
    enum class Kind {
        GroupStart,    // {
        GroupEnd,      // }
        ControlWord,   // \word or \wordN: `text` is the word, `parameter` its number
        ControlSymbol, // \ and one other character: `symbol` (a line end after \ reads as '\n')
        HexByte,       // \'hh: `byte`
        Text,          // a run of plain bytes, line ends left out: `text`
        Binary,        // the data after \binN: `text`
        End,           // the end of the input, also in the middle of an escape
    };

    Kind kind = Kind::End;
    std::string_view text;
    std::optional<int> parameter;
    char symbol = 0;
    unsigned char byte = 0;
};

// Cuts RTF bytes into tokens. It reads untrusted input: it never reads past the end, a number too
// large for an int is clamped, and an escape cut off by the end of the input ends the tokens.
// Tokens view the input: keep it alive while they are used.
class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view rtf) : m_rtf(rtf) { }

    RtfToken next();
    // Bytes read so far.
    std::size_t position() const { return m_position; }

private:
    RtfToken controlWord();
    RtfToken escape();
    RtfToken text();

    std::string_view m_rtf;
    std::size_t m_position = 0;
    std::size_t m_binaryPending = 0; // bytes of \bin data still to come
};

}
