#include "legal/BatesManifest.h"
#include "legal/BatesTestSupport.h"

#include "platform/core/Json.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::legal::BatesStamper {
namespace {

using testing::oneRunManifest;

// The file format other tools read: keys sorted at every level, sources sorted, "\/" in paths.
constexpr std::string_view oneRunManifestText = R"({
  "assigned": [
    {
      "begin": 1,
      "end": 5,
      "timestamp": "2026-12-10T13:45:07Z"
    }
  ],
  "nextNumber": 6,
  "runs": [
    {
      "begin": 1,
      "beginLabel": "ABC000001",
      "documents": [
        {
          "begin": 1,
          "beginLabel": "ABC000001",
          "end": 3,
          "endLabel": "ABC000003",
          "output": "\/out\/ABC000001.pdf",
          "pages": 3,
          "source": "\/in\/b.pdf"
        },
        {
          "begin": 4,
          "beginLabel": "ABC000004",
          "end": 5,
          "endLabel": "ABC000005",
          "output": "\/out\/ABC000004.pdf",
          "pages": 2,
          "source": "\/in\/a.pdf"
        }
      ],
      "end": 5,
      "endLabel": "ABC000005",
      "settings": {
        "fontSize": 10,
        "margin": 24,
        "nameByBates": true,
        "pad": 6,
        "position": "bottomRight",
        "prefix": "ABC",
        "start": 1
      },
      "settingsHash": "f349b472",
      "timestamp": "2026-12-10T13:45:07Z"
    }
  ],
  "schema": 1,
  "sources": {
    "\/in\/a.pdf": "ABC000004",
    "\/in\/b.pdf": "ABC000001"
  },
  "tool": "Inkwarden Bates"
}
)";

class BatesManifestFiles : public ::testing::Test {
protected:
    ikw::testing::TempHome home;
    const std::string dir = home.file("Bates-Stamped");

    void SetUp() override { ASSERT_TRUE(realFileSystem().createDirectories(dir)); }

    LoadedManifest loadText(const std::string& text)
    {
        ikw::testing::writeTestFile(manifestPath(dir), text);
        return loadManifest(dir);
    }
};

TEST(BatesManifest, WritesSortedKeysAndEscapedSlashesAndReadsBackEqual)
{
    const Manifest manifest = oneRunManifest();
    const std::string text = encodeManifest(manifest);
    EXPECT_EQ(text, oneRunManifestText);
    EXPECT_EQ(decodeManifest(text), manifest);
}

TEST_F(BatesManifestFiles, StrictDecodingTellsUnreadableFromAcceptable)
{
    const Json valid = *parseJson(oneRunManifestText);
    struct Case {
        const char* what;
        const char* pointer;
        std::optional<Json> value; // nothing: remove the key
        ManifestStatus expected;
    };
    const Case cases[] = {
        { "missing top-level key", "/nextNumber", std::nullopt, ManifestStatus::unreadable },
        { "missing key of a document", "/runs/0/documents/1/pages", std::nullopt, ManifestStatus::unreadable },
        { "missing timestamp of a range", "/assigned/0/timestamp", std::nullopt, ManifestStatus::unreadable },
        { "fractional fontSize", "/runs/0/settings/fontSize", Json(10.5), ManifestStatus::unreadable },
        { "nameByBates as a number", "/runs/0/settings/nameByBates", Json(1), ManifestStatus::unreadable },
        { "number in sources", "/sources/~1in~1a.pdf", Json(7), ManifestStatus::unreadable },
        { "sources as an array", "/sources", Json::array(), ManifestStatus::unreadable },
        { "schema as text", "/schema", Json("1"), ManifestStatus::unreadable },
        { "integer beyond 64 bits", "/nextNumber", Json(18446744073709551615ull), ManifestStatus::unreadable },
        { "whole number written as 10.0", "/runs/0/settings/fontSize", Json(10.0), ManifestStatus::loaded },
        { "extra key", "/runs/0/comment", Json("hand note"), ManifestStatus::loaded },
    };
    for (const Case& c : cases) {
        Json edited = valid;
        const Json::json_pointer pointer(c.pointer);
        if (c.value)
            edited[pointer] = *c.value;
        else
            edited[pointer.parent_pointer()].erase(pointer.back());
        const LoadedManifest loaded = loadText(edited.dump());
        EXPECT_EQ(loaded.status, c.expected) << c.what;
        if (c.expected == ManifestStatus::unreadable) {
            EXPECT_EQ(loaded.manifest, Manifest()) << c.what;
        }
    }
}

