#include "finder/FileActions.h"
#include "finder/GridFileWork.h"

#include "platform/core/WorkQueue.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <barrier>

namespace ikw::finder {
namespace {

using Names = std::vector<std::string>;

std::string escaped(const std::string& text)
{
    gchar* value = g_uri_escape_string(text.c_str(), nullptr, false);
    std::string result = value;
    g_free(value);
    return result;
}

std::string pathsItem(const Names& paths)
{
    return "paths=" + escaped(toPlainJson(Json(paths)));
}

// The grid's file actions on a window of the recording toolkit, with real workers and the real
// file system in a temporary home.
class GridFileOpsTest : public testing::ReviewFixture {
protected:
    GridFileOpsTest()
    {
        registerActions(actions, { .grid = { .workers = &workers, .dialogs = &toolkit.dialogs(), .files = &files },
                                     .homeFolder = [this] { return home.path(); } });
        window = windows.open(std::nullopt);
    }

    // Sends an action and waits for its replies; every fileOpDone the page got, as JSON.
    std::vector<Json> send(const std::string& host, const std::string& query, std::size_t replies = 1)
    {
        actions.dispatch(host, UrlAction { *window, "qeliz://" + host + "?" + query });
        queue.runUntil([&] { return fileOpReplies().size() >= replies; }, 10);
        workers.waitUntilIdle();
        queue.drain();
        return fileOpReplies();
    }
    Json sendOne(const std::string& host, const std::string& query)
    {
        const auto replies = send(host, query);
        EXPECT_EQ(replies.size(), 1u) << host << "?" << query;
        viewOf(*window).evaluated.clear();
        return replies.empty() ? Json() : replies.front();
    }
    std::vector<Json> fileOpReplies()
    {
        const std::string head = "if(window.fileOpDone){try{fileOpDone(", tail = ")}catch(e){}}";
        std::vector<Json> replies;
        for (const std::string& script : viewOf(*window).evaluated) {
            if (script.starts_with(head) && script.ends_with(tail))
                replies.push_back(parseJson(script.substr(head.size(), script.size() - head.size() - tail.size())).value_or(Json()));
        }
        return replies;
    }
    std::string file(const std::string& relative, const std::string& contents = "x")
    {
        return testing::writeTestFile(home.file(relative), contents);
    }
    std::string folder(const std::string& relative)
    {
        std::filesystem::create_directories(home.file(relative));
        return home.file(relative);
    }

