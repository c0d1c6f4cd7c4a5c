#pragma once

#include <gio/gio.h>

#include <string>

namespace ikw::secrets {

// A session bus of its own with a gnome-keyring daemon on it, for tests of the real keyring
// store: this process's DBUS_SESSION_BUS_ADDRESS points at it from the first use to the end of
// the process. The keyring's "login" collection is created unlocked, in a throw-away folder.
class PrivateKeyring {
public:
    // The process's one keyring, started on first use.
    static PrivateKeyring& shared();

    bool running() const { return m_failure.empty(); }
    // Why it could not start.
    const std::string& failure() const { return m_failure; }

    // Stops and resumes the daemon (SIGSTOP/SIGCONT): a stopped service takes calls but never
    // answers them.
    void freeze();
    void thaw();
    // Locks the default collection, as a screen lock or the user would. It cannot be unlocked
    // again without a prompt, so a test that locks runs in a process of its own.
    bool lock();

    ~PrivateKeyring();
    PrivateKeyring(const PrivateKeyring&) = delete;
    PrivateKeyring& operator=(const PrivateKeyring&) = delete;

private:
    PrivateKeyring();
    void start();

    std::string m_folder;
    std::string m_failure;
    GSubprocess* m_bus = nullptr;
    GSubprocess* m_keyring = nullptr;
};

}
