#include "legal/Signing.h"

#include "library/LibraryLayer.h"
#include "platform/core/Base64.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/UrlQuery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace ikw::legal {
namespace {

using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;
using State = SignatureVault::State;

// A vault that answers what the test scripted and records what it was asked to do.
struct ScriptedVault {
    State state = State::empty();
    bool writeSucceeds = true;
    bool clearSucceeds = true;
    std::vector<std::string> writes {};
    int clears = 0;

    VaultCalls calls()
    {
        return VaultCalls {
            .state = [this] { return state; },
            .write = [this](std::string_view payload) { writes.emplace_back(payload); return writeSucceeds; },
            .clear = [this] { ++clears; return clearSucceeds; },
        };
    }
};

class SigningTest : public ikw::testing::ReviewFixture {
protected:
    SigningTest() { registerActions(actions, signing); }

    void send(ReviewWC& window, const std::string& action)
    {
        actions.dispatch(action.substr(0, action.find('?')), UrlAction { window, "qeliz://" + action });
    }
    // The scripts evaluated in the window's page that start with `prefix`.
    std::vector<std::string> scripts(ReviewWC& window, std::string_view prefix)
    {
        std::vector<std::string> found;
        for (const auto& script : viewOf(window).evaluated) {
            if (script.starts_with(prefix))
                found.push_back(script);
        }
        return found;
    }
    // The signing toasts as "<message>|<flag>".
    std::vector<std::string> toasts(ReviewWC& window)
    {
        const std::string prefix = "if(window.__ikwToast){__ikwToast(";
        std::vector<std::string> found;
        for (const auto& script : scripts(window, prefix)) {
            const std::string arguments = script.substr(prefix.size(), script.size() - prefix.size() - 2);
            const auto comma = arguments.rfind(", ");
            found.push_back(parseJson(arguments.substr(0, comma))->get<std::string>() + "|" + arguments.substr(comma + 2));
        }
        return found;
    }
    std::shared_ptr<ReviewWC> page()
    {
        auto window = windows.open(std::nullopt);
        window->hasContent = true;
        return window;
    }

