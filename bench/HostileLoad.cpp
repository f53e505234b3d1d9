#include "HostileLoad.h"

#include <httplib.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string noticeRequest =
    "GET /kokki/oshirase.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";

int openSocket(int port, bool blocking)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        close(fd);
        return -1;
    }
    return fd;
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// One request on a new connection, as the game makes it; the time to the whole reply, or a
// negative number when none came within `patience`.
double oneShot(int port, const std::string &request, std::chrono::milliseconds patience)
{
    const auto start = Clock::now();
    const auto end = start + patience;
    const int fd = openSocket(port, false);
    if (fd < 0)
        return -1;
    size_t sent = 0;
    std::string reply;
    bool ok = false;
    while (Clock::now() < end) {
        pollfd ready{fd, static_cast<short>(sent < request.size() ? POLLOUT : POLLIN), 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (poll(&ready, 1, static_cast<int>(std::max<long>(1, left.count()))) <= 0)
            continue;
        if (sent < request.size()) {
            const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
            continue;
        }
        char buffer[4096];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            ok = got == 0 && reply.rfind("HTTP/1.1 200", 0) == 0;
            break;
        }
        reply.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return ok ? ms(Clock::now() - start) : -1;
}

struct Spread
{
    double median = 0, p99 = 0, worst = 0;
};

Spread spread(std::vector<double> times)
{
    Spread s;
    if (times.empty())
        return s;
    std::sort(times.begin(), times.end());
    s.median = times[times.size() / 2];
    s.p99 = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    s.worst = times.back();
    return s;
}

struct Answers
{
    std::vector<double> times; // of the requests answered, in ms
    int unanswered = 0;        // not within 30 s
};

// A player's one-shot notice requests, ten a second, until `end`.
template <typename Deadline> Answers playerRequests(int port, Deadline end)
{
    Answers answers;
    while (Clock::now() < end) {
        const double t = oneShot(port, noticeRequest, 30s);
        if (t < 0)
            ++answers.unanswered;
        else
            answers.times.push_back(t);
        std::this_thread::sleep_for(100ms);
    }
    return answers;
}

long procValue(const std::string &path, const std::string &key)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

long listenOverflows()
{
    // Two lines: the names, then the values.
    std::ifstream in("/proc/net/netstat");
    std::string names, values;
    while (std::getline(in, names) && std::getline(in, values)) {
        if (names.rfind("TcpExt:", 0) != 0)
            continue;
        std::vector<std::string> n, v;
        std::string word;
        for (std::istringstream s(names); s >> word;)
            n.push_back(word);
        for (std::istringstream s(values); s >> word;)
            v.push_back(word);
        for (size_t i = 0; i < n.size() && i < v.size(); ++i)
            if (n[i] == "ListenOverflows")
                return std::stol(v[i]);
    }
    return -1;
}

} // namespace

