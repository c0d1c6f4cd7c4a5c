#include "finder/IkwFinderRequest.h"

#include "finder-extension/HandoffUrl.h"
#include "finder-extension/InkwardenFinderSync.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ikw::finder {
namespace {

using Paths = std::vector<std::string>;

TEST(IkwFinderRequest, ParsesOnlyUsableHandoffURLs)
{
    struct Case {
        const char* url;
        std::optional<IkwFinderRequest> expected;
    };
    const Case cases[] = {
        { "QELIZ://FINDER?path=%2Fa.pdf", IkwFinderRequest { "open", { "/a.pdf" }, std::nullopt } },
        { "qeliz://Finder?path=/a.pdf&path=/b.pdf&path=/a.pdf", IkwFinderRequest { "open", { "/a.pdf", "/b.pdf", "/a.pdf" }, std::nullopt } },
        // Item names are exact.
        { "qeliz://finder?PATH=%2Fa.pdf&Path=%2Fb.pdf", std::nullopt },
        { "qeliz://finder?PATH=%2Fa.pdf&path=%2Fb.pdf", IkwFinderRequest { "open", { "/b.pdf" }, std::nullopt } },
        { "qeliz://finder", std::nullopt },
        { "qeliz://finder?", std::nullopt },
        { "qeliz:finder?path=%2Fa.pdf", std::nullopt },
        { "qeliz://reader?path=%2Fa.pdf", std::nullopt },
        { "file:///a.pdf?path=%2Fa.pdf", std::nullopt },
        // Empty, valueless, relative, NUL-carrying and non-UTF-8 paths do not travel.
        { "qeliz://finder?path=&path", std::nullopt },
        { "qeliz://finder?path=a.pdf&path=..%2Fb.pdf&path=~%2Fc.pdf", std::nullopt },
        { "qeliz://finder?path=a.pdf&path=%2Fb.pdf", IkwFinderRequest { "open", { "/b.pdf" }, std::nullopt } },
        { "qeliz://finder?path=%2Fa%00.pdf&path=%2F%FF.pdf&count=2", std::nullopt },
        // The first action decides; only "share" in any case shares.
        { "qeliz://finder?action=SHARE&path=%2Fa", IkwFinderRequest { "share", { "/a" }, std::nullopt } },
        { "qeliz://finder?action=publish&path=%2Fa", IkwFinderRequest { "open", { "/a" }, std::nullopt } },
        { "qeliz://finder?action=&path=%2Fa", IkwFinderRequest { "open", { "/a" }, std::nullopt } },
        { "qeliz://finder?action&path=%2Fa", IkwFinderRequest { "open", { "/a" }, std::nullopt } },
        { "qeliz://finder?action=open&action=share&path=%2Fa", IkwFinderRequest { "open", { "/a" }, std::nullopt } },
        { "qeliz://finder?path=%2Fa&other=share", IkwFinderRequest { "open", { "/a" }, std::nullopt } },
    };
    for (const auto& [url, expected] : cases)
        EXPECT_EQ(IkwFinderRequest::parse(url), expected) << url;
}

TEST(IkwFinderRequest, ReadsTheDeclaredCountStrictly)
{
    struct Case {
        const char* value;
        std::optional<std::int64_t> expected;
    };
    const Case cases[] = {
        { "250", 250 },
        { "%2B5", 5 },
        { "+5", 5 }, // a plus stays a plus
        { "-3", -3 },
        { "9223372036854775807", INT64_MAX },
        { "-9223372036854775808", INT64_MIN },
        { "9223372036854775808", std::nullopt },
        { "5%20", std::nullopt },
        { "%205", std::nullopt },
        { "five", std::nullopt },
        { "-", std::nullopt },
        { "%2B-5", std::nullopt },
        { "0x10", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& [value, expected] : cases) {
        const auto request = IkwFinderRequest::parse(std::string("qeliz://finder?count=") + value + "&path=%2Fa&count=7");
        ASSERT_TRUE(request) << value;
        EXPECT_EQ(request->declaredCount, expected) << value;
    }
}

TEST(IkwFinderRequest, ReadsBackWhatTheExtensionWrote)
{
    const Paths paths {
        "/Users/example/Docs/Q3 Board & Notes.pdf",
        "/a+b=c#d%e.pdf",
        "/Akten/Ärger über Öl – 東京 ✓.pdf",
        "/x?y/z;w,v:u@t!s$r'q(p)o*n[m]l.pdf",
    };
    for (const auto& path : paths) {
        const auto request = IkwFinderRequest::parse(*finderext::handoffUrl("share", { path }));
        ASSERT_TRUE(request) << path;
        EXPECT_EQ(request->paths, Paths { path });
        EXPECT_EQ(request->action, "share");
        EXPECT_EQ(request->declaredCount, 1);
    }
    // A selection of 250 files in the file manager: the first 200 travel, in selection order.
    Paths many;
    finderext::Selection selection;
    for (int i = 0; i < 250; ++i) {
        many.push_back("/sel/" + std::to_string(249 - i) + ".pdf");
        selection.push_back({ std::to_string(249 - i) + ".pdf", many.back() });
    }
    const auto request = IkwFinderRequest::parse(*finderext::InkwardenFinderSync::handoffFor(finderext::HandoffAction::Open, selection));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->paths, Paths(many.begin(), many.begin() + 200));
    EXPECT_EQ(request->declaredCount, 250);
}

struct SelftestRun {
    bool passed;
    std::string out, err;
};

SelftestRun runSelftest(const FinderRequestParser& parse)
{
    std::ostringstream out, err;
    const bool passed = runFinderUrlSelftest(parse, out, err);
    return { passed, out.str(), err.str() };
}

TEST(IkwFinderRequest, SelftestPassesWithTheRealParser)
{
    const auto run = runSelftest(&IkwFinderRequest::parse);
    EXPECT_TRUE(run.passed);
    EXPECT_EQ(run.out, "finder-url selftest OK (5 decoys refused, 4 controls parsed)\n");
    EXPECT_EQ(run.err, "");
}

TEST(IkwFinderRequest, SelftestNamesTheDecoyABrokenParserAccepts)
{
    const auto run = runSelftest([](std::string_view url) -> std::optional<IkwFinderRequest> {
        if (url == "qeliz://finder?action=share")
            return IkwFinderRequest { "share", { "/front.pdf" }, std::nullopt };
        return IkwFinderRequest::parse(url);
    });
    EXPECT_FALSE(run.passed);
    EXPECT_EQ(run.out, "finder-url selftest FAILED\n");
    EXPECT_EQ(run.err,
        "SELFTEST FAIL: decoy was ACCEPTED (qeliz://finder?action=share) \u2014 a finder request carrying NO path at "
        "all: sharing 'nothing' must be a no-op, never a crash and never a share of the front document\n");
}

TEST(IkwFinderRequest, SelftestReportsBrokenControls)
{
    // Loses the order and the count, and shares whatever it is given.
    const auto sloppy = runSelftest([](std::string_view url) -> std::optional<IkwFinderRequest> {
        auto request = IkwFinderRequest::parse(url);
        if (!request)
            return request;
        std::sort(request->paths.begin(), request->paths.end());
        request->declaredCount.reset();
        request->action = "share";
        return request;
    });
    EXPECT_FALSE(sloppy.passed);
    EXPECT_EQ(sloppy.err,
        "SELFTEST FAIL: control 1 count was nil\n"
        "SELFTEST FAIL: control 2 lost or reordered paths: [\"/a.pdf\",\"/b.pdf\",\"/c.pdf\"]\n"
        "SELFTEST FAIL: control 3 lost the declared count\n"
        "SELFTEST FAIL: control 4: unknown verb resolved to share, not open\n");

    // A control that does not parse stops the run.
    const auto refusing = runSelftest([](std::string_view url) -> std::optional<IkwFinderRequest> {
        return url.find("count=3") == std::string_view::npos ? IkwFinderRequest::parse(url) : std::nullopt;
    });
    EXPECT_FALSE(refusing.passed);
    EXPECT_EQ(refusing.err, "SELFTEST FAIL: control 2 did not parse\n");
    EXPECT_EQ(refusing.out, "finder-url selftest FAILED\n");
}

}
}
