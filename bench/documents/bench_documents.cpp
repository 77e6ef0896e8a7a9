// Opening, saving and viewing a 10 MB document in the editor, and filling the file list for a
// folder of 10,000 files. Compare each time with Copy/cp, which copies the same document with
// the cp command: the ratio says what the editor adds to moving the bytes. An open is
// ReadDecode, our share, and SetPlainText, the editor widget's share: taking the same text,
// already decoded.
// Memory/<row> opens once and counts, in file sizes, the peak resident memory above the idle
// editor (peak_per_size) and what stays after (kept_per_size).
//
// Typing into the 10 MB document with the recovery copy off (the baseline) and on: each
// iteration is two keystrokes, a letter and Backspace, so that the document stays the same
// from run to run, each delivered to the editor with the events it leaves behind; the
// "worst_ms" counter is the slowest iteration of the run, where a copy taken on the window's
// thread would show as a stutter.
//   Typing/off            no recovery copy
//   Typing/on             the copy as the program makes it (3 s pause, 30 s at the longest)
//   Typing/on/every100ms  a copy every 100 ms of typing: 300 times more copies than the
//                         program takes, an upper bound of what copies cost a keystroke
//   WriteNow              the copy written at once, as at the end of a session; against Save
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string_view>

#include "editor/documents/documenttext.h"
#include "editor/documents/documents.h"
#include "editor/workfolder/filelist.h"
#include "editor/pages/pagecommands.h"
#include "editor/documents/recovery.h"
#include "editor/state/runstate.h"
#include "editor/mainwindow/mainwindow.h"
#include "editor/mainwindow/documentcommands.h"
#include "editor/workfolder/workfoldercommands.h"
#include "platform/messages.h"
#include "platform/shell.h"

namespace {

constexpr size_t kDocumentSize = 10u << 20;

class Quiet final : public messages::Sink, public shell::Opener {
public:
    void Show(const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    bool Open(const std::string&) override { return true; }
};

// Resident memory of this process in bytes: "VmRSS" now, "VmHWM" its peak.
double residentBytes(std::string_view field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(field.size() + 1)) * 1024;
    return 0;
}

// Starts a new peak at the present resident size; false where the system cannot.
bool resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

struct Setup {
    Setup() {
        folder = (std::filesystem::temp_directory_path() / "velloq-bench-XXXXXX").string();
        if (!::mkdtemp(folder.data())) std::abort();
        std::ofstream(folder + "/modeloMat.mdl", std::ios::binary)
            << "<<<CABE\xC7" "ALHO>>>\r\n<html><body>\r\n<<<FIM>>>\r\n<<<T\xD3PICO>>>\r\n<h2>[T\xD3PICO]</h2>\r\n"
               "<<<FIM>>>\r\n<<<ASSINATURA>>>\r\n</body></html>\r\n<<<FIM>>>\r\n";
        std::string doc = "T\xCDTULO: Desempenho\r\n";
        const std::string block =
            "*Fun\xE7\xF5" "es quadr\xE1ticas\r\n"
            "A fun\xE7\xE3o `f(x)=ax^2+bx+c` tem gr\xE1" "fico chamado par\xE1" "bola; a \xE1rea sob ela \xE9 uma integral.\r\n"
            "Texto sem acento algum, com f\xF3rmulas `sqrt(x)` e `x/y` no meio da linha, bem comprida.\r\n\r\n";
        while (doc.size() < kDocumentSize) doc += block;
        std::ofstream(folder + "/grande.vloq", std::ios::binary) << doc;
        // The same text as another editor saves it: UTF-8, one line end LF.
        std::string utf8;
        for (const char c : doc) {
            if (c == '\r') continue;
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80) {
                utf8 += c;
            } else {
                utf8 += static_cast<char>(0xC0 | (b >> 6));
                utf8 += static_cast<char>(0x80 | (b & 0x3F));
            }
        }
        std::ofstream(folder + "/utf8.vloq", std::ios::binary) << utf8;
        std::filesystem::create_directory(folder + "/lista");
        for (int i = 0; i < 10000; ++i) std::ofstream(folder + "/lista/texto" + std::to_string(i) + ".vloq");

