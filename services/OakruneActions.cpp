#include "services/OakruneActions.h"

#include "app/MenuCommands.h"
#include "platform/core/ComputerName.h"
#include "platform/core/Log.h"
#include "platform/core/TextMetrics.h"
#include "platform/ui/Dialogs.h"
#include "review/PanelRouter.h"
#include "services/OakruneAnswer.h"

#include <exception>

namespace ikw::services {

namespace {

constexpr const char* kAgreementsKind = "agreements";
// Shown in the code field's placeholder: the shape of a code, not a real one.
constexpr const char* kExampleCode = "K7QM4X2P";

ui::AlertContent connectAlert(const std::string& deviceName)
{
    return ui::AlertContent {
        .message = "Connect to your Oakrune library",
        .informativeText = "In Oakrune, open Library \u2192 Connected devices \u2192 \u201CGenerate a connection code\u201D, then type "
                           "that code here. Codes last 10 minutes and work once.\n\n"
                           "This connection can see your agreements, and cannot send anything in your name.",
        .buttons = { "Connect", "Cancel" },
        .cancelButton = 1,
        .textFields = {
            { .text = "", .placeholder = std::string("Connection code (e.g. ") + kExampleCode + ")" },
            { .text = deviceName, .placeholder = "Name for this device" },
        },
    };
}

Json agreementObject(const OakrunePairing::ActionItem& item)
{
    return Json {
        { "id", item.id },
        { "item_id", item.itemId },
        { "title", item.title },
        { "rule", item.rule },
        { "message", item.message },
        { "due_date", item.dueDate },
        { "severity", item.severity },
    };
}

std::string statusJSONOf(const OakrunePairing& client)
{
    try {
        return toJson(client.statusJSONObject());
    } catch (const std::exception& error) {
        logLine(std::string("the contract-library status could not be written: ") + error.what());
        return "{}";
    }
}

}

std::string OakruneHooks::liveDeviceName()
{
    return computerName().value_or(std::string(OakrunePairing::defaultDeviceName));
}

void OakruneActions::alert(const std::string& message, const std::string& informativeText)
{
    m_hooks.dialogs.alert(nullptr, ui::AlertContent { .message = message, .informativeText = informativeText }, {});
}

std::string OakruneActions::oakruneStatusJSON() const
{
    return statusJSONOf(m_hooks.client());
}

void OakruneActions::oakruneConnect()
{
    // The computer's name may take a moment to learn from the system bus.
    m_hooks.workers.post([weak = weak_from_this(), deviceName = m_hooks.deviceName] {
        std::string name = deviceName ? deviceName() : std::string(OakrunePairing::defaultDeviceName);
        mainQueue().post([weak, name = std::move(name)] {
            if (const auto self = weak.lock())
                self->askForCode(name);
        });
    });
}

void OakruneActions::askForCode(const std::string& deviceName)
{
    m_hooks.dialogs.alert(nullptr, connectAlert(deviceName), [weak = weak_from_this()](ui::AlertAnswer answer) {
        const auto self = weak.lock();
        if (!self || answer.button != 0 || answer.fieldTexts.size() < 2)
            return;
        // The client reads the code for itself; only a code of nothing at all is not worth asking about.
        if (trimWhitespaceAndNewlines(answer.fieldTexts[0]).empty())
            return;
        self->claim(answer.fieldTexts[0], answer.fieldTexts[1]);
    });
}

void OakruneActions::claim(const std::string& code, const std::string& deviceName)
{
    inBackground(
        [code, deviceName](const OakrunePairing& client) { return oakruneAnswerOf([&] { return client.claim(code, deviceName); }); },
        [](OakruneActions& self, OakruneAnswer<OakrunePairing::Connection> claimed) {
            if (self.m_hooks.reloadSettingsPanelIfOpen)
                self.m_hooks.reloadSettingsPanelIfOpen();
            if (!claimed.value)
                self.alert("Couldn\u2019t connect to Oakrune", claimed.failure);
        });
}

void OakruneActions::oakruneDisconnect()
{
    try {
        m_hooks.client().disconnect();
    } catch (const std::exception& error) {
        logLine(std::string("the contract-library connection could not be removed: ") + error.what());
    }
    if (m_hooks.reloadSettingsPanelIfOpen)
        m_hooks.reloadSettingsPanelIfOpen();
    // Only one agreements panel is ever shown, as every opening replaces the last.
    if (m_hooks.closePanels)
        m_hooks.closePanels(kAgreementsKind);
}

void OakruneActions::openAgreements()
{
    if (m_hooks.closePanels)
        m_hooks.closePanels(kAgreementsKind);
    const OakrunePairing client = m_hooks.client();
    if (!client.isConnected()) {
        if (m_hooks.openPanel)
            m_hooks.openPanel(kAgreementsKind, { "--oakrunestatus", statusJSONOf(client) });
        return;
    }
    struct Fetched {
        std::string agreements;
        std::optional<std::string> error;
    };
    inBackground(
        [](const OakrunePairing& client) {
            const auto items = oakruneAnswerOf([&] { return client.actionItems(); });
            return items.value ? Fetched { agreementsJSON(*items.value), std::nullopt } : Fetched { "[]", items.failure };
        },
        [](OakruneActions& self, Fetched fetched) { self.showAgreementsPanel(fetched.agreements, fetched.error); });
}

void OakruneActions::showAgreementsPanel(const std::string& agreements, const std::optional<std::string>& error)
{
    // The status is made now, so that it shows the sync the fetch just recorded.
    std::vector<std::string> arguments { "--oakrunestatus", oakruneStatusJSON(), "--agreements", agreements };
    if (error) {
        arguments.emplace_back("--agreementserror");
        arguments.push_back(*error);
    }
    if (m_hooks.openPanel)
        m_hooks.openPanel(kAgreementsKind, arguments);
    if (m_hooks.reloadSettingsPanelIfOpen)
        m_hooks.reloadSettingsPanelIfOpen();
}

void OakruneActions::openAgreementFile(const std::string& id)
{
    inBackground(
        [id](const OakrunePairing& client) { return oakruneAnswerOf([&] { return client.downloadFile(id); }); },
        [](OakruneActions& self, OakruneAnswer<std::string> downloaded) {
            if (!downloaded.value) {
                self.alert("Couldn\u2019t open that agreement", downloaded.failure);
                return;
            }
            if (self.m_hooks.openReader)
                self.m_hooks.openReader(*downloaded.value);
        });
}

std::string agreementsJSON(const std::vector<OakrunePairing::ActionItem>& items)
{
    Json list = Json::array();
    for (const auto& item : items)
        list.push_back(agreementObject(item));
    try {
        return toJson(list);
    } catch (const std::exception& error) {
        logLine(std::string("the agreements could not be written for their panel: ") + error.what());
        return "[]";
    }
}

std::string liveOakruneStatusJSON()
{
    try {
        return statusJSONOf(OakrunePairing());
    } catch (const std::exception& error) {
        logLine(std::string("the contract-library status could not be read: ") + error.what());
        return "{}";
    }
}

void registerOakrunePanelActions(PanelActions& actions, std::shared_ptr<OakruneActions> oakrune)
{
    actions.add("oakconnect", [oakrune](const PanelAction&) { oakrune->oakruneConnect(); });
    actions.add("oakdisconnect", [oakrune](const PanelAction&) { oakrune->oakruneDisconnect(); });
    actions.add("agreements", [oakrune](const PanelAction&) { oakrune->openAgreements(); });
    actions.add("openagreement", [oakrune](const PanelAction& action) {
        const auto id = action.item("id");
        if (id && !id->empty())
            oakrune->openAgreementFile(*id);
    });
}

void registerOakruneMenuCommands(MenuCommands& commands, std::shared_ptr<OakruneActions> oakrune)
{
    commands.add("archiveToOakrune:", [oakrune](const MenuUse&) { oakrune->archiveToOakrune(); });
    commands.add("showAgreements:", [oakrune](const MenuUse&) { oakrune->showAgreements(); });
}

}
