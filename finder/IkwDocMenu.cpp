#include "finder/IkwDocMenu.h"

#include "finder/ReaderFileActions.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Text.h"
#include "platform/ui/Toolkit.h"
#include "review/ReviewWC.h"

#include <iterator>
#include <utility>
#include <string_view>

namespace ikw::finder {

namespace {

constexpr double kSecondSweepSeconds = 0.5;

// Makes the window's tab the shown one and brings the window to the front.
void forward(ReviewWC& window)
{
    auto& frame = window.window();
    for (int index = 0; index < frame.tabCount(); ++index) {
        if (frame.tab(index) == window.web)
            frame.selectTab(index);
    }
    frame.present();
}

// Runs a step that may be missing (its feature not there).
template<typename Step, typename... Args>
void call(const Step& step, Args&&... args)
{
    if (step)
        step(std::forward<Args>(args)...);
}

}

std::shared_ptr<IkwDocMenu> IkwDocMenu::create(DocMenuServices services)
{
    return std::shared_ptr<IkwDocMenu>(new IkwDocMenu(std::move(services)));
}

void IkwDocMenu::scheduleAttachSweep()
{
    attachAll();
    mainQueue().postAfter(kSecondSweepSeconds, [weak = weak_from_this()] {
        if (const auto menu = weak.lock())
            menu->attachAll();
    });
}

void IkwDocMenu::attachAll()
{
    if (!m_services.windows)
        return;
    for (const auto& review : m_services.windows()) {
        if (!review || review->isClosed() || review->window().hasTabMenuProvider())
            continue;
        review->window().setTabMenuProvider([weak = weak_from_this()](const std::shared_ptr<ui::WebView>& tab) {
            const auto menu = weak.lock();
            return menu && tab ? menu->tabMenu(*tab) : ui::TabMenu {};
        });
    }
}

std::shared_ptr<ReviewWC> IkwDocMenu::windowShowing(const ui::WebView& tab) const
{
    if (!m_services.windows)
        return nullptr;
    for (auto& review : m_services.windows()) {
        if (review && !review->isClosed() && review->web.get() == &tab)
            return review;
    }
    return nullptr;
}

ui::TabMenu IkwDocMenu::tabMenu(const ui::WebView& tab)
{
    const auto window = windowShowing(tab);
    if (!window)
        return {};
    std::vector<ui::MenuItem> entries;
    const FileSystem& files = *m_services.files.files;
    if (!window->sourcePaths.empty()) {
        const std::string& path = window->sourcePaths.front();
        if (files.exists(path) && !files.isDirectory(path))
            entries = items(window.get(), path, true);
    }
    auto own = tabItems(window->window().tabCount() > 1);
    if (!entries.empty() && !own.empty())
        entries.push_back(ui::MenuItem::makeSeparator());
    std::move(own.begin(), own.end(), std::back_inserter(entries));

    ui::MenuResponder responder;
    // After the menu has gone: a command may close the tab, and the menu with its window.
    responder.perform = [weakMenu = weak_from_this(), weakWindow = std::weak_ptr(window)](const ui::MenuItem& item) {
        mainQueue().post([weakMenu, weakWindow, item] {
            if (const auto menu = weakMenu.lock())
                menu->run(item, weakWindow);
        });
    };
    return ui::TabMenu { std::make_shared<const ui::Menu>(ui::Menu { .title = {}, .items = std::move(entries) }), std::move(responder) };
}

std::vector<ui::MenuItem> IkwDocMenu::items(const ReviewWC* window, const std::string& path, bool header)
{
    DocMenuState state;
    state.hasWindow = window && !window->isClosed();
    state.extension = asciiLowercase(pathExtension(path));
    state.fileExists = m_services.files.files->exists(path);
    if (state.hasWindow) {
        state.editorOpen = window->editor.editorHost != nullptr;
        state.probeAnswered = window->editProbe.editProbeEditable.has_value();
        state.isPdfEdit = window->isPdfEdit;
        state.isReader = window->isReader;
        if (m_services.wordAppURL && m_services.wordDocExts.contains(state.extension)) {
            if (const auto word = m_services.wordAppURL())
                state.wordProcessor = word->name.empty() ? std::string("Word Processor") : word->name;
        }
    }
    const auto choices = m_services.openWith ? openWithChoices(*m_services.openWith, path) : std::vector<OpenWithChoice> {};
    return docMenuItems(state, path, choices, header);
}

void IkwDocMenu::run(const ui::MenuItem& item, const std::weak_ptr<ReviewWC>& weakWindow)
{
    const std::string& word = item.command;
    if (word.empty() || !item.representedObject.is_string())
        return;
    const auto window = weakWindow.lock();
    const bool windowOpen = window && !window->isClosed();
    if (word == "movetab" || word == "closetab") {
        if (windowOpen)
            runTabCommand(word, *window);
        return;
    }
    const std::string path = item.representedObject.get<std::string>();
    if (!m_services.files.files->exists(path)) {
        m_services.files.toolkit->beep();
        return;
    }
    if (!runFileCommand(word, path) && windowOpen)
        runWindowCommand(word, path, *window);
}

void IkwDocMenu::runTabCommand(const std::string& word, ReviewWC& window)
{
    if (word == "movetab")
        window.moveToNewWindow();
    else
        window.closeTab();
}

bool IkwDocMenu::runFileCommand(const std::string& word, const std::string& path)
{
    ui::Toolkit& toolkit = *m_services.files.toolkit;
    if (word.starts_with(kOpenAppPrefix))
        toolkit.workspace().openFileWith(path, word.substr(std::string_view(kOpenAppPrefix).size()));
    else if (word == "word")
        call(m_services.openInWord, path);
    else if (word == "reveal")
        toolkit.workspace().revealFile(path);
    else if (word == "enclosing")
        toolkit.workspace().openFile(parentPath(path));
    else if (word == "getinfo")
        toolkit.workspace().showItemProperties(path);
    else if (word == "duplicate")
        duplicatePath(m_services.files, path);
    else if (word == "copyfile")
        toolkit.clipboard().setFiles({ path });
    else if (word == "copypath")
        toolkit.clipboard().setText(path);
    else if (word.starts_with("shareBy"))
        shareBy(m_services.files, word, path);
    else
        return false;
    return true;
}

void IkwDocMenu::runWindowCommand(const std::string& word, const std::string& path, ReviewWC& window)
{
    if (word == "edit" || word == "stopedit") {
        call(m_services.editDocument, window, word == "stopedit");
    } else if (word == "save" || word == "savecopy") {
        forward(window);
        call(word == "save" ? m_services.saveEditorDocNow : m_services.saveEditorCopy, window);
    } else if (word == "rename") {
        renameDoc(m_services.files, window);
    } else if (word == "compress") {
        call(m_services.compressFile, window, path);
    } else if (!window.isReader) {
        return;
    } else if (word == "shareonline") {
        forward(window);
        call(m_services.shareOnline, window);
    } else if (word == "shrink") {
        forward(window);
        call(m_services.compressPDF, window);
    } else if (word == "print") {
        forward(window);
        window.webView().evaluate("if(window.__ikwPrint){__ikwPrint()}");
    }
}

}
