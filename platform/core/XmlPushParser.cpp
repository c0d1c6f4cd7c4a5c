#include "platform/core/XmlPushParser.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstring>
#include <mutex>
#include <set>

namespace ikw {

namespace {

// libxml2 tells the encoding (a byte order mark, UTF-16) from the first four bytes.
constexpr std::size_t kEncodingProbeBytes = 4;

std::string_view view(const xmlChar* text)
{
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

XmlSaxHandler& handlerOf(void* context);
xmlEntityPtr onGetEntity(void* context, const xmlChar* name);
void onEntityDecl(void* context, const xmlChar* name, int type, const xmlChar*, const xmlChar*, xmlChar*);

void onStartElement(void* context, const xmlChar* name, const xmlChar** attributes)
{
    handlerOf(context).startElement(view(name), XmlAttributes(attributes));
}

void onEndElement(void* context, const xmlChar* name)
{
    handlerOf(context).endElement(view(name));
}

void onCharacters(void* context, const xmlChar* text, int length)
{
    if (length > 0)
        handlerOf(context).characters(std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
}

void onInternalSubset(void* context, const xmlChar* name, const xmlChar*, const xmlChar*)
{
    handlerOf(context).documentType(view(name));
}

void ignoreMessage(void*, const char*, ...) { }

// The element and text events, and an entity table that only remembers names: no resolver and
// no subset hook is set, so the parser has no way to load anything. Not the SAX2 magic: the SAX1
// element events report names as written.
xmlSAXHandler eventsOnly()
{
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = 1;
    sax.getEntity = onGetEntity;
    sax.entityDecl = onEntityDecl;
    sax.internalSubset = onInternalSubset;
    sax.startElement = onStartElement;
    sax.endElement = onEndElement;
    sax.characters = onCharacters;
    sax.cdataBlock = onCharacters;
    sax.warning = ignoreMessage;
    sax.error = ignoreMessage;
    sax.fatalError = ignoreMessage;
    return sax;
}

void initializeLibraryOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

}

std::optional<std::string_view> XmlAttributes::find(std::string_view name) const
{
    if (!m_pairs)
        return std::nullopt;
    for (const unsigned char* const* pair = m_pairs; pair[0]; pair += 2) {
        if (view(pair[0]) == name)
            return view(pair[1]);
    }
    return std::nullopt;
}

struct XmlPushParser::Context {
    explicit Context(XmlSaxHandler& handler) : handler(handler)
    {
        std::memset(&emptyEntity, 0, sizeof emptyEntity);
        emptyEntity.type = XML_ENTITY_DECL;
        emptyEntity.etype = XML_INTERNAL_PREDEFINED_ENTITY;
        emptyEntity.content = emptyContent;
    }
    ~Context()
    {
        // The parser hands the stand-in the text of a declaration (to keep for serialising).
        if (emptyEntity.orig)
            xmlFree(const_cast<xmlChar*>(emptyEntity.orig));
        if (!parser)
            return;
        // The parser keeps a stand-in document for the declarations of an internal subset even
        // without a tree; it is not freed with the context.
        if (parser->myDoc)
            xmlFreeDoc(parser->myDoc);
        xmlFreeParserCtxt(parser);
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    XmlSaxHandler& handler;
    xmlSAXHandler sax = eventsOnly();
    xmlParserCtxtPtr parser = nullptr;
    // The general entities the document declares, by name only. A reference to one reads as an
    // empty predefined entity: the document stays well-formed and nothing is expanded or loaded.
    std::set<std::string, std::less<>> declaredEntities;
    xmlChar emptyContent[1] = { 0 };
    xmlEntity emptyEntity;
};

namespace {

XmlPushParser::Context& contextOf(void* context)
{
    return *static_cast<XmlPushParser::Context*>(context);
}

XmlSaxHandler& handlerOf(void* context)
{
    return contextOf(context).handler;
}

xmlEntityPtr onGetEntity(void* context, const xmlChar* name)
{
    XmlPushParser::Context& parser = contextOf(context);
    return parser.declaredEntities.contains(view(name)) ? &parser.emptyEntity : nullptr;
}

void onEntityDecl(void* context, const xmlChar* name, int type, const xmlChar*, const xmlChar*, xmlChar*)
{
    if (type == XML_INTERNAL_GENERAL_ENTITY || type == XML_EXTERNAL_GENERAL_PARSED_ENTITY || type == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY)
        contextOf(context).declaredEntities.emplace(view(name));
}

}

XmlPushParser::XmlPushParser(XmlSaxHandler& handler) : m_handler(handler) { }
XmlPushParser::~XmlPushParser() = default;

void XmlPushParser::start(std::string_view firstBytes)
{
    initializeLibraryOnce();
    m_context = std::make_unique<Context>(m_handler);
    m_context->parser = xmlCreatePushParserCtxt(&m_context->sax, m_context.get(), firstBytes.data(), static_cast<int>(firstBytes.size()), nullptr);
    if (!m_context->parser) {
        m_failed = true;
        return;
    }
    // No network and no DTD. References are replaced by their text, so that "&amp;" in an
    // attribute reads "&"; the only entities there are the predefined ones and the empty stand-ins
    // of declared ones.
    xmlCtxtUseOptions(m_context->parser, XML_PARSE_NONET);
    m_context->parser->replaceEntities = 1;
    m_context->parser->loadsubset = 0;
    m_context->parser->validate = 0;
}

void XmlPushParser::feed(std::string_view piece)
{
    if (m_failed || m_finished)
        return;
    if (!m_context) {
        m_head.append(piece);
        if (m_head.size() < kEncodingProbeBytes)
            return;
        start(std::string_view(m_head).substr(0, kEncodingProbeBytes));
        if (m_failed)
            return;
        piece = std::string_view(m_head).substr(kEncodingProbeBytes);
    }
    while (!piece.empty() && !m_failed) {
        const std::size_t size = std::min<std::size_t>(piece.size(), INT_MAX / 2);
        if (xmlParseChunk(m_context->parser, piece.data(), static_cast<int>(size), 0) != 0 || !m_context->parser->wellFormed)
            m_failed = true;
        piece.remove_prefix(size);
    }
    m_head.clear();
    m_head.shrink_to_fit();
}

bool XmlPushParser::finish()
{
    if (m_finished)
        return !m_failed;
    if (!m_context && !m_failed) {
        // Fewer than four bytes in all.
        start(m_head);
        m_head.clear();
    }
    m_finished = true;
    if (m_failed)
        return false;
    if (xmlParseChunk(m_context->parser, nullptr, 0, 1) != 0 || !m_context->parser->wellFormed)
        m_failed = true;
    return !m_failed;
}

bool parseXml(std::string_view document, XmlSaxHandler& handler)
{
    XmlPushParser parser(handler);
    parser.feed(document);
    return parser.finish();
}

}
