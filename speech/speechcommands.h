#pragma once
// The two commands of the "&Falar" menu, for the main window to call. The window only finds
// the caret's line and the start folder; everything else happens here.
//
// Wiring in the window (velloqPrinc.cpp), with the line in the editor's Unicode text:
//     void MainWindow::speakLine() {
//         speechcommands::SpeakCaretLine(codepage::Utf8ToCp1252(<the caret's whole line>.toStdString()));
//     }
//     void MainWindow::connectSpeech() { speechcommands::ConnectSpeech(runstate::StartFolder); }
// and once at program start, before the main window exists (app/velloq.cpp), so that voice
// errors reach the message boxes on the GUI thread:
//     formulaspeech::StartModule([](std::function<void()> show) {
//         QMetaObject::invokeMethod(qApp, std::move(show), Qt::QueuedConnection);
//     });
#include <chrono>
#include <string>

#include "speech/speechsettings.h"

namespace speechcommands {

// Spoken texts (Windows-1252).
inline constexpr const char* kActivated = "Ormivox ativado";
inline constexpr const char* kNotActivated = "Ormivox n\xE3o foi ativado.";
inline constexpr const char* kConnectHint = "Para ouvir as f\xF3rmulas, ligue o Ormivox no menu Falar.";
inline constexpr const char* kNoFormula = "nenhuma f\xF3rmula nesta linha";

// Starts the formula speech server. The program's own starter runs it as a detached process
// (a session of its own, no terminal, standard streams on /dev/null, no arguments); tests put
// a fake in its place.
class ServerStarter {
public:
    virtual ~ServerStarter() = default;
    // True when the program was started; false when it is missing or cannot be run.
    virtual bool Start(const std::string& program) = 0;
};

class DetachedStarter final : public ServerStarter {
public:
    bool Start(const std::string& program) override;
};

struct RetryPolicy {
    std::chrono::milliseconds total{3000};  // how long a just-started server may take to listen
    std::chrono::milliseconds every{100};
};

// The speech settings in effect for every later command: connecting on demand (which starts
// startFolder + "/oxserver"), the voice's sound and the reading's verbosity. Connecting on
// demand is off at start; when on, the speech commands that meet no working connection
// connect first, starting the server when none answers.
void ApplySettings(const speechsettings::SpeechSettings& settings, const std::string& startFolder);
const speechsettings::SpeechSettings& Settings();

// How connecting on demand starts the server (tests: a fake); nullptr restores a
// DetachedStarter and the default retry. The starter must live until the next call.
void SetServerStarter(ServerStarter* starter, RetryPolicy retry = {});

// Connects to the server, or starts startFolder + "/oxserver" and connects to it once it
// listens. The connection's handle, or -1. Says nothing, keeps nothing; safe on any thread.
int OpenOrStart(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry = {});

// Whether the hint kConnectHint has been spoken in this run; tests set it back.
bool HintGiven();
void ResetHint();

// F9, "&Fórmula": speaks the caret's whole line (Windows-1252 bytes), each formula read by the
// speech server when connected, the line as it stands otherwise. With no working connection,
// connecting on demand connects first. A line holding a formula spoken as it stands is
// followed by kConnectHint, once in the run, or by kNotActivated when connecting on demand
// failed.
void SpeakCaretLine(const std::string& line);

// Shift+F9, "Fórmula no cursor": speaks one formula (Windows-1252, without its backquotes),
// read by the server as F9 reads it; an empty formula speaks kNoFormula.
void SpeakFormula(const std::string& formula);

// F8, "Silenciar": silences the program's own speech, playing and queued.
void Silence();

// "&Ligar Ormivox": connects to the speech server; when that fails, starts
// startFolder + "/oxserver" and tries again until it listens or the retry time is over. Says
// kActivated or kNotActivated; says and shows nothing when the server could not be started.
// Blocks the caller for at most the retry time plus the connection time-outs.
void ConnectSpeech(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry = {});
void ConnectSpeech(const std::string& startFolder);  // with a DetachedStarter

}  // namespace speechcommands
