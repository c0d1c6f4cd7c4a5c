#include "legal/Signing.h"

#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::legal {

void registerActions(UrlActions& actions, std::weak_ptr<Signing> signing)
{
    const auto add = [&actions, signing](const char* name, std::function<void(Signing&, const UrlAction&)> run) {
        actions.add(name, [signing, run = std::move(run)](const UrlAction& action) {
            if (const auto shared = signing.lock())
                run(*shared, action);
        });
    };
    add("sigvaultload", [](Signing& s, const UrlAction& action) { s.vault.pushSignatureVault(action.window); });
    add("sigvaultsave", [](Signing& s, const UrlAction& action) { s.vault.saveSignatureVault(action.window); });
    add("signimport", [](Signing& s, const UrlAction& action) { signImportImage(action.window, s.copies); });
    add("signsave", [](Signing& s, const UrlAction& action) { signSave(action, s.copies); });
    add("signrun", [](Signing& s, const UrlAction& action) { s.runs.openSignRun(action.paths()); });
    add("signrunnext", [](Signing& s, const UrlAction& action) { s.runs.stepSignRun(action.window, 1); });
    add("signrunprev", [](Signing& s, const UrlAction& action) { s.runs.stepSignRun(action.window, -1); });
}

}
