// The stand-in reader in a real web view: on its load the vault's signatures arrive from a vault on
// fake stores, and the signed copy it hands over is saved through the page bridge to the place a
// recording save panel chose.
#include "legal/Signing.h"

#include "library/LibraryLayer.h"
#include "platform/core/Base64.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::legal {
namespace {

constexpr double kTimeout = 30;

class SigningOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    SigningOnScreen()
    {
        registerActions(bridge->actions, signing);
        services.features.pushSignatureVault = [this](ReviewWC& window) { signing->vault.pushSignatureVault(window); };
    }

    bool waitFor(ReviewWC& window, const std::string& script, const std::string& expected)
    {
        return ui::gtk3::runMainLoopUntil([&] { return ask(window, script) == expected; }, kTimeout);
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    secrets::FakeSecretStore keyring { "keyring" };
    secrets::FakeSecretStore file { "file" };
    SignatureVault vault { keyring, file };
    // Panels and the reveal are recorded; the windows and pages are the toolkit's own.
    ui::fake::FakeToolkit recording;
    std::shared_ptr<Signing> signing = std::make_shared<Signing>(Signing {
        .vault = SignatureBridge(VaultCalls::of(vault), {}),
        .copies = { .pageOps = { .toolkit = &recording } },
        .runs = SignRuns({ .library = [this] { return library; }, .snapshotVersionFile = {} }),
    });
};

TEST_F(SigningOnScreen, TheReaderGetsTheVaultsSignaturesAndSavesItsSignedCopy)
{
    const std::string saved = R"([{"img":"data:image/png;base64,AA==","name":"Zoë"}])";
    file.save({ std::string(SignatureVault::service), std::string(SignatureVault::account) }, saved);
    const std::string original = pdf::testing::numberedPdf(2);
    const auto document = ikw::testing::writeTestFile(home.file("Matter/Lease.pdf"), original);
    const std::string copy = home.file("Out/Lease (signed).pdf");
    std::filesystem::create_directories(home.file("Out"));
    recording.fakeDialogs.saveAnswers = { copy };

    library->openers().openReader(document, {});
    const auto reader = windows.windows().back();
    ASSERT_TRUE(waitFor(*reader, "document.getElementById('signatures') ? document.getElementById('signatures').textContent : ''", saved + " true"));

    const std::string signedPdf = pdf::testing::numberedPdf(3);
    reader->webView().evaluate("document.getElementById('signb64').value = " + jsQuote(encodeBase64(signedPdf)) + ";"
                               "document.getElementById('sign').click()");
    ASSERT_TRUE(waitFor(*reader, "document.getElementById('signdone').textContent", "signed"));
    EXPECT_EQ(recording.fakeDialogs.panels.at(0).suggestedName, "Lease (signed).pdf");
    EXPECT_EQ(ikw::testing::readTestFile(copy), signedPdf);
    EXPECT_EQ(ikw::testing::readTestFile(document), original) << "the original is untouched";
    EXPECT_EQ(recording.fakeWorkspace.revealed, std::vector<std::string> { copy });
    EXPECT_TRUE(waitFor(*reader, "document.getElementById('toast').textContent",
        "Saved. The signature is part of the page now \u2014 your original is untouched."));
}

}
}