    ScriptedVault vault;
    std::vector<std::string> log;
    FaultyFileSystem files;
    std::vector<std::string> snapshots;
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<Signing> signing = std::make_shared<Signing>(Signing {
        .vault = SignatureBridge(vault.calls(), [this](std::string_view line) { log.emplace_back(line); }),
        .copies = { .pageOps = { .toolkit = &toolkit }, .files = &files },
        .runs = SignRuns({
            .library = [this] { return library; },
            .snapshotVersionFile = [this](const std::string& path) { snapshots.push_back(path); },
        }),
    });
    UrlActions actions;
};

// Vault bridge ------------------------------------------------------------------------------

TEST_F(SigningTest, PageLoadsGetTheVaultAndOlderPagesListsMoveIntoIt)
{
    // Three bytes of the list are two characters: the count is in UTF-8.
    const std::string localList = R"([{"img":"data:image/png;base64,AA==","name":"Zoë €"}])";
    const std::string migrated = "[ikw] legacy signatures migrated out of localStorage (" + std::to_string(localList.size()) + " bytes)";
    const std::string removal = "try{localStorage.removeItem('ikwSignatures')}catch(e){}";
    const struct {
        const char* name;
        State state;
        bool writeSucceeds;
        std::string pageList;
        std::string load;
        std::vector<std::string> writes;
        bool removed;
        std::vector<std::string> log;
    } cases[] = {
        { "empty vault: the list moves in", State::empty(), true, localList, R"("[]",true)", { localList }, true, { migrated } },
        { "the vault's list stands", State::found("[vault]"), true, localList, R"("[vault]",true)", {}, true, { migrated } },
        { "unknown vault: nothing is risked", State::unknown(), true, localList, R"("[]",false)", {}, false,
            { "[ikw] legacy signature migration SKIPPED: vault state unknown (locked or unreadable), not risking an overwrite" } },
        { "a failed write keeps the page's copy", State::empty(), false, localList, R"("[]",true)", { localList }, false,
            { "[ikw] legacy signature migration: vault write FAILED, leaving the plaintext copy in place" } },
        { "an empty page list is left alone", State::empty(), true, "[]", R"("[]",true)", {}, false, {} },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        vault = ScriptedVault { .state = test.state, .writeSucceeds = test.writeSucceeds };
        log.clear();
        const auto window = page();
        viewOf(*window).nextResult = { Json(test.pageList), std::nullopt };

        send(*window, "sigvaultload");

        const auto& evaluated = viewOf(*window).evaluated;
        EXPECT_EQ(scripts(*window, "if(window.ikwSignaturesLoad)"),
            std::vector<std::string> { "if(window.ikwSignaturesLoad){try{ikwSignaturesLoad(" + test.load + ")}catch(e){}}" });
        EXPECT_EQ(vault.writes, test.writes);
        EXPECT_EQ(std::ranges::count(evaluated, removal), test.removed ? 1 : 0);
        EXPECT_EQ(log, test.log);
    }
}

TEST_F(SigningTest, AMigrationAnswerForAClosedWindowIsDropped)
{
    const auto window = page();
    viewOf(*window).holdAnswers = true;
    send(*window, "sigvaultload");
    auto pending = std::move(viewOf(*window).heldAnswers.at(0));
    window->closeTab();
    pending({ Json("[{\"img\":\"x\"}]"), std::nullopt });
    EXPECT_TRUE(vault.writes.empty());
}

TEST_F(SigningTest, SavingTheVaultStoresClearsOrDoesNothing)
{
    const struct {
        const char* name;
        Json pageValue;
        bool succeeds;
        std::vector<std::string> writes;
        int clears;
        std::optional<std::string> answer;
    } cases[] = {
        { "a list is written", Json("[{\"name\":\"A\"}]"), true, { "[{\"name\":\"A\"}]" }, 0, "true" },
        { "an empty list clears", Json("[]"), true, {}, 1, "true" },
        { "nothing to save", Json(""), true, {}, 0, std::nullopt },
        { "no global at all", Json(nullptr), true, {}, 0, std::nullopt },
        { "a refused write", Json("[1]"), false, { "[1]" }, 0, "false" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        vault = ScriptedVault { .writeSucceeds = test.succeeds, .clearSucceeds = test.succeeds };
        log.clear();
        const auto window = page();
        viewOf(*window).nextResult = { test.pageValue, std::nullopt };
        send(*window, "sigvaultsave");
        EXPECT_EQ(vault.writes, test.writes);
        EXPECT_EQ(vault.clears, test.clears);
        const auto answers = scripts(*window, "if(window.ikwSignatureVaultSaved)");
        if (test.answer) {
            ASSERT_EQ(answers.size(), 1u);
            EXPECT_EQ(answers[0], "if(window.ikwSignatureVaultSaved){try{ikwSignatureVaultSaved(" + *test.answer + ")}catch(e){}}");
        } else {
            EXPECT_TRUE(answers.empty());
        }
        EXPECT_EQ(log.size(), test.succeeds ? 0u : 1u);
    }
}

TEST(SignatureBridge, AnEmptyListClearsBothStoresOfTheRealVault)
{
    secrets::FakeSecretStore keyring("keyring"), file("file");
    const secrets::SecretKey item { std::string(SignatureVault::service), std::string(SignatureVault::account) };
    keyring.save(item, "[keyring]");
    file.save(item, "[file]");
    SignatureVault real(keyring, file);
    const auto calls = VaultCalls::of(real);
    ASSERT_TRUE(calls.clear());
    EXPECT_FALSE(keyring.peek(item));
    EXPECT_FALSE(file.peek(item));
    EXPECT_EQ(calls.state(), State::empty());
}

// Signature images --------------------------------------------------------------------------

TEST_F(SigningTest, AnImportedImageReachesThePageOrATellsItCouldNotBeRead)
{
    const auto window = page();
    const std::string image = home.file("signature.bmp");
    writeTestFile(image, "BM but not a bitmap");
    toolkit.fakeDialogs.openAnswers = { std::vector<std::string> { image } };
    send(*window, "signimport");
    const auto& panel = toolkit.fakeDialogs.panels.at(0);
    EXPECT_EQ(panel.message, "Choose an image of your signature \u2014 the white background comes off automatically.");
    EXPECT_EQ(panel.extensions, (std::vector<std::string> { "png", "jpg", "jpeg", "heic", "heif", "tiff", "tif", "gif", "webp", "bmp" }));
    EXPECT_TRUE(panel.chooseFiles && !panel.chooseDirectories && !panel.allowsMultiple);
    EXPECT_EQ(viewOf(*window).evaluated.back(), "if(window.__ikwToast){__ikwToast('Could not read that image.')}");

    // A cancelled panel answers nothing.
    const auto count = viewOf(*window).evaluated.size();
    send(*window, "signimport");
    EXPECT_EQ(viewOf(*window).evaluated.size(), count);
}

// Signed copies -----------------------------------------------------------------------------

class SignSaveTest : public SigningTest {
protected:
    // Sends signsave with the page's signed PDF (a string, or any other JSON value).
    void save(ReviewWC& window, const std::string& query, const Json& out)
    {
        viewOf(window).nextResult = { out, std::nullopt };
        send(window, "signsave" + query);
    }
    const std::string signedPdf = pdf::testing::numberedPdf(2);
    const std::string done = "if(window.__ikwSignDone){__ikwSignDone()}";
};

TEST_F(SignSaveTest, TheCopyIsWrittenRevealedAndSummarised)
{
    const struct {
        std::string query;
        std::string suggested;
        std::string toast;
    } cases[] = {
        { "", "Document (signed).pdf", "Saved. The signature is part of the page now \u2014 your original is untouched.|false" },
        { "?n=0", "Document (signed).pdf", "Saved. All 0 placements are part of the pages now \u2014 your original is untouched.|false" },
        { "?name=Lease&n=3&form=flat", "Lease (signed).pdf",
            "Saved. All 3 placements are part of the pages now, and the form fields are gone \u2014 your original is untouched.|false" },
        { "?name=&n=x1&form=none", " (signed).pdf", "Saved. The signature is part of the page now \u2014 your original is untouched.|false" },
        { "?n=%2B2&form=failed", "Document (signed).pdf",
            "Saved, but this document's form fields could not be flattened and are still editable. Do not send this as a final copy.|true" },
    };
    int saved = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.query);
        const auto window = page();
        const std::string target = home.file("Signed/copy" + std::to_string(++saved) + ".pdf");
        std::filesystem::create_directories(home.file("Signed"));
        toolkit.fakeDialogs.saveAnswers = { target };
        save(*window, test.query, Json(encodeBase64(signedPdf)));
        EXPECT_EQ(toolkit.fakeDialogs.panels.back().suggestedName, test.suggested);
        EXPECT_EQ(readTestFile(target), signedPdf);
        EXPECT_EQ(toolkit.fakeWorkspace.revealed.back(), target);
        EXPECT_EQ(toasts(*window), std::vector<std::string> { test.toast });
        const auto& evaluated = viewOf(*window).evaluated;
        const auto doneAt = std::ranges::find(evaluated, done);
        ASSERT_NE(doneAt, evaluated.end());
        EXPECT_TRUE(evaluated.back().starts_with("if(window.__ikwToast)")) << "the summary follows __ikwSignDone";
    }
}

