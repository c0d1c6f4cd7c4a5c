#include "platform/http/fake/LoopbackHttpServer.h"

#include "platform/core/Process.h"
#include "platform/core/Text.h"

namespace ikw::http {

LoopbackHttpServer::LoopbackHttpServer()
    : LoopbackHttpServer(LoopbackServerOptions {})
{
}

LoopbackHttpServer::LoopbackHttpServer(const std::string& certificateFile, const std::string& keyFile)
    : LoopbackHttpServer(LoopbackServerOptions { .certificateFile = certificateFile, .keyFile = keyFile })
{
}

LoopbackHttpServer::LoopbackHttpServer(const LoopbackServerOptions& options)
    : m_secure(!options.certificateFile.empty())
{
    std::vector<std::string> argv { "python3", options.script.empty() ? IKW_LOOPBACK_SERVER_SCRIPT : options.script };
    if (m_secure)
        argv.insert(argv.end(), { "--tls", options.certificateFile, options.keyFile });
    argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
    start(argv);
}

void LoopbackHttpServer::start(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    g_autoptr(GError) error = nullptr;
    m_process = g_subprocess_newv(argv.data(), G_SUBPROCESS_FLAGS_STDOUT_PIPE, &error);
    if (!m_process) {
        m_failure = std::string("python3 cannot start: ") + error->message;
        return;
    }
    g_autoptr(GDataInputStream) output = g_data_input_stream_new(g_subprocess_get_stdout_pipe(m_process));
    g_autofree char* line = g_data_input_stream_read_line(output, nullptr, nullptr, nullptr);
    const auto port = line ? parseInteger(line) : std::nullopt;
    if (!port || *port <= 0) {
        m_failure = "the loopback server did not give its port";
        return;
    }
    m_port = static_cast<int>(*port);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    if (!m_process)
        return;
    g_subprocess_force_exit(m_process);
    g_subprocess_wait(m_process, nullptr, nullptr);
    g_object_unref(m_process);
}

std::string LoopbackHttpServer::url(const std::string& path) const
{
    return std::string(m_secure ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port) + path;
}

bool writeLoopbackCertificate(const std::string& folder)
{
    ProcessOptions options;
    options.argv = { "openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
        "-keyout", folder + "/key.pem", "-out", folder + "/cert.pem", "-days", "2", "-subj", "/CN=127.0.0.1",
        "-addext", "subjectAltName=IP:127.0.0.1" };
    options.timeoutSeconds = 30;
    return runProcess(options).succeeded();
}

}
