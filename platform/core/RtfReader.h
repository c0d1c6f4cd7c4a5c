#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ikw {

// One entry of a document's colour table.
struct RtfColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const RtfColor&) const = default;
};

// What an RTF reader reports of a document's body, in order. Destinations that hold no body text
// ({\*...} and the font, colour and style tables, the information group, pictures, headers,
// footers, field instructions) are skipped whole and report nothing, except the entries of the
// font and colour tables, which come through their own calls.
class RtfReaderHandler {
public:
    virtual ~RtfReaderHandler() = default;
    // Body text, decoded to UTF-8. Special characters written as control words (\tab, \emdash,
    // \lquote, \~, ...) arrive here as their characters.
    virtual void text(std::string_view utf8) = 0;
    // Every other control word (\par, \line, \cell, \b, \fs24, ...), for the handler to interpret.
    virtual void controlWord(std::string_view /*word*/, std::optional<int> /*parameter*/) { }
    // Groups of the body, so that a handler can keep formatting per group.
    virtual void groupStart() { }
    virtual void groupEnd() { }
    // An entry of the font table: the number that \fN refers to and the font's name, decoded.
    virtual void fontTableEntry(int /*number*/, std::string_view /*utf8Name*/) { }
    // The next entry of the colour table, from index 0 on; none for an entry without a colour
    // (the automatic colour, usually the first).
    virtual void colorTableEntry(std::optional<RtfColor> /*color*/) { }
};

// How the reading of a document went, for readers that refuse damaged input.
struct RtfReadSummary {
    bool closed = false;          // the document's outermost group was closed
    std::size_t deepestGroup = 0; // the deepest nesting of groups, the document's own counting 1
};

// Reads an RTF document: groups, control words, 8-bit text and \'hh escapes through the document's
// code page (\ansicpg, Windows-1252 when none is given; \mac, \pc and \pca too), \uN characters
// with the \ucN replacement characters skipped. It reads untrusted bytes: unbalanced braces, an
// escape cut off by the end and deep nesting end cleanly. False when the bytes do not begin with
// "{\rtf" (after white space); what came before the end of a damaged document has been reported.
bool readRtf(std::string_view rtf, RtfReaderHandler& handler);
// The same, telling how the document ended; none when the bytes are no RTF document.
std::optional<RtfReadSummary> readRtfDocument(std::string_view rtf, RtfReaderHandler& handler);

}
