#include "review/PageBridgeTestFixture.h"

#include "platform/core/TextMetrics.h"

#include <gmock/gmock.h>

namespace ikw {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kCopyDone = "window.InkwardenShareOnline&&InkwardenShareOnline._copyDone&&InkwardenShareOnline._copyDone(";

// An https link of exactly `graphemes` user-perceived characters, padded with a family emoji
// (several code points joined into one character).
std::string linkOfLength(std::size_t graphemes)
{
    std::string link = "https://x.y/";
    for (std::size_t count = graphemeCount(link); count < graphemes; ++count)
        link += "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
    EXPECT_EQ(graphemeCount(link), graphemes);
    return link;
}

class ScriptMessageChannel : public testing::PageBridgeFixture {
protected:
    void post(const Json& body) { view().postMessage(body); }
    ui::fake::FakeClipboard& clipboard() { return toolkit.fakeClipboard; }
};

TEST_F(ScriptMessageChannel, ClipboardTakesOnlyHttpsLinksWithAHostUpToTheLimit)
{
    struct Case {
        Json text;
        bool copied;
    };
    const std::vector<Case> cases {
        { "https://x.y/s/abc", true },
        { "HTTPS://x.y", true },
        { linkOfLength(kClipboardLinkLimit), true },
        { linkOfLength(kClipboardLinkLimit + 1), false },
        { "http://x.y", false },
        { "https:///", false },
        { "mailto:a@x.y", false },
        { std::string("https://x.y\0https://evil", 25), false },
        { "", false },
        { 42, false },
        { nullptr, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.dump().substr(0, 80));
        clipboard().contents = "before";
        view().evaluated.clear();
        Json body { { "action", "clipboard" } };
        if (!c.text.is_null())
            body["text"] = c.text;
        post(body);
        EXPECT_EQ(clipboard().contents, c.copied ? c.text.get<std::string>() : "before");
        EXPECT_THAT(view().evaluated, ElementsAre(kCopyDone + (c.copied ? "true" : "false") + ");"));
    }
}

TEST_F(ScriptMessageChannel, StatRecordsTheIdThenTheFunnelStep)
{
    std::vector<std::string> events;
    registerStatMessage(bridge->messages, StatSink {
        .record = [&](const std::string& id) { events.push_back("record " + id); },
        .funnel = [&](const std::string& flow, const std::string& step) { events.push_back("funnel " + flow + "/" + step); },
    });
    post({ { "action", "stat" }, { "id", "share.copy" }, { "flow", "share" }, { "step", "done" } });
    post({ { "action", "stat" }, { "flow", "share" } });
    post({ { "action", "stat" }, { "id", 7 }, { "flow", "share" }, { "step", 2 } });
    EXPECT_THAT(events, ElementsAre("record share.copy", "funnel share/done"));
}

TEST_F(ScriptMessageChannel, MalformedOrUnknownMessagesAreDropped)
{
    clipboard().contents = "before";
    for (const Json& body : { Json::array({ "clipboard" }), Json { { "action", 3 } }, Json { { "text", "https://x.y" } },
             Json { { "action", "acct-signin" } }, Json { { "action", "Clipboard" }, { "text", "https://x.y" } } })
        post(body);
    EXPECT_THAT(view().evaluated, IsEmpty());
    EXPECT_EQ(clipboard().contents, "before");
}

}
}
