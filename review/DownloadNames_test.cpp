#include "review/DownloadNames.h"

#include <gtest/gtest.h>

#include <set>

namespace ikw {
namespace {

TEST(DownloadNames, KeepsTheLastComponentAndNeverReplaces)
{
    const std::set<std::string> present { "/d/report.pdf", "/d/report 2.pdf", "/d/notes", "/d/.profile" };
    const auto exists = [&](const std::string& path) { return present.count(path) > 0; };
    const std::pair<const char*, const char*> cases[] = {
        { "fresh.pdf", "/d/fresh.pdf" },
        { "report.pdf", "/d/report 3.pdf" },
        { "../../etc/report.pdf", "/d/report 3.pdf" },
        { "notes", "/d/notes 2" },
        { ".profile", "/d/.profile 2" },
        { "", "/d/download" },
        { "..", "/d/download" },
    };
    for (const auto& [suggested, expected] : cases)
        EXPECT_EQ(freeDownloadPath("/d", suggested, exists).value_or("none"), expected) << suggested;
}

}
}
