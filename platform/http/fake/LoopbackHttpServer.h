#pragma once

#include <gio/gio.h>

#include <string>
#include <vector>

namespace ikw::http {

// Which server to run. The built-in one serves the paths below; a stand-in of a service is a
// script of its own that, like it, prints its port on the first line of standard output and
// takes "--tls CERT KEY" first when it serves HTTPS.
struct LoopbackServerOptions {
    std::string script {}; // a Python script; empty: the built-in server
    std::vector<std::string> arguments {}; // for the script, after the TLS options
    std::string certificateFile {}; // with keyFile: HTTPS
    std::string keyFile {};
};

// A test server on 127.0.0.1 and a free port, for the lifetime of the object. The built-in one
// (testdata/loopback_server.py) serves /echo, /status/<code>?body=, /large?bytes=, /chunked?bytes=, /redirect?to=&code=, /stall, /drip.
class LoopbackHttpServer {
public:
    // Plain HTTP, or HTTPS with the given certificate and key files.
    LoopbackHttpServer();
    LoopbackHttpServer(const std::string& certificateFile, const std::string& keyFile);
    explicit LoopbackHttpServer(const LoopbackServerOptions& options);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool running() const { return m_port > 0; }
    const std::string& failure() const { return m_failure; }
    // "http://127.0.0.1:<port>" (or https).
    std::string url(const std::string& path = {}) const;

private:
    void start(const std::vector<std::string>& argv);

    GSubprocess* m_process = nullptr;
    int m_port = 0;
    bool m_secure = false;
    std::string m_failure;
};

// Writes a self-signed certificate for 127.0.0.1 and its key into `folder` ("cert.pem",
// "key.pem"); false when the openssl tool is missing or fails.
bool writeLoopbackCertificate(const std::string& folder);

}