TEST_F(SignSaveTest, WhatIsNoSignedPdfIsReportedAndNothingIsWritten)
{
    const std::pair<const char*, Json> cases[] = {
        { "not Base64", Json("JVBERi0%%%") },
        { "Base64 with a line break", Json(encodeBase64(signedPdf).insert(8, "\n")) },
        { "Base64 of something else", Json(encodeBase64("hello, not a PDF")) },
        { "empty", Json("") },
        { "not a string", Json(42) },
    };
    for (const auto& [name, out] : cases) {
        SCOPED_TRACE(name);
        toolkit.fakeDialogs.alerts.clear();
        toolkit.fakeDialogs.panels.clear();
        const auto window = page();
        save(*window, "?name=Lease", out);
        EXPECT_EQ(toasts(*window), std::vector<std::string> { "Could not read the signed document.|false" });
        ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
        const auto& alert = toolkit.fakeDialogs.alerts[0];
        EXPECT_EQ(alert.parent, nullptr);
        EXPECT_EQ(alert.request.message, "The signed copy could not be saved");
        EXPECT_EQ(alert.request.informativeText,
            "Inkwarden built the signed document but could not hand it back for saving, so nothing was written and your original is "
            "untouched. Your signature is still placed on the page.\n\nOpening this document in its own window and signing there will "
            "work. Please report this if it happens again.");
        EXPECT_EQ(alert.request.buttons, std::vector<std::string> { "OK" });
        EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());
        EXPECT_TRUE(files.calls().empty());
    }
}

