#pragma once
// The two commands of the "&Falar" menu, for the main window to call. The window only finds
// the caret's line and the start folder; everything else happens here.
//
// Wiring in the editor (editor/speaking/speechmenu.cpp), with the line in the editor's Unicode
// text and the run state's start folder:
//     speechcommands::SpeakCaretLine(codepage::Utf8ToCp1252(<the caret's whole line>.toStdString()));
//     speechcommands::ConnectSpeech(run.startFolder);
// and, so that no command waits for the server on the window's thread (see SetDeliver):
//     speechcommands::SetDeliver([](std::function<void()> speak) {
//         QMetaObject::invokeMethod(qApp, std::move(speak), Qt::QueuedConnection);
//     });
// and once at program start, before the main window exists (app/velloq.cpp), so that voice
// errors reach the message boxes on the GUI thread:
//     formulaspeech::StartModule([](std::function<void()> show) {
//         QMetaObject::invokeMethod(qApp, std::move(show), Qt::QueuedConnection);
//     });
#include <chrono>
#include <functional>
#include <string>

#include "speech/speechsettings.h"

namespace speechcommands {

// Spoken texts (Windows-1252).
inline constexpr const char* kActivated = "Ormivox ativado";
inline constexpr const char* kNotActivated = "Ormivox n\xE3o foi ativado.";
inline constexpr const char* kConnectHint = "Para ouvir as f\xF3rmulas, ligue o Ormivox no menu Falar.";
inline constexpr const char* kNoFormula = "nenhuma f\xF3rmula nesta linha";
inline constexpr const char* kNoReply = "O servidor de f\xF3rmulas n\xE3o respondeu.";

// Runs a function on the thread that calls the commands (the window's), later.
using Deliver = std::function<void(std::function<void()>)>;

// From now on the commands below wait for nothing on the caller's thread: whatever talks to
// the speech server (connecting, starting it, each request and its reply) runs on a worker
// thread of this module, one command after another in the order given, and what a command
// says is handed back through deliver and spoken on the caller's thread, in that order. A
// command that needs no server, when none is waiting, speaks at once. Without a deliver
// (programs with no event loop, and the tests of this module) every command runs in full on
// the caller's thread.
void SetDeliver(Deliver deliver);

// Gives up every command not yet spoken: a reply still awaited is abandoned (its connection
// is put aside for a new one) and nothing of those commands is said. F8 and Esc.
void CancelPending();

// True while a command handed to the worker has not been spoken or given up yet.
bool Busy();

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
// failed. When the server does not reply within the time-out, kNoReply is said once and then
// the line as it stands. A line asked for earlier whose readings have not all come is given
// up: only the newest is spoken.
void SpeakCaretLine(const std::string& line);

// Shift+F9, "Fórmula no cursor": speaks one formula (Windows-1252, without its backquotes),
// read by the server as F9 reads it; an empty formula speaks kNoFormula. Gives up an earlier
// F9 or Shift+F9 still waiting, as F9 does. A non-empty then is spoken after the reading, in
// the same turn (a note about the formula, such as a missing closing backquote).
void SpeakFormula(const std::string& formula, const std::string& then = {});

// F8, "Silenciar": silences the program's own speech, playing and queued, and gives up the
// commands not yet spoken (CancelPending).
void Silence();

// Connecting on demand at start-up: connects to the server, or starts it and connects once
// it listens, unless a working connection is there by then. Says nothing. On the worker when
// there is one, else on the caller's thread.
void ConnectInBackground(const std::string& startFolder);

// "&Ligar Ormivox": connects to the speech server; when that fails, starts
// startFolder + "/oxserver" and tries again until it listens or the retry time is over. Says
// kActivated or kNotActivated; says and shows nothing when the server could not be started.
// Without a deliver it blocks the caller for at most the retry time plus the connection
// time-outs; with one, starter must live until the command has been spoken.
void ConnectSpeech(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry = {});
void ConnectSpeech(const std::string& startFolder);  // with a DetachedStarter

}  // namespace speechcommands
