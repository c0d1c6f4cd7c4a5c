#include "legal/RedactionPages.h"

#include "library/LibraryLayer.h"
#include "platform/core/Base64.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::legal {
namespace {

using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;

class RedactionTest : public ikw::testing::ReviewFixture {
protected:
    RedactionTest()
    {
        registerActions(actions, pages);
        writeConfig(R"({"pageops_skip_redact": true})");
    }

    void send(ReviewWC& window, const std::string& url)
    {
        actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url });
    }
    std::shared_ptr<ReviewWC> redactWindow()
    {
        pages->openRedactFile(home.file("Matter/Contract.pdf"));
        return windows.windows().back();
    }
    // Sends redactsave; the page answers the two globals in turn.
    void save(ReviewWC& window, const std::string& query, const Json& out, const Json& audit = Json(""))
    {
        auto& view = viewOf(window);
        view.holdAnswers = true;
        view.heldAnswers.clear();
        send(window, "redactsave" + query);
        for (const Json& answer : { out, audit }) {
            if (view.heldAnswers.empty())
                return;
            auto completion = std::move(view.heldAnswers.front());
            view.heldAnswers.clear();
            completion({ answer, std::nullopt });
        }
    }
    std::vector<std::string> toasts(ReviewWC& window)
    {
        const std::string prefix = "if(window.ikwRedactToast){ikwRedactToast(";
        std::vector<std::string> found;
        for (const auto& script : viewOf(window).evaluated) {
            if (script.starts_with(prefix) && script.ends_with(")}"))
                found.push_back(parseJson(script.substr(prefix.size(), script.size() - prefix.size() - 2))->get<std::string>());
        }
        return found;
    }
    std::string lastToast(ReviewWC& window)
    {
        const auto all = toasts(window);
        return all.empty() ? std::string() : all.back();
    }

    const std::string pdfBase64 = encodeBase64(pdf::testing::numberedPdf(1));
    FaultyFileSystem files;
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<RedactionPages> pages = std::make_shared<RedactionPages>(RedactionServices {
        .library = [this] { return library; },
        .pageOps = { .toolkit = &toolkit },
        .resolvedScheme = services.resolvedScheme,
        .files = &files,
    });
    UrlActions actions;
};

TEST_F(RedactionTest, TheBundlesPageOpensForTheWindowsPdfInTheEmptyKeyWindow)
{
    writeTestFile(ikw::testing::userEngineFolder(home.path()) + "/app/redact.html", "mine");
    writeTestFile(ikw::testing::userEngineFolder(home.path()) + "/redact.html", "mine");
    const std::string pdf = home.file("Matter/Scan & Co #1.PDF");
    const auto reader = windows.open(std::nullopt);
    reader->sourcePaths = { pdf };
    reader->hasContent = true;
    const auto key = windows.open(std::nullopt);
    key->sourcePaths = { pdf };
    send(*key, "redactcurrent");
    ASSERT_EQ(windows.windows().size(), 2u) << "the empty key window is reused";
    EXPECT_TRUE(key->hasContent && key->isRedact && !key->isReader && !key->isOrganize);
    EXPECT_EQ(key->representedFile(), pdf);
    EXPECT_EQ(windowOf(*key).title(), "Scan & Co #1.PDF");
    const std::string url = viewOf(*key).loads.back();
    EXPECT_EQ(url.substr(0, url.find('?')), "file://" + globals.get().paths.resourcesDir + "/engine/redact.html");
    EXPECT_EQ(urlQuery(url, "file"), pdf);
    EXPECT_EQ(urlQuery(url, "name"), "Scan & Co #1.PDF");
    EXPECT_EQ(urlQuery(url, "ver"), globals.get().appInfo.shortVersion);
    EXPECT_EQ(urlQuery(url, "theme"), "dark");
    EXPECT_LT(url.find("?file="), url.find("&name="));
    EXPECT_LT(url.find("&ver="), url.find("&theme="));

    for (const std::vector<std::string>& sources : { std::vector<std::string> { home.file("brief.docx") }, std::vector<std::string> {} }) {
        const auto other = windows.open(std::nullopt);
        other->sourcePaths = sources;
        const auto loads = viewOf(*other).loads.size();
        send(*other, "redactcurrent");
        EXPECT_EQ(viewOf(*other).loads.size(), loads);
        EXPECT_FALSE(other->isRedact);
    }
}

TEST_F(RedactionTest, ThePanelChoosesOnePdf)
{
    const auto host = windows.open(std::nullopt);
    toolkit.fakeDialogs.openAnswers = { std::vector<std::string> { home.file("a.pdf") } };
    send(*host, "redact");
    const auto& panel = toolkit.fakeDialogs.panels.at(0);
    EXPECT_EQ(panel.message, "Choose a PDF to redact \u2014 text is burned out and metadata stripped, on your computer");
    EXPECT_EQ(panel.prompt, "Redact");
    EXPECT_EQ(panel.extensions, std::vector<std::string> { "pdf" });
    EXPECT_TRUE(panel.chooseFiles && !panel.chooseDirectories && !panel.allowsMultiple);
    EXPECT_EQ(host->sourcePaths, std::vector<std::string> { home.file("a.pdf") });
}

