#include "assistants/AskDocuments.h"

#include "assistants/AssistantActions.h"
#include "library/LibraryLayer.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace ikw::assistants {
namespace {

using ikw::testing::writeTestFile;

std::vector<std::string> namesOf(const AskPageScope& scope)
{
    std::vector<std::string> names;
    for (const auto& file : scope.files)
        names.push_back(file.name + ":" + file.type);
    return names;
}

TEST(AskPageScope, ListsAFolderDocumentsInByteOrderCountedBeforeTheCap)
{
    ikw::testing::TempHome home;
    const std::string many = home.file("many");
    for (int i = 350; i >= 1; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.txt", i);
        writeTestFile(many + "/" + name, "x");
    }
    const auto big = askPageScope(many);
    EXPECT_TRUE(big.isFolder);
    EXPECT_EQ(big.count, 350);
    ASSERT_EQ(big.files.size(), 300u);
    EXPECT_EQ(big.files.front().name, "f001.txt");
    EXPECT_EQ(big.files.back().name, "f300.txt");

    const std::string mixed = home.file("mixed");
    for (const char* name : { ".DS_Store", ".notes.pdf", "photo.jpg", "report.PDF", "b.docx", "Sheet.xlsx", "README" })
        writeTestFile(mixed + "/" + name, "x");
    std::filesystem::create_directories(mixed + "/Old.pdf");
    const auto listed = askPageScope(mixed);
    EXPECT_EQ(namesOf(listed), (std::vector<std::string> { "Old.pdf:PDF", "Sheet.xlsx:XLSX", "b.docx:DOCX", "report.PDF:PDF" }));
    EXPECT_EQ(listed.count, 4);
    EXPECT_EQ(listed.name, "mixed");

    for (const std::string& path : { mixed + "/report.PDF", home.file("vanished") }) {
        const auto single = askPageScope(path);
        EXPECT_FALSE(single.isFolder) << path;
        EXPECT_TRUE(single.files.empty()) << path;
        EXPECT_EQ(single.count, 0) << path;
        EXPECT_EQ(single.path, path);
    }
}

// The "ai" action over a runner that records its arguments and answers at once.
class Asking : public ikw::testing::ReviewFixture {
protected:
    Asking() { registerActions(actions, { .organizer = nullptr, .ask = ask }); }

    void send(ReviewWC& window, const std::string& url) { actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url }); }

    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::vector<std::vector<std::string>> runs;
    std::string reply = R"({"answer":"yes"})";
    std::shared_ptr<AskDocuments> ask = std::make_shared<AskDocuments>(AskServices {
        .library = [this] { return library; },
        .dialogs = &toolkit.fakeDialogs,
        .runAI = [this](std::vector<std::string> arguments, EngineAnswer completion) {
            runs.push_back(std::move(arguments));
            completion(reply);
        },
    });
    UrlActions actions;
};

TEST_F(Asking, EachRequestRunsItsCommandLineAndAnswersItsCallback)
{
    struct Case {
        const char* name;
        std::string query;
        std::vector<std::string> arguments; // empty: nothing runs
        std::string answer;                 // empty: nothing is answered
    };
    const Case cases[] = {
        { "status", "mode=status&id=status&doc=", { "status" }, R"(if(window.iwStatus)try{iwStatus({"answer":"yes"})}catch(e){})" },
        { "ask without a question", "mode=ask&id=m1&doc=%2Fd%2Fa.pdf&q=", { "ask", "--doc", "/d/a.pdf", "--q", "" },
            R"(if(window.iwReply)try{iwReply("m1",{"answer":"yes"})}catch(e){})" },
        { "ask with no q item", "mode=ask&id=m2&doc=/d/a.pdf", { "ask", "--doc", "/d/a.pdf", "--q", "" },
            R"(if(window.iwReply)try{iwReply("m2",{"answer":"yes"})}catch(e){})" },
        { "ask keeps plus signs", "mode=ask&id=m3&doc=/d/a.pdf&q=1+1%3F", { "ask", "--doc", "/d/a.pdf", "--q", "1+1?" },
            R"(if(window.iwReply)try{iwReply("m3",{"answer":"yes"})}catch(e){})" },
        { "terms", "mode=terms&id=t&doc=/d", { "terms", "--doc", "/d" }, R"(if(window.iwReply)try{iwReply("t",{"answer":"yes"})}catch(e){})" },
        { "a quote in the id", "mode=summarize&id=a'b%22)%3Balert(1)%2F%2F&doc=/d",  { "summarize", "--doc", "/d" },
            R"(if(window.iwReply)try{iwReply("a'b\");alert(1)\/\/",{"answer":"yes"})}catch(e){})" },
        { "summarize without a document", "mode=summarize&id=s&doc=", {}, "" },
        { "a relative document", "mode=summarize&id=s&doc=-rf", {}, "" },
        { "another mode", "mode=other&id=o&doc=/d", {}, "" },
        { "no items", "", {}, "" },
    };
    for (const Case& c : cases) {
        const auto window = windows.open(std::nullopt);
        runs.clear();
        send(*window, "ai?" + c.query);
        using Runs = std::vector<std::vector<std::string>>;
        using Scripts = std::vector<std::string>;
        EXPECT_EQ(runs, c.arguments.empty() ? Runs {} : Runs { c.arguments }) << c.name;
        EXPECT_EQ(viewOf(*window).evaluated, c.answer.empty() ? Scripts {} : Scripts { c.answer }) << c.name;
    }
}

TEST_F(Asking, TheAskActionOpensThePickerForAFileOrAFolder)
{
    send(*windows.open(std::nullopt), "ask");
    ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u);
    const auto& panel = toolkit.fakeDialogs.panels.front();
    EXPECT_EQ(panel.title, "Ask a Document or Folder");
    EXPECT_EQ(panel.prompt, "Ask");
    EXPECT_EQ(panel.message, "Choose a document \u2014 or a folder to search across every file in it \u2014 answered privately on your "
                             "computer. PDF, Word, or text.");
    EXPECT_TRUE(panel.chooseFiles && panel.chooseDirectories && !panel.allowsMultiple);
}

}
}
