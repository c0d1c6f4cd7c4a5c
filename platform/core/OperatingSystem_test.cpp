#include "platform/core/OperatingSystem.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(OperatingSystem, PrettyNameReadsAsTheShellWould)
{
    const struct {
        const char* text;
        std::optional<std::string> name;
    } cases[] = {
        { "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n", "Debian GNU/Linux 12 (bookworm)" },
        { "PRETTY_NAME='Fedora Linux 40'", "Fedora Linux 40" },
        { "PRETTY_NAME=Arch", "Arch" },
        { "PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"", "Say \"hi\" $HOME" },
        { "# PRETTY_NAME=\"commented\"\nNAME=Linux\n", std::nullopt },
        { "MY_PRETTY_NAME=\"not it\"\n", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(osReleasePrettyName(c.text), c.name) << c.text;
}

TEST(OperatingSystem, AssignmentValuesAreFoundByTheirWholeKey)
{
    const std::string machineInfo = "PRETTY_HOSTNAME_OLD=gone\nPRETTY_HOSTNAME=\"Ana\u2019s \\\"Desk\\\"\"\nICON_NAME=computer-laptop\n";
    EXPECT_EQ(shellAssignmentValue(machineInfo, "PRETTY_HOSTNAME"), "Ana\u2019s \"Desk\"");
    EXPECT_EQ(shellAssignmentValue(machineInfo, "ICON_NAME"), "computer-laptop");
    EXPECT_EQ(shellAssignmentValue(machineInfo, "ICON"), std::nullopt);
    EXPECT_EQ(shellAssignmentValue("PRETTY_HOSTNAME=\n", "PRETTY_HOSTNAME"), "");
}

TEST(OperatingSystem, VersionStringEndsWithTheKernelRelease)
{
    const std::string text = operatingSystemVersionString();
    EXPECT_TRUE(text.ends_with(")")) << text;
    EXPECT_NE(text.find(" ("), std::string::npos) << text;
    EXPECT_NE(text.find(" ()"), text.size() - 3) << "the kernel release is missing: " << text;
}

}
}
