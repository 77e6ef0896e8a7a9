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
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"
#include "speech/speechsettings.h"
#include "speech/socketclient.h"
#include "test_server.h"

namespace {

using speechtest::FormulaServer;
using speechtest::Reading;
using speechsettings::Verbosity;

TEST(EndToEnd, F9ReadsBothFormulasOfTheLineInTheirPlaces) {
    const std::string program = VELLOQ_OXSERVER;
    if (program.empty() || !std::filesystem::exists(program))
        GTEST_SKIP() << "oxserver is not part of this build yet; the end-to-end test needs it";
    FormulaServer server(program);
    ASSERT_GT(server.port(), 0) << "oxserver did not say which port it took";
    formulaspeech::SetServerPort(server.port());
    speechtest::RecordingVoice voice;
    ASSERT_TRUE(formulaspeech::ConnectServer());

    speechcommands::SpeakCaretLine("A soma `x+1` vale `sqrt(2)/3` na f\xF3rmula.");

    const std::string r1 = Reading(server.port(), "x+1");
    const std::string r2 = Reading(server.port(), "sqrt(2)/3");
    for (const std::string& r : {r1, r2}) {
        EXPECT_FALSE(r.empty());
        EXPECT_NE(r, socketclient::kDisconnected);
        EXPECT_EQ(r.find('`'), std::string::npos) << r;
    }
    EXPECT_NE(r1, r2);
    EXPECT_EQ(voice.texts,
              std::vector<std::string>{" A soma  " + r1 + "  vale  " + r2 + "  na f\xF3rmula."});
    formulaspeech::SetServerPort(0);
}

}  // namespace

