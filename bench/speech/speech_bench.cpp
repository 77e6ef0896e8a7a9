// Formula speech, timed against the raw round trip of one request to the real oxserver:
// - F9 on a line with three formulas, from the command to the text handed to the voice;
// - each key of a formula walk (Down, Right, Left, Up in turn), from the key to its utterance;
// - the longest time the window's event loop goes without a turn while F9 waits for a server
//   that accepts the connection and never answers (max_gap_ms), against the same loop idle.
// Run: speech_bench; compare each time with RawRoundTrip of the same run.
#include <benchmark/benchmark.h>

#include <poll.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>

#include "editor/speaking/explorationwindow.h"
#include "editor/mainwindow/mainwindow.h"
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
        last = text;
    }
    void Cancel() override {}
    void Configure(const formulaspeech::VoiceSettings&) override {}
    void ListVoices(VoicesReady ready) override { ready({}, {}); }
    long texts = 0;
    std::string last;
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

// The same line as the window speaks it: read on the speech worker, spoken once the reading
// is back on this thread.
void BM_F9LineThroughTheWorker(benchmark::State& state) {
    CountingVoice voice;
    formulaspeech::VoiceOutput* previous = formulaspeech::SetVoice(&voice);
    formulaspeech::SetServerPort(server->port());
    formulaspeech::ConnectServer();
    speechcommands::SetDeliver([](std::function<void()> speak) {
        QMetaObject::invokeMethod(qApp, std::move(speak), Qt::QueuedConnection);
    });
    const std::string line = "Se `x^2 = 4`, ent\xE3o `x = +-2` e `(sqrt(x)+1)/(2a)` vale pouco.";
    for (auto _ : state) {
        const long before = voice.texts;
        speechcommands::SpeakCaretLine(line);
        while (voice.texts == before) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    speechcommands::SetDeliver({});
    formulaspeech::SetVoice(previous);
    formulaspeech::AdoptConnection(0);
}
BENCHMARK(BM_F9LineThroughTheWorker)->UseRealTime();

void BM_ExplorationKey(benchmark::State& state) {
    CountingVoice voice;
    formulaspeech::VoiceOutput* previous = formulaspeech::SetVoice(&voice);
    QPlainTextEdit textEdit;
    textEdit.setPlainText(QStringLiteral("Seja `(sqrt(x)+1)/(2a) + sum_(k=1)^n k^2` aqui."));
    ExplorationWindow walk(&textEdit, 6, QStringLiteral("(sqrt(x)+1)/(2a) + sum_(k=1)^n k^2"), reader::Verbosity::Normal);
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

// Opening the walk of a long formula (its reading is made here, on the window's thread), up to
// the first piece spoken; the argument is the formula's length in bytes.
void BM_ExplorationOpen(benchmark::State& state) {
    CountingVoice voice;
    formulaspeech::VoiceOutput* previous = formulaspeech::SetVoice(&voice);
    std::string formula;
    for (int i = 0; formula.size() < static_cast<std::size_t>(state.range(0)); ++i)
        formula += (i % 3 == 0 ? "sqrt(x_" : i % 3 == 1 ? "+(a/b)^2) + " : "sum_(k=1)^n k ") ;
    QPlainTextEdit textEdit;
    textEdit.setPlainText(QStringLiteral("`") + QString::fromStdString(formula) + QStringLiteral("`"));
    for (auto _ : state) {
        ExplorationWindow walk(&textEdit, 1, QString::fromStdString(formula), reader::Verbosity::Normal);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QCoreApplication::sendEvent(&walk, &key);
    }
    formulaspeech::SetVoice(previous);
}
BENCHMARK(BM_ExplorationOpen)->Arg(1000)->Arg(65000)->Arg(1000000)->UseRealTime()->Unit(benchmark::kMillisecond);

// Runs the event loop, with a zero-interval timer taking the time of each turn, until done()
// or 20 s have passed; the longest time between two turns, in nanoseconds.
qint64 LongestTurnGap(const std::function<bool()>& done) {
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (done() || now > 20'000'000'000) loop.quit();
    });
    clock.start();
    tick.start();
    loop.exec();
    return longest;
}

void BM_EventLoopGapIdle(benchmark::State& state) {
    qint64 longest = 0;
    for (auto _ : state) {
        QElapsedTimer since;
        since.start();
        longest = std::max(longest, LongestTurnGap([&] { return since.elapsed() >= 500; }));
    }
    state.counters["max_gap_ms"] = double(longest) / 1e6;
}
BENCHMARK(BM_EventLoopGapIdle)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// F9 through the main window's action, on a line with a formula, with a server that accepts
// the connection and never reads: until the line is spoken after the reply time-out.
void BM_EventLoopGapWhileF9Waits(benchmark::State& state) {
    speechtest::TestServer silent([](int fd, int) {
        pollfd p{fd, POLLRDHUP, 0};
        poll(&p, 1, 30000);
    });
    CountingVoice voice;
    formulaspeech::VoiceOutput* previous = formulaspeech::SetVoice(&voice);
    formulaspeech::SetServerPort(silent.port());
    MainWindow mainWindow;
    mainWindow.textEdit->setPlainText(QStringLiteral("Se `x^2 = 4`, vale pouco."));
    qint64 longest = 0;
    for (auto _ : state) {
        formulaspeech::ConnectServer();
        voice.last.clear();
        QTimer::singleShot(0, &mainWindow, [&mainWindow] { mainWindow.parts().action(QStringLiteral("speakLine"))->trigger(); });
        longest = std::max(longest, LongestTurnGap([&] { return voice.last.find("vale pouco") != std::string::npos; }));
        if (voice.last.find("vale pouco") == std::string::npos) state.SkipWithError("the line was not spoken");
    }
    state.counters["max_gap_ms"] = double(longest) / 1e6;
    formulaspeech::SetVoice(previous);
    formulaspeech::AdoptConnection(0);
    formulaspeech::SetServerPort(0);
}
BENCHMARK(BM_EventLoopGapWhileF9Waits)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

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
