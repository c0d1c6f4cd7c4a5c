// Archiving the front window's PDF into the connected contract library.

#include "services/OakruneActions.h"

#include "platform/core/Paths.h"
#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"
#include "platform/ui/Dialogs.h"
#include "services/OakruneAnswer.h"

namespace ikw::services {

namespace {

std::string quoted(const std::string& text)
{
    return "\u201C" + text + "\u201D";
}

// The name without its extension ("Lease.v2" of "Lease.v2.pdf").
std::string stemOf(const std::string& name)
{
    const std::string extension = pathExtension(name);
    return extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
}

ui::AlertContent notConnectedAlert(const std::string& brandName)
{
    return ui::AlertContent {
        .message = "Not connected to a Oakrune library",
        .informativeText = brandName + " reads and compares documents on its own. Connecting a Oakrune library adds one thing: "
                                       "your executed agreements, with their renewal and notice deadlines, in this window.",
        .buttons = { "Open Settings", "Not now" },
        .cancelButton = 1,
    };
}

ui::AlertContent archiveQuestion(const std::string& name, const std::string& deviceName)
{
    return ui::AlertContent {
        .message = "Archive " + quoted(name) + " to your Oakrune library?",
        .informativeText = "It is uploaded to the library connected as " + quoted(deviceName)
            + ", where its terms can be tracked. The file on this computer is untouched.",
        .buttons = { "Archive", "Cancel" },
        .cancelButton = 1,
        .textFields = { { .text = stemOf(name), .placeholder = "Title in the library" } },
    };
}

}

void OakruneActions::archiveToOakrune()
{
    const std::optional<std::string> path = m_hooks.currentDocPath ? m_hooks.currentDocPath() : std::nullopt;
    if (!path) {
        alert("Open a document first", "Archiving sends the document in the front window to your Oakrune library.");
        return;
    }
    const std::string name = lastPathComponent(*path);
    // The file itself must be a PDF: a converted copy beside a word-processor file is not what the user has open.
    if (asciiLowercase(pathExtension(name)) != "pdf") {
        alert("The library takes PDFs", quoted(name) + " isn\u2019t a PDF. Save or export it as a PDF first, then archive it.");
        return;
    }
    const std::optional<OakrunePairing::Connection> connection = m_hooks.client().connection();
    if (!connection) {
        m_hooks.dialogs.alert(nullptr, notConnectedAlert(m_hooks.brandName), [weak = weak_from_this()](ui::AlertAnswer answer) {
            const auto self = weak.lock();
            if (self && answer.button == 0 && self->m_hooks.openPanel)
                self->m_hooks.openPanel("settings", {});
        });
        return;
    }
    if (!connection->canArchive()) {
        alert("This connection is read-only",
            "It can see your agreements but not add to them. Generate a new connection code in Oakrune with archive permission, "
            "then connect again from Settings.");
        return;
    }
    askToArchive(*path, *connection);
}

void OakruneActions::askToArchive(const std::string& path, const OakrunePairing::Connection& connection)
{
    const std::string name = lastPathComponent(path);
    m_hooks.dialogs.alert(nullptr, archiveQuestion(name, connection.deviceName), [weak = weak_from_this(), path, name](ui::AlertAnswer answer) {
        const auto self = weak.lock();
        if (!self || answer.button != 0)
            return;
        std::string title(trimWhitespaceAndNewlines(answer.fieldTexts.empty() ? std::string() : answer.fieldTexts.front()));
        if (title.empty())
            title = name;
        self->inBackground(
            [title, path](const OakrunePairing& client) { return oakruneAnswerOf([&] { return client.archive(title, path, false); }); },
            [title](OakruneActions& self, OakruneAnswer<std::monostate> archived) {
                if (!archived.value) {
                    self.alert("Couldn\u2019t archive that document", archived.failure);
                    return;
                }
                self.alert("Archived", quoted(title) + " is in your Oakrune library. Any renewal or notice deadline it carries will show up in "
                                                      "Agreements Needing Attention.");
                if (self.m_hooks.reloadSettingsPanelIfOpen)
                    self.m_hooks.reloadSettingsPanelIfOpen();
            });
    });
}

}
