#include "speech/socketclient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

namespace socketclient {
namespace {

std::atomic<std::chrono::milliseconds> timeout{std::chrono::milliseconds{3000}};

void SetTimeouts(int fd) {
    const std::chrono::milliseconds value = timeout.load();
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(value.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((value.count() % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    // On Linux the send time-out also bounds connect().
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// A handle of 0 would read as "not connected" to every caller, which happens when the
// process was started with standard input closed; move such a socket up.
int AwayFromZero(int fd) {
    if (fd != 0) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
    close(fd);
    return moved;
}

int Fail(int fd) {
    close(fd);
    return -1;
}

}  // namespace

std::uint32_t ResolveHost(const std::string& host) {
    if (!host.empty() && host[0] >= '0' && host[0] <= '9') return inet_addr(host.c_str());
    const hostent* entry = gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) return 0;
    std::uint32_t address;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    return address;
}

int OpenConnection(const std::string& host, std::uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd == -1) return -1;
    fd = AwayFromZero(fd);
    if (fd == -1) return -1;
    SetTimeouts(fd);

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(0);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == -1) return Fail(fd);

    const std::uint32_t address = ResolveHost(host);
    if (address == 0) return Fail(fd);

    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(port);
    int rc;
    do {
        rc = connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    } while (rc == -1 && errno == EINTR);
    if (rc == -1) return Fail(fd);
    return fd;
}

long SendRaw(int handle, const void* buffer, std::size_t length, int flags) {
    long sent;
    do {
        sent = send(handle, buffer, length, flags | MSG_NOSIGNAL);
    } while (sent == -1 && errno == EINTR);
    return sent;
}

long ReceiveRaw(int handle, void* buffer, std::size_t length, int flags) {
    long got;
    do {
        got = recv(handle, buffer, length, flags);
    } while (got == -1 && errno == EINTR);
    return got;
}

bool SendText(int handle, const std::string& text) {
    return SendRaw(handle, text.data(), text.size(), 0) > 0;
}

std::string ReplyText(std::string_view received) {
    std::string text(received.substr(0, received.find('\0')));
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

bool ReceiveReply(int handle, std::string& text) {
    char buffer[kMaxReceive];
    const long got = ReceiveRaw(handle, buffer, sizeof buffer, 0);
    if (got <= 0) {
        text = kDisconnected;
        return false;
    }
    text = ReplyText(std::string_view(buffer, static_cast<std::size_t>(got)));
    return true;
}

std::string ReceiveText(int handle, std::string& text) {
    ReceiveReply(handle, text);
    return text;
}

void Disconnect(int handle) {
    if (handle > 0) shutdown(handle, SHUT_RDWR);
}

void CloseConnection(int handle) {
    if (handle > 0) close(handle);
}

void SetTimeout(std::chrono::milliseconds value) { timeout = value; }
std::chrono::milliseconds Timeout() { return timeout.load(); }

Wait WaitForReply(int handle, int wake, std::chrono::steady_clock::time_point deadline) {
    pollfd watched[2] = {{handle, POLLIN | POLLRDHUP, 0}, {wake, POLLIN, 0}};
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return Wait::TimedOut;
        const int ready = poll(watched, wake >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left.count(), 60000)));
        if (ready < 0 && errno != EINTR) return Wait::Readable;  // the receive then says what is wrong
        if (ready <= 0) continue;
        if (wake >= 0 && watched[1].revents != 0) return Wait::Woken;
        if (watched[0].revents != 0) return Wait::Readable;
    }
}

}  // namespace socketclient
