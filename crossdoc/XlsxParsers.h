#pragma once

#include "platform/core/XmlPushParser.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ikw::crossdoc {

// Event handlers for the XML parts of a spreadsheet package, one fresh object per part. Names are
// compared as written in the part ("r:id"), without namespace processing.

// xl/workbook.xml: the sheets in order, each as (name, relationship id).
class XlsxWorkbookParser final : public XmlSaxHandler {
public:
    void startElement(std::string_view name, const XmlAttributes& attributes) override;
    void endElement(std::string_view) override { }
    void characters(std::string_view) override { }

    std::vector<std::pair<std::string, std::string>> sheets;
};

// xl/_rels/workbook.xml.rels: relationship id to target path (a later duplicate wins).
class XlsxRelsParser final : public XmlSaxHandler {
public:
    void startElement(std::string_view name, const XmlAttributes& attributes) override;
    void endElement(std::string_view) override { }
    void characters(std::string_view) override { }

    std::map<std::string, std::string, std::less<>> map;
};

// xl/sharedStrings.xml: every item's text, all its runs included, in order.
class XlsxSharedParser final : public XmlSaxHandler {
public:
    void startElement(std::string_view name, const XmlAttributes& attributes) override;
    void endElement(std::string_view name) override;
    void characters(std::string_view text) override;

    std::vector<std::string> strings;
    bool inSI = false;
    std::string cur;
};

// A worksheet: each cell's reference and value text, each cell at most once. Shared-string cells
// are looked up in the workbook's strings; an inline string gives the text of all its runs.
class XlsxSheetParser final : public XmlSaxHandler {
public:
    explicit XlsxSheetParser(const std::vector<std::string>& shared) : shared(shared) { }

    void startElement(std::string_view name, const XmlAttributes& attributes) override;
    void endElement(std::string_view name) override;
    void characters(std::string_view text) override;
    // Records the current cell with this value, when both are non-empty.
    void emit(const std::string& value);

    std::vector<std::pair<std::string, std::string>> cells;
    const std::vector<std::string>& shared;
    std::string curRef;
    std::string curType;
    bool inV = false;
    bool inIS = false;
    std::string val;
};

}
