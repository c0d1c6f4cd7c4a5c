#include "crossdoc/LinksTestFixture.h"

#include "platform/core/Base64.h"
#include "platform/core/FileSystem.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

const std::string kModeOff = "if(window.ikwLinkMode){ikwLinkMode(false,'')}";
const std::string kLinkingToast = "if(window.__ikwToast){__ikwToast('Linking: select a passage in another document, then Link here')}";
const std::string kCreatedToast = "if(window.__ikwToast){__ikwToast('Link created')}";
const std::string kReload = "if(window.ikwReloadLinks){ikwReloadLinks()}";

std::string modeOn(const std::string& label)
{
    return "if(window.ikwLinkMode){ikwLinkMode(true,'" + label + "')}";
}

std::string focusScript(const std::string& id, const std::string& end)
{
    return "if(window.ikwFocusLink){ikwFocusLink('" + id + "','" + end + "')}";
}

// The payload of an ikwLinks answer, decoded as the page decodes it (Base64, then UTF-8 JSON).
Json linksPayload(const std::string& script)
{
    const std::string prefix = "if(window.ikwLinks){try{ikwLinks(JSON.parse(decodeURIComponent(escape(atob('";
    const std::string suffix = "')))))}catch(e){console.warn(e)}}";
    EXPECT_TRUE(script.starts_with(prefix) && script.ends_with(suffix)) << script;
    if (!script.starts_with(prefix) || !script.ends_with(suffix))
        return nullptr;
    const auto bytes = decodeBase64(script.substr(prefix.size(), script.size() - prefix.size() - suffix.size()));
    return bytes ? parseJson(*bytes).value_or(Json()) : Json();
}

class Links : public testing::LinksFixture {
protected:
    std::shared_ptr<ReviewWC> first = reader(doc("first.pdf"));
    std::shared_ptr<ReviewWC> second = reader(doc("second.pdf"));
    std::shared_ptr<ReviewWC> third = reader(doc("third.pdf"));

    // Every reader's scripts since the last look, in reader order.
    std::vector<std::vector<std::string>> everyReadersScripts() { return { scriptsOf(*first), scriptsOf(*second), scriptsOf(*third) }; }

    // The answer to "links" from `window`'s page.
    Json askLinks(ReviewWC& window)
    {
        scriptsOf(window);
        send(window, "links");
        const auto scripts = scriptsOf(window);
        return scripts.size() == 1 ? linksPayload(scripts[0]) : Json();
    }
};

const Json kFirstEnd = { { "path", "/d/first.pdf" }, { "page", 3 }, { "text", "rent is due" }, { "quad", { 1, 2 } } };
const Json kSecondEnd = { { "path", "/d/second.pdf" }, { "page", 1 }, { "text", "grace period" } };

TEST_F(Links, LinkMakingFollowsItsStateTable)
{
    enum class Start { Idle, Pending };
    const std::vector<std::string> on = { modeOn("first.pdf \u00b7 p.3"), kLinkingToast };
    const struct {
        const char* name;
        Start start;
        const char* action;
        Json global;
        bool pendingAfter;
        std::vector<std::string> everyReaderGets;
        std::size_t storedLinks;
    } cases[] = {
        { "start while idle", Start::Idle, "linkstart", toJson(kFirstEnd), true, on, 0 },
        { "start while pending replaces the first end", Start::Pending, "linkstart", toJson(kFirstEnd), true, on, 0 },
        { "finish while pending makes the link", Start::Pending, "linkfinish", toJson(kSecondEnd), false, { kModeOff, kCreatedToast, kReload }, 1 },
        { "finish while idle starts a link", Start::Idle, "linkfinish", toJson(kFirstEnd), true, on, 0 },
        { "cancel while pending", Start::Pending, "linkcancel", nullptr, false, { kModeOff }, 0 },
        { "cancel while idle", Start::Idle, "linkcancel", nullptr, false, { kModeOff }, 0 },
        { "empty global", Start::Pending, "linkfinish", "", true, {}, 0 },
        { "missing global", Start::Idle, "linkstart", nullptr, false, {}, 0 },
        { "array", Start::Pending, "linkfinish", "[1,2]", true, {}, 0 },
        { "string", Start::Idle, "linkstart", "\"/d/first.pdf\"", false, {}, 0 },
        { "not JSON", Start::Pending, "linkstart", "{path:", true, {}, 0 },
        { "an object, not its text", Start::Idle, "linkstart", kFirstEnd, false, {}, 0 },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        realFileSystem().removeFile(storePath());
        links->pendingLinkEndpoint.reset();
        if (test.start == Start::Pending)
            links->beginLink(kSecondEnd);
        everyReadersScripts();

        send(*second, test.action, test.global);

        const std::vector<std::vector<std::string>> expected(3, test.everyReaderGets);
        EXPECT_EQ(everyReadersScripts(), expected);
        EXPECT_EQ(links->pendingLinkEndpoint.has_value(), test.pendingAfter);
        if (test.pendingAfter && !test.everyReaderGets.empty()) {
            EXPECT_EQ(*links->pendingLinkEndpoint, kFirstEnd);
        }
        EXPECT_EQ(loadLinks().size(), test.storedLinks);
        EXPECT_EQ(realFileSystem().exists(storePath()), test.storedLinks > 0);
    }
}