namespace {

using namespace std::chrono_literals;

const std::string kLine = "A soma `x+1` vale `sqrt(2)/3`.";

// Starts the real server on a port of its own and points the editor's connections at it, as
// the program's starter does with the server in the start folder.
class RealStarter final : public speechcommands::ServerStarter {
public:
    explicit RealStarter(bool canStart) : canStart_(canStart) {}
    bool Start(const std::string&) override {
        ++starts;
        if (!canStart_) return false;
        servers.push_back(std::make_unique<FormulaServer>(VELLOQ_OXSERVER));
        formulaspeech::SetServerPort(servers.back()->port());
        return true;
    }
    int starts = 0;
    std::vector<std::unique_ptr<FormulaServer>> servers;

private:
    bool canStart_;
};

enum class After { Nothing, Hint, NotActivated };

struct OnDemandRow {
    const char* name;
    bool autoConnect;
    bool running;         // a server listens before the first F9
    bool goneInBetween;   // ... and stops between the first and the second F9
    bool canStart;
    bool lineHasFormula;
    int starts;           // servers started, in all
    bool read;            // the second F9 reads the formulas
    After after;          // what follows the line at the second F9 ...
    After afterFirst;     // ... and at the first
};

void PrintTo(const OnDemandRow& row, std::ostream* os) { *os << row.name; }

class ConnectOnDemandTest : public testing::TestWithParam<OnDemandRow> {};

TEST_P(ConnectOnDemandTest, F9ConnectsAsTheSettingSays) {
    const std::string program = VELLOQ_OXSERVER;
    if (program.empty() || !std::filesystem::exists(program)) GTEST_SKIP() << "no oxserver in this build";
    const OnDemandRow& row = GetParam();
    const std::string line = row.lineHasFormula ? kLine : "Nenhuma f\xF3rmula aqui.";
    FormulaServer reference(program);  // readings to compare with
    speechtest::TestServer refused([](int, int) {}, false);
    formulaspeech::SetServerPort(refused.port());
    formulaspeech::AdoptConnection(0);
    speechcommands::ResetHint();
    RealStarter starter(row.canStart);
    speechcommands::SetServerStarter(&starter, speechcommands::RetryPolicy{5000ms, 20ms});
    speechsettings::SpeechSettings settings;
    settings.autoConnect = row.autoConnect;
    speechcommands::ApplySettings(settings, "/pasta");
    std::unique_ptr<FormulaServer> running;
    if (row.running) {
        running = std::make_unique<FormulaServer>(program);
        formulaspeech::SetServerPort(running->port());
        if (!row.autoConnect) {
            ASSERT_TRUE(formulaspeech::ConnectServer());
        }
    }
    speechtest::RecordingVoice voice;

    const auto expect = [&](After after) {
        const std::string read = formulaspeech::ComposeLine(line, [&](std::string_view f) { return Reading(reference.port(), std::string(f)); });
        std::vector<std::string> texts{row.read ? read : line};
        if (after == After::Hint) texts.push_back(speechcommands::kConnectHint);
        if (after == After::NotActivated) texts.push_back(speechcommands::kNotActivated);
        return texts;
    };
    speechcommands::SpeakCaretLine(line);
    if (!row.goneInBetween) {
        EXPECT_EQ(voice.texts, expect(row.afterFirst)) << "first F9";
    }
    voice.texts.clear();
    if (row.goneInBetween) running->Stop();
    speechcommands::SpeakCaretLine(line);
    EXPECT_EQ(voice.texts, expect(row.after)) << "second F9";
    EXPECT_EQ(starter.starts, row.starts);

    speechcommands::SetServerStarter(nullptr);
    speechcommands::ApplySettings({}, "");
    formulaspeech::AdoptConnection(0);
    formulaspeech::SetServerPort(0);
}

// The hint comes once in a run, and only after a line whose formulas went unread.
INSTANTIATE_TEST_SUITE_P(
    Rows, ConnectOnDemandTest,
    testing::Values(
        OnDemandRow{"on_not_running", true, false, false, true, true, 1, true, After::Nothing, After::Nothing},
        OnDemandRow{"on_running", true, true, false, true, true, 0, true, After::Nothing, After::Nothing},
        OnDemandRow{"on_gone_in_between", true, true, true, true, true, 1, true, After::Nothing, After::Nothing},
        OnDemandRow{"on_cannot_start", true, false, false, false, true, 2, false, After::NotActivated,
                    After::NotActivated},
        OnDemandRow{"off_not_connected", false, false, false, true, true, 0, false, After::Nothing, After::Hint},
        OnDemandRow{"off_no_formula", false, false, false, true, false, 0, false, After::Nothing, After::Nothing},
        OnDemandRow{"off_connected", false, true, false, true, true, 0, true, After::Nothing, After::Nothing}),
    [](const testing::TestParamInfo<OnDemandRow>& info) { return std::string(info.param.name); });

// The verbosity chosen reaches the server: each F9 reads as the server reads at that level,
// also after a change on the same connection.
TEST(EndToEnd, F9ReadsAtTheChosenVerbosity) {
    const std::string program = VELLOQ_OXSERVER;
    if (program.empty() || !std::filesystem::exists(program)) GTEST_SKIP() << "no oxserver in this build";
    FormulaServer server(program);
    formulaspeech::SetServerPort(server.port());
    speechtest::RecordingVoice voice;
    ASSERT_TRUE(formulaspeech::ConnectServer());
    const std::string line = "Veja `sqrt(x+1)/2` e `a^(n+1)`.";
    const auto readAt = [&](const char* level) {
        return formulaspeech::ComposeLine(line, [&](std::string_view f) { return Reading(server.port(), std::string(f), level); });
    };
    ASSERT_NE(readAt("breve"), readAt("detalhada"));
    for (const Verbosity v : {Verbosity::Detalhada, Verbosity::Breve, Verbosity::Normal}) {
        speechsettings::SpeechSettings settings;
        settings.verbosity = v;
        speechcommands::ApplySettings(settings, "");
        voice.texts.clear();
        speechcommands::SpeakCaretLine(line);
        EXPECT_EQ(voice.texts, std::vector<std::string>{readAt(speechsettings::VerbosityName(v))});
    }
    formulaspeech::AdoptConnection(0);
    formulaspeech::SetServerPort(0);
}

}  // namespace
