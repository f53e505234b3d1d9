#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// The real furamio-server, started on a free loopback port with the given data folder.
class ServerProcess
{
public:
    ServerProcess(const std::string &dataDir, std::vector<std::string> extraArgs = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    int port() const { return m_port; }
    pid_t pid() const { return m_pid; }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }
    bool running();

    // Sends the signal and waits; the wait status as waitpid gives it.
    int stop(int signal);

    // Runs the binary to its end (for the notice command) and returns its exit code.
    static int run(const std::vector<std::string> &args, std::string *errorOutput = nullptr);

    std::string log() const;

    // The binary the tests start: the one built beside them, or FURAMIO_SERVER_BINARY from
    // the environment (to run the same tests or load against another build).
    static std::string binary();

private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_logPath;
};
