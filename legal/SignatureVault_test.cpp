#include "legal/SignatureVault.h"

#include "platform/secrets/fake/FakeSecretStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace ikw::legal {
namespace {

using secrets::FakeSecretStore;
using secrets::SecretKey;
using secrets::SecretResult;
using secrets::SecretStatus;
using secrets::SecretUnavailable;
using State = SignatureVault::State;
using Store = SignatureVault::Store;

const SecretKey kUserItem { std::string(SignatureVault::service), std::string(SignatureVault::account) };

// An in-memory store whose answers a test may replace call by call: `hook` sees each call
// ("load", "save", "remove") first, and its answer, when it gives one, stands instead of the
// stored items'.
class ScriptedStore final : public secrets::SecretStore {
public:
    using Hook = std::function<std::optional<SecretResult>(std::string_view operation, const SecretKey& key)>;

    FakeSecretStore items;
    Hook hook;

    std::string_view name() const override { return "scripted"; }
    SecretResult load(const SecretKey& key) override
    {
        if (auto scripted = answer("load", key))
            return *scripted;
        return items.load(key);
    }
    SecretResult save(const SecretKey& key, std::string_view value) override
    {
        if (auto scripted = answer("save", key))
            return *scripted;
        return items.save(key, value);
    }
    SecretResult remove(const SecretKey& key) override
    {
        if (auto scripted = answer("remove", key))
            return *scripted;
        return items.remove(key);
    }

    bool wasAsked(std::string_view operation) const { return std::find(m_asked.begin(), m_asked.end(), operation) != m_asked.end(); }

private:
    std::optional<SecretResult> answer(std::string_view operation, const SecretKey& key)
    {
        m_asked.emplace_back(operation);
        return hook ? hook(operation, key) : std::nullopt;
    }

