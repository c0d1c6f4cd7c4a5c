#pragma once

#include "platform/core/TaskQueue.h"
#include "services/OakrunePairing.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {
class MenuCommands;
class PanelActions;
namespace ui {
class Dialogs;
}
}

namespace ikw::services {

// What the contract-library actions reach around them. Empty entries are skipped.
struct OakruneHooks {
    ui::Dialogs& dialogs;
    // Where the exchanges with the service run; it outlives the actions.
    TaskQueue& workers;
    // A client for one action, made with the environment in force when the action starts.
    std::function<OakrunePairing()> client = [] { return OakrunePairing(); };
    // The name the connect alert offers for this computer; called on `workers`.
    std::function<std::string()> deviceName = [] { return liveDeviceName(); };
    // The document of the front review window: an existing file, never a folder.
    std::function<std::optional<std::string>()> currentDocPath;
    std::function<void(const std::string& path)> openReader;
    std::function<void(const std::string& kind, const std::vector<std::string>& extraArgs)> openPanel;
    // Closes every panel of a kind and forgets the panels no longer shown.
    std::function<void(const std::string& kind)> closePanels;
    std::function<void()> reloadSettingsPanelIfOpen;
    // The product's name, which opens the "not connected" explanation.
    std::string brandName;

    // The computer's pretty name, else its host name, else "This computer".
    static std::string liveDeviceName();
};

// The application's side of the contract library: connecting with a code, disconnecting, the
// agreements panel, opening one agreement and archiving the front PDF. Called on the main thread;
// each exchange with the service runs on the workers with a client of its own and comes back to
// the main queue only while these actions still exist. A second request while one runs starts
// another, and each shows its own result.
class OakruneActions : public std::enable_shared_from_this<OakruneActions> {
public:
    // Owned by a shared pointer (std::make_shared), as its background work holds it weakly.
    explicit OakruneActions(OakruneHooks hooks) : m_hooks(std::move(hooks)) {}

    void oakruneConnect();
    void oakruneDisconnect();
    // The client's status object as compact JSON; "{}" when it cannot be written.
    std::string oakruneStatusJSON() const;
    void archiveToOakrune();
    void showAgreements() { openAgreements(); }
    // Replaces any agreements panel with one showing the connection and, when connected, the
    // agreements needing attention as the service lists them now.
    void openAgreements();
    // Downloads one agreement and opens it in a reader.
    void openAgreementFile(const std::string& id);

private:
    // Runs `work` (a client in, a result out) on the workers and hands its result to `done` on the
    // main queue, unless these actions are gone by then.
    template <typename Work, typename Done>
    void inBackground(Work work, Done done)
    {
        m_hooks.workers.post([weak = weak_from_this(), client = m_hooks.client, work = std::move(work), done = std::move(done)]() mutable {
            auto result = work(client());
            mainQueue().post([weak, result = std::move(result), done = std::move(done)]() mutable {
                if (const auto self = weak.lock())
                    done(*self, std::move(result));
            });
        });
    }
    void askForCode(const std::string& deviceName);
    void claim(const std::string& code, const std::string& deviceName);
    void showAgreementsPanel(const std::string& agreements, const std::optional<std::string>& error);
    void askToArchive(const std::string& path, const OakrunePairing::Connection& connection);
    void alert(const std::string& message, const std::string& informativeText);

    OakruneHooks m_hooks;
};

// The agreements panel's "--agreements" value: one object per item, in order, with exactly the
// members "id", "item_id", "title", "rule", "message", "due_date" and "severity"; "[]" when the
// items cannot be written.
std::string agreementsJSON(const std::vector<OakrunePairing::ActionItem>& items);

// The settings panel's "--oakrunestatus" value for the live client.
std::string liveOakruneStatusJSON();

// The settings panel's "oakconnect" and "oakdisconnect", and the agreements panel's "agreements"
// and "openagreement" (with its non-empty "id").
void registerOakrunePanelActions(PanelActions& actions, std::shared_ptr<OakruneActions> oakrune);
// "archiveToOakrune:" and "showAgreements:".
void registerOakruneMenuCommands(MenuCommands& commands, std::shared_ptr<OakruneActions> oakrune);

}
