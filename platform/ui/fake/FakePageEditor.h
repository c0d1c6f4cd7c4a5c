#pragma once

#include "platform/ui/PageEditor.h"

#include <deque>
#include <string>
#include <vector>

namespace ikw::ui::fake {

// A page editor kept in memory: one style and display colour a character, an undo stack of whole
// states, and a viewport and text height the test sets.
class FakePageEditor final : public PageEditor {
public:
    explicit FakePageEditor(EditorChrome chrome) : chrome(std::move(chrome)) {}

    void setStatus(const std::string& text) override { chrome.status = text; }
    std::string status() const override { return chrome.status; }
    void selectSegment(int controlIndex, int segment) override;
    void hideNotice() override { chrome.notice.reset(); }
    bool hasNotice() const override { return chrome.notice.has_value(); }

    ViewSize viewportSize() const override { return viewport; }
    double textHeight() override { return laidOutHeight; }
    void setPageFrame(double x, double y, double width, double height) override;
    ViewSize pageSize() const override { return { pageFrame.width, pageFrame.height }; }
    ViewSize canvasSize() const override { return canvas; }
    void setCanvasSize(double width, double height) override { canvas = { width, height }; }

    void setText(const std::vector<StyledParagraph>& paragraphs) override;
    std::vector<StyledParagraph> text() const override;
    std::string plainText() const override;
    int length() const override { return static_cast<int>(m_chars.size()); }
    CharRange selection() const override { return m_selection; }
    void setSelection(CharRange range) override;
    std::vector<StyleSpan> spans(CharRange range) const override;
    void beginEdit() override;
    void endEdit() override;
    void setStyle(CharRange range, const TextStyle& style) override;
    void setAlignment(CharRange range, TextAlign align) override;
    TextStyle typingStyle() const override { return m_typing; }
    void setTypingStyle(const TextStyle& style) override { m_typing = style; }
    bool canUndo() const override { return !m_undo.empty(); }
    void undo() override;
    void redo() override;

    void setDisplayForeground(CharRange range, const Color& color) override;
    void clearDisplayColors(CharRange range) override;

    void chooseFont(const TextStyle&, std::function<void(std::optional<FontChoice>)> chosen) override { chosen(fontAnswer); }
    void chooseColor(const std::optional<Color>&, std::function<void(std::optional<Color>)> chosen) override { chosen(colorAnswer); }
    void focus() override { ++focused; }

    void setChangedHandler(std::function<void()> changed) override { m_changed = std::move(changed); }
    void setResizeHandler(std::function<void()> resized) override { m_resized = std::move(resized); }

    // The user types `text` over the selection in the typing style (one undo step, one notice).
    void type(const std::string& text);
    // The display colour shown at a character, if any.
    std::optional<Color> displayForegroundAt(int index) const;
    // Every range whose display colours were cleared, in order.
    std::vector<CharRange> clearedRanges;
    void resize(ViewSize size);

    EditorChrome chrome;
    ViewSize viewport { 800, 600 };
    double laidOutHeight = 20;
    struct Frame {
        double x = 0, y = 0, width = 0, height = 0;
    } pageFrame;
    ViewSize canvas;
    int focused = 0;
    std::optional<FontChoice> fontAnswer;
    std::optional<Color> colorAnswer;

private:
    struct State {
        std::u32string chars;
        std::vector<TextStyle> styles;
        std::vector<TextAlign> aligns; // one a paragraph
    };
    State state() const { return { m_chars, m_styles, m_aligns }; }
    void restore(const State& saved);
    int paragraphOf(int index) const;
    void notifyChanged();

    std::u32string m_chars;
    std::vector<TextStyle> m_styles;
    std::vector<std::optional<Color>> m_display;
    std::vector<TextAlign> m_aligns { TextAlign::Left };
    CharRange m_selection;
    TextStyle m_typing;
    std::vector<State> m_undo, m_redo;
    int m_editDepth = 0;
    std::function<void()> m_changed;
    std::function<void()> m_resized;
};

}
