// The "&Falar" commands: connecting, starting the server and trying again, and the program's
// own starter of detached processes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "recording_voice.h"
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"
#include "speech/socketclient.h"
#include "test_server.h"

using namespace std::chrono_literals;
using speechtest::RecordingSink;
using speechtest::RecordingVoice;
using speechtest::TestServer;
namespace fs = std::filesystem;

namespace {

// Starts nothing; says what it was asked and answers as told, running onStart first.
class FakeStarter final : public speechcommands::ServerStarter {
public:
    explicit FakeStarter(bool result, std::function<void()> onStart = {})
        : result_(result), onStart_(std::move(onStart)) {}
    bool Start(const std::string& program) override {
        programs.push_back(program);
        if (onStart_) onStart_();
        return result_;
    }
    std::vector<std::string> programs;

private:
    bool result_;
    std::function<void()> onStart_;
};

class LigarOrmivoxTest : public testing::Test {
protected:
    ~LigarOrmivoxTest() override { formulaspeech::SetServerPort(0); }
    RecordingVoice voice;
    RecordingSink sink;
};

TEST_F(LigarOrmivoxTest, AServerAlreadyRunningConnectsWithoutStartingAnything) {
    TestServer server([](int fd, int) { speechtest::WaitForClose(fd); });
    formulaspeech::SetServerPort(server.port());
    FakeStarter starter(true);
    speechcommands::ConnectSpeech("/pasta", starter);
    EXPECT_TRUE(starter.programs.empty());
    EXPECT_EQ(voice.texts, std::vector<std::string>{"Ormivox ativado"});
    EXPECT_GT(formulaspeech::ServerSocket(), 0);
}

TEST_F(LigarOrmivoxTest, AServerThatCannotBeStartedEndsInSilence) {
    TestServer refused([](int, int) {}, false);
    formulaspeech::SetServerPort(refused.port());
    FakeStarter starter(false);
    speechcommands::ConnectSpeech("/pasta/velloq", starter);
    EXPECT_EQ(starter.programs, std::vector<std::string>{"/pasta/velloq/oxserver"});
    EXPECT_TRUE(voice.texts.empty());
    EXPECT_TRUE(sink.Shown().empty());
    EXPECT_EQ(formulaspeech::ServerSocket(), -1);
}

// A server takes a moment to listen after it starts; the command waits for it.
TEST_F(LigarOrmivoxTest, AServerThatListensAMomentAfterStartingIsConnected) {
    TestServer slow([](int fd, int) { speechtest::WaitForClose(fd); }, false);
    formulaspeech::SetServerPort(slow.port());
    std::thread starting;
    FakeStarter starter(true, [&] {
        starting = std::thread([&] {
            std::this_thread::sleep_for(400ms);
            slow.Listen();
        });
    });
    // However late the server comes under load, the command is still trying.
    speechcommands::ConnectSpeech("", starter, speechcommands::RetryPolicy{60s, 100ms});
    starting.join();
    EXPECT_EQ(starter.programs, std::vector<std::string>{"/oxserver"});
    EXPECT_EQ(voice.texts, std::vector<std::string>{"Ormivox ativado"});
    EXPECT_GT(formulaspeech::ServerSocket(), 0);
}

TEST_F(LigarOrmivoxTest, AServerThatNeverListensIsReported) {
    TestServer never([](int, int) {}, false);
    formulaspeech::SetServerPort(never.port());
    FakeStarter starter(true);
    speechcommands::ConnectSpeech("/p", starter, speechcommands::RetryPolicy{300ms, 50ms});
    EXPECT_EQ(voice.texts, std::vector<std::string>{"Ormivox n\xE3o foi ativado."});
    EXPECT_EQ(formulaspeech::ServerSocket(), -1);
    EXPECT_TRUE(sink.Shown().empty());
}

TEST_F(LigarOrmivoxTest, ChosenAgainWhileConnectedConnectsAnew) {
    TestServer server([](int fd, int) { speechtest::WaitForClose(fd); });
    formulaspeech::SetServerPort(server.port());
    FakeStarter starter(true);
    speechcommands::ConnectSpeech("/p", starter);
    speechcommands::ConnectSpeech("/p", starter);
    EXPECT_EQ(voice.texts, (std::vector<std::string>{"Ormivox ativado", "Ormivox ativado"}));
    EXPECT_TRUE(speechtest::Eventually([&] { return server.accepted() == 2; }));
    EXPECT_TRUE(starter.programs.empty());
}

// A server that answers some requests and then none: the user hears once that it did not
// reply, then the text as it stands; no formula after the unanswered one is sent.
struct SilentRow {
    const char* name;
    int answered;         // requests the server answers before it goes silent
    int sent;             // requests that reach it
    bool oneFormula;      // Shift+F9 on the text, else F9
    const char* text;
    std::vector<std::string> spoken;
};

void PrintTo(const SilentRow& row, std::ostream* os) { *os << row.name; }

class SilentServerTest : public testing::TestWithParam<SilentRow> {};

TEST_P(SilentServerTest, SaysOnceThatNoReplyCame) {
    const SilentRow& row = GetParam();
    std::atomic<int> requests{0};
    TestServer server([&](int fd, int) {
        for (int i = 0; !speechtest::ReadRequest(fd).empty(); ++i) {
            ++requests;
            if (i < row.answered) speechtest::SendAll(fd, "r\r\n");
        }
    });
    socketclient::SetTimeout(300ms);
    formulaspeech::SetServerPort(server.port());
    RecordingVoice voice;
    ASSERT_TRUE(formulaspeech::ConnectServer());
    if (row.oneFormula) speechcommands::SpeakFormula(row.text);
    else speechcommands::SpeakCaretLine(row.text);
    EXPECT_EQ(voice.texts, row.spoken);
    EXPECT_TRUE(speechtest::Eventually([&] { return requests == row.sent; })) << requests;
    formulaspeech::AdoptConnection(0);
    formulaspeech::SetServerPort(0);
    socketclient::SetTimeout(3000ms);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SilentServerTest,
    testing::Values(
        SilentRow{"F9_never_answers", 0, 1, false, "a `x` b `y` c", {speechcommands::kNoReply, "a `x` b `y` c"}},
        SilentRow{"F9_answers_the_first_only", 1, 2, false, "a `x` b `y` c", {speechcommands::kNoReply, "a `x` b `y` c"}},
        SilentRow{"F9_answers_both", 2, 2, false, "a `x` b `y` c", {" a  r  b  r  c"}},
        SilentRow{"ShiftF9_never_answers", 0, 1, true, "x^2", {speechcommands::kNoReply, "x^2"}}),
    [](const testing::TestParamInfo<SilentRow>& info) { return std::string(info.param.name); });

class DetachedStarterTest : public testing::Test {
protected:
    DetachedStarterTest() {
        char pattern[] = "/tmp/velloq-starter-XXXXXX";
        folder = mkdtemp(pattern);
    }
    ~DetachedStarterTest() override { fs::remove_all(folder); }

