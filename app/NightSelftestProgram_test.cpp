// The built program's night self-test, end to end, in zones east and west of UTC, with and without
// daylight-saving time.
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace ikw {
namespace {

std::vector<std::string> environmentWithZone(const std::string& zone)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (!std::string_view(*entry).starts_with("TZ="))
            environment.emplace_back(*entry);
    }
    environment.push_back("TZ=" + zone);
    return environment;
}

const char* const kExpectedOutput = "IkwNight selftest\n"
                                    "  ok   New York sunset on 21 June is 8:31pm (EDT)\n"
                                    "  ok   New York sunrise on 21 June is 5:25am (EDT)\n"
                                    "  ok   New York sunset on 21 December is 4:32pm (EST)\n"
                                    "  ok   New York sunrise on 21 December is 7:17am (EST)\n"
                                    "  ok   Svalbard in June has no sunset, and the equation returns nil rather than a number\n"
                                    "  ok   \u2026and the set times carry the window instead of the schedule silently stopping\n"
                                    "  ok   a window whose start equals its end is no night at all\n"
                                    "  ok   2am is inside an 8pm-to-7am window\n"
                                    "  ok   11pm is inside it\n"
                                    "  ok   noon is outside it\n"
                                    "  ok   7am, the boundary itself, is already day\n"
                                    "  ok   \u2026and a naive start<=now<end comparison would get 2am WRONG (the test discriminates)\n"
                                    "  ok   a choice made at 12:30am still holds at 2am, before the 7am flip\n"
                                    "  ok   a choice made before the 8pm flip has expired by 2am\n"
                                    "  ok   no choice ever made means the schedule owns it\n"
                                    "  ok   mode off is never night, whatever the hour\n"
                                    "  ok   mode on is night at 1pm as well\n"
                                    "  ok   America/New_York resolves to New York\n"
                                    "  ok   the retired name US/Eastern resolves through the alias table\n"
                                    "  ok   an unknown zone returns nil rather than a plausible guess\n"
                                    "  ok   times read as 8:31pm / 12:00am / 12:00pm / 5:25am\n"
                                    "IkwNight selftest: PASS\n";

TEST(NightSelftestProgram, PassesInEveryZone)
{
    testing::TempHome home;
    for (const char* zone : { "America/New_York", "Asia/Tokyo", "Europe/Berlin", "UTC" }) {
        SCOPED_TRACE(zone);
        ProcessOptions options;
        // The welcome-shot switch comes later in the order, so the self-test alone runs.
        options.argv = { IKW_APP_BINARY, "--welcome-shot", "out.png", "--night-selftest" };
        options.environment = environmentWithZone(zone);
        options.timeoutSeconds = 60;
        const auto result = runProcess(options);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardOutput, kExpectedOutput);
        EXPECT_EQ(result.standardError, "");
    }
}

}
}
