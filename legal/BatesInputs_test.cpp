#include "legal/BatesInputs.h"

#include <gtest/gtest.h>

namespace ikw::legal::BatesStamper {
namespace {

TEST(BatesInputs, KindFollowsTheLowerCasedExtension)
{
    const std::pair<const char*, InputKind> cases[] = {
        { "/in/A.PDF", InputKind::pdf },
        { "/in/scan.Png", InputKind::image },
        { "/in/photo.HEIC", InputKind::image },
        { "/in/notes.txt", InputKind::none },
        { "/in/pdf", InputKind::none },
        { "/in/.pdf", InputKind::none },
        { "/in.pdf/readme", InputKind::none },
    };
    for (const auto& [path, kind] : cases)
        EXPECT_EQ(inputKind(path), kind) << path;
    EXPECT_EQ(imageExts().size(), 8u);
}

}
}
