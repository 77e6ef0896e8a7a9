// Load client for oxserver: many connections, each asking for one catalogue formula after
// another and waiting for each reply (as the editor does). Reports requests per second and the
// median and 99th-percentile latency per connection count.
//
//   oxload [--porta N] [--conexoes 1,50,500] [--segundos 3]
//
// Without --porta it starts the oxserver built beside it on a free port and stops it at the end.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> requests() {
    std::vector<std::string> out;
    std::ifstream in(OXSERVER_CATALOGUE);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        out.push_back("`" + codepage::Utf8ToCp1252(line.substr(line.rfind('\t') + 1)) + "`");
    }
    return out;
}

struct Connection {
    int fd = -1;
    std::size_t next = 0;
    Clock::time_point sentAt;
    std::string buffer;
};

int connectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        std::perror("connect");
        std::exit(1);
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

struct Result {
    double perSecond;
    double p50us, p99us;
};

Result run(std::uint16_t port, int connections, double seconds, const std::vector<std::string>& reqs) {
    std::vector<Connection> conns(static_cast<std::size_t>(connections));
    const int ep = ::epoll_create1(0);
    for (std::size_t i = 0; i < conns.size(); ++i) {
        conns[i].fd = connectTo(port);
        conns[i].next = i * 7 % reqs.size();
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = i;
        ::epoll_ctl(ep, EPOLL_CTL_ADD, conns[i].fd, &ev);
    }
    auto sendNext = [&](Connection& c) {
        const std::string& r = reqs[c.next];
        c.next = (c.next + 1) % reqs.size();
        c.sentAt = Clock::now();
        if (::send(c.fd, r.data(), r.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(r.size())) {
            std::perror("send");
            std::exit(1);
        }
    };
    for (auto& c : conns) sendNext(c);

    const auto warm = Clock::now() + std::chrono::milliseconds(500);
    const auto end = warm + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::vector<float> latencies;
    latencies.reserve(4 << 20);
    std::size_t counted = 0;
    epoll_event events[512];
    char buf[65536];
    for (;;) {
        const auto now = Clock::now();
        if (now >= end) break;
        const int n = ::epoll_wait(ep, events, 512, 100);
        for (int k = 0; k < n; ++k) {
            Connection& c = conns[events[k].data.u64];
            const ssize_t got = ::recv(c.fd, buf, sizeof buf, 0);
            if (got <= 0) {
                std::fprintf(stderr, "connection closed by the server\n");
                std::exit(1);
            }
            c.buffer.append(buf, static_cast<std::size_t>(got));
            const std::size_t crlf = c.buffer.find("\r\n");
            if (crlf == std::string::npos) continue;
            c.buffer.erase(0, crlf + 2);
            const auto t = Clock::now();
            if (t >= warm && t < end) {
                latencies.push_back(std::chrono::duration<float, std::micro>(t - c.sentAt).count());
                ++counted;
            }
            sendNext(c);
        }
    }
    for (auto& c : conns) ::close(c.fd);
    ::close(ep);
    std::sort(latencies.begin(), latencies.end());
    Result r{};
    r.perSecond = static_cast<double>(counted) / seconds;
    if (!latencies.empty()) {
        r.p50us = latencies[latencies.size() / 2];
        r.p99us = latencies[latencies.size() * 99 / 100];
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    int port = -1;
    double seconds = 3;
    std::vector<int> counts = {1, 50, 500};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--porta") port = std::atoi(argv[i + 1]);
        else if (opt == "--segundos") seconds = std::atof(argv[i + 1]);
        else if (opt == "--conexoes") {
            counts.clear();
            std::stringstream s(argv[i + 1]);
            std::string item;
            while (std::getline(s, item, ',')) counts.push_back(std::atoi(item.c_str()));
        }
    }
    rlimit rl{};
    ::getrlimit(RLIMIT_NOFILE, &rl);
    rl.rlim_cur = rl.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &rl);
    ::signal(SIGPIPE, SIG_IGN);

    pid_t child = -1;
    if (port < 0) {
        int out[2];
        if (::pipe(out) != 0) return 1;
        child = ::fork();
        if (child == 0) {
            ::dup2(out[1], 1);
            ::execl(OXSERVER_BINARY, OXSERVER_BINARY, "--porta", "0", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        char line[32] = {};
        std::size_t got = 0;
        while (got < sizeof line - 1) {
            const ssize_t n = ::read(out[0], line + got, 1);
            if (n <= 0 || line[got] == '\n') break;
            ++got;
        }
        port = std::atoi(line);
        if (port <= 0) {
            std::fprintf(stderr, "oxserver did not start\n");
            return 1;
        }
    }

    const auto reqs = requests();
    std::printf("%-10s %12s %10s %10s\n", "conexões", "pedidos/s", "p50 (µs)", "p99 (µs)");
    for (int c : counts) {
        const Result r = run(static_cast<std::uint16_t>(port), c, seconds, reqs);
        std::printf("%-10d %12.0f %10.1f %10.1f\n", c, r.perSecond, r.p50us, r.p99us);
        std::fflush(stdout);
    }
    if (child > 0) {
        ::kill(child, SIGTERM);
        ::waitpid(child, nullptr, 0);
    }
    return 0;
}
