#include "platform/ui/fake/FakePageEditor.h"

#include "platform/core/Utf8CodePoints.h"

#include <algorithm>

namespace ikw::ui::fake {
namespace {

std::string encode(char32_t code)
{
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

CharRange clamp(CharRange range, int length)
{
    range.start = std::clamp(range.start, 0, length);
    range.end = std::clamp(range.end, range.start, length);
    return range;
}

}

void FakePageEditor::selectSegment(int controlIndex, int segment)
{
    if (controlIndex < 0 || controlIndex >= static_cast<int>(chrome.controls.size()))
        return;
    if (auto* segments = std::get_if<EditorSegments>(&chrome.controls[controlIndex]))
        segments->selected = segment;
}

void FakePageEditor::setPageFrame(double x, double y, double width, double height)
{
    pageFrame = { x, y, width, height };
}

void FakePageEditor::resize(ViewSize size)
{
    viewport = size;
    if (m_resized)
        m_resized();
}

void FakePageEditor::setText(const std::vector<StyledParagraph>& paragraphs)
{
    m_chars.clear();
    m_styles.clear();
    m_aligns.clear();
    for (std::size_t p = 0; p < paragraphs.size(); ++p) {
        if (p > 0) {
            m_chars.push_back(U'\n');
            m_styles.push_back({});
        }
        for (const auto& run : paragraphs[p].runs) {
            for (const char32_t code : utf8CodePoints(run.text)) {
                m_chars.push_back(code);
                m_styles.push_back(run.style);
            }
        }
        m_aligns.push_back(paragraphs[p].align);
    }
    if (m_aligns.empty())
        m_aligns.push_back(TextAlign::Left);
    m_display.assign(m_chars.size(), std::nullopt);
    m_undo.clear();
    m_redo.clear();
    m_selection = {};
}

std::vector<StyledParagraph> FakePageEditor::text() const
{
    std::vector<StyledParagraph> paragraphs(1);
    paragraphs[0].align = m_aligns[0];
    for (std::size_t i = 0; i < m_chars.size(); ++i) {
        if (m_chars[i] == U'\n') {
            paragraphs.push_back({});
            paragraphs.back().align = m_aligns[paragraphs.size() - 1];
            continue;
        }
        auto& runs = paragraphs.back().runs;
        if (runs.empty() || !(runs.back().style == m_styles[i]))
            runs.push_back({ {}, m_styles[i] });
        runs.back().text += encode(m_chars[i]);
    }
    return paragraphs;
}

std::string FakePageEditor::plainText() const
{
    std::string out;
    for (const char32_t code : m_chars)
        out += encode(code);
    return out;
}

void FakePageEditor::setSelection(CharRange range)
{
    m_selection = clamp(range, length());
}

std::vector<StyleSpan> FakePageEditor::spans(CharRange range) const
{
    range = clamp(range, length());
    std::vector<StyleSpan> out;
    for (int i = range.start; i < range.end; ++i) {
        if (m_chars[i] == U'\n')
            continue;
        if (!out.empty() && out.back().range.end == i && out.back().style == m_styles[i])
            out.back().range.end = i + 1;
        else
            out.push_back({ { i, i + 1 }, m_styles[i] });
    }
    return out;
}

void FakePageEditor::beginEdit()
{
    if (m_editDepth++ == 0) {
        m_undo.push_back(state());
        m_redo.clear();
    }
}

void FakePageEditor::endEdit()
{
    if (--m_editDepth == 0)
        notifyChanged();
}

void FakePageEditor::setStyle(CharRange range, const TextStyle& style)
{
    range = clamp(range, length());
    for (int i = range.start; i < range.end; ++i)
        m_styles[i] = style;
}

int FakePageEditor::paragraphOf(int index) const
{
    return static_cast<int>(std::count(m_chars.begin(), m_chars.begin() + std::min(index, length()), U'\n'));
}

void FakePageEditor::setAlignment(CharRange range, TextAlign align)
{
    range = clamp(range, length());
    for (int p = paragraphOf(range.start); p <= paragraphOf(range.end); ++p)
        m_aligns[p] = align;
}

void FakePageEditor::restore(const State& saved)
{
    m_chars = saved.chars;
    m_styles = saved.styles;
    m_aligns = saved.aligns;
    m_display.assign(m_chars.size(), std::nullopt);
    m_selection = clamp(m_selection, length());
    notifyChanged();
}

void FakePageEditor::undo()
{
    if (m_undo.empty())
        return;
    m_redo.push_back(state());
    const State saved = m_undo.back();
    m_undo.pop_back();
    restore(saved);
}

void FakePageEditor::redo()
{
    if (m_redo.empty())
        return;
    m_undo.push_back(state());
    const State saved = m_redo.back();
    m_redo.pop_back();
    restore(saved);
}

void FakePageEditor::setDisplayForeground(CharRange range, const Color& color)
{
    range = clamp(range, length());
    for (int i = range.start; i < range.end; ++i)
        m_display[i] = color;
}

void FakePageEditor::clearDisplayColors(CharRange range)
{
    range = clamp(range, length());
    clearedRanges.push_back(range);
    for (int i = range.start; i < range.end; ++i)
        m_display[i].reset();
}

std::optional<Color> FakePageEditor::displayForegroundAt(int index) const
{
    return index >= 0 && index < length() ? m_display[index] : std::nullopt;
}

void FakePageEditor::type(const std::string& text)
{
    beginEdit();
    const std::u32string typed = utf8CodePoints(text);
    m_chars.replace(m_selection.start, m_selection.end - m_selection.start, typed);
    m_styles.erase(m_styles.begin() + m_selection.start, m_styles.begin() + m_selection.end);
    m_styles.insert(m_styles.begin() + m_selection.start, typed.size(), m_typing);
    m_display.erase(m_display.begin() + m_selection.start, m_display.begin() + m_selection.end);
    m_display.insert(m_display.begin() + m_selection.start, typed.size(), std::nullopt);
    const auto newParagraphs = std::count(typed.begin(), typed.end(), U'\n');
    m_aligns.insert(m_aligns.begin() + paragraphOf(m_selection.start), newParagraphs, m_aligns[paragraphOf(m_selection.start)]);
    m_aligns.resize(std::count(m_chars.begin(), m_chars.end(), U'\n') + 1, TextAlign::Left);
    const int caret = m_selection.start + static_cast<int>(typed.size());
    m_selection = { caret, caret };
    endEdit();
}

void FakePageEditor::notifyChanged()
{
    if (m_changed)
        m_changed();
}

}