        if (::chdir(folder.c_str()) != 0) std::abort();
        messages::Install(&quiet);
        shell::Install(&quiet);
        mainWindow = std::make_unique<MainWindow>();
        commands = ConnectDocumentCommands(mainWindow->parts(), mainWindow->runState());
        mainWindow->runState().ReadSettings();
    }
    ~Setup() {
        mainWindow.reset();
        std::filesystem::remove_all(folder);
    }
    std::string folder;
    Quiet quiet;
    std::unique_ptr<MainWindow> mainWindow;
    DocumentCommands commands{};
};

Setup* setup = nullptr;

// cp runs in a child process: its processor time (cpu_ms, per copy) is the baseline for the
// CPU column of the other rows on a busy machine, where wall times wander.
void Copy(benchmark::State& state) {
    const std::string command = "cp " + setup->folder + "/grande.vloq " + setup->folder + "/copia.vloq";
    rusage before{}, after{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    ::getrusage(RUSAGE_CHILDREN, &after);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    const double used = ms(after.ru_utime) + ms(after.ru_stime) - ms(before.ru_utime) - ms(before.ru_stime);
    state.counters["cpu_ms"] = used / double(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(Copy)->Name("Copy/cp")->Unit(benchmark::kMillisecond);

void Open(benchmark::State& state) {
    for (auto _ : state) setup->commands.documents->LoadDocument("grande.vloq");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(Open)->Unit(benchmark::kMillisecond);

void OpenUtf8(benchmark::State& state) {
    for (auto _ : state) setup->commands.documents->LoadDocument("utf8.vloq");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(OpenUtf8)->Name("Open/utf8")->Unit(benchmark::kMillisecond);

// The editor's own share of an open: the file read and its text decoded, no widget.
void ReadDecode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(doctext::Decode(doctext::ReadFile("grande.vloq")));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(ReadDecode)->Unit(benchmark::kMillisecond);

// The text of grande.vloq as the editor holds it.
const QString& decodedText() {
    static const QString text = [] {
        setup->commands.documents->LoadDocument("grande.vloq");
        return setup->mainWindow->textEdit->toPlainText();
    }();
    return text;
}

void SetPlainText(benchmark::State& state) {
    const QString& text = decodedText();
    for (auto _ : state) setup->mainWindow->textEdit->setPlainText(text);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(SetPlainText)->Unit(benchmark::kMillisecond);

// Runs step once from the idle editor (an empty text) and counts its memory.
void countMemory(benchmark::State& state, const std::function<void()>& step) {
    for (auto _ : state) {
        setup->commands.documents->ClearEditor();
        ::malloc_trim(0);
        const double idle = residentBytes("VmRSS:");
        if (!resetPeak()) {
            state.SkipWithError("the peak resident size cannot be reset here");
            return;
        }
        step();
        const double peak = residentBytes("VmHWM:");
        ::malloc_trim(0);
        const double kept = residentBytes("VmRSS:");
        state.counters["peak_per_size"] = (peak - idle) / double(kDocumentSize);
        state.counters["kept_per_size"] = (kept - idle) / double(kDocumentSize);
    }
}

void MemoryOpen(benchmark::State& state) {
    countMemory(state, [] { setup->commands.documents->LoadDocument("grande.vloq"); });
}
BENCHMARK(MemoryOpen)->Name("Memory/Open")->Iterations(1);

void MemoryOpenUtf8(benchmark::State& state) {
    countMemory(state, [] { setup->commands.documents->LoadDocument("utf8.vloq"); });
}
BENCHMARK(MemoryOpenUtf8)->Name("Memory/Open/utf8")->Iterations(1);

void MemorySetPlainText(benchmark::State& state) {
    const QString& text = decodedText();
    countMemory(state, [&text] { setup->mainWindow->textEdit->setPlainText(text); });
}
BENCHMARK(MemorySetPlainText)->Name("Memory/SetPlainText")->Iterations(1);

void Save(benchmark::State& state) {
    setup->commands.documents->LoadDocument("grande.vloq");
    for (auto _ : state) setup->commands.documents->WriteDocument("grande.vloq");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond);

// "&Visualizar" on a modified document: save, generate the page, open it.
void View(benchmark::State& state) {
    setup->commands.documents->LoadDocument("grande.vloq");
    for (auto _ : state) {
        setup->mainWindow->textEdit->document()->setModified(true);
        setup->commands.pages->viewPage();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(View)->Unit(benchmark::kMillisecond);

// Entering a folder of 10,000 documents: the list starts empty each time.
void FillList(benchmark::State& state) {
    if (::chdir((setup->folder + "/lista").c_str()) != 0) std::abort();
    for (auto _ : state) {
        state.PauseTiming();
        setup->mainWindow->fileListBox->clear();
        state.ResumeTiming();
        setup->commands.list->RefreshFileList("texto5000.vloq");
    }
    if (::chdir(setup->folder.c_str()) != 0) std::abort();
}
BENCHMARK(FillList)->Name("FillList/10000")->Unit(benchmark::kMillisecond);

// The same folder listed again, as after each pick in the list.
void RefillList(benchmark::State& state) {
    if (::chdir((setup->folder + "/lista").c_str()) != 0) std::abort();
    for (auto _ : state) setup->commands.list->RefreshFileList("texto5000.vloq");
    if (::chdir(setup->folder.c_str()) != 0) std::abort();
}
BENCHMARK(RefillList)->Name("RefillList/10000")->Unit(benchmark::kMillisecond);

// The document loaded into a window on screen, the caret in its middle, and laid out by a
// first keystroke, which belongs to none of the runs.
void prepareTyping() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    MainWindow& mainWindow = *setup->mainWindow;
    mainWindow.show();
    setup->commands.documents->LoadDocument("grande.vloq");
    QTextCursor middle = mainWindow.textEdit->textCursor();
    middle.setPosition(mainWindow.textEdit->document()->characterCount() / 2);
    mainWindow.textEdit->setTextCursor(middle);
    mainWindow.textEdit->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(mainWindow.textEdit, &key);
    QCoreApplication::processEvents();
}

// A recovery copy of the document in the editor, into a folder of the run's own; the
// program's delays when pauseMs is 0.
std::unique_ptr<Recovery> recoveryCopy(int pauseMs, int longestMs) {
    auto made = std::make_unique<Recovery>(setup->mainWindow->parts(), *setup->commands.documents, setup->folder + "/estado");
    if (pauseMs > 0) made->setDelays(pauseMs, longestMs);
    return made;
}

void typeKeys(benchmark::State& state) {
    prepareTyping();
    QWidget* textEdit = setup->mainWindow->textEdit;
    qint64 worst = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        for (const auto& [key, text] : {std::pair(Qt::Key_A, QStringLiteral("a")), std::pair(Qt::Key_Backspace, QString())}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
            QApplication::sendEvent(textEdit, &press);
            QApplication::sendEvent(textEdit, &release);
            QCoreApplication::processEvents();
        }
        worst = std::max(worst, clock.nsecsElapsed());
    }
    state.counters["worst_ms"] = double(worst) / 1e6;
}

void TypingOff(benchmark::State& state) { typeKeys(state); }
BENCHMARK(TypingOff)->Name("Typing/off")->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void TypingOn(benchmark::State& state) {
    const auto recovery = recoveryCopy(0, 0);
    typeKeys(state);
}
BENCHMARK(TypingOn)->Name("Typing/on")->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void TypingOnEvery100ms(benchmark::State& state) {
    const auto recovery = recoveryCopy(100, 100);
    typeKeys(state);
}
BENCHMARK(TypingOnEvery100ms)->Name("Typing/on/every100ms")->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void WriteNow(benchmark::State& state) {
    prepareTyping();
    const auto recovery = recoveryCopy(0, 0);
    for (auto _ : state) {
        setup->mainWindow->textEdit->document()->setModified(true);
        if (!recovery->WriteNow()) state.SkipWithError("the copy was not written");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDocumentSize));
}
BENCHMARK(WriteNow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Setup shared;
    setup = &shared;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
