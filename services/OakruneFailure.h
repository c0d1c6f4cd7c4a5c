#pragma once

#include <string>
#include <utility>
#include <variant>

namespace ikw::services {

// Why an exchange with the contract library gave no result; `message` is shown to the user.
struct OakruneFailure {
    struct ScopeMissing {
        std::string what; // what the connection may not do
        bool operator==(const ScopeMissing&) const = default;
    };
    struct Offline {
        std::string reason;
        bool operator==(const Offline&) const = default;
    };
    struct Server {
        int status = 0;
        std::string message; // the reply's "error", or empty
        bool operator==(const Server&) const = default;
    };
    struct NotConnected {
        bool operator==(const NotConnected&) const = default;
    };
    struct ClaimRejected {
        bool operator==(const ClaimRejected&) const = default;
    };
    struct Revoked {
        bool operator==(const Revoked&) const = default;
    };

    std::variant<ScopeMissing, Offline, Server, NotConnected, ClaimRejected, Revoked> reason;

    static OakruneFailure scopeMissing(std::string what) { return { ScopeMissing { std::move(what) } }; }
    static OakruneFailure offline(std::string reason) { return { Offline { std::move(reason) } }; }
    static OakruneFailure server(int status, std::string message) { return { Server { status, std::move(message) } }; }
    static OakruneFailure notConnected() { return { NotConnected {} }; }
    static OakruneFailure claimRejected() { return { ClaimRejected {} }; }
    static OakruneFailure revoked() { return { Revoked {} }; }

    std::string message() const;
    bool operator==(const OakruneFailure&) const = default;
};

// A value, or the failure that kept it from being made.
template <typename T>
class OakruneResult {
public:
    OakruneResult(T value) : m_outcome(std::move(value)) { }
    OakruneResult(OakruneFailure failure) : m_outcome(std::move(failure)) { }

    bool ok() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<0>(m_outcome); }
    T& value() { return std::get<0>(m_outcome); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    const OakruneFailure& failure() const { return std::get<1>(m_outcome); }

private:
    std::variant<T, OakruneFailure> m_outcome;
};

// The result of an operation that gives nothing back on success.
using OakruneDone = OakruneResult<std::monostate>;

}
