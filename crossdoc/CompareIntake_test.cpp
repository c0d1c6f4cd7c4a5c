#include "crossdoc/CompareIntake.h"

#include "crossdoc/CrossDocActions.h"
#include "library/LibraryLayer.h"
#include "review/ReviewActions.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

// What one ikwCompareSet call hands the page, read back as the page would read it.
struct SlotCall {
    std::string slot;
    std::string path;
    std::string name;
    bool operator==(const SlotCall&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SlotCall& call)
{
    return out << call.slot << " " << call.path << " (" << call.name << ")";
}

class CompareIntaking : public ikw::testing::ReviewFixture {
protected:
    CompareIntaking()
    {
        ikw::registerActions(actions, ReviewActionParts {});
        registerActions(actions, { .compareIntake = intake });
        services.features.compareIntakeDrop = compareIntakeDrop;
    }

    void send(ReviewWC& window, const std::string& url) { actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url }); }
    std::string doc(const std::string& name) const { return ikw::testing::writeTestFile(home.file("docs/" + name), "text"); }
    std::shared_ptr<ReviewWC> intakeWindow()
    {
        intake->openCompareIntake();
        for (const auto& window : windows.windows()) {
            if (window->isCompareIntake)
                return window;
        }
        return nullptr;
    }
    // The slot calls the window's page was given, in order. The arguments are JavaScript string
    // literals; as JSON text they read back to what the page sees.
    std::vector<SlotCall> slotCalls(ReviewWC& window)
    {
        const std::string prefix = "if(window.ikwCompareSet)ikwCompareSet('";
        std::vector<SlotCall> calls;
        for (const auto& script : viewOf(window).evaluated) {
            if (!script.starts_with(prefix) || !script.ends_with(")"))
                continue;
            const auto slot = script.substr(prefix.size(), 1);
            const auto rest = script.substr(prefix.size() + 3, script.size() - prefix.size() - 4);
            const auto values = parseJson("[" + rest + "]").value_or(Json());
            if (values.is_array() && values.size() == 2)
                calls.push_back({ slot, values[0].get<std::string>(), values[1].get<std::string>() });
            else
                calls.push_back({ slot, "unreadable: " + rest, "" });
        }
        return calls;
    }

    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<CompareIntake> intake = std::make_shared<CompareIntake>(toolkit.fakeDialogs, [this] { return library; });
    UrlActions actions;
};

TEST_F(CompareIntaking, TheIntakeOpensInAnEmptyKeyWindowElseInANewTab)
{
    const auto host = windows.open(std::nullopt);
    const auto first = intakeWindow();
    ASSERT_EQ(first, host);
    EXPECT_TRUE(first->hasContent);
    EXPECT_EQ(windowOf(*first).title(), "Compare Documents");
    EXPECT_EQ(first->representedFile(), "");
    const std::string page = viewOf(*first).loads.back().substr(std::string("file://").size());
    EXPECT_EQ(page.rfind(globals.get().archive + "/.cmpintake-", 0), 0u) << page;
    EXPECT_EQ(ikw::testing::readTestFile(page), globals.get().compareIntakeHTML);

    first->isCompareIntake = false; // a second intake must not reuse the first, which has content
    const auto second = intakeWindow();
    ASSERT_TRUE(second);
    EXPECT_NE(second, host);
    EXPECT_EQ(&second->window(), &host->window());
}

