#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// The attributes of a start tag, names as written ("r:id") and values with their references
// resolved. Valid during the startElement call only.
class XmlAttributes {
public:
    explicit XmlAttributes(const unsigned char* const* pairs) : m_pairs(pairs) { }
    std::optional<std::string_view> find(std::string_view name) const;

private:
    const unsigned char* const* m_pairs; // name, value, name, value, ..., null
};

// What an event-driven XML reader reports. Element names arrive as written in the document, with
// their prefix ("w:p", "r:id"): namespaces are not processed. Character data arrives in pieces of
// any size: collect it.
class XmlSaxHandler {
public:
    virtual ~XmlSaxHandler() = default;
    virtual void startElement(std::string_view name, const XmlAttributes& attributes) = 0;
    virtual void endElement(std::string_view name) = 0;
    virtual void characters(std::string_view text) = 0;
    // A document type declaration (<!DOCTYPE name ...>), which formats without DTDs may refuse.
    // Nothing it declares or names is ever loaded.
    virtual void documentType(std::string_view /*name*/) { }
};

// Reads an XML document handed over in pieces (libxml2's push parser), so that a large document
// is never held whole. It reads untrusted documents: it never touches the network, never loads a
// DTD or an external entity, and never expands a declared entity (a reference to one is dropped);
// the character references and the five predefined entities are resolved. CDATA sections count as
// character data. Messages about malformed input are not printed. One document per parser.
class XmlPushParser {
public:
    explicit XmlPushParser(XmlSaxHandler& handler);
    ~XmlPushParser();
    XmlPushParser(const XmlPushParser&) = delete;
    XmlPushParser& operator=(const XmlPushParser&) = delete;

    // Parses the next piece. After the first error the handler hears nothing more: what it heard
    // before stands, and later pieces are ignored.
    void feed(std::string_view piece);
    // The end of the document. True when it was well-formed throughout.
    bool finish();

    struct Context; // the library's state, reached by its callbacks

private:
    void start(std::string_view firstBytes);

    XmlSaxHandler& m_handler;
    std::unique_ptr<Context> m_context;
    std::string m_head; // the first bytes, kept until the encoding can be told from them
    bool m_failed = false;
    bool m_finished = false;
};

// Parses a whole document held in memory; true when well-formed.
bool parseXml(std::string_view document, XmlSaxHandler& handler);

}