    std::string Script(const std::string& name, const std::string& body, bool executable = true) {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }

    static std::string Contents(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string folder;
};

TEST_F(DetachedStarterTest, AMissingProgramIsNotStarted) {
    speechcommands::DetachedStarter starter;
    EXPECT_FALSE(starter.Start(folder + "/oxserver"));
}

TEST_F(DetachedStarterTest, AFileThatCannotRunIsNotStarted) {
    speechcommands::DetachedStarter starter;
    EXPECT_FALSE(starter.Start(Script("oxserver", "exit 0\n", false)));
    EXPECT_FALSE(starter.Start(folder));
}

// The program runs on its own: not our child, no arguments, in a session of its own, with
// nothing on its standard input; the starter returns without waiting for it to end.
TEST_F(DetachedStarterTest, AProgramRunsDetachedWithNoArguments) {
    const std::string done = folder + "/done";
    const std::string program = Script(
        "oxserver",
        "read line; echo \"$# $PPID $(cut -d' ' -f6 /proc/$$/stat) $$ [$line]\" > \"" + done +
            ".tmp\"; mv \"" + done + ".tmp\" \"" + done + "\"\n");
    speechcommands::DetachedStarter starter;
    ASSERT_TRUE(starter.Start(program));
    ASSERT_TRUE(speechtest::Eventually([&] { return fs::exists(done); }));
    std::istringstream fields(Contents(done));
    int arguments = -1;
    long parent = 0, session = 0, self = 0;
    std::string input;
    fields >> arguments >> parent >> session >> self >> input;
    EXPECT_EQ(arguments, 0);
    EXPECT_NE(parent, static_cast<long>(getpid()));
    EXPECT_NE(session, static_cast<long>(getsid(0)));
    EXPECT_EQ(input, "[]");
}

}  // namespace
