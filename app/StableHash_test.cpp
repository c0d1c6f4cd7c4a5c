#include "app/StableHash.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(StableHash, KeepsTheNamesAlreadyOnDisk)
{
    EXPECT_EQ(ikwStableHash(""), "14650fb0739d0383");
    EXPECT_EQ(ikwStableHash("abc"), "e16801510db89efd");
    EXPECT_EQ(ikwStableHash("/Users/dana/Lease.pdf"), "12ade4ec9267e51e");
    // The bytes as passed: no normalising of case, trailing slashes or Unicode forms.
    EXPECT_NE(ikwStableHash("/Users/dana/Lease.pdf"), ikwStableHash("/Users/dana/lease.pdf"));
    EXPECT_NE(ikwStableHash("/Users/dana"), ikwStableHash("/Users/dana/"));
    EXPECT_NE(ikwStableHash("/caf\u00e9"), ikwStableHash("/cafe\u0301"));
}

}
}
