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

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace oxserver {
namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
// Replies waiting for a client that does not read them; past this, its requests wait too.
constexpr std::size_t kMaxPendingOutput = 64 * 1024;
// New connections are taken in batches between rounds of reading: a batch only after a wake
// whose news were all handled, or after a few full wakes, so that a storm of new connections
// each bringing a long formula never stands between an open connection and its next turn.
constexpr int kAcceptsPerBatch = 64;
constexpr int kEventsPerWake = 512;
constexpr int kFullWakesPerBacklogTurn = 4;
constexpr int kFullWakesPerAcceptBatch = 4;
// A buffer that grew past this for one burst is given back once empty.
constexpr std::size_t kKeptCapacity = 16 * 1024;
// Reading work a connection gets in one turn, in request bytes, each request counting
// kRequestCost more. A request longer than the slice waits for a backlog turn, where it is read
// alone; backlog turns take about kBacklogSlice of each wake, at least one request.
constexpr std::size_t kTurnBytes = 4096;
constexpr std::size_t kRequestCost = 64;
constexpr auto kBacklogSlice = std::chrono::milliseconds(5);

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
    bool queued = false;  // in the backlog: whole requests wait for a turn
    std::uint64_t completed = 0;  // requests answered on this connection

    // How many connections were accepted after this one (generations wrap around, skipping 0).
    std::uint32_t generationsAgo(std::uint32_t last) const { return last - generation; }

    std::size_t pendingOutput() const { return output.size() - sent; }
    // A request sent, or part of one, whose reply has not all gone out.
    bool waitingForReply() const { return !input.empty() || frame.skipping || queued || pendingOutput() > 0; }
    // A whole request is being answered: its reply is owed.
    bool owedReply() const { return queued || pendingOutput() > 0; }
};

enum class Server::Answered {
    All,      // no whole request is left
    Waiting,  // a whole request is left for a later turn
    Blocked,  // the client does not read its replies; its requests wait for it
};

Server::Server() : received_(new char[kReadChunk]) {}

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
    epoll_event events[kEventsPerWake];
    int fullWakes = 0;
    int fullWakesSinceAccept = 0;
    for (;;) {
        if (options_.beforeWait) options_.beforeWait();
        // With requests waiting for turns, the wait only looks for news.
        const int n = ::epoll_wait(epollFd_, events, kEventsPerWake, backlog_.empty() ? -1 : 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        bool stop = false;
        bool connecting = false;
        for (int k = 0; k < n; ++k) {
            const int fd = static_cast<int>(events[k].data.u64 & 0xFFFFFFFFu);
            const auto generation = static_cast<std::uint32_t>(events[k].data.u64 >> 32);
            if (generation == 0 && fd == stopFd_) stop = true;
            else if (generation == 0 && fd == listenFd_) connecting = true;
            else onEvent(fd, generation, events[k].events);
        }
        if (stop) break;
        // The listening socket stays readable while connections wait, so a batch put off now
        // is taken at a later wake.
        if (connecting && (n < kEventsPerWake || ++fullWakesSinceAccept >= kFullWakesPerAcceptBatch)) {
            fullWakesSinceAccept = 0;
            acceptBatch();
        }
        // A full wake means more news is waiting: the sockets come first, so that a short
        // request behind many busy connections is read soon, but the backlog still gets a
        // turn every few wakes.
        if (n < kEventsPerWake || ++fullWakes >= kFullWakesPerBacklogTurn) {
            fullWakes = 0;
            serveBacklog();
        }
    }
    backlog_.clear();
    while (!lru_.empty()) close(*byFd_[static_cast<std::size_t>(lru_.front())]);
    ::close(listenFd_);
    listenFd_ = -1;
}

void Server::acceptBatch() {
    for (int k = 0; k < kAcceptsPerBatch; ++k) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if ((errno == EMFILE || errno == ENFILE) && closeForNewcomer()) continue;
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
        if (lru_.size() >= maxConnections_ && !closeForNewcomer()) {
            // Every connection waits for a reply: none of them is pushed out for a new one.
            ::close(fd);
            continue;
        }
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

Server::Connection* Server::find(int fd, std::uint32_t generation) {
    const auto slot = static_cast<std::size_t>(fd);
    // An event of a connection closed earlier in the same wake, perhaps while its descriptor
    // went to a new one, is no news for the new one.
    if (slot >= byFd_.size() || !byFd_[slot] || byFd_[slot]->generation != generation) return nullptr;
    return byFd_[slot].get();
}

void Server::onEvent(int fd, std::uint32_t generation, std::uint32_t events) {
    Connection* found = find(fd, generation);
    if (!found) return;
    Connection& c = *found;
    lru_.splice(lru_.end(), lru_, c.idle);
    if (events & (EPOLLERR | EPOLLHUP)) {
        close(c);
        return;
    }
    if (events & EPOLLOUT) {
        // Requests held back while replies were waiting.
        if (!flush(c)) return;
        if (!c.queued && !serve(c, c.input, false)) return;
    }
    if ((events & EPOLLIN) && !c.queued && c.pendingOutput() < kMaxPendingOutput) {
        readFrom(c);
        if (!find(fd, generation)) return;
    }
    settle(c);
}

void Server::settle(Connection& c) {
    if (c.peerClosed && c.pendingOutput() == 0 && !c.queued) {
        close(c);
        return;
    }
    updateInterest(c);
}

void Server::readFrom(Connection& c) {
    // The bytes land in the server's one receive buffer: nothing is zero-filled, and a
    // connection keeps bytes of its own only for a request not yet whole or not yet answered.
    const ssize_t n = ::recv(c.fd, received_.get(), kReadChunk, 0);
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) close(c);
        return;
    }
    if (n == 0) c.peerClosed = true;  // answer what has come, then close
    const std::string_view got(received_.get(), static_cast<std::size_t>(n));
    if (c.input.empty()) {
        serve(c, got, false);
    } else {
        c.input.append(got);
        serve(c, c.input, false);
    }
    bytesTakenIn_.fetch_add(static_cast<std::uint64_t>(n), std::memory_order_release);
}

