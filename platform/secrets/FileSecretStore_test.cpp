#include "platform/secrets/FileSecretStore.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <thread>

namespace ikw::secrets {
namespace {

class FileSecretStoreTest : public ::testing::Test {
protected:
    testing::TempHome m_home;
    std::string m_folder = m_home.file(".local/share/Product");
    std::string m_path = m_folder + "/secrets.json";
    SecretKey m_key { "svc", "acct" };
};

TEST_F(FileSecretStoreTest, StaysPrivateAcrossRewritesAndLeavesNoTemporaryFile)
{
    FileSecretStore store(m_path);
    for (const char* value : { "one", "two", "" }) {
        ASSERT_TRUE(store.save(m_key, value).ok());
        EXPECT_EQ(testing::fileMode(m_path), 0600u) << value;
        EXPECT_EQ(testing::folderEntries(m_folder), (std::vector<std::string> { "secrets.json" })) << value;
    }

    // A file someone opened up is closed again before a secret goes into it.
    ::chmod(m_path.c_str(), 0644);
    ASSERT_TRUE(store.save(m_key, "three").ok());
    EXPECT_EQ(testing::fileMode(m_path), 0600u);
    EXPECT_EQ(FileSecretStore(m_path).load(m_key).value, "three");
}

TEST_F(FileSecretStoreTest, AFailedWriteKeepsTheStoredValue)
{
    FaultyFileSystem fileSystem;
    FileSecretStore store(m_path, fileSystem);
    ASSERT_TRUE(store.save(m_key, "kept").ok());

    fileSystem.fail(FaultyFileSystem::Operation::Replace);
    const SecretResult failed = store.save(m_key, "new");
    EXPECT_EQ(failed.status, SecretStatus::error);
    EXPECT_FALSE(failed.message.empty());
    EXPECT_EQ(store.remove(m_key).status, SecretStatus::error);
    fileSystem.clearFailures();

    EXPECT_EQ(store.load(m_key).value, "kept");
    EXPECT_EQ(testing::folderEntries(m_folder), (std::vector<std::string> { "secrets.json" }));
}

TEST_F(FileSecretStoreTest, ADamagedFileIsReportedAndLeftAlone)
{
    const char* damaged[] = {
        "not json", "[]", "{\"items\":{}}", "{\"items\":[{\"service\":\"svc\",\"account\":\"acct\",\"value\":\"bm90 YjY0\"}]}",
        "{\"items\":[{\"service\":\"svc\",\"value\":\"\"}]}",
    };
    for (const char* text : damaged) {
        testing::writeTestFile(m_path, text);
        FileSecretStore store(m_path);
        EXPECT_EQ(store.load(m_key).status, SecretStatus::error) << text;
        EXPECT_EQ(store.save(m_key, "value").status, SecretStatus::error) << text;
        EXPECT_EQ(testing::readTestFile(m_path), text);
    }
}

TEST_F(FileSecretStoreTest, ConcurrentSavesThroughTwoStoresLoseNothing)
{
    FileSecretStore first(m_path), second(m_path);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i)
                EXPECT_TRUE((t % 2 ? first : second).save({ "svc", std::to_string(t * 100 + i) }, "v").ok());
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 10; ++i)
            EXPECT_TRUE(first.load({ "svc", std::to_string(t * 100 + i) }).ok()) << t << "/" << i;
}

}
}
