#include "legal/FormFill.h"

#include "legal/FormFields.h"
#include "platform/core/Base64.h"
#include "platform/core/WorkQueue.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/PageScript.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>

namespace ikw::legal {
namespace {

using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;

class FormFillTest : public ikw::testing::ReviewFixture {
protected:
    FormFillTest()
    {
        registerActions(actions, FormServices { .pageOps = pageOps, .workers = &workers, .files = &files });
        writeConfig(R"({"pageops_skip_fillform": true})");
        reader->isReader = true;
        reader->hasContent = true;
        reader->sourcePaths = { document };
        reader->stampLoadedFile(document);
    }

    // Sends the action with the page's filled PDF, then lets the write and its answer finish.
    void send(const std::string& action, const Json& filled = Json(nullptr))
    {
        viewOf(*reader).nextResult = { filled, std::nullopt };
        actions.dispatch(action.substr(0, action.find('?')), UrlAction { *reader, "qeliz://" + action });
        settle();
    }
    void settle()
    {
        workers.waitUntilIdle();
        queue.drain();
    }
    std::vector<std::string> toasts()
    {
        std::vector<std::string> found;
        for (const auto& script : viewOf(*reader).evaluated) {
            if (script.starts_with("if(window.ikwToast)"))
                found.push_back(script);
        }
        return found;
    }
    static std::string toast(const std::string& message, bool error)
    {
        return "if(window.ikwToast){try{ikwToast(" + jsQuote(message) + "," + (error ? "true" : "false") + ")}catch(e){}}";
    }

    const std::string document = writeTestFile(home.file("Forms/x.pdf"), pdf::testing::formPdf());
    const std::string filled = encodeBase64(pdf::testing::formPdf(true));
    WorkQueue workers { "fillform-test", 2 };
    docops::RewriteQueue rewrites { workers };
    docops::PageOpServices pageOps { .toolkit = &toolkit, .rewrites = &rewrites };
    FaultyFileSystem files;
    UrlActions actions;
    std::shared_ptr<ReviewWC> reader = windows.open(std::nullopt);
};

TEST_F(FormFillTest, FormInfoAnswersTheWindowsDocumentOnly)
{
    send("forminfo");
    EXPECT_EQ(viewOf(*reader).evaluated, std::vector<std::string> { ui::guardedCall("ikwFormInfo", toJson(formSummary(document))) });

    viewOf(*reader).evaluated.clear();
    reader->sourcePaths.clear();
    send("forminfo");
    EXPECT_TRUE(viewOf(*reader).evaluated.empty());
}

TEST_F(FormFillTest, TheFilledFormIsWrittenInPlaceAndCounted)
{
    send("fillform", Json(filled));
    EXPECT_EQ(readTestFile(document), pdf::testing::formPdf(true));
    EXPECT_EQ(toasts(), std::vector<std::string> { toast("Saved 4 fields", false) });

    // The written file is the one the window now knows: the change poll leaves the reader alone.
    const auto loads = viewOf(*reader).loads.size();
    reader->startReaderPoll();
    queue.advance(5);
    EXPECT_EQ(viewOf(*reader).loads.size(), loads);
    EXPECT_EQ(viewOf(*reader).reloads, 0);

    const struct {
        std::string bytes;
        std::string message;
    } counts[] = {
        { pdf::testing::signatureOnlyFormPdf(), "Saved the form" },
        { pdf::testing::numberedPdf(1), "Saved the form" },
    };
    for (const auto& test : counts) {
        viewOf(*reader).evaluated.clear();
        send("fillform", Json(encodeBase64(test.bytes)));
        EXPECT_EQ(toasts(), std::vector<std::string> { toast(test.message, false) });
    }
}

TEST_F(FormFillTest, OneFilledFieldIsSingular)
{
    const auto oneField = pdf::testing::objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Annots [4 0 R] >>",
        "<< /Type /Annot /Subtype /Widget /P 3 0 R /Rect [72 600 200 620] /FT /Tx /T (Name) /V (Ann) >>",
    });
    send("fillform", Json(encodeBase64(oneField)));
    EXPECT_EQ(toasts(), std::vector<std::string> { toast("Saved 1 field", false) });
}

TEST_F(FormFillTest, TheTargetIsPathThenPThenTheWindowsDocument)
{
    const std::string other = writeTestFile(home.file("Forms/y.pdf"), pdf::testing::formPdf());
    reader->sourcePaths = { document, home.file("Forms") };
    send("fillform?p=" + other, Json(filled));
    EXPECT_EQ(readTestFile(other), pdf::testing::formPdf(true));
    EXPECT_EQ(readTestFile(document), pdf::testing::formPdf());

    send("fillform?path=" + document + "&p=" + other, Json(encodeBase64(pdf::testing::numberedPdf(1))));
    EXPECT_EQ(readTestFile(document), pdf::testing::numberedPdf(1));
}