TEST_F(RedactionTest, TheCountAndNameShapeTheMessageTheSuggestionAndTheAudit)
{
    struct Case {
        std::string query;
        std::string suggested;
        std::int64_t regions;
        std::string message;
    };
    const std::string none = "Saved. Metadata stripped (no regions were marked).";
    const Case cases[] = {
        { "", "Document (redacted).pdf", 0, none },
        { "?name&n=abc", "Document (redacted).pdf", 0, none },
        { "?name=&n=", " (redacted).pdf", 0, none },
        { "?name=Contract&n=-2", "Contract (redacted).pdf", -2, none },
        { "?name=Contract&n=1", "Contract (redacted).pdf", 1, "Saved. Text under the 1 box is gone and metadata is stripped." },
        { "?name=Contract&n=+3", "Contract (redacted).pdf", 3, "Saved. Text under the 3 boxes is gone and metadata is stripped." },
        { "?n=99999999999999999999", "Document (redacted).pdf", 0, none },
    };
    const auto window = redactWindow();
    const std::string copy = home.file("out/Copy.pdf");
    std::filesystem::create_directories(home.file("out"));
    for (const auto& test : cases) {
        toolkit.fakeDialogs.panels.clear();
        toolkit.fakeDialogs.saveAnswers = { copy };
        save(*window, test.query, Json(pdfBase64), Json(R"({"engine":"stand-in","output":"page.pdf"})"));
        EXPECT_EQ(lastToast(*window), test.message) << test.query;
        ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u) << test.query;
        EXPECT_EQ(toolkit.fakeDialogs.panels[0].suggestedName, test.suggested) << test.query;
        const auto audit = parseJson(readTestFile(home.file("out/Copy.redaction-audit.json")));
        ASSERT_TRUE(audit) << test.query;
        EXPECT_EQ(audit->at("totalRegions"), test.regions) << test.query;
        EXPECT_EQ(audit->at("output"), "Copy.pdf");
        EXPECT_EQ(audit->at("engine"), "stand-in");
        EXPECT_EQ(audit->at("tool"), "Inkwarden Redact");
    }
    // Every save replaced the copy and its sidecar, and revealed the copy.
    EXPECT_EQ(readTestFile(copy), *decodeBase64(pdfBase64));
    EXPECT_EQ(toolkit.fakeWorkspace.revealed, std::vector<std::string>(std::size(cases), copy));
    EXPECT_EQ(ikw::testing::folderEntries(home.file("out")), (std::vector<std::string> { "Copy.pdf", "Copy.redaction-audit.json" }));
}

TEST_F(RedactionTest, EachFailureHasItsMessageAndWritesNothing)
{
    const std::string copy = writeTestFile(home.file("out/Copy.pdf"), "the earlier copy");
    const auto window = redactWindow();
    struct Case {
        const char* what;
        Json out;
        std::string message;
    };
    const Case unreadable[] = {
        { "missing", Json(""), "Could not read the redacted document." },
        { "not text", Json(nullptr), "Could not read the redacted document." },
        { "bad Base64", Json(pdfBase64.substr(0, 20) + "\n" + pdfBase64.substr(20)), "Could not read the redacted document." },
        { "not a PDF", Json(encodeBase64("hello, not a pdf")), "Could not read the redacted document." },
    };
    toolkit.fakeDialogs.saveAnswers = { copy };
    for (const auto& test : unreadable) {
        save(*window, "?n=1", test.out);
        EXPECT_EQ(lastToast(*window), test.message) << test.what;
    }
    EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());

    toolkit.fakeDialogs.saveAnswers.clear();
    save(*window, "?n=1", Json(pdfBase64));
    EXPECT_EQ(lastToast(*window), "Save cancelled \u2014 your marks are still here.");

    files.fail(FaultyFileSystem::Operation::Replace, "Copy.pdf");
    toolkit.fakeDialogs.saveAnswers = { copy };
    save(*window, "?n=1", Json(pdfBase64));
    EXPECT_EQ(lastToast(*window), "Could not save the file.");
    EXPECT_EQ(readTestFile(copy), "the earlier copy");
    EXPECT_FALSE(std::filesystem::exists(home.file("out/Copy.redaction-audit.json")));
    EXPECT_TRUE(toolkit.fakeWorkspace.revealed.empty());
}

TEST_F(RedactionTest, TheQuestionCanBeCancelledAndATickedBoxIsStoredAllTheSame)
{
    writeConfig("{}");
    const auto window = redactWindow();
    toolkit.fakeDialogs.alertAnswers = { ui::AlertAnswer { 1, true } };
    save(*window, "?name=Contract&n=2", Json(pdfBase64));
    EXPECT_EQ(lastToast(*window), "Nothing was saved \u2014 your marks are still here.");
    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
    const auto& question = toolkit.fakeDialogs.alerts[0].request;
    EXPECT_EQ(question.message, "Save \u201CContract (redacted).pdf\u201D?");
    EXPECT_EQ(question.informativeText, "Inkwarden saves a FLATTENED copy: the text under every box is removed (not just covered) and "
                                        "the document\u2019s metadata is stripped. The pages become images, so nothing under the "
                                        "redactions can be recovered. Your original file is untouched.");
    EXPECT_EQ(question.buttons.at(0), "Save Redacted Copy");
    EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());
    EXPECT_EQ(parseJson(readTestFile(globals.get().configPath))->value("pageops_skip_redact", false), true);
}

TEST_F(RedactionTest, AClosedWindowEndsTheSaveQuietly)
{
    const auto window = redactWindow();
    auto& view = viewOf(*window);
    view.holdAnswers = true;
    send(*window, "redactsave?n=1");
    ASSERT_EQ(view.heldAnswers.size(), 1u);
    auto completion = std::move(view.heldAnswers.front());
    window->closeTab();
    const auto seen = view.evaluated.size();
    completion({ Json(pdfBase64), std::nullopt });
    EXPECT_EQ(view.evaluated.size(), seen);
    EXPECT_TRUE(toolkit.fakeDialogs.panels.empty());
}

}
}
