// The running program serves local agents: a peer program reads the discovery file, opens a
// document, turns its reader's page and reads its annotations, and the file goes when the
// program ends on SIGTERM.
#include "assistants/BridgeFile.h"
#include "platform/core/Json.h"
#include "platform/core/Process.h"
#include "platform/core/Text.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace ikw {
namespace {

// Data arrive as positional parameters only. Each answer is reported as "<step>=<json>".
constexpr const char* kScript = R"sh(app=$1; doc=$2; file=$3; pages=$4
"$app" & pid=$!
for _ in $(seq 300); do [ -s "$file" ] && break; sleep 0.2; done
field() { python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$file" "$1"; }
port=$(field port); token=$(field token)
ask() { curl -s --max-time 20 -G -H "Authorization: Bearer $token" "$@"; }
echo "open=$(ask --data-urlencode "path=$doc" "http://127.0.0.1:$port/open")"
for _ in $(seq 150); do
  listed=$(ask "http://127.0.0.1:$port/windows")
  case "$listed" in *"\"page_count\":$pages"*) break;; esac
  sleep 0.2
done
echo "windows=$listed"
echo "goto=$(ask "http://127.0.0.1:$port/goto?page=2")"
echo "annotations=$(ask "http://127.0.0.1:$port/annotations")"
kill -TERM "$pid"; wait "$pid"; echo "exit=$?"
[ -e "$file" ] && echo "file=present" || echo "file=gone"
)sh";

std::map<std::string, Json> reported(const std::string& output)
{
    std::map<std::string, Json> values;
    for (const auto& line : split(output, '\n', false)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const auto value = line.substr(equals + 1);
        values[line.substr(0, equals)] = parseJson(value).value_or(Json(value));
    }
    return values;
}

TEST(AgentBridgeProgram, APeerOpensTurnsAndReadsADocumentThroughTheBridge)
{
    testing::TempHome home;
    unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle, with the stand-in engine
    using pdf::testing::TextFixturePage;
    const auto document = testing::writeTestFile(home.file("Matter/Lease.pdf"),
        pdf::testing::textPdf({
            TextFixturePage { { "rent is due on the first" }, pdf::kLetterPage, 0,
                { "<< /Type /Annot /Subtype /Highlight /Rect [34 740 260 756] /T (Dana) /Contents (check the grace period) >>",
                    "<< /Type /Annot /Subtype /Text /Rect [10 10 30 30] /Contents (first note) >>" } },
            TextFixturePage {},
            TextFixturePage {},
        }));

    ProcessOptions options;
    options.argv = { "dbus-run-session", "--", "/bin/bash", "-c", kScript, "bridge-test", IKW_APP_BINARY, document,
        assistants::bridgeFilePath(Paths::fromEnvironment()), "3" };
    options.timeoutSeconds = 120;
    const auto result = runProcess(options);
    auto values = reported(result.standardOutput);
    const auto context = result.standardOutput + result.standardError;

    EXPECT_EQ(values["open"]["opened"], document) << context;
    EXPECT_EQ(values["open"]["verified"], true) << context;
    const auto& listed = values["windows"]["windows"];
    ASSERT_TRUE(listed.is_array() && !listed.empty()) << context;
    EXPECT_EQ(listed[0]["kind"], "reader");
    EXPECT_EQ(listed[0]["page_count"], 3);
    EXPECT_EQ(values["goto"]["page"], 2) << context;
    EXPECT_EQ(values["goto"]["verified"], true);
    EXPECT_EQ(values["annotations"]["source"], "live") << context;
    EXPECT_EQ(values["annotations"]["count"], 2);
    EXPECT_EQ(values["exit"], 0);
    EXPECT_EQ(values["file"], "gone");
}

}
}
