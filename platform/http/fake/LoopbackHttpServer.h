#pragma once

#include <gio/gio.h>

#include <string>

namespace ikw::http {

// The test server (testdata/loopback_server.py) on 127.0.0.1 and a free port, for the lifetime of
// the object. Paths: /echo, /status/<code>?body=, /large?bytes=, /chunked?bytes=, /redirect?to=&code=, /stall, /drip.
class LoopbackHttpServer {
public:
    // Plain HTTP, or HTTPS with the given certificate and key files.
    LoopbackHttpServer();
    LoopbackHttpServer(const std::string& certificateFile, const std::string& keyFile);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool running() const { return m_port > 0; }
    const std::string& failure() const { return m_failure; }
    // "http://127.0.0.1:<port>" (or https).
    std::string url(const std::string& path = {}) const;

private:
    void start(const char* const* argv);

    GSubprocess* m_process = nullptr;
    int m_port = 0;
    bool m_secure = false;
    std::string m_failure;
};

// Writes a self-signed certificate for 127.0.0.1 and its key into `folder` ("cert.pem",
// "key.pem"); false when the openssl tool is missing or fails.
bool writeLoopbackCertificate(const std::string& folder);

}
