// The document id: kept with the file in a user attribute, made when missing or too short, and
// absent whenever it cannot be stored.
#include "services/IkwDocIdentity.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <regex>

namespace ikw::services::IkwDocIdentity {
namespace {

const std::string kName(attr);

std::string storedValue(const std::string& path)
{
    char value[256] = {};
    const ssize_t length = ::getxattr(path.c_str(), kName.c_str(), value, sizeof value);
    return length > 0 ? std::string(value, static_cast<std::size_t>(length)) : std::string();
}

bool store(const std::string& path, const std::string& value)
{
    return ::setxattr(path.c_str(), kName.c_str(), value.data(), value.size(), 0) == 0;
}

bool isLowerCaseUuid(const std::string& text)
{
    return std::regex_match(text, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}"));
}

class DocIdentity : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The test home decides: some file systems (an overlay, tmpfs of old kernels) refuse user attributes.
        if (!store(document, "probe") || ::removexattr(document.c_str(), kName.c_str()) != 0)
            GTEST_SKIP() << "the test home's file system refuses user attributes";
    }

    testing::TempHome home;
    std::string document = testing::writeTestFile(home.file("Matter/brief.pdf"), "%PDF-1.4");
};

TEST_F(DocIdentity, AMissingOrShortIdIsReplacedByAFreshOneThatThenStays)
{
    for (const std::string stored : { "", "abc", "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC3\xA4\xC3\xB6\xC3\xBC" /* 7 characters, 14 bytes */ }) {
        SCOPED_TRACE(stored);
        ::removexattr(document.c_str(), kName.c_str());
        if (!stored.empty()) {
            ASSERT_TRUE(store(document, stored));
        }
        const auto id = ensure(document);
        ASSERT_TRUE(id);
        EXPECT_TRUE(isLowerCaseUuid(*id)) << *id;
        EXPECT_EQ(storedValue(document), *id);
        EXPECT_EQ(ensure(document), id);
    }
}

TEST_F(DocIdentity, AnyValueOfEightCharactersOrMoreIsKeptAsItStands)
{
    struct Case {
        std::string stored;
        std::string id;
    };
    const Case cases[] = {
        { "12345678", "12345678" },
        { "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F" },
        { "not an id, but long", "not an id, but long" },
        { "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA9", "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA9" },
        // Bytes that are not UTF-8 read as replacement characters, one each.
        { "ab\xFF\xFE" "cdef", "ab\xEF\xBF\xBD\xEF\xBF\xBD" "cdef" },
    };
    for (const auto& test : cases) {
        ASSERT_TRUE(store(document, test.stored));
        EXPECT_EQ(ensure(document), test.id);
        EXPECT_EQ(storedValue(document), test.stored) << "an accepted id is never rewritten";
    }
}

TEST_F(DocIdentity, ALinkLeadsToTheFileItNames)
{
    const std::string link = home.file("link.pdf");
    ASSERT_EQ(::symlink(document.c_str(), link.c_str()), 0);
    const auto id = ensure(link);
    ASSERT_TRUE(id);
    EXPECT_EQ(storedValue(document), *id);
    EXPECT_EQ(ensure(document), id);
}

TEST_F(DocIdentity, NothingIsMadeWhereNothingCanBeStored)
{
    int writes = 0;
    const AttributeCalls refusing {
        .get = [](const char*, const char*, void*, std::size_t) -> ssize_t {
            errno = ENOTSUP;
            return -1;
        },
        .set = [&writes](const char*, const char*, const void*, std::size_t) {
            ++writes;
            errno = EROFS;
            return -1;
        },
    };
    EXPECT_EQ(ensure(document, refusing), std::nullopt);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(ensure("", refusing), std::nullopt);
    EXPECT_EQ(ensure(home.file("Matter/gone.pdf"), refusing), std::nullopt);
    EXPECT_EQ(writes, 1) << "no attribute is written for a path without a file";
    EXPECT_EQ(storedValue(document), "");
}

}
}