    WorkQueue workers { "grid-file-ops", 3 };
    FaultyFileSystem files;
    UrlActions actions;
    std::shared_ptr<ReviewWC> window;
};

TEST_F(GridFileOpsTest, MovesTakeFreeNamesAndSkipItemsAlreadyThere)
{
    const std::string dest = folder("Dest");
    file("Dest/a.pdf", "old");
    file("Dest/a 2.pdf", "old 2");
    folder("Dest/Notes");
    const std::string pdf = file("In/a.pdf", "new");
    const std::string notes = folder("In/Notes");
    file("In/Notes/n.txt", "note");
    const std::string resident = file("Dest/here.pdf");

    Json reply = sendOne("move", "dest=" + escaped(dest) + "&" + pathsItem({ pdf, notes, resident }));
    EXPECT_EQ(reply["op"], "move");
    EXPECT_EQ(reply["moved"], (Json { { { "from", pdf }, { "to", dest + "/a 3.pdf" } }, { { "from", notes }, { "to", dest + "/Notes 2" } } }));
    EXPECT_EQ(reply["failed"], Json::array());
    EXPECT_EQ(reply["dest"], dest);
    EXPECT_EQ(reply["folder"], "");
    EXPECT_EQ(testing::readTestFile(dest + "/a 3.pdf"), "new");
    EXPECT_EQ(testing::readTestFile(dest + "/Notes 2/n.txt"), "note");

    // Written with a trailing slash or a dot, the destination is still the items' own folder.
    for (const std::string& same : { dest + "/", dest + "/./" }) {
        reply = sendOne("move", "dest=" + escaped(same) + "&" + pathsItem({ resident, dest + "/a.pdf" }));
        EXPECT_EQ(reply["moved"], Json::array()) << same;
        EXPECT_EQ(reply["failed"], Json::array()) << same;
        EXPECT_EQ(reply["dest"], same);
    }
    EXPECT_EQ(testing::folderEntries(dest), (Names { "Notes", "Notes 2", "a 2.pdf", "a 3.pdf", "a.pdf", "here.pdf" }));
}

TEST_F(GridFileOpsTest, BadItemsFailAloneAndABadDestinationFailsThemAll)
{
    const std::string dest = folder("Dest");
    const std::string a = file("In/a.pdf");
    const std::string b = file("In/b.pdf");
    const std::string missing = home.file("In/gone.pdf");

    Json reply = sendOne("move", "dest=" + escaped(dest) + "&" + pathsItem({ a, "In/b.pdf", missing, b }));
    EXPECT_EQ(reply["moved"].size(), 2u);
    EXPECT_EQ(reply["failed"], (Json { "In/b.pdf", missing }));
    EXPECT_EQ(testing::folderEntries(dest), (Names { "a.pdf", "b.pdf" }));

    reply = sendOne("move", "dest=" + escaped(dest));
    EXPECT_EQ(reply, (Json { { "op", "move" }, { "moved", Json::array() }, { "failed", Json::array() }, { "dest", dest }, { "folder", "" } }));

    const std::string c = file("In/c.pdf");
    const std::string asFile = file("plain.txt");
    for (const std::string& bad : { asFile, home.file("nowhere"), std::string("Dest") }) {
        reply = sendOne("move", "dest=" + escaped(bad) + "&" + pathsItem({ c }));
        EXPECT_EQ(reply, (Json { { "op", "move" }, { "moved", Json::array() }, { "failed", { c } }, { "dest", bad } })) << bad;
    }
    EXPECT_TRUE(std::filesystem::exists(c));

    // A folder never goes into itself.
    const std::string outer = folder("Outer/Inner");
    reply = sendOne("move", "dest=" + escaped(outer) + "&" + pathsItem({ home.file("Outer") }));
    EXPECT_EQ(reply["failed"], Json::array({ home.file("Outer") }));

    const auto before = viewOf(*window).evaluated.size();
    actions.dispatch("move", UrlAction { *window, "qeliz://move?" + pathsItem({ c }) });
    workers.waitUntilIdle();
    queue.drain();
    EXPECT_EQ(viewOf(*window).evaluated.size(), before) << "no dest: nothing happens";
}

TEST_F(GridFileOpsTest, NewFoldersAreNumberedAndFilledInOneReply)
{
    const std::string parent = folder("Work");
    EXPECT_EQ(sendOne("newfolder", "parent=" + escaped(parent)),
        (Json { { "op", "newfolder" }, { "dest", parent + "/untitled folder" }, { "folder", "untitled folder" } }));
    EXPECT_EQ(sendOne("newfolder", "parent=" + escaped(parent) + "&name="),
        (Json { { "op", "newfolder" }, { "dest", parent + "/untitled folder 2" }, { "folder", "untitled folder 2" } }));
    EXPECT_EQ(sendOne("newfolder", "name=Top")["dest"], home.file("Top")) << "without a parent: the home folder";

    const std::string a = file("Work/a.pdf");
    const std::string b = file("Work/b.pdf");
    folder("Work/Bundle");
    const Json reply = sendOne("newfolder", "parent=" + escaped(parent) + "&name=Bundle&" + pathsItem({ a, b }));
    EXPECT_EQ(reply["op"], "move");
    EXPECT_EQ(reply["folder"], "Bundle 2");
    EXPECT_EQ(reply["dest"], parent + "/Bundle 2");
    EXPECT_EQ(reply["moved"].size(), 2u);
    EXPECT_EQ(testing::folderEntries(parent + "/Bundle 2"), (Names { "a.pdf", "b.pdf" }));
}

TEST_F(GridFileOpsTest, NamesThatLeaveTheFolderAreRefused)
{
    const std::string parent = folder("Work/Sub");
    const std::string item = file("Work/Sub/report.pdf");
    // As they stand in the query.
    for (const std::string name : { "..%2Fx", "a%2Fb", "..", ".", "" }) {
        EXPECT_EQ(sendOne("rename", "path=" + escaped(item) + "&name=" + name),
            (Json { { "op", "rename" }, { "failed", { item } } }))
            << name;
        if (name.empty())
            continue; // an empty folder name is "untitled folder"
        EXPECT_EQ(sendOne("newfolder", "parent=" + escaped(parent) + "&name=" + name + "&" + pathsItem({ item })),
            (Json { { "op", "newfolder" }, { "failed", { item } } }))
            << name;
    }
    EXPECT_EQ(sendOne("newfolder", "parent=relative&name=x"), (Json { { "op", "newfolder" }, { "failed", { "relative" } } }));
    // A NUL never decodes: the rename lacks its name and does nothing, the new folder is refused.
    EXPECT_TRUE(send("rename", "path=" + escaped(item) + "&name=a%00b", 0).empty());
    EXPECT_EQ(sendOne("newfolder", "parent=" + escaped(parent) + "&name=a%00b"), (Json { { "op", "newfolder" }, { "failed", { parent } } }));
    EXPECT_EQ(testing::folderEntries(home.file("Work")), (Names { "Sub" }));
    EXPECT_EQ(testing::folderEntries(parent), (Names { "report.pdf" }));
}

TEST_F(GridFileOpsTest, RenamesInPlace)
{
    const std::string report = file("Work/report.pdf", "r");
    file("Work/taken.pdf", "t");

    EXPECT_EQ(sendOne("rename", "path=" + escaped(report) + "&name=report.pdf"),
        (Json { { "op", "rename" }, { "renamed", { { report, report } } } }));
    EXPECT_EQ(testing::folderEntries(home.file("Work")), (Names { "report.pdf", "taken.pdf" })) << "its own name moves nothing";

    EXPECT_EQ(sendOne("rename", "path=" + escaped(report) + "&name=final.pdf"),
        (Json { { "op", "rename" }, { "renamed", { { report, home.file("Work/final.pdf") } } } }));
    EXPECT_EQ(sendOne("rename", "path=" + escaped(home.file("Work/final.pdf")) + "&name=taken.pdf")["renamed"],
        (Json { { home.file("Work/final.pdf"), home.file("Work/taken 2.pdf") } }));
    EXPECT_EQ(testing::readTestFile(home.file("Work/taken.pdf")), "t");
    EXPECT_EQ(testing::readTestFile(home.file("Work/taken 2.pdf")), "r");
    EXPECT_EQ(sendOne("rename", "path=" + escaped(home.file("Work/gone.pdf")) + "&name=x.pdf")["failed"], Json::array({ home.file("Work/gone.pdf") }));
}

TEST_F(GridFileOpsTest, TrashGoesToTheUsersTrash)
{
    const std::string kept = file("Work/kept.pdf");
    const std::string binned = file("Work/binned.pdf", "bin me");
    files.fail(FaultyFileSystem::Operation::Trash, "kept");

    const Json reply = sendOne("trash", pathsItem({ binned, kept, "relative.pdf" }));
    EXPECT_EQ(reply, (Json { { "op", "trash" }, { "trashed", { binned } }, { "failed", { kept, "relative.pdf" } } }));
    EXPECT_FALSE(std::filesystem::exists(binned));
    EXPECT_TRUE(std::filesystem::exists(kept));
    EXPECT_EQ(testing::readTestFile(home.file(".local/share/Trash/files/binned.pdf")), "bin me");
}

TEST_F(GridFileOpsTest, MovePickAsksForAFolderWithoutAParent)
{
    const std::string a = file("In/a.pdf");
    const std::string b = file("In/b.pdf");
    const std::string c = file("In/c.pdf");
    const std::string dest = folder("Chosen");

    toolkit.fakeDialogs.openAnswers.push_back(std::nullopt);
    EXPECT_TRUE(send("movepick", pathsItem({ a, b, c }), 0).empty()) << "cancel sends nothing";
    toolkit.fakeDialogs.openAnswers.push_back(Names { dest });
    const auto replies = send("movepick", pathsItem({ a }));
    send("movepick", "paths=");

    ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 2u);
    const ui::FilePanelOptions& three = toolkit.fakeDialogs.panels[0];
    EXPECT_EQ(three.message, "Choose a folder to move 3 items into");
    EXPECT_EQ(three.prompt, "Move Here");
    EXPECT_TRUE(three.chooseDirectories);
    EXPECT_FALSE(three.chooseFiles);
    EXPECT_FALSE(three.allowsMultiple);
    EXPECT_EQ(toolkit.fakeDialogs.panels[1].message, "Choose a folder to move 1 item into");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0]["moved"], Json::array({ Json { { "from", a }, { "to", dest + "/a.pdf" } } }));
}

TEST_F(GridFileOpsTest, RacingMovesOfOneNameKeepBothFiles)
{
    const std::string dest = folder("Dest");
    for (int round = 0; round < 20; ++round) {
        const std::string first = file("One/a.pdf", "one");
        const std::string second = file("Two/a.pdf", "two");
        viewOf(*window).evaluated.clear();
        actions.dispatch("move", UrlAction { *window, "qeliz://move?dest=" + escaped(dest) + "&" + pathsItem({ first }) });
        send("move", "dest=" + escaped(dest) + "&" + pathsItem({ second }), 2);

        ASSERT_EQ(testing::folderEntries(dest), (Names { "a 2.pdf", "a.pdf" })) << "round " << round;
        const std::string both = testing::readTestFile(dest + "/a.pdf") + testing::readTestFile(dest + "/a 2.pdf");
        EXPECT_TRUE(both == "onetwo" || both == "twoone") << both;
        testing::removeTree(dest);
        folder("Dest");
    }
}

}
}
