// Load client for oxserver: many connections, each asking for one catalogue formula after
// another and waiting for each reply (as the editor does). Reports requests per second and the
// median and 99th-percentile latency per connection count.
//
//   oxload [--porta N | --servidor PROGRAMA] [--conexoes 1,50,500] [--segundos 3] [--eco 1]
//          [--enchente 4000 [--chegando 1]]
//
// Without --porta it starts the oxserver built beside it (or the one given by --servidor) on a
// free port and stops it at the end; it then also reports the server's processor time per
// request, which a busy machine disturbs far less than the throughput.
// --eco 1 runs the same load against a trivial server in this process that answers every request
// with "1" at once: the baseline for how throughput should grow with the connection count.
// --enchente N opens N connections that each send one 65,000-byte formula after another, and
// one more that asks short catalogue formulas as the editor does; it reports that client's
// latency (median and worst) and how many long formulas were answered. With --chegando 1 the N
// connections arrive while the editor-like client is already asking, a few dozen at a time,
// each sending its formula as soon as it is connected: the server takes them in as they come.
#include <arpa/inet.h>
#include <fcntl.h>
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
#include <iterator>
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
    double serverCpuUs;  // per request; 0 when the server is not our child
};

// Processor time (user and system) of a process so far, in microseconds; 0 when unknown.
double cpuMicroseconds(pid_t pid) {
    if (pid <= 0) return 0;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::atof(field.c_str());
    return ticks * 1e6 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

Result run(std::uint16_t port, int connections, double seconds, const std::vector<std::string>& reqs,
           pid_t server) {
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
    double cpuAtWarm = -1, cpuAtEnd = 0;
    for (;;) {
        const auto now = Clock::now();
        if (cpuAtWarm < 0 && now >= warm) cpuAtWarm = cpuMicroseconds(server);
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
    cpuAtEnd = cpuMicroseconds(server);
    for (auto& c : conns) ::close(c.fd);
    ::close(ep);
    std::sort(latencies.begin(), latencies.end());
    Result r{};
    r.perSecond = static_cast<double>(counted) / seconds;
    if (counted > 0 && cpuAtWarm >= 0) r.serverCpuUs = (cpuAtEnd - cpuAtWarm) / static_cast<double>(counted);
    if (!latencies.empty()) {
        r.p50us = latencies[latencies.size() / 2];
        r.p99us = latencies[latencies.size() * 99 / 100];
    }
    return r;
}

// The trivial server: answers each request "`...`" with "1\r\n" as soon as it is whole.
void echoServer(int listenFd) {
    const int ep = ::epoll_create1(0);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = listenFd;
    ::epoll_ctl(ep, EPOLL_CTL_ADD, listenFd, &ev);
    std::vector<int> quotes(1 << 16, 0);  // backquotes seen per descriptor, modulo 2
    epoll_event events[512];
    char buf[16384];
    for (;;) {
        const int n = ::epoll_wait(ep, events, 512, -1);
        for (int k = 0; k < n; ++k) {
            const int fd = events[k].data.fd;
            if (fd == listenFd) {
                const int c = ::accept(listenFd, nullptr, nullptr);
                if (c < 0) continue;
                const int one = 1;
                ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                ev.data.fd = c;
                ::epoll_ctl(ep, EPOLL_CTL_ADD, c, &ev);
                continue;
            }
            const ssize_t got = ::recv(fd, buf, sizeof buf, 0);
            if (got <= 0) {
                ::close(fd);
                continue;
            }
            std::string replies;
            for (ssize_t i = 0; i < got; ++i)
                if (buf[i] == '`' && (quotes[static_cast<std::size_t>(fd)] ^= 1) == 0) replies += "1\r\n";
            if (!replies.empty()) ::send(fd, replies.data(), replies.size(), MSG_NOSIGNAL);
        }
    }
}

// Starts the trivial server on a free port of 127.0.0.1 in a child process.
pid_t startEcho(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return -1;
    port = ntohs(a.sin_port);
    const pid_t child = ::fork();
    if (child == 0) {
        echoServer(fd);
        ::_exit(0);
    }
    ::close(fd);
    return child;
}

// N connections sending long formulas and one editor-like client; see the top of the file.
void flood(std::uint16_t port, int connections, double seconds, const std::vector<std::string>& reqs,
           bool arriving) {
    std::string longFormula = "`";
    while (longFormula.size() < 65001) longFormula += "x+1-y*2/(3)^a ";
    longFormula.resize(65001);
    longFormula += "`";
    std::vector<Connection> conns(static_cast<std::size_t>(connections) + 1);
    const int ep = ::epoll_create1(0);
    auto open = [&](std::size_t i) {
        conns[i].fd = connectTo(port);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = i;
        ::epoll_ctl(ep, EPOLL_CTL_ADD, conns[i].fd, &ev);
        if (i > 0) ::fcntl(conns[i].fd, F_SETFL, O_NONBLOCK);
    };
    // Arriving, the flood connects between the editor's requests; else all at once before.
    std::size_t opened = arriving ? 1 : conns.size();
    for (std::size_t i = 0; i < opened; ++i) open(i);
    Connection& editor = conns[0];
    auto sendShort = [&] {
        const std::string& r = reqs[editor.next];
        editor.next = (editor.next + 1) % reqs.size();
        editor.sentAt = Clock::now();
        ::send(editor.fd, r.data(), r.size(), MSG_NOSIGNAL);
    };
    // The long formulas go out as the sockets take them.
    std::vector<std::size_t> sentBytes(conns.size(), 0);
    auto pushLong = [&](std::size_t i) {
        while (sentBytes[i] < longFormula.size()) {
            const ssize_t n = ::send(conns[i].fd, longFormula.data() + sentBytes[i], longFormula.size() - sentBytes[i],
                                     MSG_NOSIGNAL);
            if (n <= 0) return false;
            sentBytes[i] += static_cast<std::size_t>(n);
        }
        return true;
    };
    auto want = [&](std::size_t i, bool out) {
        epoll_event ev{};
        ev.events = EPOLLIN | (out ? EPOLLOUT : 0u);
        ev.data.u64 = i;
        ::epoll_ctl(ep, EPOLL_CTL_MOD, conns[i].fd, &ev);
    };
    for (std::size_t i = 1; i < opened; ++i)
        if (!pushLong(i)) want(i, true);
    sendShort();
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::vector<float> latencies;
    std::size_t longAnswers = 0;
    epoll_event events[512];
    char buf[65536];
    while (Clock::now() < end) {
        for (std::size_t batch = 0; opened < conns.size() && batch < 50; ++batch, ++opened) {
            open(opened);
            if (!pushLong(opened)) want(opened, true);
        }
        const int n = ::epoll_wait(ep, events, 512, opened < conns.size() ? 0 : 100);
        for (int k = 0; k < n; ++k) {
            const std::size_t i = events[k].data.u64;
            Connection& c = conns[i];
            if (events[k].events & EPOLLOUT) {
                if (pushLong(i)) want(i, false);
            }
            if (!(events[k].events & EPOLLIN)) continue;
            const ssize_t got = ::recv(c.fd, buf, sizeof buf, 0);
            if (got == 0) {
                std::fprintf(stderr, "connection %zu closed by the server\n", i);
                std::exit(1);
            }
            if (got < 0) continue;
            c.buffer.append(buf, static_cast<std::size_t>(got));
            for (std::size_t crlf; (crlf = c.buffer.find("\r\n")) != std::string::npos;) {
                c.buffer.erase(0, crlf + 2);
                if (i == 0) {
                    latencies.push_back(std::chrono::duration<float, std::milli>(Clock::now() - c.sentAt).count());
                    sendShort();
                } else {
                    ++longAnswers;
                    sentBytes[i] = 0;
                    if (!pushLong(i)) want(i, true);
                }
            }
        }
    }
    for (auto& c : conns) ::close(c.fd);
    ::close(ep);
    std::sort(latencies.begin(), latencies.end());
    std::printf("enchente de %d conex\xC3\xB5" "es%s: %zu f\xC3\xB3rmulas longas respondidas em %.0f s; cliente curto: "
                "%zu respostas, mediana %.1f ms, pior %.1f ms\n",
                connections, arriving ? " chegando" : "", longAnswers, seconds, latencies.size(),
                latencies.empty() ? 0.0 : latencies[latencies.size() / 2],
                latencies.empty() ? 0.0 : latencies.back());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    int port = -1;
    double seconds = 3;
    std::vector<int> counts = {1, 50, 500};
    int flooders = 0;
    bool arriving = false;
    bool echo = false;
    std::string program = OXSERVER_BINARY;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--porta") port = std::atoi(argv[i + 1]);
        else if (opt == "--eco") echo = std::atoi(argv[i + 1]) != 0;
        else if (opt == "--servidor") program = argv[i + 1];
        else if (opt == "--enchente") flooders = std::atoi(argv[i + 1]);
        else if (opt == "--chegando") arriving = std::atoi(argv[i + 1]) != 0;
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
    if (echo) {
        child = startEcho(port);
        if (child < 0) return 1;
    } else if (port < 0) {
        int out[2];
        if (::pipe(out) != 0) return 1;
        child = ::fork();
        if (child == 0) {
            ::dup2(out[1], 1);
            ::execl(program.c_str(), program.c_str(), "--porta", "0", static_cast<char*>(nullptr));
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
    if (flooders > 0) {
        flood(static_cast<std::uint16_t>(port), flooders, seconds, reqs, arriving);
        counts.clear();
    }
    if (!counts.empty())
        std::printf("%-10s %12s %10s %10s %22s\n", "conexões", "pedidos/s", "p50 (µs)", "p99 (µs)",
                    "servidor (µs/pedido)");
    for (int c : counts) {
        const Result r = run(static_cast<std::uint16_t>(port), c, seconds, reqs, child);
        std::printf("%-10d %12.0f %10.1f %10.1f %20.2f\n", c, r.perSecond, r.p50us, r.p99us, r.serverCpuUs);
        std::fflush(stdout);
    }
    if (child > 0) {
        // A server deep in work may take long to stop; it gets two seconds.
        ::kill(child, SIGTERM);
        for (int i = 0; i < 20 && ::waitpid(child, nullptr, WNOHANG) == 0; ++i) ::usleep(100000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    return 0;
}
