#include "legal/SignatureBridge.h"

#include "platform/core/Json.h"
#include "platform/core/Log.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"

namespace ikw::legal {
namespace {

constexpr const char* kReadLegacyList = "(function(){try{return localStorage.getItem('ikwSignatures')||''}catch(e){return ''}})()";
constexpr const char* kRemoveLegacyList = "try{localStorage.removeItem('ikwSignatures')}catch(e){}";
constexpr const char* kVaultOutGlobal = "window.__ikwSigVaultOut || ''";

std::optional<std::string> stringResult(const ui::ScriptResult& result)
{
    if (result.value && result.value->is_string())
        return result.value->get<std::string>();
    return std::nullopt;
}

const char* boolText(bool value)
{
    return value ? "true" : "false";
}

}

VaultCalls VaultCalls::of(SignatureVault& vault)
{
    return VaultCalls {
        .state = [&vault] { return vault.state(); },
        .write = [&vault](std::string_view payload) { return vault.write(payload); },
        .clear = [&vault] { return vault.clear(); },
    };
}

SignatureBridge::SignatureBridge(VaultCalls vault, LogSink log)
    : m_vault(std::move(vault))
    , m_log(log ? std::move(log) : LogSink([](std::string_view line) { logLine(line); }))
{
}

void SignatureBridge::pushSignatureVault(ReviewWC& window) const
{
    using Kind = SignatureVault::State::Kind;
    const SignatureVault::State state = m_vault.state ? m_vault.state() : SignatureVault::State::unknown();
    const std::string text = state.kind == Kind::found ? state.text : std::string("[]");
    const bool known = state.kind != Kind::unknown;
    window.webView().evaluate("if(window.ikwSignaturesLoad){try{ikwSignaturesLoad(" + jsQuote(text) + "," + boolText(known) + ")}catch(e){}}");
    migrateLegacySignatures(window, state);
}

void SignatureBridge::migrateLegacySignatures(ReviewWC& window, const SignatureVault::State& vaultState) const
{
    using Kind = SignatureVault::State::Kind;
    if (vaultState.kind == Kind::unknown) {
        m_log("[ikw] legacy signature migration SKIPPED: vault state unknown (locked or unreadable), not risking an overwrite");
        return;
    }
    const bool vaultWasEmpty = vaultState.kind == Kind::empty;
    std::weak_ptr<ReviewWC> weakWindow = window.weak_from_this();
    std::weak_ptr<ui::WebView> weakView = window.web;
    window.webView().evaluate(kReadLegacyList, [vault = m_vault, log = m_log, weakWindow, weakView, vaultWasEmpty](ui::ScriptResult result) {
        const auto controller = weakWindow.lock();
        if (!controller || controller->isClosed())
            return;
        const auto list = stringResult(result);
        if (!list || list->empty() || *list == "[]")
            return;
        // The page's copy goes only once the vault holds a list, so a failed write loses nothing.
        if (vaultWasEmpty && !(vault.write && vault.write(*list))) {
            log("[ikw] legacy signature migration: vault write FAILED, leaving the plaintext copy in place");
            return;
        }
        if (const auto view = weakView.lock())
            view->evaluate(kRemoveLegacyList);
        log("[ikw] legacy signatures migrated out of localStorage (" + std::to_string(list->size()) + " bytes)");
    });
}

void SignatureBridge::saveSignatureVault(ReviewWC& window) const
{
    std::weak_ptr<ui::WebView> weakView = window.web;
    window.webView().evaluate(kVaultOutGlobal, [vault = m_vault, log = m_log, weakView](ui::ScriptResult result) {
        const auto list = stringResult(result);
        if (!list || list->empty())
            return;
        const bool stored = *list == "[]" ? vault.clear && vault.clear() : vault.write && vault.write(*list);
        if (const auto view = weakView.lock())
            view->evaluate(std::string("if(window.ikwSignatureVaultSaved){try{ikwSignatureVaultSaved(") + boolText(stored) + ")}catch(e){}}");
        if (!stored)
            log("[ikw] signature vault write FAILED \u2014 the legacy copy is deliberately left in place");
    });
}

}