TEST_F(SignSaveTest, ACancelledPanelOrARefusedWriteLeavesEverythingAsItWas)
{
    const auto window = page();
    save(*window, "", Json(encodeBase64(signedPdf)));
    EXPECT_EQ(toasts(*window), std::vector<std::string> { "Save cancelled \u2014 your signature is still placed.|false" });

    const std::string existing = writeTestFile(home.file("Signed/Lease (signed).pdf"), "the earlier copy");
    files.fail(FaultyFileSystem::Operation::Replace);
    toolkit.fakeDialogs.saveAnswers = { existing };
    toolkit.fakeDialogs.alertAnswers = { ui::AlertAnswer { .button = 1 } }; // replace it
    const auto other = page();
    save(*other, "?name=Lease", Json(encodeBase64(signedPdf)));
    EXPECT_EQ(toasts(*other), std::vector<std::string> { "Could not save the file.|false" });
    EXPECT_EQ(readTestFile(existing), "the earlier copy");
    EXPECT_TRUE(toolkit.fakeWorkspace.revealed.empty());
    EXPECT_TRUE(scripts(*other, done).empty());
}

TEST_F(SignSaveTest, AWindowClosedBeforeThePageAnswersGetsNothing)
{
    const auto window = page();
    viewOf(*window).holdAnswers = true;
    send(*window, "signsave");
    auto pending = std::move(viewOf(*window).heldAnswers.at(0));
    window->closeTab();
    pending({ Json(encodeBase64(signedPdf)), std::nullopt });
    EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
}

// Sign runs ---------------------------------------------------------------------------------

class SignRunTest : public SigningTest {
protected:
    std::string document(const std::string& name)
    {
        return writeTestFile(home.file("Run/" + name), name.ends_with(".pdf") ? pdf::testing::numberedPdf(1) : std::string("text"));
    }
    std::string shownUrl(ReviewWC& window) { return viewOf(window).loads.back(); }
};

