#include "legal/RedactionAudit.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"
#include "app/Globals.h"

#include <gtest/gtest.h>

namespace ikw::legal {
namespace {

constexpr const char* kTime = "2026-12-09T09:30:00Z";

TEST(RedactionAudit, ThePagesObjectGainsTheNativeKeys)
{
    struct Case {
        const char* auditText;
        Json expected;
    };
    const Json native { { "totalRegions", -2 }, { "output", "Copy.pdf" }, { "redacted", kTime }, { "appVersion", "3.1" } };
    const auto with = [&](Json extra) {
        Json audit = native;
        audit.update(extra);
        return audit;
    };
    const Case cases[] = {
        { "", with({ { "tool", "Inkwarden Redact" } }) },
        { "[1,2]", with({ { "tool", "Inkwarden Redact" } }) },
        { "not json", with({ { "tool", "Inkwarden Redact" } }) },
        { "\"text\"", with({ { "tool", "Inkwarden Redact" } }) },
        { R"({"tool":"Engine 2","pages":[1]})", with({ { "tool", "Engine 2" }, { "pages", { 1 } } }) },
        { R"({"tool":null})", with({ { "tool", nullptr } }) },
        { R"({"output":"x.pdf","redacted":"yesterday","totalRegions":9})", with({ { "tool", "Inkwarden Redact" } }) },
    };
    for (const auto& test : cases)
        EXPECT_EQ(redactAudit(test.auditText, -2, "/out/Copy.pdf", kTime, "3.1"), test.expected) << test.auditText;
}

TEST(RedactionAudit, TheSidecarSitsBesideTheCopyUnderItsStem)
{
    EXPECT_EQ(redactAuditPath("/out/Copy.pdf"), "/out/Copy.redaction-audit.json");
    EXPECT_EQ(redactAuditPath("/out/Contract (redacted).pdf"), "/out/Contract (redacted).redaction-audit.json");
    EXPECT_EQ(redactAuditPath("/out/v1.2.final.pdf"), "/out/v1.2.final.redaction-audit.json");
    EXPECT_EQ(redactAuditPath("/out/noext"), "/out/noext.redaction-audit.json");
}

TEST(RedactionAudit, TheMessageCountsBoxes)
{
    EXPECT_EQ(redactSavedMessage(0), "Saved. Metadata stripped (no regions were marked).");
    EXPECT_EQ(redactSavedMessage(-2), "Saved. Metadata stripped (no regions were marked).");
    EXPECT_EQ(redactSavedMessage(1), "Saved. Text under the 1 box is gone and metadata is stripped.");
    EXPECT_EQ(redactSavedMessage(3), "Saved. Text under the 3 boxes is gone and metadata is stripped.");
}

TEST(RedactionAudit, AFailedSidecarWriteLeavesTheOldSidecarWhole)
{
    ikw::testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    const std::string sidecar = ikw::testing::writeTestFile(home.file("Copy.redaction-audit.json"), "{\"old\":true}");
    FaultyFileSystem files;
    files.fail(FaultyFileSystem::Operation::Replace);
    writeRedactAudit(home.file("Copy.pdf"), 1, "{}", files);
    EXPECT_EQ(ikw::testing::readTestFile(sidecar), "{\"old\":true}");
    files.clearFailures();
    writeRedactAudit(home.file("Copy.pdf"), 1, "{}", files);
    EXPECT_EQ(parseJson(ikw::testing::readTestFile(sidecar))->at("tool"), "Inkwarden Redact");
}

}
}
