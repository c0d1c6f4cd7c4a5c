#include "library/VersionRestore.h"

#include "app/StableHash.h"
#include "review/ReviewTestFixture.h"

#include <gtest/gtest.h>

#include <utime.h>

namespace ikw::library {
namespace {

class VersionRestoreTest : public testing::ReviewFixture {
protected:
    const std::string document = writeDocument("Lease.pdf", "current", 2000);
    std::vector<std::vector<VersionChoice>> popUps;
    std::shared_ptr<VersionRestore> versions = std::make_shared<VersionRestore>(VersionStore(home.file("versions")),
        VersionRestore::Hooks {
            .dialogs = toolkit.fakeDialogs,
            .windows = [this] { return windows.windows(); },
            .popUp = [this](ReviewWC&, const std::vector<VersionChoice>& choices) { popUps.push_back(choices); },
        });

    std::string writeDocument(const std::string& name, const std::string& bytes, std::time_t modified)
    {
        const auto path = testing::writeTestFile(home.file("Docs/" + name), bytes);
        const utimbuf times { modified, modified };
        ::utime(path.c_str(), &times);
        return path;
    }
    std::string version(const std::string& name, const std::string& bytes)
    {
        return testing::writeTestFile(home.file("versions/" + ikwStableHash(document) + "/" + name), bytes);
    }
    std::shared_ptr<ReviewWC> reader(std::vector<std::string> sources)
    {
        auto window = windows.open(std::nullopt);
        window->isReader = true;
        window->sourcePaths = std::move(sources);
        return window;
    }
    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            versions->waitUntilIdle();
            queue.drain();
        }
    }
    int captures(const ReviewWC& window)
    {
        const auto& scripts = viewOf(window).evaluated;
        return static_cast<int>(std::count_if(scripts.begin(), scripts.end(), [](const std::string& script) { return script.find("__ikwCaptureView") != std::string::npos; }));
    }
    std::vector<std::string> banked() const { return testing::folderEntries(home.file("versions/" + ikwStableHash(document))); }
    const std::vector<ui::fake::FakeDialogs::Alert>& alerts() const { return toolkit.fakeDialogs.alerts; }
};

TEST_F(VersionRestoreTest, OffersEarlierVersionsButNotTheCurrentContent)
{
    const auto window = reader({ document });
    version("2000-7__Lease.pdf", "current"); // the document as it is now
    versions->restorePreviousVersion(*window);
    settle();
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].request.message, "No earlier versions yet");
    EXPECT_EQ(alerts()[0].request.informativeText,
        "Inkwarden keeps recent copies of a document it has open, so you can bring one back if the file changes. There are no earlier versions of \u201cLease.pdf\u201d to restore yet.");
    EXPECT_TRUE(popUps.empty());

    for (int second = 1000; second < 1010; ++second)
        version(std::to_string(second) + "-4__Lease.pdf", "older");
    versions->restorePreviousVersion(*window);
    settle();
    ASSERT_EQ(popUps.size(), 1u);
    ASSERT_EQ(popUps[0].size(), 8u);
    EXPECT_EQ(popUps[0][0].snap, home.file("versions/" + ikwStableHash(document) + "/1009-4__Lease.pdf"));
    EXPECT_EQ(popUps[0][0].doc, document);
    EXPECT_NE(popUps[0][0].title.find("   \u00b7   4 bytes"), std::string::npos) << popUps[0][0].title;
}

TEST_F(VersionRestoreTest, RestoringReplacesTheDocumentAndRefreshesItsReaders)
{
    const auto first = reader({ document });
    const auto other = reader({ home.file("Docs/Other.pdf"), document });
    const auto chosen = version("1000-5__Lease.pdf", "older");

    toolkit.fakeDialogs.alertAnswers.push_back({ .button = 1 }); // Cancel
    versions->restoreVersionPick(versionPayload({ "", chosen, document }));
    settle();
    EXPECT_EQ(testing::readTestFile(document), "current");
    EXPECT_EQ(banked().size(), 1u);

    versions->restoreVersionPick(versionPayload({ "", chosen, document }));
    settle();
    ASSERT_EQ(alerts().size(), 2u);
    EXPECT_EQ(alerts()[1].request.message, "Restore this version?");
    EXPECT_EQ(alerts()[1].request.buttons, (std::vector<std::string> { "Restore", "Cancel" }));
    EXPECT_EQ(testing::readTestFile(document), "older");
    EXPECT_EQ(banked(), (std::vector<std::string> { "1000-5__Lease.pdf", "2000-7__Lease.pdf" }));
    EXPECT_EQ(captures(*first), 1);
    EXPECT_EQ(viewOf(*first).reloads, 1);
    EXPECT_EQ(captures(*other), 0);
    EXPECT_EQ(viewOf(*other).reloads, 0);
}

TEST_F(VersionRestoreTest, AVersionGoneBeforeTheChoiceShowsTheFailure)
{
    const auto chosen = version("1000-5__Lease.pdf", "older");
    ::unlink(chosen.c_str());
    versions->restoreVersionPick(versionPayload({ "", chosen, document }));
    settle();
    ASSERT_EQ(alerts().size(), 2u);
    EXPECT_EQ(alerts()[1].request.message, "Could not restore that version");
    EXPECT_FALSE(alerts()[1].request.informativeText.empty());
    EXPECT_EQ(testing::readTestFile(document), "current");
}

TEST_F(VersionRestoreTest, APayloadWithoutBothPathsDoesNothing)
{
    for (const Json& payload : { Json(nullptr), Json { { "snap", "/a" } }, Json { { "doc", "/a" } }, Json { { "snap", 1 }, { "doc", "/a" } } }) {
        versions->restoreVersionPick(payload);
        settle();
    }
    EXPECT_TRUE(alerts().empty());
}

}
}
