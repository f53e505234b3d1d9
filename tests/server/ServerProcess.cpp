#include "ServerProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <regex>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t spawn(const std::vector<std::string> &args, int stdoutFd, int stderrFd)
{
    std::vector<char *> argv;
    std::string program = ServerProcess::binary();
    argv.push_back(program.data());
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(stdoutFd, STDOUT_FILENO);
        dup2(stderrFd, STDERR_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("fork failed");
    return pid;
}

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

std::string ServerProcess::binary()
{
    const char *chosen = std::getenv("FURAMIO_SERVER_BINARY");
    return chosen && *chosen ? chosen : FURAMIO_SERVER_BINARY;
}

ServerProcess::ServerProcess(const std::string &dataDir, std::vector<std::string> extraArgs)
    : m_logPath(dataDir + ".log")
{
    std::vector<std::string> args{"--listen", "127.0.0.1:0", "--data", dataDir};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const int logFd = open(m_logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    m_pid = spawn(args, out[1], logFd);
    close(out[1]);
    close(logFd);

    // The server prints its address once it listens.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{out[0], POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        line.append(buffer, static_cast<size_t>(got));
    }
    close(out[0]);
    std::smatch match;
    if (!std::regex_search(line, match, std::regex("127\\.0\\.0\\.1:([0-9]+)/"))) {
        stop(SIGKILL);
        throw std::runtime_error("the server did not start: " + line + log());
    }
    m_port = std::stoi(match[1]);
}

ServerProcess::~ServerProcess()
{
    if (m_pid > 0)
        stop(SIGKILL);
}

bool ServerProcess::running()
{
    return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0;
}

int ServerProcess::stop(int signal)
{
    if (m_pid <= 0)
        return -1;
    kill(m_pid, signal);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return status;
}

int ServerProcess::run(const std::vector<std::string> &args, std::string *errorOutput)
{
    char path[] = "/tmp/furamio-server-run-XXXXXX";
    const int errFd = mkstemp(path);
    const int nullFd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = spawn(args, nullFd, errFd);
    close(nullFd);
    close(errFd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (errorOutput)
        *errorOutput = readAll(path);
    unlink(path);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::log() const
{
    return readAll(m_logPath);
}
