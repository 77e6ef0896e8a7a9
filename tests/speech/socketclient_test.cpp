// The socket client against small servers on 127.0.0.1.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>
#include <thread>

#include "speech/socketclient.h"
#include "test_server.h"

using namespace std::chrono_literals;
using speechtest::TestServer;

namespace {

struct ReplyCase {
    const char* name;
    std::string sent;
    std::string expected;
};

const ReplyCase kReplies[] = {
    {"CrLf", "abc\r\n", "abc"},
    {"Lf", "abc\n", "abc"},
    {"Cr", "abc\r", "abc"},
    {"LfCrKeepsLf", "abc\n\r", "abc\n"},
    {"CrLfCrLfLosesOne", "abc\r\n\r\n", "abc\r\n"},
    {"NulInside", std::string("ab\0cd", 5), "ab"},
    {"FirstByteNul", std::string("\0abc", 4), ""},
    {"LoneLf", "\n", ""},
    {"NoLineEnd", "x = 1", "x = 1"},
    {"CrInside", "a\rb", "a\rb"},
    {"HighBytes", "raiz de dois \xE9 irracional\r\n", "raiz de dois \xE9 irracional"},
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class ReplyTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTest, OverARealSocket) {
    const ReplyCase& c = GetParam();
    TestServer server([&](int fd, int) {
        if (!speechtest::ReadRequest(fd).empty()) speechtest::SendAll(fd, c.sent);
        speechtest::WaitForClose(fd);
    });
    const int handle = socketclient::OpenConnection("127.0.0.1", server.port());
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(socketclient::SendText(handle, "`x`"));
    std::string out;
    EXPECT_EQ(socketclient::ReceiveText(handle, out), c.expected);
    EXPECT_EQ(out, c.expected);
    socketclient::CloseConnection(handle);
}

INSTANTIATE_TEST_SUITE_P(Replies, ReplyTest, testing::ValuesIn(kReplies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SocketClient, ALongReplyComesInTwoReceives) {
    std::string big;
    for (int i = 0; i < 5000; ++i) big += static_cast<char>('a' + i % 26);
    TestServer server([&](int fd, int) {
        speechtest::SendAll(fd, big);
        speechtest::WaitForClose(fd);
    });
    const int handle = socketclient::OpenConnection("127.0.0.1", server.port());
    ASSERT_GT(handle, 0);
    std::string first, second;
    // Wait until the whole reply is there, so the first receive is limited by its size only.
    ASSERT_TRUE(speechtest::Eventually([&] {
        char probe[5000];
        return socketclient::ReceiveRaw(handle, probe, sizeof probe, MSG_PEEK) == 5000;
    }));
    socketclient::ReceiveText(handle, first);
    EXPECT_EQ(first.size(), socketclient::kMaxReceive);
    socketclient::ReceiveText(handle, second);
    EXPECT_EQ(first + second, big);
    socketclient::CloseConnection(handle);
}

TEST(SocketClient, APeerThatClosedGivesDisconnectedEveryTimeAndSendsFail) {
    TestServer server([](int fd, int) { shutdown(fd, SHUT_RDWR); });
    const int handle = socketclient::OpenConnection("127.0.0.1", server.port());
    ASSERT_GT(handle, 0);
    std::string out;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(socketclient::ReceiveText(handle, out), "<desconectado>");
    // The first send after the peer's close may still be taken; the reset it draws makes the
    // next ones fail, with an error and not a signal that would end the program.
    EXPECT_TRUE(speechtest::Eventually([&] { return !socketclient::SendText(handle, "`x`"); }));
    EXPECT_FALSE(socketclient::SendText(handle, "`x`"));
    socketclient::CloseConnection(handle);
}

TEST(SocketClient, APeerThatNeverAnswersTimesOut) {
    socketclient::SetTimeout(150ms);
    std::atomic<bool> requestSeen{false};
    TestServer server([&](int fd, int) {
        requestSeen = !speechtest::ReadRequest(fd).empty();
        speechtest::WaitForClose(fd);
    });
    const int handle = socketclient::OpenConnection("127.0.0.1", server.port());
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(socketclient::SendText(handle, "`x`"));
    std::string out;
    std::string reply;
    EXPECT_FALSE(socketclient::ReceiveReply(handle, reply));
    EXPECT_EQ(reply, "<desconectado>");
    EXPECT_TRUE(requestSeen);
    socketclient::CloseConnection(handle);
    socketclient::SetTimeout(3000ms);
}

TEST(SocketClient, ResolveHost) {
    struct Case {
        const char* host;
        std::uint32_t expected;  // network byte order
    } cases[] = {
        {"127.0.0.1", htonl(0x7F000001)},
        {"localhost", htonl(0x7F000001)},
        {"10.1.2.3", htonl(0x0A010203)},
        // Dotted forms are read by inet_addr and never looked up: "1.2.3" is 1.2.0.3.
        {"1.2.3", htonl(0x01020003)},
        {"1.2.3.4.5", 0xFFFFFFFFu},
        {"9host.invalid", 0xFFFFFFFFu},
        {"no-such-host.invalid", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(socketclient::ResolveHost(c.host), c.expected) << c.host;
}

TEST(SocketClient, FailedConnectionsReturnMinusOneAndLeaveNoSocketOpen) {
    // A port that nothing listens on: taken by a server that never listens.
    TestServer closed([](int, int) {}, false);
    const int before = speechtest::OpenDescriptors();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(socketclient::OpenConnection("no-such-host.invalid", 51956), -1);
        EXPECT_EQ(socketclient::OpenConnection("127.0.0.1", closed.port()), -1);
        EXPECT_EQ(socketclient::OpenConnection("1.2.3.4.5", closed.port()), -1);
    }
    EXPECT_EQ(speechtest::OpenDescriptors(), before);
}

TEST(SocketClient, ByNameAndBySendThenReceive) {
    TestServer server([](int fd, int) {
        for (std::string r; !(r = speechtest::ReadRequest(fd)).empty();)
            speechtest::SendAll(fd, "lido " + r + "\r\n");
    });
    const int handle = socketclient::OpenConnection("localhost", server.port());
    ASSERT_GT(handle, 0);
    std::string out;
    for (const char* request : {"`a`", "`b c`"}) {
        ASSERT_TRUE(socketclient::SendText(handle, request));
        EXPECT_EQ(socketclient::ReceiveText(handle, out), std::string("lido ") + request);
    }
    socketclient::CloseConnection(handle);
}

}  // namespace