TEST_F(Links, AMadeLinkHoldsBothEndsWholeInOrder)
{
    send(*first, "linkstart", toJson(kFirstEnd));
    send(*third, "linkfinish", toJson(kSecondEnd));
    const auto stored = loadLinks();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]["a"], kFirstEnd); // fields the page added survive
    EXPECT_EQ(stored[0]["b"], kSecondEnd);
    EXPECT_EQ(stored[0]["note"], "");
}

TEST_F(Links, LabelsNameTheDocumentAndPageAndStayInsideTheirQuotes)
{
    const struct {
        Json endpoint;
        const char* label;
    } cases[] = {
        { { { "path", "/d/it's.pdf" }, { "page", 3 } }, "it\\'s.pdf \u00b7 p.3" },
        { Json::object(), "document \u00b7 p.0" },
        { { { "path", "/d/two\nline\\s.pdf" }, { "page", 12 } }, "two line\\\\s.pdf \u00b7 p.12" },
        { { { "path", 7 }, { "page", "3" } }, "document \u00b7 p.0" },
        { { { "path", "/d/r\u00e9sum\u00e9.pdf" }, { "page", 2.5 } }, "r\u00e9sum\u00e9.pdf \u00b7 p.0" },
        { { { "path", "/d/a.pdf" }, { "page", true } }, "a.pdf \u00b7 p.0" },
        { { { "path", "/d/a.pdf" }, { "page", -4 } }, "a.pdf \u00b7 p.-4" },
    };
    for (const auto& test : cases)
        EXPECT_EQ(linkModeLabel(test.endpoint), test.label) << test.endpoint.dump();

    send(*first, "linkstart", toJson(Json { { "path", "/d/it's.pdf" }, { "page", 3 } }));
    EXPECT_EQ(scriptsOf(*third).front(), "if(window.ikwLinkMode){ikwLinkMode(true,'it\\'s.pdf \u00b7 p.3')}");
}

TEST_F(Links, TheListAnswerCarriesTheWholeStoreAndAnyTextSafely)
{
    const Json awkward = { { "path", "/d/Stra\u00dfe 'Akte'.pdf" }, { "page", 2 }, { "text", "line one\nline 'two' \\ \u2028 \u6587\u5b57 </script>" } };
    links->beginLink(awkward);
    links->finishLink(kSecondEnd);

    everyReadersScripts();
    send(*first, "links");
    const auto scripts = scriptsOf(*first);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0].find('\n'), std::string::npos);
    const auto payload = linksPayload(scripts[0]);
    EXPECT_EQ(payload["self"], doc("first.pdf"));
    EXPECT_EQ(payload["links"], Json(loadLinks()));
    EXPECT_EQ(payload["links"][0]["a"], awkward);
    EXPECT_FALSE(payload.contains("focus"));
    EXPECT_TRUE(scriptsOf(*second).empty()); // only the page that asked

    auto empty = windows.open(std::nullopt); // a window without a document
    EXPECT_EQ(askLinks(*empty)["self"], "");
}

