#pragma once

#include "services/MacPairBeacon.h"
#include "services/PairCode.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw {
class MenuCommands;
class PanelActions;
class ReviewWC;
}

namespace ikw::ui {
class Clipboard;
class Dialogs;
}

namespace ikw::services {

// What the pairing sheet and the two library moves reach around them. Without dialogs the actions
// do nothing; the other entries are optional.
struct PairingServices {
    std::shared_ptr<PairCodeStore> codes;
    std::shared_ptr<const MacPairBeacon> beacon;
    ui::Dialogs* dialogs = nullptr;
    ui::Clipboard* clipboard = nullptr;
    // The review the user works in, where the moves' toasts go.
    std::function<std::shared_ptr<ReviewWC>()> keyReviewWC {};
    std::function<void()> reloadSettingsPanelIfOpen {};
    // The sheet's QR code for a code (PNG bytes).
    std::function<std::optional<std::string>(const std::string& code)> qrImage {};
};

// The settings panel's pairing status, {"code","standing"} compact: standing "none" without a
// stored code (whatever the beacon holds), else "alone" (no beacon), "joined" (the beacon holds
// this code) or "split" (it holds another).
std::string syncStatusJSON(PairCodeStore& codes, const MacPairBeacon& beacon);

// The "Pair with iPhone" sheet: the computer's code (made now when it has none, and published
// unless another device published first) as a QR code and as text, which "Copy Code" copies.
void showPairSheet(const PairingServices& services);
// Offers to use the library the beacon names instead of this computer's own.
void joinAccountLibrary(const PairingServices& services);
// Offers to make this computer's library the one new devices join (the beacon is replaced).
void publishThisLibrary(const PairingServices& services);

// The settings panel's "pairsheet", "joinlibrary" and "publishlibrary".
void registerPairingPanelActions(PanelActions& actions, PairingServices services);
// The menu command "showPairSheet:" ("Pair with iPhone…").
void registerPairingMenuCommand(MenuCommands& commands, PairingServices services);

}
