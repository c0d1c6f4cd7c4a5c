#include "platform/secrets/FileSecretStore.h"
#include "platform/secrets/LibsecretStore.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "platform/secrets/fake/PrivateKeyring.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <memory>

namespace ikw::secrets {
namespace {

enum class Backend { file, libsecret, fake };

class SecretStoreContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        switch (GetParam()) {
        case Backend::file:
            m_store = std::make_unique<FileSecretStore>(m_home.file(".local/share/Product/secrets.json"));
            break;
        case Backend::libsecret:
            if (!PrivateKeyring::shared().running())
                GTEST_SKIP() << "no keyring daemon for the test: " << PrivateKeyring::shared().failure();
            m_store = std::make_unique<LibsecretStore>();
            break;
        case Backend::fake:
            m_store = std::make_unique<FakeSecretStore>();
            break;
        }
    }

    testing::TempHome m_home;
    std::unique_ptr<SecretStore> m_store;
};

TEST_P(SecretStoreContract, KeepsOneValuePerServiceAndAccount)
{
    // Each test of the keyring shares one daemon: keys carry the test's name.
    const std::string service = std::string("ikw.test.") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const SecretKey token { service, "token" };
    const SecretKey otherAccount { service, "other" };
    const SecretKey otherService { service + ".b", "token" };
    const std::string binary("\x00\xFF\n\x01 bytes", 10);

    enum class Op { load, save, remove };
    const struct {
        Op op;
        const SecretKey& key;
        std::string value;
        SecretStatus status;
        std::string loaded;
    } steps[] = {
        { Op::load, token, {}, SecretStatus::notFound, {} },
        { Op::remove, token, {}, SecretStatus::notFound, {} },
        { Op::save, token, "first", SecretStatus::ok, {} },
        { Op::load, token, {}, SecretStatus::ok, "first" },
        { Op::load, otherAccount, {}, SecretStatus::notFound, {} },
        { Op::load, otherService, {}, SecretStatus::notFound, {} },
        { Op::save, token, "second", SecretStatus::ok, {} },
        { Op::load, token, {}, SecretStatus::ok, "second" },
        { Op::save, otherAccount, binary, SecretStatus::ok, {} },
        { Op::load, otherAccount, {}, SecretStatus::ok, binary },
        { Op::save, otherService, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93", SecretStatus::ok, {} },
        { Op::load, otherService, {}, SecretStatus::ok, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93" },
        { Op::load, token, {}, SecretStatus::ok, "second" },
        { Op::save, token, "", SecretStatus::ok, {} }, // an empty value deletes
        { Op::load, token, {}, SecretStatus::notFound, {} },
        { Op::save, token, "", SecretStatus::ok, {} },
        { Op::remove, otherAccount, {}, SecretStatus::ok, {} },
        { Op::remove, otherAccount, {}, SecretStatus::notFound, {} },
        { Op::load, otherService, {}, SecretStatus::ok, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93" },
        { Op::remove, otherService, {}, SecretStatus::ok, {} },
    };
    int index = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE("step " + std::to_string(index++));
        const SecretResult result = step.op == Op::load ? m_store->load(step.key)
            : step.op == Op::save                       ? m_store->save(step.key, step.value)
                                                        : m_store->remove(step.key);
        ASSERT_EQ(result.status, step.status) << statusName(result.status) << ": " << result.message;
        EXPECT_EQ(result.value, step.loaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SecretStoreContract, ::testing::Values(Backend::file, Backend::libsecret, Backend::fake),
    [](const auto& info) {
        switch (info.param) {
        case Backend::file:
            return "File";
        case Backend::libsecret:
            return "Libsecret";
        case Backend::fake:
            return "Fake";
        }
        return "";
    });

}
}