TEST_F(Links, AJumpToAHiddenReaderOpensTheDocumentAndHandsTheFocusOverOnce)
{
    const auto target = existingDoc("target.pdf");
    const auto hidden = reader(target, false);
    const std::size_t before = windows.windows().size();
    send(*first, "linkjump", toJson(Json { { "path", target }, { "page", 7 }, { "id", "L'1" }, { "end", "b" } }));

    ASSERT_EQ(windows.windows().size(), before + 1); // openReader made a new reader at the page
    const auto opened = windows.windows().back();
    EXPECT_TRUE(opened->isReader);
    EXPECT_EQ(opened->sourcePaths, std::vector<std::string> { target });
    EXPECT_NE(viewOf(*opened).loads.back().find("&page=7"), std::string::npos) << viewOf(*opened).loads.back();
    ASSERT_TRUE(links->pendingLinkFocus);
    EXPECT_EQ(links->pendingLinkFocus->path, target);
    EXPECT_TRUE(scriptsOf(*hidden).empty());

    EXPECT_FALSE(askLinks(*first).contains("focus")); // another document leaves it waiting
    EXPECT_TRUE(links->pendingLinkFocus);
    EXPECT_EQ(askLinks(*opened)["focus"], (Json { { "id", "L'1" }, { "end", "b" } }));
    EXPECT_FALSE(links->pendingLinkFocus);
    EXPECT_FALSE(askLinks(*opened).contains("focus"));
}

TEST_F(Links, AJumpToAVisibleReaderBringsItForwardAndFocusesTheEnd)
{
    // The reader was opened on the composed spelling; the request carries the decomposed one.
    const auto composed = doc("R\u00e9sum\u00e9.pdf");
    const auto shown = reader(composed);
    scriptsOf(*shown);
    send(*first, "linkjump", toJson(Json { { "path", doc("Re\u0301sume\u0301.pdf") }, { "id", "it's" }, { "end", 5 } }));

    EXPECT_EQ(scriptsOf(*shown), std::vector<std::string> { focusScript("it\\'s", "") });
    EXPECT_GT(windowOf(*shown).presented, 0);
    EXPECT_EQ(windowOf(*shown).tab(windowOf(*shown).selectedTab()), shown->web);
    EXPECT_FALSE(links->pendingLinkFocus);
}

TEST_F(Links, AJumpToADocumentThatIsGoneOpensNothingAndSaysSo)
{
    const std::size_t before = windows.windows().size();
    for (const char* path : { "/nowhere/gone.pdf", "relative/gone.pdf" }) {
        send(*first, "linkjump", toJson(Json { { "path", path }, { "page", 2 } }));
        queue.drain();
        EXPECT_EQ(windows.windows().size(), before);
        EXPECT_FALSE(links->pendingLinkFocus);
        const auto scripts = scriptsOf(*first);
        ASSERT_EQ(scripts.size(), 1u);
        EXPECT_NE(scripts[0].find("was not found"), std::string::npos) << scripts[0];
    }
    send(*first, "linkjump", toJson(Json { { "page", 2 } })); // no path: nothing at all
    queue.drain();
    EXPECT_TRUE(scriptsOf(*first).empty());
}

TEST_F(Links, OpeningAPairShowsBothEndsAndOnlyTheSecondKeepsTheFocus)
{
    const auto left = existingDoc("left.pdf");
    const auto right = existingDoc("right.pdf");
    saveLinks({
        Json { { "id", "OTHER" }, { "a", { { "path", doc("first.pdf") } } }, { "b", { { "path", doc("first.pdf") } } } },
        Json { { "id", "PAIR" }, { "a", { { "path", left }, { "page", 2 } } }, { "b", { { "path", right }, { "page", 9 } } } },
    });
    const std::size_t before = windows.windows().size();
    send(*first, "linkopenpair?id=PAIR");

    ASSERT_EQ(windows.windows().size(), before + 2);
    EXPECT_EQ(windows.windows()[before]->sourcePaths, std::vector<std::string> { left });
    EXPECT_NE(viewOf(*windows.windows()[before]).loads.back().find("&page=2"), std::string::npos);
    EXPECT_EQ(windows.windows()[before + 1]->sourcePaths, std::vector<std::string> { right });
    ASSERT_TRUE(links->pendingLinkFocus);
    EXPECT_EQ(links->pendingLinkFocus->path, right);
    EXPECT_EQ(links->pendingLinkFocus->id, "PAIR");
    EXPECT_EQ(links->pendingLinkFocus->end, "b");

    // Both ends open now: each reader focuses its own end, nothing more opens.
    scriptsOf(*windows.windows()[before]);
    scriptsOf(*windows.windows()[before + 1]);
    send(*first, "linkopenpair?id=PAIR");
    EXPECT_EQ(windows.windows().size(), before + 2);
    EXPECT_EQ(scriptsOf(*windows.windows()[before]), std::vector<std::string> { focusScript("PAIR", "a") });
    EXPECT_EQ(scriptsOf(*windows.windows()[before + 1]), std::vector<std::string> { focusScript("PAIR", "b") });

    for (const char* url : { "linkopenpair", "linkopenpair?id=UNKNOWN", "linkopenpair?id=" }) {
        send(*first, url);
        EXPECT_EQ(windows.windows().size(), before + 2) << url;
    }
}

