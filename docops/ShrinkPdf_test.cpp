// Shrink as a reader window runs it: when a copy is offered, what the save panel's answer does to
// the destination, that the shown file and the temporary folder are left as they were, and the
// menu command's choice of window.

#include "docops/ShrinkPdf.h"

#include "app/MenuCommands.h"
#include "docops/ReviewPageOps.h"
#include "docops/testing/PageOpHarness.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"
#include "review/ReviewTestFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace ikw::docops {
namespace {

using ikw::testing::folderEntries;
using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;
using Strings = std::vector<std::string>;

const std::string kSaved1MB = "Saved. 1.0\u00a0MB \u2192 850.0\u00a0kB \u2014 15% smaller. Text stays sharp; your original is untouched.";

// The window toasts in the scripts a page was sent, in order.
Strings toastsIn(const Strings& scripts)
{
    const std::string head = "if(window.__ikwToast){__ikwToast(";
    Strings messages;
    for (const auto& script : scripts) {
        if (script.rfind(head, 0) == 0 && script.size() > head.size() + 2)
            messages.push_back(Json::parse(script.substr(head.size(), script.size() - head.size() - 2)).get<std::string>());
    }
    return messages;
}

// A compressor that writes `size` bytes whatever the document.
PdfCompressor sized(std::size_t size)
{
    return [size](pdf::Document&) { return std::optional<std::string>(std::string(size, '%')); };
}

class Shrink : public ::testing::Test {
protected:
    Shrink()
    {
        std::filesystem::create_directories(temporaryFolder);
        std::filesystem::create_directories(h.file("Matter"));
        source = h.writePdf("Matter/brief.pdf", 2);
        h.show(source);
    }

    // The source reads as `oldSize` bytes; the copy is `newSize` bytes of filler.
    ShrinkOptions sizedOptions(long long oldSize, std::size_t newSize)
    {
        ShrinkOptions options = realOptions();
        options.compressor = sized(newSize);
        options.sizeOf = [this, oldSize](const std::string& path) -> long long {
            if (path == source)
                return oldSize;
            struct stat info {};
            return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
        };
        return options;
    }
    ShrinkOptions realOptions()
    {
        ShrinkOptions options;
        options.temporaryFolder = [folder = temporaryFolder] { return std::optional(folder); };
        options.files = &files;
        return options;
    }
    Strings run(const ShrinkOptions& options)
    {
        compressPDF(h.context(), options);
        h.settle();
        return toastsIn(h.web->evaluated);
    }
    ui::fake::FakeDialogs& dialogs() { return h.host->fakeDialogs; }

