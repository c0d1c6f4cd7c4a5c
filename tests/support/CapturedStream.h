#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace ikw::testing {

// Sends one of the process's standard streams (by descriptor, so writes that bypass stdio are
// caught too) to a temporary file for the object's lifetime; `text()` reads what arrived so far.
class CapturedStream {
public:
    explicit CapturedStream(int fd)
        : m_fd(fd)
        , m_file(std::tmpfile())
    {
        std::fflush(nullptr);
        m_saved = ::dup(fd);
        if (!m_file || m_saved < 0 || ::dup2(::fileno(m_file), fd) < 0)
            throw std::runtime_error("cannot capture a standard stream");
    }
    ~CapturedStream()
    {
        std::fflush(nullptr);
        ::dup2(m_saved, m_fd);
        ::close(m_saved);
        std::fclose(m_file);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::string text() const
    {
        std::fflush(nullptr);
        std::string contents;
        char buffer[4096];
        const int reader = ::fileno(m_file);
        for (off_t offset = 0;;) {
            const ssize_t count = ::pread(reader, buffer, sizeof buffer, offset);
            if (count <= 0)
                break;
            contents.append(buffer, static_cast<std::size_t>(count));
            offset += count;
        }
        return contents;
    }

private:
    int m_fd;
    std::FILE* m_file;
    int m_saved = -1;
};

}
