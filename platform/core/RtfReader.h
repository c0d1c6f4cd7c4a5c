#pragma once

#include <optional>
#include <string_view>

namespace ikw {

// What an RTF reader reports of a document's body, in order. Destinations that hold no body text
// ({\*...} and the font, colour and style tables, the information group, pictures, headers,
// footers, field instructions) are skipped whole and report nothing.
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
};

// Reads an RTF document: groups, control words, 8-bit text and \'hh escapes through the document's
// code page (\ansicpg, Windows-1252 when none is given; \mac, \pc and \pca too), \uN characters
// with the \ucN replacement characters skipped. It reads untrusted bytes: unbalanced braces, an
// escape cut off by the end and deep nesting end cleanly. False when the bytes do not begin with
// "{\rtf" (after white space); what came before the end of a damaged document has been reported.
bool readRtf(std::string_view rtf, RtfReaderHandler& handler);

}