TEST_F(FormFillTest, TargetsOutsideTheWindowsDocumentsAreNeverWritten)
{
    const std::string outside = writeTestFile(home.file("Elsewhere/z.pdf"), "outside");
    const std::string text = writeTestFile(home.file("Forms/notes.txt"), "notes");
    const std::string relative = "Forms/x.pdf";
    for (const std::string& target : { outside, text, relative, home.file("Forms/../Elsewhere/z.pdf"), home.file("Forms/missing.pdf") }) {
        SCOPED_TRACE(target);
        reader->sourcePaths = { document, home.file("Forms") };
        viewOf(*reader).evaluated.clear();
        send("fillform?path=" + target, Json(filled));
        EXPECT_TRUE(viewOf(*reader).evaluated.empty()) << "the page's form is not even read";
    }
    EXPECT_EQ(readTestFile(outside), "outside");
    EXPECT_EQ(readTestFile(text), "notes");
    EXPECT_TRUE(files.calls().empty());
}

TEST_F(FormFillTest, UnreadableFormsNewerFilesAndRefusedWritesChangeNothing)
{
    for (const Json& bad : { Json("%%%"), Json(encodeBase64("not a PDF")), Json(""), Json(nullptr) }) {
        viewOf(*reader).evaluated.clear();
        send("fillform", bad);
        EXPECT_EQ(toasts(), std::vector<std::string> { std::string(unreadableFilledFormScript) });
    }

    // Changed on disk; the user keeps the newer file.
    writeTestFile(document, pdf::testing::formPdf() + "\n% changed elsewhere\n");
    std::filesystem::last_write_time(document, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
    const std::string newer = readTestFile(document);
    viewOf(*reader).evaluated.clear();
    toolkit.fakeDialogs.alertAnswers = { ui::AlertAnswer { .button = 0 } };
    send("fillform", Json(filled));
    EXPECT_EQ(toasts(), std::vector<std::string> { toast("Save cancelled \u2014 \u201Cx.pdf\u201D is newer on disk", true) });
    EXPECT_EQ(readTestFile(document), newer);

    // The gate asked and was cancelled: nothing said.
    reader->stampLoadedFile(document);
    writeConfig("{}");
    viewOf(*reader).evaluated.clear();
    toolkit.fakeDialogs.alertAnswers = { ui::AlertAnswer { .button = 1 } };
    send("fillform", Json(filled));
    EXPECT_TRUE(toasts().empty());
    EXPECT_EQ(readTestFile(document), newer);

    writeConfig(R"({"pageops_skip_fillform": true})");
    files.fail(FaultyFileSystem::Operation::Write);
    files.fail(FaultyFileSystem::Operation::Replace);
    files.fail(FaultyFileSystem::Operation::Commit);
    viewOf(*reader).evaluated.clear();
    send("fillform", Json(filled));
    EXPECT_EQ(toasts(), std::vector<std::string> { toast("Couldn\u2019t save \u201Cx.pdf\u201D", true) });
    EXPECT_EQ(readTestFile(document), newer);
}

TEST_F(FormFillTest, AFillAndARotationOfOneFileBothLandOneAfterTheOther)
{
    docops::registerActions(actions, pageOps);
    writeConfig(R"({"pageops_confirm": false})");
    // Both are sent while an earlier rewrite of the file still runs, so they queue behind it.
    std::promise<void> release;
    rewrites.submit(document, [held = release.get_future().share()] { held.wait(); });
    actions.dispatch("pageop", UrlAction { *reader, "qeliz://pageop?op=rotate&pages=1&path=" + document });
    viewOf(*reader).nextResult = { Json(filled), std::nullopt };
    actions.dispatch("fillform", UrlAction { *reader, "qeliz://fillform" });
    release.set_value();
    settle();
    settle();

    const auto& scripts = viewOf(*reader).evaluated;
    const auto rotated = std::ranges::find_if(scripts, [](const std::string& script) { return script.find("Rotated page 1") != std::string::npos; });
    const auto saved = std::ranges::find(scripts, toast("Saved 4 fields", false));
    ASSERT_NE(rotated, scripts.end()) << ::testing::PrintToString(scripts);
    ASSERT_NE(saved, scripts.end());
    EXPECT_LT(rotated, saved) << "the fill waited for the rotation";
    EXPECT_EQ(readTestFile(document), pdf::testing::formPdf(true)) << "the fill's bytes, whole";
}

}
}
