#include "finder/FileActions.h"

#include "platform/core/WorkQueue.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/UrlQuery.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace ikw::finder {
namespace {

constexpr const char* kNoLink = "Couldn\u2019t get a Dropbox link for this file";

std::string escaped(const std::string& text)
{
    gchar* value = g_uri_escape_string(text.c_str(), nullptr, false);
    std::string result = value;
    g_free(value);
    return result;
}

TEST(CloudFolderLink, RemotePathAndHistoryAddress)
{
    EXPECT_EQ(cloudRemotePath("/home/u/Dropbox/a/Dropbox/b.pdf", "/Dropbox/"), "a/Dropbox/b.pdf") << "after the first occurrence";
    EXPECT_EQ(cloudRemotePath("/home/u/dropbox/b.pdf", "/Dropbox/"), std::nullopt) << "letter case counts";
    EXPECT_EQ(cloudRemotePath("/home/u/Dropbox/b.pdf", ""), std::nullopt) << "no marker set";

    const struct {
        std::string remote;
        std::string url;
    } cases[] = {
        { "b.pdf", "https://www.dropbox.com/home/?preview=b.pdf" },
        { "Work/Q 1/A & B=1+2.pdf", "https://www.dropbox.com/home/Work/Q%201?preview=A%20%26%20B%3D1%2B2.pdf" },
        { "R\u00E9sum\u00E9s/caf\u00E9 #1?.pdf", "https://www.dropbox.com/home/R%C3%A9sum%C3%A9s?preview=caf%C3%A9%20%231%3F.pdf" },
    };
    for (const auto& [remote, url] : cases) {
        EXPECT_EQ(cloudHistoryUrl(remote), url) << remote;
        EXPECT_EQ(urlQuery(cloudHistoryUrl(remote), "preview"), remote.substr(remote.rfind('/') + 1)) << "the name decodes back";
    }
}

// The cloud actions with a stand-in rclone first on PATH that records its arguments.
class CloudLinkTest : public testing::ReviewFixture {
protected:
    CloudLinkTest()
    {
        const char* path = std::getenv("PATH");
        m_savedPath = path ? path : "";
        ::setenv("PATH", (home.file("bin") + ":" + m_savedPath).c_str(), 1);
        writeConfig(R"({"cloudFolderMarker": "/Dropbox/"})");
        window = windows.open(std::nullopt);
        toolkit.fakeClipboard.contents = "before";
    }
    ~CloudLinkTest() override { ::setenv("PATH", m_savedPath.c_str(), 1); }

    void standIn(const std::string& body)
    {
        testing::writeTestFile(home.file("bin/rclone"), "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$HOME/argv\"\n" + body);
        ::chmod(home.file("bin/rclone").c_str(), 0755);
    }
    void send(const std::string& host, const std::string& path, double timeout = 60)
    {
        UrlActions actions;
        registerActions(actions, { .cloud = { .workers = &workers, .toolkit = &toolkit, .linkTimeoutSeconds = timeout } });
        actions.dispatch(host, UrlAction { *window, "qeliz://" + host + "?path=" + escaped(path) });
        workers.waitUntilIdle();
        queue.drain();
    }
    std::vector<std::string> toasts()
    {
        std::vector<std::string> shown;
        for (const std::string& script : viewOf(*window).evaluated)
            shown.push_back(script);
        return shown;
    }
    bool toasted(const std::string& message)
    {
        const auto& scripts = viewOf(*window).evaluated;
        return std::ranges::any_of(scripts, [&](const std::string& script) { return script == "window.__ikwToast && __ikwToast(" + jsQuote(message) + ")"; });
    }

    WorkQueue workers { "cloud-link", 2 };
    std::shared_ptr<ReviewWC> window;

private:
    std::string m_savedPath;
};

TEST_F(CloudLinkTest, TheFileNameReachesTheToolAsOneArgument)
{
    if (::access("/usr/local/bin/rclone", X_OK) == 0)
        GTEST_SKIP() << "an installed rclone would answer before the stand-in";
    standIn("echo 'https://x/y'\n");
    const std::string name = "`touch pwned`$HOME $(touch pwned2) \"q\" \\.pdf";
    send("dropboxlink", home.file("Dropbox/Docs/" + name));

    EXPECT_EQ(testing::readTestFile(home.file("argv")), "link\ndropbox:Docs/" + name + "\n");
    EXPECT_EQ(toolkit.fakeClipboard.contents, "https://x/y");
    EXPECT_TRUE(toasted("Getting Dropbox link\u2026"));
    EXPECT_TRUE(toasted("Dropbox link copied"));
    for (const char* trap : { "pwned", "pwned2" }) {
        EXPECT_NE(::access(trap, F_OK), 0) << trap;
        EXPECT_NE(::access(home.file(trap).c_str(), F_OK), 0) << trap;
    }
}

TEST_F(CloudLinkTest, NoLinkLeavesTheClipboardAlone)
{
    if (::access("/usr/local/bin/rclone", X_OK) == 0)
        GTEST_SKIP() << "an installed rclone would answer before the stand-in";
    const struct {
        const char* label;
        std::string body;
        double timeout;
    } cases[] = {
        { "an error", "echo 'ERROR : directory not found'\n", 60 },
        { "too slow", "sleep 5\necho 'https://late'\n", 0.5 },
    };
    for (const auto& [label, body, timeout] : cases) {
        viewOf(*window).evaluated.clear();
        standIn(body);
        send("dropboxlink", home.file("Dropbox/a.pdf"), timeout);
        EXPECT_EQ(toolkit.fakeClipboard.contents, "before") << label;
        EXPECT_TRUE(toasted(kNoLink)) << label;
        EXPECT_FALSE(toasted("Dropbox link copied")) << label;
    }
}

TEST_F(CloudLinkTest, FilesOutsideTheCloudFolderAreToldSo)
{
    standIn("echo 'https://x/y'\n");
    for (const char* host : { "dropboxlink", "dropboxhistory" }) {
        viewOf(*window).evaluated.clear();
        send(host, home.file("Documents/a.pdf"));
        EXPECT_EQ(toasts(), std::vector<std::string> { "window.__ikwToast && __ikwToast(" + jsQuote("This file isn\u2019t in your Dropbox") + ")" }) << host;
    }
    EXPECT_NE(::access(home.file("argv").c_str(), F_OK), 0) << "the tool never ran";
    EXPECT_TRUE(toolkit.fakeWorkspace.openedUrls.empty());
}

TEST_F(CloudLinkTest, HistoryOpensTheFilesPageInTheBrowser)
{
    send("dropboxhistory", home.file("Dropbox/Work/A & B=1+2.pdf"));
    EXPECT_EQ(toolkit.fakeWorkspace.openedUrls, std::vector<std::string> { "https://www.dropbox.com/home/Work?preview=A%20%26%20B%3D1%2B2.pdf" });
    EXPECT_TRUE(toasted("Opening in Dropbox \u2014 click \u22EF \u2192 Version history"));
}

}
}
