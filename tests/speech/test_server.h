#pragma once
// A small TCP server for the speech tests: bound to 127.0.0.1 on a port of the system's
// choosing, one thread per accepted connection running the test's handler. It stops by
// itself when destroyed: every connection is shut down, so handlers blocked in recv return.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace speechtest {

class TestServer {
public:
    // Runs on the connection's own thread; index counts connections from 0.
    using Handler = std::function<void(int fd, int index)>;

    // listenNow false: the port is taken at once but connections are refused until Listen().
    explicit TestServer(Handler handler, bool listenNow = true);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    std::uint16_t port() const { return port_; }
    void Listen();
    int accepted() const { return accepted_.load(); }

private:
    void AcceptLoop();

    Handler handler_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<int> connections_;
    std::vector<std::thread> handlers_;
};

// The formula speech server program, started with "--porta 0" on a port of its choosing, which
// it writes on its first line; ended by its pid (SIGTERM, then SIGKILL) when destroyed or
// stopped.
class FormulaServer {
public:
    explicit FormulaServer(const std::string& program);
    ~FormulaServer() { Stop(); }
    FormulaServer(const FormulaServer&) = delete;
    FormulaServer& operator=(const FormulaServer&) = delete;
    std::uint16_t port() const { return port_; }
    void Stop();

private:
    int pid_ = -1;
    std::uint16_t port_ = 0;
};

// The reading a server on port gives formula, over a connection of its own, at the server's
// default verbosity or at the one named.
std::string Reading(std::uint16_t port, const std::string& formula, const std::string& verbosity = "");

// Receives one request "`...`" (both backquotes) from fd; empty when the connection ends
// first. Waits at most 5 s.
std::string ReadRequest(int fd);

// Sends all of bytes.
void SendAll(int fd, const std::string& bytes);

// Blocks until the peer closes the connection or the server stops; true when the peer closed.
bool WaitForClose(int fd);

// Waits, polling, until condition is true or about timeoutMs have passed; returns condition().
bool Eventually(const std::function<bool()>& condition, int timeoutMs = 10000);

// Number of open file descriptors of this process.
int OpenDescriptors();

}  // namespace speechtest
