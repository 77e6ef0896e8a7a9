#pragma once
// Helpers shared by the oxserver tests: a blocking test client with time-outs, and a child
// process running the oxserver program.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace oxtest {

// A TCP client of 127.0.0.1:port. Every wait gives up after a few seconds, failing the test
// rather than hanging it.
class Client {
public:
    explicit Client(std::uint16_t port);
    ~Client();
    Client(Client&& other) noexcept;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    bool send(const std::string& bytes);
    // True once the peer has acknowledged every byte sent, within the time.
    bool delivered(int timeoutMs = 10000);
    // The next reply, CR LF included; empty on time-out or when the server closed.
    std::string reply(int timeoutMs = 10000);
    // True when the server closed the connection within the time.
    bool closedByServer(int timeoutMs = 10000);
    void close();

private:
    int fd_ = -1;
    std::string buffer_;
};

// The oxserver program started with the given arguments, its output read through pipes.
class Process {
public:
    explicit Process(const std::vector<std::string>& args);
    ~Process();  // kills the child (by its pid) if it still runs

    pid_t pid() const { return pid_; }
    // A line of standard output without its line end; empty on time-out.
    std::string readLine(int timeoutMs = 10000);
    // Waits for the end; its exit status, or -1 on time-out (the child is then killed), or
    // 128 + signal when a signal ended it.
    int wait(int timeoutMs = 10000);
    // Everything on standard error and output, after wait().
    const std::string& err() const { return err_; }
    const std::string& out() const { return out_; }

private:
    void drain(int timeoutMs);

    pid_t pid_ = -1;
    int outFd_ = -1, errFd_ = -1;
    std::string out_, err_;
    std::size_t outRead_ = 0;
    bool exited_ = false;
    int status_ = 0;
};

// Runs the program to its end and gives its exit status; output in *out and *err.
int RunProgram(const std::vector<std::string>& args, std::string* out, std::string* err);

}  // namespace oxtest
