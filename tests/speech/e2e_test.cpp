// F9 from the line to the voice, with the real formula speech server on a free port.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "recording_voice.h"
#include "speech/falar.h"
#include "speech/ormivox.h"
#include "speech/uinternet.h"
#include "test_server.h"

namespace {

// The server program, started with "--porta 0"; it writes the port it took on its first line.
class FormulaServer {
public:
    explicit FormulaServer(const std::string& program) {
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
    ~FormulaServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        if (!speechtest::Eventually([&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 2000)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    std::uint16_t port() const { return port_; }

private:
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
};

std::string Reading(std::uint16_t port, const std::string& formula) {
    const int handle = uinternet::OpenConnection("127.0.0.1", port);
    std::string reply;
    uinternet::SendText(handle, "`" + formula + "`");
    uinternet::ReceiveText(handle, reply);
    uinternet::CloseConnection(handle);
    return reply;
}

TEST(EndToEnd, F9ReadsBothFormulasOfTheLineInTheirPlaces) {
    const std::string program = VELLOQ_OXSERVER;
    if (program.empty() || !std::filesystem::exists(program))
        GTEST_SKIP() << "oxserver is not part of this build yet; the end-to-end test needs it";
    FormulaServer server(program);
    ASSERT_GT(server.port(), 0) << "oxserver did not say which port it took";
    ormivox::SetServerPort(server.port());
    speechtest::RecordingVoice voice;
    ASSERT_TRUE(ormivox::ConnectServer());

    falar::Formula2("A soma `x+1` vale `sqrt(2)/3` na f\xF3rmula.");

    const std::string r1 = Reading(server.port(), "x+1");
    const std::string r2 = Reading(server.port(), "sqrt(2)/3");
    for (const std::string& r : {r1, r2}) {
        EXPECT_FALSE(r.empty());
        EXPECT_NE(r, uinternet::kDisconnected);
        EXPECT_EQ(r.find('`'), std::string::npos) << r;
    }
    EXPECT_NE(r1, r2);
    EXPECT_EQ(voice.texts,
              std::vector<std::string>{" A soma  " + r1 + "  vale  " + r2 + "  na f\xF3rmula."});
    ormivox::SetServerPort(0);
}

}  // namespace