    testing::PageOpHarness h;
    std::string temporaryFolder = h.file("private-tmp");
    FaultyFileSystem files;
    std::string source;
};

TEST_F(Shrink, OffersTheCopyOnlyWhenItSavesMoreThanATenth)
{
    struct Case {
        long long oldSize;
        std::size_t newSize;
        Strings toasts; // after "Shrinking …"; a cancelled panel ends those that are offered
        bool offered;
    };
    const Case cases[] = {
        { 1'000'000, 900'000, { "Already compact \u2014 shrinking saves under 10%, so nothing was written." }, false },
        { 1'000'000, 899'999, { "Save cancelled \u2014 nothing was written." }, true },
        { 0, 500, { "Could not build a smaller copy." }, false },     // the source's size cannot be read
        { 1'000'000, 0, { "Could not build a smaller copy." }, false }, // an empty copy
    };
    for (const auto& c : cases) {
        h.web->evaluated.clear();
        dialogs().panels.clear();
        Strings expected { "Shrinking \u2014 recompressing images\u2026" };
        expected.insert(expected.end(), c.toasts.begin(), c.toasts.end());
        EXPECT_EQ(run(sizedOptions(c.oldSize, c.newSize)), expected) << c.oldSize << " -> " << c.newSize;
        ASSERT_EQ(dialogs().panels.size(), c.offered ? 1u : 0u) << c.newSize;
        EXPECT_EQ(folderEntries(temporaryFolder), Strings {}) << c.newSize;
        if (c.offered) {
            EXPECT_EQ(dialogs().panels[0].suggestedName, "brief (compressed).pdf");
            EXPECT_EQ(dialogs().panels[0].extensions, Strings { "pdf" });
        }
    }
}

TEST_F(Shrink, SavingTextsTruncateThePercentAndUseDecimalUnits)
{
    EXPECT_EQ(shrinkSavingPercent(1'000'000, 850'000), 15);
    EXPECT_EQ(shrinkSavingPercent(1'000'000, 853'000), 15);
    EXPECT_EQ(shrinkSavingPercent(1'000'000, 899'999), 11);
    EXPECT_EQ(shrinkSavedMessage(1'000'000, 850'000), kSaved1MB);
}

TEST_F(Shrink, UnreadableSourcesSayCouldNotReadAndNeverOpenAPanel)
{
    const std::string fifo = h.file("Matter/pipe.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string pageless = h.file("Matter/pageless.pdf");
    pdf::testing::writeFixture(pageless, pdf::testing::objectsPdf({ "<< /Type /Catalog >>", "<< /Producer (x) >>" }));
    for (const std::string& path : { writeTestFile(h.file("Matter/notes.pdf"), "just some words, no PDF"), fifo, pageless,
             writeTestFile(h.file("Matter/locked.pdf"), pdf::testing::encryptedPdf(1, "secret")) }) {
        h.web->evaluated.clear();
        h.show(path);
        EXPECT_EQ(run(realOptions()), (Strings { "Shrinking \u2014 recompressing images\u2026", "Could not read this PDF." })) << path;
    }
    EXPECT_TRUE(dialogs().panels.empty());
    EXPECT_EQ(folderEntries(temporaryFolder), Strings {});
}

TEST_F(Shrink, WindowsWithoutAPdfSourceAreIgnored)
{
    for (const Strings& sources : { Strings {}, Strings { writeTestFile(h.file("Matter/brief.docx"), "PK") }, Strings { h.file("Matter") } }) {
        h.host->sources = sources;
        EXPECT_EQ(run(sizedOptions(1'000'000, 10)), Strings {});
    }
    EXPECT_TRUE(dialogs().panels.empty());
}

TEST_F(Shrink, TheChosenFileIsReplacedByTheCopyAndTheSourceIsUntouched)
{
    const std::string before = readTestFile(source);
    const std::string destination = writeTestFile(h.file("Out/brief small.pdf"), "older bytes");
    dialogs().saveAnswers.push_back(destination);

    const Strings toasts = run(sizedOptions(1'000'000, 850'000));

    EXPECT_EQ(toasts, (Strings { "Shrinking \u2014 recompressing images\u2026", kSaved1MB }));
    EXPECT_EQ(readTestFile(destination), std::string(850'000, '%'));
    EXPECT_EQ(readTestFile(source), before);
    EXPECT_EQ(h.host->fakeWorkspace.revealed, Strings { destination });
    EXPECT_EQ(folderEntries(h.file("Out")), Strings { "brief small.pdf" });
    EXPECT_EQ(folderEntries(temporaryFolder), Strings {});
}

TEST_F(Shrink, AFailedReplacementKeepsTheDestinationAndLeavesNoCopies)
{
    const std::string destination = writeTestFile(h.file("Out/kept.pdf"), "older bytes");
    dialogs().saveAnswers.push_back(destination);
    files.fail(FaultyFileSystem::Operation::Commit);

    EXPECT_EQ(run(sizedOptions(1'000'000, 850'000)), (Strings { "Shrinking \u2014 recompressing images\u2026", "Could not save the file." }));
    EXPECT_EQ(readTestFile(destination), "older bytes");
    EXPECT_EQ(folderEntries(h.file("Out")), Strings { "kept.pdf" });
    EXPECT_EQ(folderEntries(temporaryFolder), Strings {});
    EXPECT_TRUE(h.host->fakeWorkspace.revealed.empty());
}

TEST_F(Shrink, TheShownFileIsNeverTheDestination)
{
    const std::string before = readTestFile(source);
    dialogs().saveAnswers.push_back(source);

    const Strings toasts = run(sizedOptions(1'000'000, 850'000));

    ASSERT_EQ(toasts.size(), 2u);
    EXPECT_EQ(toasts[1].rfind("Could not save the file", 0), 0u) << toasts[1];
    EXPECT_EQ(readTestFile(source), before);
    EXPECT_EQ(folderEntries(temporaryFolder), Strings {});
}

TEST_F(Shrink, AWindowClosedDuringTheRewriteGetsNoPanelAndNoToast)
{
    compressPDF(h.context(), sizedOptions(1'000'000, 10));
    h.host->open = false;
    h.settle();

    EXPECT_EQ(toastsIn(h.web->evaluated), Strings { "Shrinking \u2014 recompressing images\u2026" });
    EXPECT_TRUE(dialogs().panels.empty());
    EXPECT_EQ(folderEntries(temporaryFolder), Strings {});
}

TEST_F(Shrink, APhotoPdfShrinksToAValidCopyWithTheSamePages)
{
    const std::string photos = h.file("Matter/photos.pdf");
    pdf::testing::writeFixture(photos, pdf::testing::photoPdf(3, 1200));
    h.show(photos);
    const std::string destination = h.file("Out/photos small.pdf");
    std::filesystem::create_directories(h.file("Out"));
    dialogs().saveAnswers.push_back(destination);

    const Strings toasts = run(realOptions());

    ASSERT_EQ(toasts.size(), 2u);
    EXPECT_EQ(toasts[1].rfind("Saved. ", 0), 0u) << toasts[1];
    EXPECT_TRUE(pdf::testing::qpdfCheckPasses(destination));
    EXPECT_EQ(pdf::testing::pageNumbers(readTestFile(destination)), (std::vector<int> { 1, 2, 3 }));
    EXPECT_LT(std::filesystem::file_size(destination), std::filesystem::file_size(photos) * 9 / 10);
}

class ShrinkMenu : public ikw::testing::ReviewFixture {
protected:
    bool runFor(const std::string& document)
    {
        const auto window = windows.open(std::nullopt);
        window->isReader = true;
        window->sourcePaths = { document };
        MenuCommands commands;
        PageOpServices services;
        services.toolkit = &toolkit;
        services.rewrites = &rewrites;
        registerShrinkMenuCommand(commands, services,
            [&] { return KeyDocument { window, document }; });
        ui::MenuItem item;
        item.command = "shrinkCurrentDoc:";
        commands.perform({ item, nullptr });
        workers.waitUntilIdle();
        queue.drain();
        return !toastsIn(viewOf(*window).evaluated).empty();
    }

    WorkQueue workers { "shrink-menu", 1 };
    RewriteQueue rewrites { workers };
};

TEST_F(ShrinkMenu, StartsOnlyForAReaderOfAPdf)
{
    EXPECT_FALSE(runFor(writeTestFile(home.file("Docs/brief.docx"), "PK")));
    EXPECT_TRUE(runFor(writeTestFile(home.file("Docs/brief.PDF"), pdf::testing::numberedPdf(1))));
}

}
}