TEST_F(BatesManifestFiles, MissingFileIsNewButDamagedFilesAreUnreadable)
{
    EXPECT_EQ(loadManifest(dir).status, ManifestStatus::missing);
    EXPECT_EQ(loadText("").status, ManifestStatus::unreadable);           // cut off by a crash
    EXPECT_EQ(loadText("{\"tool\": \"Ink").status, ManifestStatus::unreadable);
    EXPECT_EQ(loadText("[]").status, ManifestStatus::unreadable);

    FaultyFileSystem files;
    files.fail(FaultyFileSystem::Operation::Read, std::string(manifestName));
    EXPECT_EQ(loadManifest(dir, files).status, ManifestStatus::unreadable);
}

TEST_F(BatesManifestFiles, RewriteKeepsToolAndSchemaButDropsExtraKeys)
{
    Json edited = *parseJson(oneRunManifestText);
    edited["tool"] = "Another Stamper";
    edited["schema"] = 3;
    edited["comment"] = "added by hand";
    LoadedManifest loaded = loadText(edited.dump());
    ASSERT_EQ(loaded.status, ManifestStatus::loaded);

    ASSERT_TRUE(writeManifest(loaded.manifest, dir));
    const std::string rewritten = ikw::testing::readTestFile(manifestPath(dir));
    EXPECT_NE(rewritten.find("\"tool\": \"Another Stamper\""), std::string::npos);
    EXPECT_NE(rewritten.find("\"schema\": 3"), std::string::npos);
    EXPECT_EQ(rewritten.find("comment"), std::string::npos);
}

TEST_F(BatesManifestFiles, RefusedWriteLeavesThePreviousManifestByteForByte)
{
    ASSERT_TRUE(writeManifest(oneRunManifest(), dir));
    const std::string before = ikw::testing::readTestFile(manifestPath(dir));

    FaultyFileSystem files;
    // Only the atomic path is refused: a fallback to a plain write would show in the file.
    files.fail(FaultyFileSystem::Operation::Replace);
    EXPECT_FALSE(writeManifest(Manifest(), dir, files));
    EXPECT_EQ(ikw::testing::readTestFile(manifestPath(dir)), before);
}

TEST(BatesManifest, RecordRunKeepsRunAndRangeInStepAndNextNumberFollowsTheLatestRun)
{
    const BatesConfig config;
    Manifest manifest;
    recordRun(manifest, config, { testing::stampedDoc(config, "/in/a.pdf", "/out/a.pdf", 20, 11) }, "T1");
    recordRun(manifest, config,
        { testing::stampedDoc(config, "/in/b.pdf", "/out/b.pdf", 1, 2),
            testing::stampedDoc(config, "/in/c.pdf", "/out/c.pdf", 3, 3) },
        "T2");

    EXPECT_EQ(manifest.nextNumber, 6);
    EXPECT_EQ(greatestAssignedEnd(manifest), 30);
    ASSERT_EQ(manifest.runs.size(), 2u);
    const ManifestRun& latest = manifest.runs[1];
    EXPECT_EQ(manifest.assigned[1], (AssignedRange { 1, 5, "T2" }));
    EXPECT_EQ(std::tie(latest.begin, latest.end, latest.beginLabel, latest.endLabel, latest.timestamp),
        std::tuple(1, 5, "ABC000001", "ABC000005", "T2"));
    EXPECT_EQ(latest.settingsHash, "f349b472");
    EXPECT_EQ(latest.documents.size(), 2u);
    EXPECT_FALSE(greatestAssignedEnd(Manifest()));
}

}
}
