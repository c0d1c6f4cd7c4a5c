#include "crossdoc/XlsxParsers.h"

#include "platform/core/Text.h"

namespace ikw::crossdoc {

namespace {

std::string attribute(const XmlAttributes& attributes, std::string_view name)
{
    return std::string(attributes.find(name).value_or(std::string_view()));
}

}

void XlsxWorkbookParser::startElement(std::string_view name, const XmlAttributes& attributes)
{
    if (name != "sheet")
        return;
    std::string sheetName(attributes.find("name").value_or("Sheet"));
    std::string id;
    for (const std::string_view key : { "r:id", "id", "relationships:id" }) {
        if (const auto value = attributes.find(key)) {
            id = *value;
            break;
        }
    }
    sheets.emplace_back(std::move(sheetName), std::move(id));
}

void XlsxRelsParser::startElement(std::string_view name, const XmlAttributes& attributes)
{
    if (name != "Relationship")
        return;
    const auto id = attributes.find("Id");
    const auto target = attributes.find("Target");
    if (id && target)
        map.insert_or_assign(std::string(*id), std::string(*target));
}

void XlsxSharedParser::startElement(std::string_view name, const XmlAttributes&)
{
    if (name == "si") {
        inSI = true;
        cur.clear();
    }
}

void XlsxSharedParser::endElement(std::string_view name)
{
    if (name == "si") {
        strings.push_back(std::move(cur));
        cur.clear();
        inSI = false;
    }
}

void XlsxSharedParser::characters(std::string_view text)
{
    if (inSI)
        cur.append(text);
}

void XlsxSheetParser::startElement(std::string_view name, const XmlAttributes& attributes)
{
    if (name == "c") {
        curRef = attribute(attributes, "r");
        curType = attribute(attributes, "t");
        val.clear();
    } else if (name == "v") {
        inV = true;
        val.clear();
    } else if (name == "is") {
        val.clear();
    } else if (name == "t" && curType == "inlineStr") {
        inIS = true;
    }
}

void XlsxSheetParser::endElement(std::string_view name)
{
    if (name == "v") {
        inV = false;
        if (curType != "s") {
            emit(val);
            return;
        }
        const auto index = parseInteger(val);
        if (index && *index >= 0 && static_cast<unsigned long long>(*index) < shared.size())
            emit(shared[static_cast<std::size_t>(*index)]);
    } else if (name == "t") {
        inIS = false;
    } else if ((name == "is" || name == "c") && curType == "inlineStr") {
        // An inline string is recorded once its last run is read (emit records a cell only once).
        emit(val);
    }
}

void XlsxSheetParser::characters(std::string_view text)
{
    if (inV || inIS)
        val.append(text);
}

void XlsxSheetParser::emit(const std::string& value)
{
    if (curRef.empty() || value.empty())
        return;
    cells.emplace_back(curRef, value);
    curRef.clear();
}

}
