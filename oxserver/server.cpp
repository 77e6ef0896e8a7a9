#include "oxserver/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace oxserver {
namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
// Replies waiting for a client that does not read them; past this, its requests wait too.
constexpr std::size_t kMaxPendingOutput = 64 * 1024;
constexpr int kAcceptsPerWake = 256;
// A buffer that grew past this for one burst is given back once empty.
constexpr std::size_t kKeptCapacity = 16 * 1024;

// An epoll tag: the descriptor and the generation of the connection it was given for.
std::uint64_t tag(int fd, std::uint32_t generation) {
    return static_cast<std::uint64_t>(generation) << 32 | static_cast<std::uint32_t>(fd);
}

void giveBackIfEmpty(std::string& buffer) {
    if (buffer.empty() && buffer.capacity() > kKeptCapacity) std::string().swap(buffer);
}

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

}  // namespace

struct Server::Connection {
    int fd = -1;
    std::uint32_t generation = 0;  // tells this connection from an earlier one on the same fd
    std::string input;  // received and not yet consumed: at most one partial request and a chunk
    FrameState frame;
    std::string output;  // replies not yet sent
    std::size_t sent = 0;
    std::list<int>::iterator idle;
    std::uint32_t interest = 0;
    bool peerClosed = false;

    std::size_t pendingOutput() const { return output.size() - sent; }
};

Server::Server() = default;

Server::~Server() {
    for (auto& c : byFd_)
        if (c) ::close(c->fd);
    for (int fd : {listenFd_, epollFd_, stopFd_, spareFd_})
        if (fd >= 0) ::close(fd);
}

bool Server::Listen(const ServerOptions& options, int* error) {
    options_ = options;
    auto fail = [&]() {
        if (error) *error = errno;
        return false;
    };
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return fail();
    const int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr = loopback(options.port);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) return fail();
    if (::listen(listenFd_, SOMAXCONN) < 0) return fail();
    socklen_t len = sizeof addr;
    if (::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0) return fail();
    port_ = ntohs(addr.sin_port);

    epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    stopFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    spareFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (epollFd_ < 0 || stopFd_ < 0) return fail();
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = tag(listenFd_, 0);
    if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &ev) < 0) return fail();
    ev.data.u64 = tag(stopFd_, 0);
    if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, stopFd_, &ev) < 0) return fail();

    // Keep room under the file limit for the listening socket, epoll and the like.
    rlimit rl{};
    std::size_t files = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) files = rl.rlim_cur;
    else if (rl.rlim_cur == RLIM_INFINITY) files = 1 << 20;
    maxConnections_ = options.maxConnections;
    if (files > 16 && files - 16 < maxConnections_) maxConnections_ = files - 16;
    if (maxConnections_ == 0) maxConnections_ = 1;
    return true;
}

void Server::Stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopFd_, &one, sizeof one);
}

void Server::Run() {
    epoll_event events[128];
    for (;;) {
        const int n = ::epoll_wait(epollFd_, events, 128, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        bool stop = false;
        for (int k = 0; k < n; ++k) {
            const int fd = static_cast<int>(events[k].data.u64 & 0xFFFFFFFFu);
            const auto generation = static_cast<std::uint32_t>(events[k].data.u64 >> 32);
            if (generation == 0 && fd == stopFd_) stop = true;
            else if (generation == 0 && fd == listenFd_) acceptAll();
            else onEvent(fd, generation, events[k].events);
        }
        if (stop) break;
    }
    while (!lru_.empty()) close(*byFd_[static_cast<std::size_t>(lru_.front())]);
    ::close(listenFd_);
    listenFd_ = -1;
}

void Server::acceptAll() {
    for (int k = 0; k < kAcceptsPerWake; ++k) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if ((errno == EMFILE || errno == ENFILE) && !lru_.empty()) {
                closeOldest();
                continue;
            }
            if ((errno == EMFILE || errno == ENFILE) && spareFd_ >= 0) {
                // Nothing of ours to close: take the pending connection off the queue and drop
                // it, or the listening socket stays readable for ever.
                ::close(spareFd_);
                const int dropped = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (dropped >= 0) ::close(dropped);
                spareFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            }
            return;
        }
        if (lru_.size() >= maxConnections_) closeOldest();
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        const auto slot = static_cast<std::size_t>(fd);
        if (byFd_.size() <= slot) byFd_.resize(slot + 1);
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->frame.verbosity = options_.verbosity;
        if (++lastGeneration_ == 0) ++lastGeneration_;  // 0 tags the server's own descriptors
        c->generation = lastGeneration_;
        c->idle = lru_.insert(lru_.end(), fd);
        c->interest = EPOLLIN;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = tag(fd, c->generation);
        if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) < 0) {
            lru_.erase(c->idle);
            ::close(fd);
            continue;
        }
        byFd_[slot] = std::move(c);
    }
}

