// The built program's vault self-test, end to end: with no session bus, with both stores
// refusing, and on a private keyring.
#include "legal/SignatureVault.h"

#include "platform/core/Process.h"
#include "platform/secrets/FileSecretStore.h"
#include "platform/secrets/fake/PrivateKeyring.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

extern char** environ;

namespace ikw::legal {
namespace {

using secrets::PrivateKeyring;
using secrets::SecretKey;

const SecretKey kUserItem { std::string(SignatureVault::service), std::string(SignatureVault::account) };
const SecretKey kProbeItem { std::string(SignatureVault::service), std::string(SignatureVault::probeAccount) };

std::string passingOutput(const std::string& store)
{
    return "  ok    " + store + " keychain: wrote, read back, deleted\n"
        "  ok    state(): no item reports .empty, not .unknown\n"
        "  ok    state(): item present reports .found\n"
        "  ok    state(): .unknown is by-construction (no synthetic case; see state())\n";
}

// This process's environment, with the session bus replaced by one that does not exist when
// `withoutBus` is set.
ProcessResult runSelftest(bool withoutBus)
{
    ProcessOptions options;
    options.argv = { IKW_APP_BINARY, "--selftest-vault" };
    options.environment = std::vector<std::string> {};
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const bool namesBus = variable.starts_with("DBUS_SESSION_BUS_ADDRESS=") || variable.starts_with("DISPLAY=");
        if (!(withoutBus && namesBus))
            options.environment->push_back(variable);
    }
    if (withoutBus)
        options.environment->push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/ikw-bus");
    options.timeoutSeconds = 60;
    return runProcess(options);
}

std::string secretsFile(const testing::TempHome& home)
{
    return home.file(".local/share/Inkwarden/secrets.json");
}

TEST(SelftestVaultProgram, WithoutASessionBusTheSecretsFileCarriesTheTest)
{
    testing::TempHome home;
    secrets::FileSecretStore file(secretsFile(home));
    ASSERT_TRUE(file.save(kUserItem, "[{\"img\":\"data:image/png;base64,AAAA\",\"name\":\"mine\"}]").ok());
    const std::string before = testing::readTestFile(secretsFile(home));

    const ProcessResult result = runSelftest(true);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, passingOutput("legacy"));
    EXPECT_EQ(testing::readTestFile(secretsFile(home)), before);
    EXPECT_EQ(testing::fileMode(secretsFile(home)), 0600);
}

TEST(SelftestVaultProgram, BothStoresRefusingFailsWithExitOne)
{
    // No keyring, and a damaged secrets file, which the store never overwrites.
    testing::TempHome home;
    const std::string damaged = "{\"items\": [ not json";
    testing::writeTestFile(secretsFile(home), damaged);

    const ProcessResult result = runSelftest(true);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput, "FAIL: no keychain accepted the probe item\n");
    EXPECT_EQ(testing::readTestFile(secretsFile(home)), damaged);
}

TEST(SelftestVaultProgram, OnAKeyringTheKeyringCarriesTheTest)
{
    PrivateKeyring& keyring = PrivateKeyring::shared();
    if (!keyring.running())
        GTEST_SKIP() << "no keyring daemon for the test: " << keyring.failure();
    testing::TempHome home;
    secrets::LibsecretStore store;
    const std::string mine = "[{\"img\":\"data:image/png;base64,BBBB\",\"name\":\"mine\"}]";
    ASSERT_TRUE(store.save(kUserItem, mine).ok());

    // The child finds the private bus in the environment this process now has.
    const ProcessResult result = runSelftest(false);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, passingOutput("dataProtection"));
    EXPECT_EQ(store.load(kUserItem).value, mine);
    EXPECT_EQ(store.load(kProbeItem).status, secrets::SecretStatus::notFound);
    ASSERT_TRUE(store.remove(kUserItem).ok());
}

}
}
