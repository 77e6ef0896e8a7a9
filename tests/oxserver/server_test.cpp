// The server on real sockets, bound to 127.0.0.1 on a free port, in a thread of the test.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "oxserver/server.h"
#include "test_support.h"

namespace {

using oxtest::Client;

class ServerTest : public ::testing::Test {
protected:
    void start(oxserver::ServerOptions options = {}) {
        options.port = 0;
        int error = 0;
        ASSERT_TRUE(server_.Listen(options, &error)) << error;
        port_ = server_.Port();
        thread_ = std::thread([this] { server_.Run(); });
    }
    void stop() {
        server_.Stop();
        if (thread_.joinable()) thread_.join();
    }
    void TearDown() override { stop(); }

    oxserver::Server server_;
    std::thread thread_;
    std::uint16_t port_ = 0;
};

TEST_F(ServerTest, ManyRequestsOnOneConnectionOneAtATime) {
    start();
    Client c(port_);
    ASSERT_TRUE(c.connected());
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(c.send("`x^" + std::to_string(i + 4) + "`"));
        ASSERT_EQ(c.reply(), "x elevado a " + std::to_string(i + 4) + "\r\n") << i;
    }
}

TEST_F(ServerTest, RequestsSentTogetherAreAnsweredInOrder) {
    start();
    Client c(port_);
    std::string burst;
    for (int i = 0; i < 2000; ++i) burst += "`" + std::to_string(i) + "`";
    ASSERT_TRUE(c.send(burst));
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(c.reply(), std::to_string(i) + "\r\n") << i;
}

// More replies than the server keeps waiting for a reader: the requests past that wait, and
// are all answered as the client reads, none held back until it sends again, also after the
// client has said it sends no more.
TEST_F(ServerTest, ABurstBeyondTheWaitingRepliesIsAnsweredWhole) {
    start();
    for (const bool halfClose : {false, true}) {
        Client c(port_);
        const int count = halfClose ? 20000 : 2400;
        std::string burst;
        for (int i = 0; i < count; ++i) burst += "`RR`";
        ASSERT_TRUE(c.send(burst));
        if (halfClose) ::shutdown(c.fd(), SHUT_WR);
        const std::string first = c.reply();
        ASSERT_FALSE(first.empty());
        for (int i = 1; i < count; ++i) ASSERT_EQ(c.reply(), first) << i << (halfClose ? " half-closed" : "");
        if (halfClose) {
            EXPECT_TRUE(c.closedByServer());
        } else {
            ASSERT_TRUE(c.send("`1`"));
            EXPECT_EQ(c.reply(), "1\r\n");
        }
    }
}

TEST_F(ServerTest, SeveralConnectionsAtOnceWithOneIdle) {
    start();
    Client idle(port_), a(port_), b(port_);
    ASSERT_TRUE(idle.connected() && a.connected() && b.connected());
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(a.send("`sqrt x`"));
        ASSERT_TRUE(b.send("`a/b`"));
        EXPECT_EQ(b.reply(), "\xE1 sobre b\r\n");
        EXPECT_EQ(a.reply(), "raiz quadrada de x\r\n");
    }
    ASSERT_TRUE(idle.send("`x_1`"));  // still open and served after the others
    EXPECT_EQ(idle.reply(), "x \xedndice 1\r\n");
}

TEST_F(ServerTest, ARequestSentOneByteAtATime) {
    start();
    Client c(port_);
    std::uint64_t sent = 0;
    for (char ch : std::string("`sqrt(x+1)`")) {
        ASSERT_TRUE(c.send(std::string(1, ch)));
        // Each byte read on its own before the next is sent.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (++sent; server_.BytesTakenIn() < sent;) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // polling, with a deadline
        }
    }
    EXPECT_EQ(c.reply(), "raiz quadrada de x mais 1, fim da raiz\r\n");
}

TEST_F(ServerTest, GarbageBeforeAndBetweenRequestsIsIgnored) {
    start();
    Client c(port_);
    ASSERT_TRUE(c.send(std::string("lixo\r\n\0\x01`a`\r\nmais lixo `b`\r\n", 27)));
    EXPECT_EQ(c.reply(), "a\r\n");
    EXPECT_EQ(c.reply(), "b\r\n");
    ASSERT_TRUE(c.send("`1`"));  // nothing else was taken for a request
    EXPECT_EQ(c.reply(), "1\r\n");
}