namespace HostileLoad {

bool slowAndIdle(int port, int slowClients, int idleConnections, double seconds)
{
    std::vector<int> slow(static_cast<size_t>(slowClients), -1),
        idle(static_cast<size_t>(idleConnections), -1);
    std::vector<size_t> progress(slow.size(), 0);
    std::vector<Clock::time_point> opened(slow.size());
    std::atomic<bool> stop{false};
    std::atomic<long> slowDropped{0}, idleDropped{0};
    std::vector<double> dropAfter;
    const std::string endless =
        "GET /countx/europe/count.php HTTP/1.1\r\nHost: x\r\nX-Slow: " + std::string(100000, 'a');
    // The attacker: keeps every connection open, reopening what the server closes, and sends
    // each slow one a byte every 3 s.
    std::thread attacker([&] {
        auto nextByte = Clock::now();
        while (!stop) {
            for (size_t i = 0; i < idle.size(); ++i) {
                char byte;
                if (idle[i] >= 0 && recv(idle[i], &byte, 1, MSG_DONTWAIT) == 0) {
                    close(idle[i]);
                    idle[i] = -1;
                    ++idleDropped;
                }
                if (idle[i] < 0)
                    idle[i] = openSocket(port, false);
            }
            const bool sendNow = Clock::now() >= nextByte;
            if (sendNow)
                nextByte = Clock::now() + 3s;
            for (size_t i = 0; i < slow.size(); ++i) {
                char byte;
                if (slow[i] >= 0 && recv(slow[i], &byte, 1, MSG_DONTWAIT) == 0) {
                    close(slow[i]);
                    slow[i] = -1;
                    ++slowDropped;
                    dropAfter.push_back(ms(Clock::now() - opened[i]) / 1000);
                }
                if (slow[i] < 0) {
                    slow[i] = openSocket(port, false);
                    opened[i] = Clock::now();
                    progress[i] = 0;
                }
                if (sendNow && slow[i] >= 0 &&
                    send(slow[i], endless.data() + progress[i]++, 1, MSG_NOSIGNAL) != 1) {
                    close(slow[i]);
                    slow[i] = -1;
                    ++slowDropped;
                }
            }
            std::this_thread::sleep_for(100ms);
        }
    });
    std::this_thread::sleep_for(1s); // all connections open
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    const auto [times, unanswered] = playerRequests(port, end);
    stop = true;
    attacker.join();
    for (int fd : slow)
        if (fd >= 0)
            close(fd);
    for (int fd : idle)
        if (fd >= 0)
            close(fd);
    const Spread s = spread(times);
    const Spread cut = spread(dropAfter);
    std::printf("%d slow (1 byte/3 s) + %d idle: player requests %zu answered, %d not within 30 s;"
                " median %.1f ms, worst %.1f ms\n",
                slowClients, idleConnections, times.size(), unanswered, s.median, s.worst);
    std::printf("    slow requests dropped by the server: %ld, after %.1f s (median) to %.1f s; "
                "idle connections dropped: %ld\n",
                slowDropped.load(), cut.median, cut.worst, idleDropped.load());
    return unanswered == 0 && s.median <= 100 && s.worst <= 1000;
}

bool headerFlood(int port, pid_t pid, size_t bytes)
{
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    const long before = procValue(status, "VmRSS:");
    const int fd = openSocket(port, true);
    std::string lines;
    for (int i = 0; lines.size() < 64 * 1024; ++i)
        lines += "X-" + std::to_string(i) + ": a\r\n";
    std::string chunk = "GET /countx/europe/count.php HTTP/1.1\r\nHost: x\r\n" + lines;
    size_t sent = 0;
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    while (sent < bytes) {
        const ssize_t n = send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
        chunk = lines;
    }
    const long after = procValue(status, "VmRSS:");
    const long peak = procValue(status, "VmHWM:");
    close(fd);
    std::printf("header flood: %.1f MB of header lines taken before refusal (of %.0f MB sent "
                "at most); server memory %ld KB -> %ld KB (peak %ld KB)\n",
                sent / 1048576.0, bytes / 1048576.0, before, after, peak);
    return sent < bytes && after - before < 5 * 1024;
}

bool rangeReply(int port, const std::string &dataDir)
{
    const size_t size = 1 << 20;
    std::ofstream(dataDir + "/kokki/naiyou.txt", std::ios::binary) << std::string(size, 'g');
    std::string range = "bytes=0-1048575";
    for (int i = 0; i < 99; ++i)
        range += ",0-1048575";
    const int fd = openSocket(port, true);
    const std::string request = "GET /kokki/naiyou.txt HTTP/1.1\r\nHost: x\r\nRange: " + range +
                                "\r\nConnection: close\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    size_t received = 0;
    std::string head;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        if (head.size() < 200)
            head.append(buffer, static_cast<size_t>(std::min<ssize_t>(got, 200)));
        received += static_cast<size_t>(got);
    }
    close(fd);
    std::printf("Range with 100 copies of a 1 MB file: %s, %.1f MB sent\n",
                head.substr(0, head.find("\r\n")).c_str(), received / 1048576.0);
    return received < size + 1024;
}

