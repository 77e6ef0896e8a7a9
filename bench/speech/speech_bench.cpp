// Formula speech, timed against the raw round trip of one request to the real oxserver:
// - F9 on a line with three formulas, from the command to the text handed to the voice;
// - each key of a formula walk (Down, Right, Left, Up in turn), from the key to its utterance.
// Run: speech_bench; compare each time with RawRoundTrip of the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "editor/speaking/explorationwindow.h"
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"
#include "speech/socketclient.h"
#include "tests/speech/test_server.h"

namespace {

// Takes the texts and counts them; speaks nothing.
class CountingVoice final : public formulaspeech::VoiceOutput {
public:
    void Speak(const std::string& text) override {
        ++texts;
        benchmark::DoNotOptimize(text.data());
    }
    void Cancel() override {}
    void Configure(const formulaspeech::VoiceSettings&) override {}
    void ListVoices(VoicesReady ready) override { ready({}, {}); }
    long texts = 0;
};

speechtest::FormulaServer* server = nullptr;

void BM_RawRoundTrip(benchmark::State& state) {
    const int handle = socketclient::OpenConnection("127.0.0.1", server->port());
    std::string reply;
    for (auto _ : state) {
        socketclient::SendText(handle, "`(sqrt(x)+1)/(2a)`");
        socketclient::ReceiveReply(handle, reply);
    }
    socketclient::CloseConnection(handle);
}
BENCHMARK(BM_RawRoundTrip)->UseRealTime();

void BM_F9LineWithThreeFormulas(benchmark::State& state) {
    CountingVoice voice;
    formulaspeech::VoiceOutput* previous = formulaspeech::SetVoice(&voice);
    formulaspeech::SetServerPort(server->port());
    formulaspeech::ConnectServer();
    const std::string line = "Se `x^2 = 4`, ent\xE3o `x = +-2` e `(sqrt(x)+1)/(2a)` vale pouco.";
    for (auto _ : state) speechcommands::SpeakCaretLine(line);
    formulaspeech::SetVoice(previous);
    formulaspeech::AdoptConnection(0);
    if (voice.texts != static_cast<long>(state.iterations())) state.SkipWithError("not every line was spoken");
}
BENCHMARK(BM_F9LineWithThreeFormulas)->UseRealTime();

void BM_ExplorationKey(benchmark::State& state) {
    CountingVoice voice;
    formulaspeech::VoiceOutput* previous = formulaspeech::SetVoice(&voice);
    QPlainTextEdit memo;
    memo.setPlainText(QStringLiteral("Seja `(sqrt(x)+1)/(2a) + sum_(k=1)^n k^2` aqui."));
    ExplorationWindow walk(&memo, 6, QStringLiteral("(sqrt(x)+1)/(2a) + sum_(k=1)^n k^2"), oxserver::Verbosity::Normal);
    const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left, Qt::Key_Up, Qt::Key_Up};
    std::size_t i = 0;
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, keys[i++ % std::size(keys)], Qt::NoModifier);
        QCoreApplication::sendEvent(&walk, &key);
    }
    formulaspeech::SetVoice(previous);
    if (voice.texts != static_cast<long>(state.iterations())) state.SkipWithError("not every key was spoken");
}
BENCHMARK(BM_ExplorationKey)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    speechtest::FormulaServer formulaServer(VELLOQ_OXSERVER);
    if (formulaServer.port() == 0) return 1;
    server = &formulaServer;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