bool Server::serve(Connection& c, std::string_view input, bool backlogTurn) {
    std::size_t consumed = 0;
    const Answered answered = answer(c, input, consumed, backlogTurn);
    if (input.data() == c.input.data()) {
        c.input.erase(0, consumed);
    } else {
        c.input.assign(input.substr(consumed));
    }
    giveBackIfEmpty(c.input);
    if (!flush(c)) return false;
    if (answered == Answered::Waiting && !c.queued) {
        c.queued = true;
        backlog_.emplace_back(c.fd, c.generation);
    }
    return true;
}

Server::Answered Server::answer(Connection& c, std::string_view input, std::size_t& consumed, bool backlogTurn) {
    std::size_t done = 0;
    std::size_t slice = kTurnBytes;
    bool first = true;
    for (;;) {
        if (c.pendingOutput() >= kMaxPendingOutput) {
            consumed = done;
            return Answered::Blocked;
        }
        const Frame f = NextFrame(input.substr(done), c.frame, options_.maxRequest);
        if (f.kind == FrameKind::NeedMore) {
            done += f.consumed;
            c.frame = f.next;
            consumed = done;
            return Answered::All;
        }
        const std::size_t cost = (f.kind == FrameKind::Request ? f.body.size() : 0) + kRequestCost;
        // A backlog turn reads its first request whatever its length; any other request
        // must fit in what is left of the slice.
        if (cost > slice && !(backlogTurn && first)) {
            consumed = done;
            return Answered::Waiting;
        }
        slice -= std::min(cost, slice);
        first = false;
        done += f.consumed;
        c.frame = f.next;
        c.output += f.kind == FrameKind::Request ? ReplyToRequest(f.body, c.frame.verbosity) : TooLongReply();
        ++c.completed;
    }
}

void Server::serveBacklog() {
    const auto until = std::chrono::steady_clock::now() + kBacklogSlice;
    // At most one turn for each connection queued now; those queued again wait for the next
    // wake, after the news of the sockets.
    for (std::size_t turns = backlog_.size(); turns > 0 && !backlog_.empty(); --turns) {
        const auto [fd, generation] = backlog_.front();
        backlog_.pop_front();
        Connection* c = find(fd, generation);
        if (!c) continue;
        c->queued = false;
        if (!serve(*c, c->input, true)) continue;
        settle(*c);
        if (std::chrono::steady_clock::now() >= until) break;
    }
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
    // A connection whose whole requests wait for a turn reads no more until they are answered.
    if (!c.peerClosed && !c.queued && c.pendingOutput() < kMaxPendingOutput) want |= EPOLLIN;
    if (c.pendingOutput() > 0) want |= EPOLLOUT;
    if (want == c.interest) return;
    epoll_event ev{};
    ev.events = want;
    ev.data.u64 = tag(c.fd, c.generation);
    ::epoll_ctl(epollFd_, EPOLL_CTL_MOD, c.fd, &ev);
    c.interest = want;
}

void Server::close(Connection& c) {
    // A connection still in the backlog is passed over there: its generation is gone.
    const int fd = c.fd;
    ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    lru_.erase(c.idle);
    ::close(fd);
    byFd_[static_cast<std::size_t>(fd)].reset();
}

bool Server::closeForNewcomer() {
    // A program that opens connections by the thousand must not push out the editor, which
    // connected long ago and speaks only now and then: connections that never completed a
    // request go first, idle longest first, also with a first request under way (nothing is
    // owed to them yet); then, of those with a history that wait for no reply, the newest.
    Connection* newest = nullptr;
    for (const int fd : lru_) {
        Connection& c = *byFd_[static_cast<std::size_t>(fd)];
        if (c.completed == 0 && !c.owedReply()) {
            close(c);
            return true;
        }
        if (c.waitingForReply()) continue;
        if (!newest || c.generationsAgo(lastGeneration_) < newest->generationsAgo(lastGeneration_)) newest = &c;
    }
    if (!newest) return false;
    close(*newest);
    return true;
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
