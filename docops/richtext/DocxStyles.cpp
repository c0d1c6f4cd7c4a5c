#include "docops/richtext/DocxStyles.h"

#include "docops/richtext/PackagePart.h"
#include "platform/core/XmlPushParser.h"

#include <algorithm>

namespace ikw::richtext {

namespace {

constexpr std::string_view kStylesPart = "word/styles.xml";
constexpr std::string_view kThemePart = "word/theme/theme1.xml";
constexpr std::size_t kMaxChain = 32;

// The Latin typefaces of the theme's major and minor fonts.
class ThemeReader final : public XmlSaxHandler {
public:
    void startElement(std::string_view name, const XmlAttributes& attributes) override
    {
        if (name == "a:majorFont")
            m_font = &fonts.major;
        else if (name == "a:minorFont")
            m_font = &fonts.minor;
        else if (name == "a:latin" && m_font && m_font->empty())
            *m_font = std::string(attributes.find("typeface").value_or(""));
    }

    void endElement(std::string_view name) override
    {
        if (name == "a:majorFont" || name == "a:minorFont")
            m_font = nullptr;
    }

    void characters(std::string_view) override { }

    ThemeFonts fonts;

private:
    std::string* m_font = nullptr;
};

// The document defaults and the paragraph and character styles. Properties count only where
// they belong to the defaults or to a style itself: those of table-style parts and of tracked
// changes are passed over.
class StylesReader final : public XmlSaxHandler {
public:
    explicit StylesReader(StyleSheet& sheet) : m_sheet(sheet) { }

    void startElement(std::string_view name, const XmlAttributes& attributes) override
    {
        if (name == "w:style")
            startStyle(attributes);
        else if (parentIs(1, "w:rPr") && parentIs(2, "w:rPrDefault"))
            readRunProperty(name, attributes, m_sheet.theme, m_sheet.defaultRun);
        else if (name == "w:jc" && parentIs(1, "w:pPr") && parentIs(2, "w:pPrDefault"))
            m_sheet.defaultAlignment = alignmentOfJustification(attributes.find("w:val").value_or(""));
        else if (m_style && parentIs(1, "w:rPr") && parentIs(2, "w:style"))
            readRunProperty(name, attributes, m_sheet.theme, m_style->run);
        else if (m_style && name == "w:jc" && parentIs(1, "w:pPr") && parentIs(2, "w:style"))
            m_style->alignment = alignmentOfJustification(attributes.find("w:val").value_or(""));
        else if (m_style && name == "w:basedOn" && parentIs(1, "w:style"))
            m_style->basedOn = std::string(attributes.find("w:val").value_or(""));
        m_path.emplace_back(name);
    }

    void endElement(std::string_view name) override
    {
        if (!m_path.empty())
            m_path.pop_back();
        if (name == "w:style")
            m_style = nullptr;
    }

    void characters(std::string_view) override { }

private:
    // The element `levels` up from the one starting is `name`.
    bool parentIs(std::size_t levels, std::string_view name) const
    {
        return m_path.size() >= levels && m_path[m_path.size() - levels] == name;
    }

    void startStyle(const XmlAttributes& attributes)
    {
        const std::string_view type = attributes.find("w:type").value_or("paragraph");
        const auto id = attributes.find("w:styleId");
        if (!id || (type != "paragraph" && type != "character"))
            return;
        // A later definition of the same identifier replaces an earlier one.
        m_style = &(m_sheet.styles[std::string(*id)] = StyleDefinition());
        const auto isDefault = attributes.find("w:default");
        if (type == "paragraph" && (isDefault == "1" || isDefault == "true" || isDefault == "on"))
            m_sheet.defaultParagraphStyle = std::string(*id);
    }

    StyleSheet& m_sheet;
    StyleDefinition* m_style = nullptr;
    std::vector<std::string> m_path;
};

}

Result<DocxStyles> DocxStyles::read(const ZipArchive& archive)
{
    StyleSheet sheet;
    ThemeReader theme;
    if (const PartStatus status = parsePackagePart(archive, kThemePart, kMaxSupportPartBytes, theme); status != PartStatus::Missing) {
        if (status != PartStatus::Read)
            return partFailure(kThemePart, status, kMaxSupportPartBytes);
        sheet.theme = theme.fonts;
    }
    StylesReader styles(sheet);
    if (const PartStatus status = parsePackagePart(archive, kStylesPart, kMaxSupportPartBytes, styles);
        status != PartStatus::Read && status != PartStatus::Missing)
        return partFailure(kStylesPart, status, kMaxSupportPartBytes);
    return DocxStyles(std::move(sheet));
}

std::vector<const StyleDefinition*> DocxStyles::chain(std::string_view styleId) const
{
    std::vector<const StyleDefinition*> chain;
    while (chain.size() < kMaxChain) {
        const auto style = m_sheet.styles.find(styleId);
        if (style == m_sheet.styles.end() || std::find(chain.begin(), chain.end(), &style->second) != chain.end())
            break;
        chain.push_back(&style->second);
        styleId = style->second.basedOn;
    }
    return chain;
}

const ParagraphBase& DocxStyles::paragraphBase(std::optional<std::string_view> styleId)
{
    const std::string_view id = styleId && m_sheet.styles.contains(*styleId) ? *styleId : std::string_view(m_sheet.defaultParagraphStyle);
    if (const auto known = m_paragraphBases.find(id); known != m_paragraphBases.end())
        return known->second;
    ParagraphBase base { .run = m_sheet.defaultRun, .alignment = m_sheet.defaultAlignment.value_or(Alignment::Left) };
    const auto styles = chain(id);
    for (auto style = styles.rbegin(); style != styles.rend(); ++style) {
        base.run.overlay((*style)->run);
        if ((*style)->alignment)
            base.alignment = *(*style)->alignment;
    }
    return m_paragraphBases.emplace(std::string(id), std::move(base)).first->second;
}

const RunFormatting& DocxStyles::characterStyle(std::string_view styleId)
{
    static const RunFormatting kNone;
    if (!m_sheet.styles.contains(styleId))
        return kNone;
    if (const auto known = m_characterStyles.find(styleId); known != m_characterStyles.end())
        return known->second;
    RunFormatting formatting;
    const auto styles = chain(styleId);
    for (auto style = styles.rbegin(); style != styles.rend(); ++style)
        formatting.overlay((*style)->run);
    return m_characterStyles.emplace(std::string(styleId), std::move(formatting)).first->second;
}

}
