#include "platform/core/XmlPushParser.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ikw {
namespace {

// Writes every event down: "<name attr=value>", "</name>" and text runs joined.
class EventLog : public XmlSaxHandler {
public:
    explicit EventLog(std::vector<std::string> attributes = {}) : m_attributes(std::move(attributes)) { }

    void startElement(std::string_view name, const XmlAttributes& attributes) override
    {
        std::string event = "<" + std::string(name);
        for (const std::string& attribute : m_attributes) {
            if (const auto value = attributes.find(attribute))
                event += " " + attribute + "=" + std::string(*value);
        }
        log.push_back(event + ">");
    }
    void endElement(std::string_view name) override { log.push_back("</" + std::string(name) + ">"); }
    void characters(std::string_view text) override
    {
        if (!log.empty() && log.back().front() == '"') {
            log.back().insert(log.back().size() - 1, text);
            return;
        }
        log.push_back("\"" + std::string(text) + "\"");
    }

    std::vector<std::string> log;

private:
    std::vector<std::string> m_attributes;
};

using Log = std::vector<std::string>;

TEST(XmlPushParser, ReportsQualifiedNamesAttributesAndText)
{
    EventLog events({ "r:id", "name" });
    const bool wellFormed = parseXml("<?xml version=\"1.0\"?>\n<w:doc xmlns:w=\"urn:x\" xmlns:r=\"urn:r\">"
                                     "<sheet name=\"A &amp; B\" r:id=\"rId1\"/>"
                                     "<t>caf&#233; &lt;x&gt;<![CDATA[<raw>]]></t></w:doc>",
        events);
    EXPECT_TRUE(wellFormed);
    EXPECT_EQ(events.log, (Log { "<w:doc>", "<sheet r:id=rId1 name=A & B>", "</sheet>", "<t>", "\"caf\u00e9 <x><raw>\"", "</t>", "</w:doc>" }));
}

TEST(XmlPushParser, PiecesOfAnySizeGiveTheSameEvents)
{
    const std::string document = "\xEF\xBB\xBF<a><b x=\"1\">long text \xC3\xA9 here</b><c/></a>";
    EventLog whole({ "x" });
    ASSERT_TRUE(parseXml(document, whole));
    for (const std::size_t size : { 1, 2, 3, 5, 7 }) {
        EventLog pieces({ "x" });
        XmlPushParser parser(pieces);
        for (std::size_t at = 0; at < document.size(); at += size)
            parser.feed(std::string_view(document).substr(at, size));
        EXPECT_TRUE(parser.finish());
        EXPECT_EQ(pieces.log, whole.log) << "pieces of " << size;
    }
}

TEST(XmlPushParser, MalformedInputKeepsWhatCameBefore)
{
    EventLog events;
    EXPECT_FALSE(parseXml("<a><b>one</b><c>two</a><d>never</d>", events));
    EXPECT_EQ(events.log, (Log { "<a>", "<b>", "\"one\"", "</b>", "<c>", "\"two\"" }));
    EventLog empty;
    EXPECT_FALSE(parseXml("", empty));
    EXPECT_TRUE(empty.log.empty());
}

TEST(XmlPushParser, NeverLoadsOrExpandsEntities)
{
    testing::TempHome home;
    const std::string secret = testing::writeTestFile(home.file("secret.txt"), "SECRET");
    const std::string dtd = testing::writeTestFile(home.file("x.dtd"), "<!ENTITY fromdtd \"DTD\">");
    const std::string document = "<!DOCTYPE a SYSTEM \"file://" + dtd + "\" [\n"
                                 "<!ENTITY ext SYSTEM \"file://" + secret + "\">\n"
                                 "<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
                                 "]><a><b>before &ext; after</b><c>&lol2;</c><d v=\"x&ext;y\">end</d></a>";
    class WithDocumentType final : public EventLog {
    public:
        using EventLog::EventLog;
        void documentType(std::string_view name) override { declared = name; }
        std::string declared;
    } events({ "v" });
    parseXml(document, events);
    EXPECT_EQ(events.declared, "a") << "the declaration is reported, for formats that refuse it";
    // The elements after the references still arrive; no entity's text or file shows.
    EXPECT_EQ(events.log, (Log { "<a>", "<b>", "\"before  after\"", "</b>", "<c>", "</c>", "<d v=x>", "\"end\"", "</d>", "</a>" }));
}

}
}
