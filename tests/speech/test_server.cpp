#include "test_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>

#include "speech/socketclient.h"

namespace speechtest {

TestServer::TestServer(Handler handler, bool listenNow) : handler_(std::move(handler)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("test server: bind failed");
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (listenNow) Listen();
}

void TestServer::Listen() {
    if (listen(listener_, 8) != 0) throw std::runtime_error("test server: listen failed");
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

void TestServer::AcceptLoop() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        timeval tv{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        const int index = accepted_++;
        std::lock_guard lock(mutex_);
        connections_.push_back(fd);
        handlers_.emplace_back([this, fd, index] { handler_(fd, index); });
    }
}

TestServer::~TestServer() {
    stop_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (int fd : connections_) shutdown(fd, SHUT_RDWR);
    }
    for (auto& t : handlers_) t.join();
    for (int fd : connections_) close(fd);
    close(listener_);
}

std::string ReadRequest(int fd) {
    std::string request;
    char c;
    int backquotes = 0;
    while (backquotes < 2) {
        if (recv(fd, &c, 1, 0) != 1) return {};
        request += c;
        if (c == '`') ++backquotes;
    }
    return request;
}

void SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

bool WaitForClose(int fd) {
    char buffer[256];
    while (true) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n == 0) return true;
        if (n < 0) return false;
    }
}

bool Eventually(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

FormulaServer::FormulaServer(const std::string& program) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        execl(program.c_str(), program.c_str(), "--porta", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) == 1 && read(out[0], &c, 1) == 1)
        line += c;
    close(out[0]);
    port_ = static_cast<std::uint16_t>(std::atoi(line.c_str()));
}

void FormulaServer::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    if (!Eventually([&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 2000)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

std::string Reading(std::uint16_t port, const std::string& formula, const std::string& verbosity) {
    const int handle = socketclient::OpenConnection("127.0.0.1", port);
    std::string reply;
    const std::string option = verbosity.empty() ? "" : "!verbosidade=" + verbosity + "\n";
    socketclient::SendText(handle, option + "`" + formula + "`");
    socketclient::ReceiveText(handle, reply);
    socketclient::CloseConnection(handle);
    return reply;
}

}  // namespace speechtest