bool burst(int port, int requests, int concurrent)
{
    struct Slot
    {
        int fd = -1;
        Clock::time_point start;
        size_t sent = 0;
        std::string reply;
    };
    const long overflowsBefore = listenOverflows();
    const int poller = epoll_create1(EPOLL_CLOEXEC);
    std::vector<Slot> slots(static_cast<size_t>(concurrent));
    std::vector<double> times;
    int started = 0, failed = 0;
    const auto launch = [&](size_t i) {
        Slot &slot = slots[i];
        slot = Slot{};
        if (started >= requests)
            return;
        ++started;
        slot.start = Clock::now();
        slot.fd = openSocket(port, false);
        if (slot.fd < 0) {
            ++failed;
            return;
        }
        epoll_event event{};
        event.events = EPOLLOUT | EPOLLIN;
        event.data.u64 = i;
        epoll_ctl(poller, EPOLL_CTL_ADD, slot.fd, &event);
    };
    const auto finish = [&](size_t i, bool ok) {
        Slot &slot = slots[i];
        epoll_ctl(poller, EPOLL_CTL_DEL, slot.fd, nullptr);
        close(slot.fd);
        if (ok)
            times.push_back(ms(Clock::now() - slot.start));
        else
            ++failed;
        launch(i);
    };
    const auto begin = Clock::now();
    for (size_t i = 0; i < slots.size(); ++i)
        launch(i);
    std::vector<epoll_event> events(slots.size());
    while (static_cast<int>(times.size()) + failed < requests) {
        const int n = epoll_wait(poller, events.data(), static_cast<int>(events.size()), 100);
        for (int e = 0; e < n; ++e) {
            const size_t i = events[static_cast<size_t>(e)].data.u64;
            Slot &slot = slots[i];
            if (slot.fd < 0)
                continue;
            if (slot.sent < noticeRequest.size() &&
                (events[static_cast<size_t>(e)].events & EPOLLOUT)) {
                const ssize_t s = send(slot.fd, noticeRequest.data() + slot.sent,
                                       noticeRequest.size() - slot.sent, MSG_NOSIGNAL);
                if (s > 0)
                    slot.sent += static_cast<size_t>(s);
                else if (errno != EAGAIN) {
                    finish(i, false);
                    continue;
                }
                if (slot.sent == noticeRequest.size()) {
                    epoll_event event{};
                    event.events = EPOLLIN;
                    event.data.u64 = i;
                    epoll_ctl(poller, EPOLL_CTL_MOD, slot.fd, &event);
                }
            }
            if (events[static_cast<size_t>(e)].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) {
                char buffer[4096];
                ssize_t got = 0;
                while ((got = recv(slot.fd, buffer, sizeof buffer, 0)) > 0)
                    slot.reply.append(buffer, static_cast<size_t>(got));
                if (got == 0 || (got < 0 && errno != EAGAIN))
                    finish(i, got == 0 && slot.reply.rfind("HTTP/1.1 200", 0) == 0);
            }
        }
        // The program gives up after 10 s; a request not answered by then is lost.
        const auto now = Clock::now();
        for (size_t i = 0; i < slots.size(); ++i)
            if (slots[i].fd >= 0 && now - slots[i].start > 10s)
                finish(i, false);
    }
    close(poller);
    const double total = ms(Clock::now() - begin) / 1000;
    const Spread s = spread(times);
    const long overflows = listenOverflows() - overflowsBefore;
    const double within200 =
        times.empty() ? 0 : 100.0 * std::count_if(times.begin(), times.end(), [](double t) {
                                return t <= 200;
                            }) / requests;
    std::printf("burst of %d one-shot requests, %d at once: %zu answered, %d not within 10 s, "
                "%.0f req/s; median %.1f ms, 99%% %.1f ms, worst %.1f ms; %.1f %% within 200 ms; "
                "listen queue overflows %ld\n",
                requests, concurrent, times.size(), failed, requests / total, s.median, s.p99,
                s.worst, within200, overflows);
    return failed == 0 && s.p99 <= 200;
}

bool slowReaders(int port, pid_t pid, const std::string &dataDir, int readers, double seconds)
{
    std::ofstream(dataDir + "/kokki/naiyou.txt", std::ios::binary) << std::string(1 << 20, 'g');
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    const long before = procValue(status, "VmRSS:");
    const std::string request = "GET /kokki/naiyou.txt HTTP/1.1\r\nHost: x\r\n\r\n";
    std::vector<int> fds;
    for (int i = 0; i < readers; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int small = 4096; // a reader with little room, as a slow line has
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            send(fd, request.data(), request.size(), MSG_NOSIGNAL) <= 0) {
            close(fd);
            continue;
        }
        fds.push_back(fd);
    }
    std::atomic<bool> stop{false};
    std::atomic<long> peak{0};
    std::atomic<long long> received{0};
    std::thread reader([&] {
        char buffer[1024];
        while (!stop) {
            for (int fd : fds)
                received += std::max<ssize_t>(0, recv(fd, buffer, sizeof buffer, MSG_DONTWAIT));
            peak = std::max(peak.load(), procValue(status, "VmHWM:"));
            std::this_thread::sleep_for(1s);
        }
    });
    std::this_thread::sleep_for(2s); // every reply under way
    // Counter reports from four keep-alive clients, and a player's one-shot notice requests.
    std::atomic<long long> counted{0};
    std::vector<std::thread> reporters;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    for (int c = 0; c < 4; ++c)
        reporters.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(true);
            long long n = 0, ok = 0;
            while (Clock::now() < end) {
                const auto reply =
                    client.Get("/count1/countersekai/" + std::to_string(1 + (c * 131 + n++) % 500) +
                               "/count.php");
                ok += reply && reply->status == 200;
            }
            counted += ok;
        });
    const auto [times, unanswered] = playerRequests(port, end);
    for (std::thread &t : reporters)
        t.join();
    stop = true;
    reader.join();
    for (int fd : fds)
        close(fd);
    const Spread s = spread(times);
    std::printf(
        "%zu slow readers of a 1 MB file (1 KB/s each, %.1f MB taken): server memory %ld KB "
        "before, %ld KB at most; counter reports %.0f/s beside them; player requests %zu "
        "answered, %d not within 30 s, median %.1f ms, worst %.1f ms\n",
        fds.size(), received / 1048576.0, before, peak.load(), counted / seconds, times.size(),
        unanswered, s.median, s.worst);
    return unanswered == 0 && peak - before < 64 * 1024;
}

} // namespace HostileLoad