    std::vector<std::string> m_asked;
};

ScriptedStore::Hook always(SecretResult result)
{
    return [result](std::string_view, const SecretKey&) { return std::optional(result); };
}

ScriptedStore::Hook loadsAnswer(SecretResult result)
{
    return [result](std::string_view operation, const SecretKey&) {
        return operation == "load" ? std::optional(result) : std::nullopt;
    };
}

const SecretResult kNoService = SecretResult::unavailable("no session bus");
const SecretResult kLocked = SecretResult::unavailable("the keyring is locked", SecretUnavailable::locked);
const SecretResult kNoAnswer = SecretResult::unavailable("did not answer within 4 s", SecretUnavailable::noAnswer);
const SecretResult kRefused = SecretResult::failure("secret service: refused");

struct Vault {
    ScriptedStore keyring;
    ScriptedStore file;
    std::vector<std::string> log;
    SignatureVault vault { keyring, file, [this](std::string_view line) { log.emplace_back(line); } };
};

TEST(SignatureVault, StateTellsFoundEmptyAndUnknownApart)
{
    const std::string nonUtf8 = "[\xFF\xFE]";
    const struct {
        const char* name;
        std::optional<std::string> keyringItem;
        ScriptedStore::Hook keyringHook;
        std::optional<std::string> fileItem;
        ScriptedStore::Hook fileHook;
        State expected;
        std::optional<Store> lastStore;
        bool fileAsked;
    } cases[] = {
        { "nothing stored", {}, {}, {}, {}, State::empty(), {}, true },
        { "file store only", {}, {}, "[legacy]", {}, State::found("[legacy]"), Store::legacy, true },
        { "both: the keyring wins", "[keyring]", {}, "[legacy]", {}, State::found("[keyring]"), Store::dataProtection, false },
        { "no secret service, item in the file", {}, always(kNoService), "[legacy]", {}, State::found("[legacy]"), Store::legacy, true },
        { "no secret service, nothing in the file", {}, always(kNoService), {}, {}, State::empty(), {}, true },
        { "no store can be reached", {}, always(kNoService), {}, always(kNoService), State::unknown(), {}, true },
        { "keyring error", {}, always(kRefused), "[legacy]", {}, State::unknown(), {}, false },
        { "keyring locked", {}, always(kLocked), "[legacy]", {}, State::unknown(), {}, false },
        { "keyring silent", {}, always(kNoAnswer), "[legacy]", {}, State::unknown(), {}, false },
        { "empty data in the keyring", {}, loadsAnswer(SecretResult::success("")), "[legacy]", {}, State::unknown(), {}, false },
        { "non-UTF-8 data in the keyring", nonUtf8, {}, "[legacy]", {}, State::unknown(), {}, false },
        { "non-UTF-8 data in the file", {}, {}, nonUtf8, {}, State::unknown(), {}, true },
        { "damaged file", {}, {}, {}, always(SecretResult::failure("secrets.json: cannot be read")), State::unknown(), {}, true },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Vault subject;
        if (test.keyringItem)
            subject.keyring.items.save(kUserItem, *test.keyringItem);
        if (test.fileItem)
            subject.file.items.save(kUserItem, *test.fileItem);
        subject.keyring.hook = test.keyringHook;
        subject.file.hook = test.fileHook;

        EXPECT_EQ(subject.vault.state(), test.expected);
        EXPECT_EQ(subject.vault.lastStoreUsed(), test.lastStore);
        EXPECT_EQ(subject.file.wasAsked("load"), test.fileAsked);
        const auto read = subject.vault.read();
        if (test.expected.kind == State::Kind::found)
            EXPECT_EQ(read, test.expected.text);
        else
            EXPECT_EQ(read, std::nullopt);
        EXPECT_TRUE(subject.log.empty());
    }
}

TEST(SignatureVault, WriteStoresInTheFirstStoreThatCanBeReached)
{
    const struct {
        const char* name;
        ScriptedStore::Hook keyringHook;
        ScriptedStore::Hook fileHook;
        bool written;
        std::optional<std::string> keyringAfter;
        std::string fileAfter;
        std::vector<std::string> log;
    } cases[] = {
        { "keyring", {}, {}, true, "[new]", "[older]", {} },
        { "no secret service", always(kNoService), {}, true, {}, "[new]", {} },
        { "keyring error", always(kRefused), {}, false, {}, "[older]", { "[ikw] signature vault write failed: secret service: refused" } },
        { "keyring locked", always(kLocked), {}, false, {}, "[older]", { "[ikw] signature vault write failed: the keyring is locked" } },
        { "no store can be reached", always(kNoService), always(kNoService), false, {}, "[older]",
            { "[ikw] signature vault write failed: no keychain accepted the item" } },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Vault subject;
        subject.file.items.save(kUserItem, "[older]");
        subject.keyring.hook = test.keyringHook;
        subject.file.hook = test.fileHook;

        EXPECT_EQ(subject.vault.write("[new]"), test.written);
        EXPECT_EQ(subject.keyring.items.peek(kUserItem), test.keyringAfter);
        EXPECT_EQ(subject.file.items.peek(kUserItem), test.fileAfter);
        EXPECT_EQ(subject.log, test.log);
        if (test.written)
            EXPECT_EQ(subject.vault.lastStoreUsed(), test.keyringAfter ? Store::dataProtection : Store::legacy);
        else
            EXPECT_EQ(subject.vault.lastStoreUsed(), std::nullopt);
    }
}

TEST(SignatureVault, WriteKeepsTextsAsTheyAreAndRefusesNone)
{
    Vault subject;
    ASSERT_TRUE(subject.vault.write("[]"));
    EXPECT_EQ(subject.keyring.items.peek(kUserItem), "[]");
    EXPECT_EQ(subject.vault.state(), State::found("[]"));

    // An empty text would remove the item and uncover the file's older copy.
    subject.file.items.save(kUserItem, "[older]");
    EXPECT_FALSE(subject.vault.write(""));
    EXPECT_EQ(subject.vault.read(), "[]");
    EXPECT_EQ(subject.log, std::vector<std::string> { "[ikw] signature vault write failed: the payload is empty" });
}

TEST(SignatureVault, AFailedSaveLeavesThePreviousItemReadable)
{
    Vault subject;
    ASSERT_TRUE(subject.vault.write("[previous]"));
    subject.keyring.hook = [](std::string_view operation, const SecretKey&) {
        return operation == "save" ? std::optional(kRefused) : std::nullopt;
    };
    EXPECT_FALSE(subject.vault.write("[next]"));
    EXPECT_EQ(subject.vault.read(), "[previous]");
    EXPECT_FALSE(subject.keyring.wasAsked("remove"));
}

TEST(SignatureVault, ClearAsksBothStores)
{
    const struct {
        const char* name;
        ScriptedStore::Hook keyringHook;
        ScriptedStore::Hook fileHook;
        bool cleared;
        State after;
    } cases[] = {
        { "both answer", {}, {}, true, State::empty() },
        { "no secret service", always(kNoService), {}, true, State::empty() },
        { "the file store fails", {}, always(kRefused), true, State::unknown() },
        { "both fail", always(kRefused), always(kRefused), false, State::unknown() },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Vault subject;
        subject.keyring.items.save(kUserItem, "[keyring]");
        subject.file.items.save(kUserItem, "[legacy]");
        subject.keyring.hook = test.keyringHook;
        subject.file.hook = test.fileHook;
        EXPECT_EQ(subject.vault.clear(), test.cleared);
        EXPECT_EQ(subject.vault.state(), test.after);
    }
    Vault empty;
    EXPECT_TRUE(empty.vault.clear());
}

std::string passingSelftest(std::string_view store)
{
    return "  ok    " + std::string(store) + " keychain: wrote, read back, deleted\n"
        "  ok    state(): no item reports .empty, not .unknown\n"
        "  ok    state(): item present reports .found\n"
        "  ok    state(): .unknown is by-construction (no synthetic case; see state())\n";
}

bool isProbe(const SecretKey& key)
{
    return key.account == SignatureVault::probeAccount;
}

TEST(SignatureVault, SelftestReportsEachCheckAndNeverTouchesTheUsersItem)
{
    const auto nthProbeSaveFails = [](int failing) {
        return [failing, saves = 0](std::string_view operation, const SecretKey& key) mutable -> std::optional<SecretResult> {
            if (operation == "save" && isProbe(key) && ++saves == failing)
                return kRefused;
            return std::nullopt;
        };
    };
    const struct {
        const char* name;
        ScriptedStore::Hook keyringHook;
        ScriptedStore::Hook fileHook;
        bool passes;
        std::string output;
    } cases[] = {
        { "both stores work", {}, {}, true, passingSelftest("dataProtection") },
        { "no secret service", always(kNoService), {}, true, passingSelftest("legacy") },
        { "both stores refuse", always(kRefused), always(kNoService), false, "FAIL: no keychain accepted the probe item\n" },
        { "the probe stays after deletion", [](std::string_view operation, const SecretKey& key) {
              return operation == "remove" && isProbe(key) ? std::optional(SecretResult::success()) : std::nullopt;
          },
            {}, false, "FAIL: the probe item survived deletion (dataProtection)\n" },
        { "the probe reads back wrong", [loads = 0](std::string_view operation, const SecretKey& key) mutable {
              return operation == "load" && isProbe(key) && ++loads == 1 ? std::optional(SecretResult::success("[other]")) : std::nullopt;
          },
            {}, false, "  ok    dataProtection keychain: wrote, read back, deleted\nFAIL: read back [other], wanted the payload\n" },
        { "the probe cannot be read", loadsAnswer(kRefused), always(kNoService), false,
            "  ok    dataProtection keychain: wrote, read back, deleted\nFAIL: read back nil, wanted the payload\n" },
        // From here on the vault's own lookup fails; each run still ends with no probe left.
        { "an old probe stays in the file", {},
            [](std::string_view operation, const SecretKey& key) {
                return operation == "load" && isProbe(key) ? std::optional(SecretResult::success("[stale]")) : std::nullopt;
            },
            false,
            "  ok    dataProtection keychain: wrote, read back, deleted\n"
            "FAIL: state() did not report .empty with no item present\n" },
        { "the second write fails", nthProbeSaveFails(2), {}, false,
            "  ok    dataProtection keychain: wrote, read back, deleted\n"
            "  ok    state(): no item reports .empty, not .unknown\n"
            "FAIL: could not write the payload back to test .found\n" },
        { "the lookup finds another text", [saves = 0](std::string_view operation, const SecretKey& key) mutable -> std::optional<SecretResult> {
              if (isProbe(key) && operation == "save")
                  ++saves;
              if (isProbe(key) && operation == "load" && saves == 2)
                  return SecretResult::success("[other]");
              return std::nullopt;
          },
            {}, false,
            "  ok    dataProtection keychain: wrote, read back, deleted\n"
            "  ok    state(): no item reports .empty, not .unknown\n"
            "FAIL: state() did not report .found with an item present\n" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Vault subject;
        const std::string keyringSignatures = "[{\"img\":\"data:image/png;base64,AAAA\",\"name\":\"Jo \xC3\xA9\"}]";
        subject.keyring.items.save(kUserItem, keyringSignatures);
        subject.file.items.save(kUserItem, "[older]");
        subject.keyring.hook = test.keyringHook;
        subject.file.hook = test.fileHook;

        std::ostringstream out;
        EXPECT_EQ(subject.vault.selftest(out), test.passes);
        EXPECT_EQ(out.str(), test.output);
        EXPECT_EQ(subject.keyring.items.peek(kUserItem), keyringSignatures);
        EXPECT_EQ(subject.file.items.peek(kUserItem), "[older]");
        const SecretKey probe { kUserItem.service, std::string(SignatureVault::probeAccount) };
        if (test.output.find("survived deletion") == std::string::npos) {
            EXPECT_EQ(subject.keyring.items.peek(probe), std::nullopt);
            EXPECT_EQ(subject.file.items.peek(probe), std::nullopt);
        }
        for (const ScriptedStore* store : { &subject.keyring, &subject.file }) {
            // Past the one save that put the user's item there.
            const auto calls = store->items.calls();
            for (auto call = calls.begin() + 1; call != calls.end(); ++call)
                EXPECT_EQ(call->find(SignatureVault::account), std::string::npos) << *call;
        }
    }
}

}
}
