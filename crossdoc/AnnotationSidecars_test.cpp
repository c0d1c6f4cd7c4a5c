#include "crossdoc/AnnotationSidecars.h"

#include "app/Globals.h"
#include "app/StableHash.h"
#include "crossdoc/AnnotationActions.h"
#include "library/WindowOpeners.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlQuery.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace ikw::crossdoc {
namespace {

// Sets the file's modification time, in seconds since 1970 with a fraction.
void setModified(const std::string& path, long seconds, long nanoseconds)
{
    const timespec times[2] = { { seconds, nanoseconds }, { seconds, nanoseconds } };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class AnnotationSidecarsTest : public ikw::testing::ReviewFixture {
protected:
    std::string folder() const { return home.file(".local/share/Inkwarden/annotations"); }
    std::string sidecar(const std::string& document, const std::string& signature) const
    {
        return ikw::testing::writeTestFile(folder() + "/" + ikwStableHash(document) + "__" + signature + ".pdf", pdf::testing::numberedPdf(1));
    }
};

TEST_F(AnnotationSidecarsTest, TheNameCarriesTheWholeSecondsAndTheSize)
{
    const auto document = ikw::testing::writeTestFile(home.file("Lease.pdf"), "0123456789");
    setModified(document, 999, 900000000);
    EXPECT_EQ(annotSourceSig(document), "999-10");
    EXPECT_EQ(annotSidecarPath(document), folder() + "/" + ikwStableHash(document) + "__999-10.pdf");
    EXPECT_FALSE(annotSidecarExists(document));
    sidecar(document, "999-10");
    EXPECT_TRUE(annotSidecarExists(document));
    EXPECT_TRUE(annotStaleSidecars(document).empty());
}

TEST_F(AnnotationSidecarsTest, AMissingDocumentHasNoCurrentCopyAndEveryCopyIsStale)
{
    const auto document = home.file("gone/Lease.pdf");
    EXPECT_EQ(annotSourceSig(document), "");
    EXPECT_FALSE(annotSidecarExists(document));
    const auto nosrc = sidecar(document, "nosrc");
    EXPECT_EQ(annotSidecarPath(document), nosrc);
    EXPECT_FALSE(annotSidecarExists(document)) << "a copy named nosrc is never current";
    const auto older = sidecar(document, "12-3");
    const auto newer = sidecar(document, "99-3");
    sidecar(home.file("gone/Other.pdf"), "12-3");
    EXPECT_EQ(annotStaleSidecars(document), (std::vector<std::string> { older, newer, nosrc }));
}

// Readers opened with the rule: the current copy is shown, and only it.
class AnnotatedReaders : public AnnotationSidecarsTest {
protected:
    AnnotatedReaders()
    {
        hooks.readerPdf = readerPdfFor;
        openers = std::make_unique<library::WindowOpeners>(services, windows, hooks);
    }

    std::string shownPdf(const ReviewWC& window) { return urlQuery(viewOf(window).loads.back(), "pdf").value_or(""); }
    std::string shownOrig(const ReviewWC& window) { return urlQuery(viewOf(window).loads.back(), "orig").value_or(""); }

    library::OpenerHooks hooks;
    std::unique_ptr<library::WindowOpeners> openers;
    const std::string document = ikw::testing::writeTestFile(home.file("docs/Lease.pdf"), pdf::testing::numberedPdf(2));
};

TEST_F(AnnotatedReaders, ACurrentCopyIsShownAndAnOutdatedOneIsOnlyLogged)
{
    const auto current = sidecar(document, annotSourceSig(document));
    openers->openReader(document, {});
    auto window = windows.windows().back();
    EXPECT_EQ(shownPdf(*window), current);
    EXPECT_EQ(shownOrig(*window), document);
    EXPECT_EQ(window->sourcePaths, std::vector<std::string> { document });
    EXPECT_EQ(window->annotations.loadedSig, annotSourceSig(document));

    // The document changes on disk: the copy is stale, and the reader's refresh drops it.
    ikw::testing::writeTestFile(document, pdf::testing::numberedPdf(3));
    ::testing::internal::CaptureStderr();
    openers->reloadReaderInPlace(*window);
    EXPECT_EQ(shownPdf(*window), document);
    EXPECT_EQ(window->annotations.loadedSig, annotSourceSig(document));

    openers->openReader(document, {});
    const auto log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(shownPdf(*windows.windows().back()), document);
    EXPECT_NE(log.find("[ikw] annotations: 1 stale sidecar(s) for Lease.pdf \u2014 serving the current document"), std::string::npos) << log;

    // Nothing changed: a refresh reloads what is shown.
    const int reloads = viewOf(*window).reloads;
    openers->reloadReaderInPlace(*window);
    EXPECT_EQ(viewOf(*window).reloads, reloads + 1);
}

}
}