void Server::onEvent(int fd, std::uint32_t generation, std::uint32_t events) {
    const auto slot = static_cast<std::size_t>(fd);
    // An event of a connection closed earlier in the same wake, perhaps while its descriptor
    // went to a new one, is no news for the new one.
    if (slot >= byFd_.size() || !byFd_[slot] || byFd_[slot]->generation != generation) return;
    Connection& c = *byFd_[slot];
    lru_.splice(lru_.end(), lru_, c.idle);
    if (events & (EPOLLERR | EPOLLHUP)) {
        close(c);
        return;
    }
    if (events & EPOLLOUT) {
        // Requests held back while replies were waiting.
        if (!flush(c) || !serve(c)) return;
    }
    if (events & EPOLLIN) {
        readFrom(c);
        if (!byFd_[slot]) return;
    }
    if (c.peerClosed && c.pendingOutput() == 0) {
        close(c);
        return;
    }
    updateInterest(c);
}

void Server::readFrom(Connection& c) {
    const std::size_t old = c.input.size();
    c.input.resize(old + kReadChunk);
    const ssize_t n = ::recv(c.fd, c.input.data() + old, kReadChunk, 0);
    if (n < 0) {
        c.input.resize(old);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) close(c);
        return;
    }
    c.input.resize(old + static_cast<std::size_t>(n));
    if (n == 0) c.peerClosed = true;  // answer what has come, then close
    serve(c);
}

bool Server::serve(Connection& c) {
    for (;;) {
        const std::size_t before = c.input.size();
        answer(c);
        if (!flush(c)) return false;
        // Stop when the client has all its replies and no whole request is left, or when it
        // does not read: its EPOLLOUT brings the rest.
        if (c.pendingOutput() > 0 || c.input.size() == before) return true;
    }
}

void Server::answer(Connection& c) {
    std::string_view input = c.input;
    std::size_t done = 0;
    while (c.pendingOutput() < kMaxPendingOutput) {
        const Frame f = NextFrame(input.substr(done), c.frame, options_.maxRequest);
        done += f.consumed;
        c.frame = f.next;
        if (f.kind == FrameKind::NeedMore) break;
        c.output += f.kind == FrameKind::Request ? ReplyToRequest(f.body, c.frame.verbosity) : TooLongReply();
    }
    c.input.erase(0, done);
    giveBackIfEmpty(c.input);
}

// Sends what it can; false when the connection was closed.
bool Server::flush(Connection& c) {
    while (c.pendingOutput() > 0) {
        const ssize_t n = ::send(c.fd, c.output.data() + c.sent, c.pendingOutput(), MSG_NOSIGNAL);
        if (n > 0) {
            c.sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n < 0 && errno == EINTR) continue;
        close(c);
        return false;
    }
    if (c.sent == c.output.size()) {
        c.output.clear();
        c.sent = 0;
        giveBackIfEmpty(c.output);
    } else if (c.sent > kMaxPendingOutput) {
        c.output.erase(0, c.sent);
        c.sent = 0;
    }
    return true;
}

void Server::updateInterest(Connection& c) {
    std::uint32_t want = 0;
    if (!c.peerClosed && c.pendingOutput() < kMaxPendingOutput) want |= EPOLLIN;
    if (c.pendingOutput() > 0) want |= EPOLLOUT;
    if (want == c.interest) return;
    epoll_event ev{};
    ev.events = want;
    ev.data.u64 = tag(c.fd, c.generation);
    ::epoll_ctl(epollFd_, EPOLL_CTL_MOD, c.fd, &ev);
    c.interest = want;
}

void Server::close(Connection& c) {
    const int fd = c.fd;
    ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    lru_.erase(c.idle);
    ::close(fd);
    byFd_[static_cast<std::size_t>(fd)].reset();
}

void Server::closeOldest() {
    if (!lru_.empty()) close(*byFd_[static_cast<std::size_t>(lru_.front())]);
}

bool ProbeServer(std::uint16_t port, int timeoutMs) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto waitFor = [&](short what) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0) return false;
            pollfd p{fd, what, 0};
            const int r = ::poll(&p, 1, static_cast<int>(left));
            if (r > 0) return true;
            if (r < 0 && errno != EINTR) return false;
        }
    };
    bool ok = false;
    sockaddr_in addr = loopback(port);
    int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (rc < 0 && errno == EINPROGRESS && waitFor(POLLOUT)) {
        int err = 0;
        socklen_t len = sizeof err;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
        rc = err == 0 ? 0 : -1;
    }
    if (rc == 0 && ::send(fd, "`1`", 3, MSG_NOSIGNAL) == 3) {
        std::string reply;
        char buf[64];
        while (reply.size() < 16 && waitFor(POLLIN)) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            reply.append(buf, static_cast<std::size_t>(n));
            if (reply.size() >= 2 && reply.compare(reply.size() - 2, 2, "\r\n") == 0) break;
        }
        ok = reply == "1\r\n";
    }
    ::close(fd);
    return ok;
}

}  // namespace oxserver
