#include "library/StandardPath.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

TEST(StandardPath, WorksFromTheTextAlone)
{
    const std::pair<const char*, const char*> cases[] = {
        { "/a/./b//c/", "/a/b/c" },
        { "/a/b/../c", "/a/c" },
        { "/../a", "/a" },
        { "~/Docs/x.pdf", "/home/dana/Docs/x.pdf" },
        { "~", "/home/dana" },
        { "~other/x", "~other/x" },
        { "/", "/" },
        { "a/../b", "a/../b" },
        { "", "" },
    };
    for (const auto& [path, standardized] : cases)
        EXPECT_EQ(standardizedPath(path, "/home/dana"), standardized) << path;
}

}
}