TEST_F(SignRunTest, StepsSkipGoneDocumentsInTheirDirectionAndStopAtTheEnds)
{
    const std::vector<std::string> run { document("A.pdf"), document("B.pdf"), document("C.pdf") };
    signing->runs.openSignRun(run);
    ASSERT_EQ(windows.windows().size(), 1u);
    const auto window = windows.windows().back();
    EXPECT_EQ(window->signRun.signRunPaths, run);
    EXPECT_EQ(windowOf(*window).title(), "A.pdf \u00B7 signing 1 of 3");
    std::filesystem::remove(run[1]);

    send(*window, "signrunnext");
    EXPECT_EQ(window->signRun.signRunIndex, 2);
    EXPECT_EQ(windowOf(*window).title(), "C.pdf \u00B7 signing 3 of 3");
    EXPECT_EQ(window->sourcePaths, std::vector<std::string> { run[2] });
    EXPECT_EQ(window->representedFile(), run[2]);
    EXPECT_EQ(urlQuery(shownUrl(*window), "pdf"), run[2]);
    EXPECT_EQ(urlQuery(shownUrl(*window), "verb"), "fill");
    EXPECT_EQ(urlQuery(shownUrl(*window), "run"), "3/3");
    EXPECT_EQ(urlQuery(shownUrl(*window), "runname"), "C.pdf");

    const auto loads = viewOf(*window).loads.size();
    send(*window, "signrunnext");
    EXPECT_EQ(viewOf(*window).loads.size(), loads) << "next on the last changes nothing";
    EXPECT_EQ(window->signRun.signRunIndex, 2);

    send(*window, "signrunprev");
    EXPECT_EQ(window->signRun.signRunIndex, 0);
    EXPECT_EQ(windowOf(*window).title(), "A.pdf \u00B7 signing 1 of 3");
    EXPECT_EQ(urlQuery(shownUrl(*window), "run"), "1/3");

    send(*window, "signrunprev");
    EXPECT_EQ(viewOf(*window).loads.size(), loads + 1) << "previous on the first changes nothing";
    EXPECT_EQ(window->signRun.signRunIndex, 0);

    // Nothing left ahead: the window stays on the document it shows.
    std::filesystem::remove(run[2]);
    send(*window, "signrunnext");
    EXPECT_EQ(window->signRun.signRunIndex, 0);
    EXPECT_EQ(windowOf(*window).title(), "A.pdf \u00B7 signing 1 of 3");
    EXPECT_EQ(viewOf(*window).loads.size(), loads + 1);
}

TEST_F(SignRunTest, ARunTakesQualifyingDocumentsAndSetsTheReaderUp)
{
    std::filesystem::create_directories(home.file("Run/Folder.pdf"));
    const std::string letter = document("Letter.DOCX");
    const std::string contract = document("Contract.pdf");
    signing->runs.openSignRun({ home.file("Run/Folder.pdf"), letter, home.file("Run/photo.jpg"), contract });
    const auto window = windows.windows().back();
    EXPECT_EQ(window->signRun.signRunPaths, (std::vector<std::string> { letter, contract }));
    EXPECT_TRUE(window->hasContent && window->isReader && !window->isGrid && !window->isRedact);
    EXPECT_FALSE(window->isPdfEdit);
    EXPECT_EQ(window->editProbe.editProbeEditable, false);
    EXPECT_TRUE(snapshots.empty()) << "only PDFs are banked";

    send(*window, "signrunnext");
    EXPECT_TRUE(window->isPdfEdit);
    EXPECT_EQ(window->editProbe.editProbeEditable, true);
    EXPECT_EQ(snapshots, std::vector<std::string> { contract });
}

TEST_F(SignRunTest, OneQualifyingPathOpensAPlainReaderAndNoneOpensNothing)
{
    std::filesystem::create_directories(home.file("Run/Folder"));
    signing->runs.openSignRun({ home.file("Run/Folder"), home.file("Run/notes.zip") });
    EXPECT_TRUE(windows.windows().empty());

    const std::string contract = document("Contract.pdf");
    signing->runs.openSignRun({ contract, home.file("Run/Folder") });
    ASSERT_EQ(windows.windows().size(), 1u);
    const auto window = windows.windows().back();
    EXPECT_TRUE(window->signRun.signRunPaths.empty());
    EXPECT_TRUE(window->isReader);
    EXPECT_EQ(windowOf(*window).title(), "Contract.pdf");
    EXPECT_FALSE(urlQuery(shownUrl(*window), "run"));
    EXPECT_FALSE(urlQuery(shownUrl(*window), "verb"));
}

}
}