TEST_F(ServerTest, ClientsThatLeaveMidRequestDoNotDisturbOthers) {
    start();
    {
        Client quits(port_);
        ASSERT_TRUE(quits.send("`x^(1+"));
    }
    {
        Client resets(port_);
        ASSERT_TRUE(resets.send("`sqrt("));
        const linger hard{1, 0};  // close with a reset
        ::setsockopt(resets.fd(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    {
        Client asksAndLeaves(port_);
        ASSERT_TRUE(asksAndLeaves.send("`x`"));
    }
    Client c(port_);
    ASSERT_TRUE(c.send("`y`"));
    EXPECT_EQ(c.reply(), "y\r\n");
}

// A client that sends requests and never reads the replies is held back once its replies pile
// up; the others are served meanwhile, and it loses nothing when it reads again.
TEST_F(ServerTest, AClientThatNeverReadsItsRepliesHoldsUpNoOne) {
    start();
    Client stuck(port_);
    const std::string request = "`x+y`";
    std::string stream;
    for (int i = 0; i < 4096; ++i) stream += request;
    std::size_t sent = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {  // until the server stops taking its requests
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        const std::size_t at = sent % stream.size();
        const ssize_t n = ::send(stuck.fd(), stream.data() + at, stream.size() - at,
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);
        // Buffers full: give the server a moment to take more, if it still does.
        pollfd p{stuck.fd(), POLLOUT, 0};
        if (::poll(&p, 1, 100) == 0) break;
    }
    EXPECT_GT(sent, 1000u * request.size());

    Client other(port_);
    ASSERT_TRUE(other.send("`a-b`"));
    EXPECT_EQ(other.reply(), "\xE1 menos b\r\n");

    const std::size_t whole = sent / request.size();
    for (std::size_t i = 0; i < whole; ++i) ASSERT_EQ(stuck.reply(), "x mais y\r\n") << i;
    ASSERT_TRUE(stuck.send(request.substr(sent % request.size())));
    EXPECT_EQ(stuck.reply(), "x mais y\r\n");
}

TEST_F(ServerTest, AThousandConnectionsAtOnce) {
    start();
    std::vector<Client> clients;
    clients.reserve(1000);
    for (int i = 0; i < 1000; ++i) {
        clients.emplace_back(port_);
        ASSERT_TRUE(clients.back().connected()) << i;
    }
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(clients[i].send("`" + std::to_string(i) + "`"));
    for (int i = 999; i >= 0; --i) ASSERT_EQ(clients[i].reply(), std::to_string(i) + "\r\n") << i;
    ASSERT_TRUE(clients[0].send("`x`"));  // none was closed to make room
    EXPECT_EQ(clients[0].reply(), "x\r\n");
}

// Every connection has a history of requests: each newcomer past the limit closes the newest
// of them, so the first ones, the editor's kind, stay.
TEST_F(ServerTest, PastTheLimitTheNewestIdleConnectionIsClosed) {
    oxserver::ServerOptions options;
    options.maxConnections = 20;
    start(options);
    std::vector<Client> clients;
    for (int i = 0; i < 25; ++i) {
        clients.emplace_back(port_);
        ASSERT_TRUE(clients.back().send("`1`"));
        ASSERT_EQ(clients.back().reply(), "1\r\n") << i;
    }
    for (int i = 19; i < 24; ++i) EXPECT_TRUE(clients[i].closedByServer()) << i;
    for (int i = 0; i < 25; i = i == 18 ? 24 : i + 1) {
        ASSERT_TRUE(clients[i].send("`2`"));
        EXPECT_EQ(clients[i].reply(), "2\r\n") << i;
    }
}

TEST_F(ServerTest, ARequestTooLongIsAnsweredOnceAndSkipped) {
    start();
    Client c(port_);
    ASSERT_TRUE(c.send("`" + std::string(70000, 'x')));
    EXPECT_EQ(c.reply(), "f\xf3rmula longa demais\r\n");
    ASSERT_TRUE(c.send(std::string(10000, 'x') + "``1`"));
    EXPECT_EQ(c.reply(), "1\r\n");
}

TEST_F(ServerTest, ALongReadingFitsInOneReply) {
    start();
    Client c(port_);
    std::string formula;
    for (int i = 0; i < 2000; ++i) formula += "sqrt(x)+";
    ASSERT_TRUE(c.send("`" + formula + "1``2`"));
    const std::string reply = c.reply();
    EXPECT_LE(reply.size(), oxserver::kMaxReplyBytes);
    EXPECT_GT(reply.size(), 4000u);
    EXPECT_EQ(reply.find('\0'), std::string::npos);
    EXPECT_EQ(c.reply(), "2\r\n");
}

TEST_F(ServerTest, StopClosesEveryConnection) {
    start();
    Client a(port_), b(port_);
    ASSERT_TRUE(a.send("`1`"));
    ASSERT_EQ(a.reply(), "1\r\n");
    stop();
    EXPECT_TRUE(a.closedByServer());
    EXPECT_TRUE(b.closedByServer());
    Client late(port_);
    EXPECT_FALSE(late.connected());
}

// Listening on 127.0.0.1 only: the machine's other addresses refuse.
TEST_F(ServerTest, UnreachableFromOtherAddressesOfTheMachine) {
    start();
    ifaddrs* list = nullptr;
    ASSERT_EQ(::getifaddrs(&list), 0);
    int tried = 0;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        sockaddr_in addr = *reinterpret_cast<sockaddr_in*>(a->ifa_addr);
        if ((ntohl(addr.sin_addr.s_addr) >> 24) == 127) continue;
        addr.sin_port = htons(port_);
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_NE(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << a->ifa_name;
        ::close(fd);
        ++tried;
    }
    ::freeifaddrs(list);
    if (tried == 0) GTEST_SKIP() << "no address besides the loopback";
}

}  // namespace