TEST_F(CompareIntaking, ThePanelFillsTheSlotItWasOpenedFor)
{
    struct Case {
        const char* query;
        const char* slot;
        const char* message;
    };
    const Case cases[] = {
        { "comparepick?side=b", "b", "Choose the newer (B) document. PDF, Word, or text." },
        { "comparepick?side=B", "a", "Choose the older (A) document. PDF, Word, or text." },
        { "comparepick?side=a", "a", "Choose the older (A) document. PDF, Word, or text." },
        { "comparepick", "a", "Choose the older (A) document. PDF, Word, or text." },
    };
    const auto window = intakeWindow();
    for (const auto& test : cases) {
        viewOf(*window).evaluated.clear();
        toolkit.fakeDialogs.panels.clear();
        toolkit.fakeDialogs.openAnswers = { std::vector<std::string> { "/docs/v2.docx" } };
        send(*window, test.query);
        ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u) << test.query;
        const auto& panel = toolkit.fakeDialogs.panels.front();
        EXPECT_EQ(panel.message, test.message) << test.query;
        EXPECT_EQ(panel.prompt, "Choose");
        EXPECT_TRUE(panel.extensions.empty());
        EXPECT_TRUE(panel.chooseFiles && !panel.chooseDirectories && !panel.allowsMultiple);
        EXPECT_EQ(slotCalls(*window), (std::vector<SlotCall> { { test.slot, "/docs/v2.docx", "v2.docx" } })) << test.query;
    }

    viewOf(*window).evaluated.clear();
    for (const auto& answer : { std::optional<std::vector<std::string>>(), std::optional(std::vector<std::string> {}) }) {
        toolkit.fakeDialogs.openAnswers = { answer };
        send(*window, "comparepick?side=b");
    }
    EXPECT_TRUE(viewOf(*window).evaluated.empty()) << "a cancelled panel sends nothing";
}

TEST_F(CompareIntaking, DropsFillTheSlotsByOrderOrByTheHalfTheyLandOn)
{
    const auto older = doc("v1.pdf");
    const auto newer = doc("v2.docx");
    const auto third = doc("v3.txt");
    const auto folder = home.file("docs");
    struct Case {
        const char* what;
        std::vector<std::string> paths;
        double x;
        std::vector<SlotCall> calls;
    };
    const Case cases[] = {
        { "three files fill a then b", { older, newer, third }, 700, { { "a", older, "v1.pdf" }, { "b", newer, "v2.docx" } } },
        { "one file on the right half", { newer }, 450, { { "b", newer, "v2.docx" } } },
        { "one file on the left half", { newer }, 399, { { "a", newer, "v2.docx" } } },
        { "a folder and a file: the file, by position", { folder, older }, 10, { { "a", older, "v1.pdf" } } },
        { "folders only", { folder, folder }, 10, {} },
    };
    const auto window = intakeWindow();
    for (const auto& test : cases) {
        viewOf(*window).evaluated.clear();
        viewOf(*window).dropFiles(test.paths, test.x, 30, 800);
        EXPECT_EQ(slotCalls(*window), test.calls) << test.what;
    }
    EXPECT_TRUE(engineRuns.empty()) << "an intake drop opens nothing";

    viewOf(*window).evaluated.clear();
    viewOf(*window).dropFiles({ older }, 10, 30);
    EXPECT_EQ(slotCalls(*window), (std::vector<SlotCall> { { "b", older, "v1.pdf" } })) << "no width: the middle is 0";
}

TEST_F(CompareIntaking, QuotesLineBreaksAndBackslashesReachThePageIntact)
{
    const std::string odd = "/docs/say \"hi\"\\there/line\nbreak\u2028end.pdf";
    const auto window = intakeWindow();
    compareIntakeDrop(*window, { odd }, DropPoint { 1, 1, 800 });
    ASSERT_EQ(viewOf(*window).evaluated.size(), 1u);
    const auto& script = viewOf(*window).evaluated.front();
    EXPECT_EQ(script.find('\n'), std::string::npos) << script;
    EXPECT_EQ(script.find("\u2028"), std::string::npos) << script;
    EXPECT_EQ(slotCalls(*window), (std::vector<SlotCall> { { "a", odd, "line\nbreak\u2028end.pdf" } }));
}

TEST_F(CompareIntaking, CompareGoTurnsTheIntakeIntoTheCompareReview)
{
    const auto older = doc("v1.pdf");
    const auto newer = doc("v2.docx");
    const auto window = intakeWindow();
    send(*window, "comparego?a=" + older);
    EXPECT_TRUE(engineRuns.empty()) << "both documents are needed";

    send(*window, "comparego?a=" + older + "&b=" + newer);
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(window->reviewMode, "compare");
    EXPECT_EQ(window->sourcePaths, (std::vector<std::string> { older, newer }));
    EXPECT_FALSE(window->isCompareIntake);

    viewOf(*window).evaluated.clear();
    viewOf(*window).dropFiles({ home.file("docs") }, 10, 10, 800);
    EXPECT_TRUE(slotCalls(*window).empty());
    EXPECT_EQ(engineRuns.size(), 2u) << "the drop is opened as usual";
}

}
}
