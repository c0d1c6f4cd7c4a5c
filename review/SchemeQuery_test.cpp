#include "review/SchemeQuery.h"

#include <gtest/gtest.h>

namespace ikw::review {
namespace {

TEST(SchemeQuery, FirstItemDecodedAsPagesSendIt)
{
    struct Case {
        const char* url;
        bool parses;
        std::optional<std::string> p;
    };
    const Case cases[] = {
        { "vtpdf://doc/?p=/tmp/a%20b.pdf", true, "/tmp/a b.pdf" },
        { "vtpage:?p=/tmp/a+b.pdf&i=2", true, "/tmp/a+b.pdf" },
        { "vtpage://x/y?p=/first.pdf&p=/second.pdf", true, "/first.pdf" },
        { "vtpdf://x/?p=/a.pdf#page=3", true, "/a.pdf" },
        { "vtpdf://x/?p=%E2%9C%93.pdf", true, "\xE2\x9C\x93.pdf" },
        { "vtpdf://x/?q=1", true, std::nullopt },
        { "vtpdf://x/?p", true, std::nullopt },
        { "vtpdf://x/?p=", true, "" },
        { "vtpdf://x/", false, std::nullopt },
        { "vtpdf://x/?", false, std::nullopt },
        { "vtpdf://x/?&&", false, std::nullopt },
        { "vtpdf://x/?p=%zz", false, std::nullopt },
        { "vtpdf://x/?p=abc%2", false, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const std::optional<SchemeQuery> query = SchemeQuery::parse(c.url);
        ASSERT_EQ(query.has_value(), c.parses);
        if (query) {
            EXPECT_EQ(query->first("p"), c.p);
        }
    }
}

}
}
