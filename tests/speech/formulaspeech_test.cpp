// The speech protocol: lines split into text and formulas, formulas read by a server on
// 127.0.0.1, the result handed to a recording voice.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "recording_voice.h"
#include "speech/formulaspeech.h"
#include "speech/socketclient.h"
#include "test_server.h"

using namespace std::chrono_literals;
using speechtest::RecordingSink;
using speechtest::RecordingVoice;
using speechtest::TestServer;

namespace {

// A server that answers the n-th request of each connection with "R<n>" and a CR LF, and
// records the requests it saw.
class ReadingServer {
public:
    ReadingServer()
        : server_([this](int fd, int connection) {
              int n = 0;
              for (std::string r; !(r = speechtest::ReadRequest(fd)).empty();) {
                  {
                      std::lock_guard lock(mutex_);
                      requests_.push_back(r);
                      connections_.push_back(connection);
                  }
                  speechtest::SendAll(fd, "R" + std::to_string(++n) + "\r\n");
              }
          }) {
        formulaspeech::SetServerPort(server_.port());
    }
    ~ReadingServer() { formulaspeech::SetServerPort(0); }
    std::vector<std::string> requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::vector<int> connections() {
        std::lock_guard lock(mutex_);
        return connections_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<int> connections_;
    TestServer server_;
};

struct LineCase {
    const char* name;
    std::string line;
    std::vector<std::string> requests;
    std::string spoken;
};

const LineCase kLines[] = {
    {"TextFormulaText", "A`F`B", {"`F`"}, " A R1 B"},
    {"TextFormulaNothingAfter", "A`F`", {"`F`"}, " A R1"},
    {"FormulaAtStartThenText", "`F`B", {"`F`"}, "  R1 B"},
    {"TwoFormulas", "A`F`B`G`C", {"`F`", "`G`"}, " A R1 B R2 C"},
    {"UnclosedFormula", "A`B", {"`B`"}, " A R1, f\xF3rmula sem crase de fechamento"},
    {"EmptyFormula", "A``B", {}, " A B"},
    {"NoBackquote", "sem f\xF3rmula", {}, " sem f\xF3rmula"},
    {"EmptyLine", "", {}, " "},
    // Blanks inside a formula go to the server; blanks outside stay with the text pieces.
    {"InnerBlanks", "Seja ` x + 1 ` o valor", {"` x + 1 `"}, " Seja  R1  o valor"},
    {"OnlyBlanksFormula", "a` `b", {"` `"}, " a R1 b"},
    {"UnclosedAfterClosed", "`a` e `b", {"`a`", "`b`"}, "  R1  e  R2, f\xF3rmula sem crase de fechamento"},
    {"LoneBackquoteAtEnd", "texto`", {}, " texto, f\xF3rmula sem crase de fechamento"},
    {"BackquotesOnly", "``", {}, " "},
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class SpeakLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(SpeakLineTest, Connected) {
    const LineCase& c = GetParam();
    RecordingVoice voice;
    ReadingServer server;
    ASSERT_TRUE(formulaspeech::ConnectServer());
    formulaspeech::SpeakLine(c.line);
    EXPECT_EQ(server.requests(), c.requests);
    EXPECT_EQ(voice.texts, std::vector<std::string>{c.spoken});
}

INSTANTIATE_TEST_SUITE_P(Lines, SpeakLineTest, testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Ormivox, NotConnectedTheLineIsSpokenAsItStands) {
    RecordingVoice voice;
    ReadingServer server;  // listening, but ConnectServer is pointed elsewhere
    TestServer refused([](int, int) {}, false);
    formulaspeech::SetServerPort(refused.port());
    EXPECT_FALSE(formulaspeech::ConnectServer());
    EXPECT_EQ(formulaspeech::ServerSocket(), -1);
    for (const std::string line : {"A`F`B", "", "`x^2`", "  dois  "}) formulaspeech::SpeakLine(line);
    EXPECT_EQ(voice.texts, (std::vector<std::string>{"A`F`B", "", "`x^2`", "  dois  "}));
    EXPECT_TRUE(server.requests().empty());
    formulaspeech::SetServerPort(0);
}

TEST(Ormivox, AServerGoneReadsEachFormulaAsDisconnected) {
    RecordingVoice voice;
    TestServer server([](int fd, int) { shutdown(fd, SHUT_RDWR); });
    formulaspeech::SetServerPort(server.port());
    ASSERT_TRUE(formulaspeech::ConnectServer());
    formulaspeech::SpeakLine("A`F`B`G`");
    formulaspeech::SpeakLine("`H`");
    EXPECT_EQ(voice.texts, (std::vector<std::string>{" A <desconectado> B <desconectado>", "  <desconectado>"}));
    EXPECT_GT(formulaspeech::ServerSocket(), 0);
    formulaspeech::SetServerPort(0);
}

TEST(Ormivox, ALateReplyIsNeverTakenForTheNextFormula) {
    socketclient::SetTimeout(150ms);
    RecordingVoice voice;
    std::atomic<int> requests{0};
    std::atomic<bool> lateSent{false}, finished{false};
    TestServer server([&](int fd, int) {
        for (std::string r; !(r = speechtest::ReadRequest(fd)).empty();) {
            ++requests;
            // The reply comes once the client has given up waiting for it (or after a while,
            // should it never give up).
            pollfd end{fd, POLLRDHUP, 0};
            poll(&end, 1, 5000);
            speechtest::SendAll(fd, "tarde " + r);
            lateSent = true;
        }
        finished = true;
    });
    formulaspeech::SetServerPort(server.port());
    ASSERT_TRUE(formulaspeech::ConnectServer());
    formulaspeech::SpeakLine("`a` e `b`");
    ASSERT_TRUE(speechtest::Eventually([&] { return lateSent.load(); }));
    formulaspeech::SpeakLine("`c`");
    EXPECT_EQ(voice.texts, (std::vector<std::string>{"  <desconectado>  e  <desconectado>", "  <desconectado>"}));
    // Everything the client sent has been read once the server meets the connection's end.
    ASSERT_TRUE(speechtest::Eventually([&] { return finished.load(); }));
    EXPECT_EQ(requests.load(), 1);
    socketclient::SetTimeout(3000ms);
    formulaspeech::SetServerPort(0);
}

TEST(Ormivox, ASecondConnectReplacesAndClosesTheFirst) {
    RecordingVoice voice;
    std::atomic<bool> firstClosed{false};
    std::mutex mutex;
    std::vector<int> requestConnections;
    TestServer server([&](int fd, int connection) {
        for (std::string r; !(r = speechtest::ReadRequest(fd)).empty();) {
            {
                std::lock_guard lock(mutex);
                requestConnections.push_back(connection);
            }
            speechtest::SendAll(fd, "c" + std::to_string(connection));
        }
        if (connection == 0) firstClosed = true;
    });
    formulaspeech::SetServerPort(server.port());
    ASSERT_TRUE(formulaspeech::ConnectServer());
    formulaspeech::SpeakLine("`x`");
    ASSERT_TRUE(formulaspeech::ConnectServer());
    formulaspeech::SpeakLine("`y`");
    formulaspeech::SpeakLine("`z`");
    EXPECT_GT(formulaspeech::ServerSocket(), 0);
    EXPECT_EQ(voice.texts, (std::vector<std::string>{"  c0", "  c1", "  c1"}));
    EXPECT_TRUE(speechtest::Eventually([&] { return firstClosed.load(); }));
    EXPECT_EQ(server.accepted(), 2);
    formulaspeech::SetServerPort(0);
}

TEST(Ormivox, AFailedConnectDropsTheOldConnection) {
    RecordingVoice voice;
    ReadingServer server;
    ASSERT_TRUE(formulaspeech::ConnectServer());
    TestServer refused([](int, int) {}, false);
    formulaspeech::SetServerPort(refused.port());
    EXPECT_FALSE(formulaspeech::ConnectServer());
    formulaspeech::SpeakLine("A`F`");
    EXPECT_EQ(voice.texts, std::vector<std::string>{"A`F`"});
    EXPECT_TRUE(server.requests().empty());
}

TEST(Ormivox, WithNoVoiceTheUserIsTold) {
    RecordingSink sink;
    formulaspeech::VoiceOutput* previous = formulaspeech::SetVoice(nullptr);
    formulaspeech::SpeakText("texto");
    formulaspeech::SetVoice(previous);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_NE(sink.Shown()[0].find("voz"), std::string::npos);
}

}  // namespace