TEST_F(Links, AStoredDecomposedPathFindsTheReaderOpenedOnTheComposedOne)
{
    const auto composed = reader(doc("Caf\u00e9.pdf"));
    saveLinks({ Json { { "id", "E\u0301" }, { "a", { { "path", doc("Cafe\u0301.pdf") } } }, { "b", "not an end" } } });
    const std::size_t before = windows.windows().size();
    scriptsOf(*composed);
    send(*first, "linkopenpair?id=%C3%89"); // the id, composed

    EXPECT_EQ(windows.windows().size(), before);
    EXPECT_EQ(scriptsOf(*composed), std::vector<std::string> { focusScript("\u00c9", "a") });
    EXPECT_EQ(linksInvolving(doc("Caf\u00e9.pdf")).size(), 1u);
}

TEST_F(Links, NotesAndDeletionsRewriteTheStoreAndReloadEveryReader)
{
    saveLinks({
        Json { { "id", "ONE" }, { "note", "keep" }, { "created", 1 } },
        Json { { "id", "TWO" }, { "created", 2 } },
    });
    everyReadersScripts();

    send(*first, "linknote?id=TWO&note=see%20%C2%A75");
    EXPECT_EQ(loadLinks()[1]["note"], "see \u00a75");
    EXPECT_EQ(loadLinks()[0]["note"], "keep");
    send(*first, "linknote?id=ONE");
    EXPECT_EQ(loadLinks()[0]["note"], ""); // no note item clears it
    EXPECT_EQ(everyReadersScripts(), std::vector<std::vector<std::string>>(3, { kReload, kReload }));

    const auto written = [&] { return realFileSystem().readFile(storePath()).value_or(""); };
    realFileSystem().writeFile(storePath(), toJson(Json(loadLinks()))); // compact, as a hand edit might leave it
    send(*first, "linkdelete?id=NOBODY");
    EXPECT_EQ(written(), toPrettyJson(Json(loadLinks()))); // rewritten all the same
    EXPECT_EQ(loadLinks().size(), 2u);
    send(*first, "linkdelete?id=ONE");
    ASSERT_EQ(loadLinks().size(), 1u);
    EXPECT_EQ(loadLinks()[0]["id"], "TWO");
    EXPECT_EQ(everyReadersScripts(), std::vector<std::vector<std::string>>(3, { kReload, kReload }));

    send(*first, "linkdelete");
    send(*first, "linknote?note=x");
    EXPECT_EQ(everyReadersScripts(), std::vector<std::vector<std::string>>(3)); // no id: nothing at all
}

TEST_F(Links, WithoutTheControllerOrTheLibraryTheActionsDoNothing)
{
    links->beginLink(kFirstEnd);
    library.reset();
    everyReadersScripts();
    send(*second, "linkfinish", toJson(kSecondEnd));
    EXPECT_EQ(loadLinks().size(), 1u); // the store still works
    EXPECT_EQ(everyReadersScripts(), std::vector<std::vector<std::string>>(3));

    links.reset();
    send(*second, "linkstart", toJson(kFirstEnd));
    send(*second, "links");
    EXPECT_EQ(everyReadersScripts(), std::vector<std::vector<std::string>>(3));
}

}
}
