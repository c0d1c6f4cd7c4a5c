#include "library/VersionRestore.h"

#include "platform/core/LocaleFormat.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Dialogs.h"
#include "review/ReviewWC.h"

#include <cmath>

namespace ikw::library {

namespace {

constexpr std::size_t kMenuLength = 8;

std::string choiceTitle(const VersionEntry& entry)
{
    return formatMediumDateShortTime(entry.seconds) + "   \u00b7   " + formatFileSize(entry.size);
}

bool isCurrentContent(const VersionEntry& entry, const std::optional<VersionFileFacts>& current)
{
    return current && static_cast<std::int64_t>(std::trunc(entry.seconds)) == current->modifiedSeconds && entry.size == current->size;
}

}

std::vector<VersionChoice> versionChoices(const std::vector<VersionEntry>& entries, const std::string& document,
    const std::optional<VersionFileFacts>& current)
{
    std::vector<VersionChoice> choices;
    for (const auto& entry : entries) {
        if (choices.size() == kMenuLength)
            break;
        if (!isCurrentContent(entry, current))
            choices.push_back({ choiceTitle(entry), entry.path, document });
    }
    return choices;
}

Json versionPayload(const VersionChoice& choice)
{
    return Json { { "snap", choice.snap }, { "doc", choice.doc } };
}

std::optional<VersionChoice> choiceFromPayload(const Json& payload)
{
    if (!payload.is_object())
        return std::nullopt;
    const auto snap = payload.find("snap");
    const auto doc = payload.find("doc");
    if (snap == payload.end() || doc == payload.end() || !snap->is_string() || !doc->is_string())
        return std::nullopt;
    return VersionChoice { {}, snap->get<std::string>(), doc->get<std::string>() };
}

void VersionRestore::snapshotVersionFile(const std::string& document)
{
    m_queue->post([weak = weak_from_this(), document] {
        if (const auto self = weak.lock())
            self->m_store.snapshotVersionFile(document);
    });
}

void VersionRestore::restorePreviousVersion(ReviewWC& window)
{
    if (window.sourcePaths.empty())
        return;
    const std::string document = window.sourcePaths.front();
    m_queue->post([weak = weak_from_this(), window = window.weak_from_this(), document] {
        const auto self = weak.lock();
        if (!self)
            return;
        auto choices = versionChoices(self->m_store.listVersionSnapshots(document), document, self->m_store.facts(document));
        mainQueue().post([weak, window, document, choices = std::move(choices)] {
            if (const auto self = weak.lock())
                self->offer(window, document, choices);
        });
    });
}

void VersionRestore::offer(const std::weak_ptr<ReviewWC>& window, const std::string& document, const std::vector<VersionChoice>& choices)
{
    const auto shown = window.lock();
    if (!shown || shown->isClosed())
        return;
    if (choices.empty()) {
        m_hooks.dialogs.alert(&shown->window(),
            ui::AlertContent {
                .message = "No earlier versions yet",
                .informativeText = "Inkwarden keeps recent copies of a document it has open, so you can bring one back if the file changes. There are no earlier versions of \u201c"
                    + lastPathComponent(document) + "\u201d to restore yet.",
            },
            {});
        return;
    }
    if (m_hooks.popUp)
        m_hooks.popUp(*shown, choices);
}

void VersionRestore::restoreVersionPick(const Json& payload)
{
    const auto choice = choiceFromPayload(payload);
    if (!choice)
        return;
    const ui::AlertContent question {
        .message = "Restore this version?",
        .informativeText = "This replaces \u201c" + lastPathComponent(choice->doc)
            + "\u201d on disk with the selected earlier copy. The current version is banked first, so you can switch back to it.",
        .buttons = { "Restore", "Cancel" },
    };
    m_hooks.dialogs.alert(nullptr, question, [weak = weak_from_this(), choice = *choice](ui::AlertAnswer answer) {
        if (answer.button != 0)
            return;
        if (const auto self = weak.lock())
            self->restore(choice);
    });
}

void VersionRestore::restore(const VersionChoice& choice)
{
    m_queue->post([weak = weak_from_this(), choice] {
        const auto self = weak.lock();
        if (!self)
            return;
        auto status = self->m_store.restoreVersion(choice.snap, choice.doc);
        mainQueue().post([weak, choice, status = std::move(status)] {
            if (const auto self = weak.lock())
                self->finishRestore(choice, status);
        });
    });
}

void VersionRestore::finishRestore(const VersionChoice& choice, const IoStatus& status)
{
    if (!status) {
        m_hooks.dialogs.alert(nullptr, ui::AlertContent { .message = "Could not restore that version", .informativeText = status.message() }, {});
        return;
    }
    // Readers of exactly this document bank it again, keep their view and reload in place.
    for (const auto& window : m_hooks.windows()) {
        if (window && !window->isClosed() && window->isReader && !window->sourcePaths.empty() && window->sourcePaths.front() == choice.doc)
            window->refreshReaderPreservingView();
    }
}

}
