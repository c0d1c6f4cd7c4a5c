#include "services/PairingActions.h"

#include "app/MenuCommands.h"
#include "platform/core/Json.h"
#include "platform/ui/Desktop.h"
#include "platform/ui/Dialogs.h"
#include "review/PanelRouter.h"
#include "review/ReviewWC.h"
#include "services/PairQR.h"

namespace ikw::services {

namespace {

constexpr int kFirstButton = 0;

void reloadPanel(const PairingServices& services)
{
    if (services.reloadSettingsPanelIfOpen)
        services.reloadSettingsPanelIfOpen();
}

void toastIn(const PairingServices& services, const std::string& message)
{
    if (!services.keyReviewWC)
        return;
    if (const auto review = services.keyReviewWC())
        review->toastJS(message);
}

std::optional<std::string> qrImageFor(const PairingServices& services, const std::string& code)
{
    return services.qrImage ? services.qrImage(code) : pairQRImage(code);
}

// A question with a yes button and "Cancel"; `yes` runs when the first was pressed.
void ask(const PairingServices& services, ui::AlertContent question, std::function<void()> yes)
{
    question.cancelButton = 1;
    question.keepAbove = true;
    services.dialogs->alert(nullptr, question, [yes = std::move(yes)](const ui::AlertAnswer& answer) {
        if (answer.button == kFirstButton)
            yes();
    });
}

const char* standingName(MacPairBeacon::Standing::Kind kind)
{
    switch (kind) {
    case MacPairBeacon::Standing::Kind::mine:
        return "joined";
    case MacPairBeacon::Standing::Kind::other:
        return "split";
    case MacPairBeacon::Standing::Kind::none:
        break;
    }
    return "alone";
}

bool usable(const PairingServices& services)
{
    return services.codes && services.beacon && services.dialogs;
}

}

std::string syncStatusJSON(PairCodeStore& codes, const MacPairBeacon& beacon)
{
    const std::string code = codes.pairCode(false);
    const char* standing = code.empty() ? "none" : standingName(beacon.standing(code).kind);
    try {
        return toJson(Json { { "code", code }, { "standing", standing } });
    } catch (const std::exception&) {
        // A hand-edited code that is not UTF-8 cannot be written as JSON.
        return "{}";
    }
}

void showPairSheet(const PairingServices& services)
{
    if (!usable(services))
        return;
    // One code for the text, the copy, the QR code and the beacon: were the settings unwritable,
    // every further ask would make another.
    const std::string code = services.codes->pairCode(true);
    const std::string shown = pairCodeDisplayForm(code);
    services.beacon->publish(code, false);
    ui::AlertContent sheet {
        .message = "Pair with iPhone",
        .informativeText = "Scan this with your iPhone camera \u2014 or in Inkwarden on the phone, tap Open (+) \u2192 "
                           "\u201CPair with your Mac\u201D and type the code.\n\n"
                           "Documents you read on this computer then follow you to your iPhone, at the exact page \u2014 "
                           "and your phone reading position comes back here.",
        .buttons = { "Copy Code", "Done" },
        .cancelButton = 1,
        .keepAbove = true,
        .image = ui::AlertImage { .png = qrImageFor(services, code).value_or(""), .width = kPairQRSide, .height = kPairQRSide },
        .label = ui::AlertLabel { .text = shown, .points = 26, .bold = true, .monospaced = true },
    };
    services.dialogs->alert(nullptr, sheet, [clipboard = services.clipboard, shown](const ui::AlertAnswer& answer) {
        if (answer.button == kFirstButton && clipboard)
            clipboard->setText(shown);
    });
}

void joinAccountLibrary(const PairingServices& services)
{
    if (!usable(services))
        return;
    const auto beacon = services.beacon->read();
    if (!beacon || *beacon == normalizedPairCode(services.codes->pairCode(false)))
        return;
    ask(services,
        {
            .message = "Use your other device's library on this computer?",
            .informativeText = "This computer will read and write the same library as your other devices, so the documents you "
                               "have been reading there show up here.\n\n"
                               "Anything this computer uploaded to its own library stays there. You can come back to it by "
                               "entering its code again.",
            .buttons = { "Use That Library", "Cancel" },
        },
        [services, code = *beacon] {
            services.codes->adopt(code);
            reloadPanel(services);
            toastIn(services, "This computer now uses your account's library");
        });
}

void publishThisLibrary(const PairingServices& services)
{
    if (!usable(services))
        return;
    const std::string code = services.codes->pairCode(false);
    if (code.empty())
        return;
    ask(services,
        {
            .message = "Make this computer's library the one new devices join?",
            .informativeText = "A new iPhone, iPad or computer signing in to your account will join THIS computer's library "
                               "instead of the one it would have joined.\n\n"
                               "Devices already paired do not move; this only changes what happens next.",
            .buttons = { "Use This Computer's Library", "Cancel" },
        },
        [services, code] {
            services.beacon->publish(code, true);
            reloadPanel(services);
            toastIn(services, "New devices will join this computer's library");
        });
}

void registerPairingPanelActions(PanelActions& actions, PairingServices services)
{
    actions.add("pairsheet", [services](const PanelAction&) { showPairSheet(services); });
    actions.add("joinlibrary", [services](const PanelAction&) { joinAccountLibrary(services); });
    actions.add("publishlibrary", [services](const PanelAction&) { publishThisLibrary(services); });
}

void registerPairingMenuCommand(MenuCommands& commands, PairingServices services)
{
    commands.add("showPairSheet:", [services = std::move(services)](const MenuUse&) { showPairSheet(services); });
}

}
