#pragma once
// The TCP server: one thread, non-blocking sockets, epoll. Serves any number of connections,
// each with any number of requests, answered in order; a slow or stuck client never holds up
// the others, and short requests are not kept waiting behind long ones: each connection gets a
// bounded slice of reading work per turn, and long formulas are read a few at a time between
// turns.
#include <cstddef>
#include <cstdint>
#include <atomic>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "oxserver/framing.h"

namespace oxserver {

inline constexpr std::uint16_t kDefaultPort = 51956;

struct ServerOptions {
    std::uint16_t port = kDefaultPort;  // 0: a free port, see Server::Port
    // Connections kept open at once (also bounded by the process's file limit). A new one past
    // this closes one that never completed a request (idle longest first, also one whose first
    // request is under way), else the newest of those with a history of requests that waits
    // for no reply, so that the editor's old connection is the last to go. When every
    // connection has a history and waits for a reply, the new one is closed instead.
    std::size_t maxConnections = 4096;
    std::size_t maxRequest = kMaxRequestBytes;
    Verbosity verbosity = Verbosity::Normal;  // each connection's level until it sends an option
    // For tests: called on the serving thread before each wait for news. It may block, which
    // holds the server still between two rounds of work; empty in the program.
    std::function<void()> beforeWait;
};

class Server {
public:
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Listens on 127.0.0.1 only. False on failure, with the errno value in *error (EADDRINUSE:
    // something listens on that port already).
    bool Listen(const ServerOptions& options, int* error);

    // The port listened on, once Listen has succeeded.
    std::uint16_t Port() const { return port_; }

    // Serves until Stop is called; then closes every connection and the listening socket.
    void Run();

    // Makes Run return. Safe from a signal handler and from another thread.
    void Stop();

    // Connections open now (for tests and benchmarks, from the serving thread only).
    std::size_t ConnectionCount() const { return lru_.size(); }

    // Bytes read from all connections so far, counted once they have been acted on (for tests,
    // from any thread: the server has taken in what a test sent once this reaches its count).
    std::uint64_t BytesTakenIn() const { return bytesTakenIn_.load(std::memory_order_acquire); }

private:
    struct Connection;

    enum class Answered;

    // Takes in a bounded batch of the connections waiting to be accepted.
    void acceptBatch();
    Connection* find(int fd, std::uint32_t generation);
    void onEvent(int fd, std::uint32_t generation, std::uint32_t events);
    void readFrom(Connection& c);
    // One turn of a connection: answers the whole requests at the front of input as far as
    // the turn's slice of reading work goes, and sends the replies; queues the connection for
    // a later turn when a whole request is left. False when the connection was closed.
    bool serve(Connection& c, std::string_view input, bool backlogTurn);
    Answered answer(Connection& c, std::string_view input, std::size_t& consumed, bool backlogTurn);
    // Turns for the connections whose whole requests wait, for a bounded time.
    void serveBacklog();
    bool flush(Connection& c);
    // Closes a half-closed connection with nothing left to do, else sets its epoll interest.
    void settle(Connection& c);
    void updateInterest(Connection& c);
    void close(Connection& c);
    // Makes room for a new connection by closing one that waits for no reply (see
    // ServerOptions::maxConnections); false when there is none.
    bool closeForNewcomer();

    ServerOptions options_;
    std::size_t maxConnections_ = 0;
    int listenFd_ = -1;
    int epollFd_ = -1;
    int stopFd_ = -1;
    int spareFd_ = -1;
    std::uint16_t port_ = 0;
    std::vector<std::unique_ptr<Connection>> byFd_;
    std::list<int> lru_;  // open connections, the one idle longest first
    std::deque<std::pair<int, std::uint32_t>> backlog_;  // connections with whole requests left
    std::unique_ptr<char[]> received_;  // one receive's bytes, before they are answered or kept
    std::uint32_t lastGeneration_ = 0;
    std::atomic<std::uint64_t> bytesTakenIn_{0};
};

// Asks whoever listens on 127.0.0.1:port to read a formula; true when it answers as this server
// does. Waits at most timeoutMs for the connection and for the reply.
bool ProbeServer(std::uint16_t port, int timeoutMs);

}  // namespace oxserver
