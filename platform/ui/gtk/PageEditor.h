#pragma once

#include "platform/core/GObjectRef.h"
#include "platform/ui/PageEditor.h"

#include <gtk/gtk.h>
#include <gtksourceview/gtksource.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ikw::ui::gtk3 {

// The page editor on GTK 3: a toolbar, an optional notice and a scrolled GtkLayout canvas holding
// a GtkSourceView page (for its undo; no line numbers or highlighting). Each distinct style is one
// text tag; display colours are tags named "nightink-<rgba>" kept above every other tag and never
// read back into the text.
class PageEditor final : public ui::PageEditor {
public:
    explicit PageEditor(const EditorChrome& chrome);
    ~PageEditor() override;
    PageEditor(const PageEditor&) = delete;
    PageEditor& operator=(const PageEditor&) = delete;

    GtkWidget* widget() const { return m_root; }
    GtkWidget* textWidget() const { return m_view; }

    void setStatus(const std::string& text) override;
    std::string status() const override;
    void selectSegment(int controlIndex, int segment) override;
    void hideNotice() override;
    bool hasNotice() const override { return m_notice != nullptr; }

    ViewSize viewportSize() const override;
    double textHeight() override;
    void setPageFrame(double x, double y, double width, double height) override;
    ViewSize pageSize() const override { return m_pageSize; }
    ViewSize canvasSize() const override;
    void setCanvasSize(double width, double height) override;

    void setText(const std::vector<StyledParagraph>& paragraphs) override;
    std::vector<StyledParagraph> text() const override;
    std::string plainText() const override;
    int length() const override;
    CharRange selection() const override;
    void setSelection(CharRange range) override;
    std::vector<StyleSpan> spans(CharRange range) const override;
    void beginEdit() override;
    void endEdit() override;
    void setStyle(CharRange range, const TextStyle& style) override;
    void setAlignment(CharRange range, TextAlign align) override;
    TextStyle typingStyle() const override { return m_typing; }
    void setTypingStyle(const TextStyle& style) override { m_typing = style; }
    bool canUndo() const override;
    void undo() override;
    void redo() override;

    void setDisplayForeground(CharRange range, const Color& color) override;
    void clearDisplayColors(CharRange range) override;

    void chooseFont(const TextStyle& current, std::function<void(std::optional<FontChoice>)> chosen) override;
    void chooseColor(const std::optional<Color>& current, std::function<void(std::optional<Color>)> chosen) override;
    void focus() override;

    void setChangedHandler(std::function<void()> changed) override { m_changed = std::move(changed); }
    void setResizeHandler(std::function<void()> resized) override { m_resized = std::move(resized); }

    // The names of the display-colour tags at a character (tests).
    std::vector<std::string> displayTagsAt(int index) const;
    // The control widgets, in the order of the chrome's controls (tests).
    const std::vector<GtkWidget*>& controlWidgets() const { return m_controls; }
    GtkWidget* noticeWidget() const { return m_notice; }

private:
    void buildBar(const EditorChrome& chrome);
    void buildNotice(const EditorNotice& notice);
    void buildCanvas(const EditorLook& look);
    void applyCss(const EditorLook& look);
    GtkTextTag* tagFor(const TextStyle& style);
    GtkTextTag* alignTag(TextAlign align);
    std::optional<TextStyle> styleOfTags(GtkTextIter* at) const;
    TextAlign alignAt(const GtkTextIter& lineStart) const;
    void removeStyleTags(GtkTextIter* start, GtkTextIter* end);
    void raiseDisplayTags();
    void iterAt(GtkTextIter* iter, int offset) const;
    void scheduleResize();
    static void onInsertText(GtkTextBuffer*, GtkTextIter* at, gchar* text, gint length, gpointer self);
    static void onChanged(GtkTextBuffer*, gpointer self);
    static void onMarkSet(GtkTextBuffer*, GtkTextIter* at, GtkTextMark* mark, gpointer self);
    static void onSizeAllocate(GtkWidget*, GdkRectangle*, gpointer self);

    std::string m_name; // the widget names' prefix, unique to this editor
    std::vector<EditorControl> m_controlSpecs;
    std::optional<EditorNotice> m_noticeSpec;
    GtkWidget* m_root;  // owned
    GtkWidget* m_bar = nullptr;
    GtkWidget* m_status = nullptr;
    GtkWidget* m_notice = nullptr;
    GtkWidget* m_scroll = nullptr;
    GtkWidget* m_canvas = nullptr;
    GtkWidget* m_view = nullptr;
    GtkSourceBuffer* m_buffer = nullptr;
    std::vector<GtkWidget*> m_controls;
    GObjectRef<GtkCssProvider> m_css;
    std::map<GtkTextTag*, TextStyle> m_styleTags;
    std::map<std::string, GtkTextTag*> m_displayTags;
    TextStyle m_typing;
    ViewSize m_pageSize;
    double m_pageX = -1;
    double m_pageY = -1;
    ViewSize m_allocated;
    int m_loading = 0;   // text set by us: no typing styles, no change notices
    int m_editDepth = 0;
    int m_selecting = 0; // segments set by us: no actions
    bool m_resizePending = false;
    std::function<void()> m_changed;
    std::function<void()> m_resized;
    std::shared_ptr<PageEditor*> m_alive = std::make_shared<PageEditor*>(this);
};

}
