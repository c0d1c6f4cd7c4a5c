#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace ikw::richtext {

// Why a document could not be read or written: one sentence for the user.
struct Failure {
    std::string message;
};

// A value or the failure that kept it from being made.
template<typename T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) { }
    Result(Failure failure) : m_error(std::move(failure.message)) { }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    // Empty when ok.
    const std::string& error() const { return m_error; }

private:
    std::optional<T> m_value;
    std::string m_error;
};

// Bounds on what the readers take from untrusted files, so that memory stays bounded whatever the
// input: the bytes of a plain-text or RTF file and of the main part of a Word package, the other
// parts of the package, and the paragraphs and runs of the document made from them.
inline constexpr std::uint64_t kMaxPlainTextBytes = 32u << 20;
inline constexpr std::uint64_t kMaxRtfBytes = 64u << 20;
inline constexpr std::uint64_t kMaxDocumentPartBytes = 64u << 20;
inline constexpr std::uint64_t kMaxSupportPartBytes = 8u << 20;
inline constexpr std::size_t kMaxParagraphsAndRuns = 2'000'000;
// RTF groups nest a few levels in real documents.
inline constexpr std::size_t kMaxRtfNesting = 500;

}
