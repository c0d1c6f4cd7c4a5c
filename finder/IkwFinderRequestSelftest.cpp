// The hand-off URL's self-test, run by the --finder-url-selftest switch: URLs that must be refused
// (each with the reason it is a trap) and URLs made by the extension's own writer that must come
// back intact.

#include "finder/IkwFinderRequest.h"

#include "finder-extension/HandoffUrl.h"
#include "platform/core/Json.h"

#include <glib.h>

#include <ostream>

namespace ikw::finder {

namespace {

struct Decoy {
    const char* url;
    const char* reason;
};

constexpr Decoy kDecoys[] = {
    { "qeliz://reader?path=/Users/example/x.pdf",
        "right scheme, DIFFERENT host, and it carries a real `path` query item: this is a live in-app callback shape, "
        "so only the host check can refuse it" },
    { "qeliz://fda",
        "right scheme, different host, no query string: refused one layer earlier, by the queryItems guard rather than "
        "the host check \u2014 kept as a second, cheaper line of defence and labelled as such" },
    { "qeliz://finder?action=share",
        "a finder request carrying NO path at all: sharing 'nothing' must be a no-op, never a crash and never a share "
        "of the front document" },
    { "qeliz://finder?action=open&path=",
        "a path query item present but EMPTY, which is what a selection of a file with an unrepresentable name would "
        "produce" },
    { "file:///tmp/x.pdf",
        "an ordinary file URL, which arrives through the same delegate method and must never be read as a Finder "
        "request" },
};

class Report {
public:
    Report(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    void fail(const std::string& message)
    {
        m_err << "SELFTEST FAIL: " << message << '\n';
        m_passed = false;
    }
    bool finish()
    {
        m_out << (m_passed ? "finder-url selftest OK (5 decoys refused, 4 controls parsed)\n" : "finder-url selftest FAILED\n");
        m_out.flush();
        m_err.flush();
        return m_passed;
    }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_passed = true;
};

std::string printed(const std::vector<std::string>& paths)
{
    return Json(paths).dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string printed(const std::optional<std::int64_t>& count)
{
    return count ? std::to_string(*count) : "nil";
}

std::string control(const std::vector<finderext::UrlQueryItem>& items)
{
    return finderext::composeUrl(finderext::kHandoffScheme, finderext::kHandoffHost, items);
}

void checkDecoys(const FinderRequestParser& parse, Report& report)
{
    for (const auto& decoy : kDecoys) {
        if (!g_uri_is_valid(decoy.url, G_URI_FLAGS_NONE, nullptr))
            report.fail(std::string("decoy URL did not even construct: ") + decoy.url);
        else if (parse(decoy.url))
            report.fail(std::string("decoy was ACCEPTED (") + decoy.url + ") \u2014 " + decoy.reason);
    }
}

// False when a control did not parse at all: the run stops there.
bool checkControls(const FinderRequestParser& parse, Report& report)
{
    const std::string boardNotes = "/Users/example/Docs/Q3 Board & Notes.pdf";
    const auto first = parse(control({ { "action", "share" }, { "count", "1" }, { "path", boardNotes } }));
    if (!first) {
        report.fail("control 1 did not parse");
        return false;
    }
    if (first->action != "share")
        report.fail("control 1 action was " + first->action + ", not share");
    if (first->paths != std::vector<std::string> { boardNotes })
        report.fail("control 1 path round trip broke: " + printed(first->paths));
    if (first->declaredCount != 1)
        report.fail("control 1 count was " + printed(first->declaredCount));

    const auto second = parse(control({ { "action", "open" }, { "count", "3" }, { "path", "/b.pdf" }, { "path", "/a.pdf" }, { "path", "/c.pdf" } }));
    if (!second) {
        report.fail("control 2 did not parse");
        return false;
    }
    if (second->paths != std::vector<std::string> { "/b.pdf", "/a.pdf", "/c.pdf" })
        report.fail("control 2 lost or reordered paths: " + printed(second->paths));

    const auto third = parse(control({ { "action", "open" }, { "count", "900" }, { "path", "/one.pdf" } }));
    if (!third) {
        report.fail("control 3 did not parse");
        return false;
    }
    if (third->declaredCount != 900)
        report.fail("control 3 lost the declared count");

    const auto fourth = parse(control({ { "action", "publish" }, { "path", "/x.pdf" } }));
    if (!fourth) {
        report.fail("control 4 did not parse");
        return false;
    }
    if (fourth->action != "open")
        report.fail("control 4: unknown verb resolved to " + fourth->action + ", not open");
    return true;
}

}

bool runFinderUrlSelftest(const FinderRequestParser& parse, std::ostream& out, std::ostream& err)
{
    Report report(out, err);
    checkDecoys(parse, report);
    checkControls(parse, report);
    return report.finish();
}

}
