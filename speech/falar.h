#pragma once
// The two commands of the "&Falar" menu, for the main window to call. The window only finds
// the caret's line and the start folder; everything else happens here.
//
// Wiring in the window (velloqPrinc.cpp), with the line in the editor's Unicode text:
//     void TForm1::Formula2Click() {
//         falar::Formula2(codepage::Utf8ToCp1252(<the caret's whole line>.toStdString()));
//     }
//     void TForm1::LigarOrmivox1Click() { falar::LigarOrmivox(uvars::StartFolder); }
// and once at program start, before the main window exists (app/velloq.cpp), so that voice
// errors reach the message boxes on the GUI thread:
//     ormivox::StartModule([](std::function<void()> show) {
//         QMetaObject::invokeMethod(qApp, std::move(show), Qt::QueuedConnection);
//     });
#include <chrono>
#include <string>

namespace falar {

// Spoken texts (Windows-1252).
inline constexpr const char* kActivated = "Ormivox ativado";
inline constexpr const char* kNotActivated = "Ormivox n\xE3o foi ativado.";

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

// F9, "&Fórmula": speaks the caret's whole line (Windows-1252 bytes), each formula read by the
// speech server when connected, the line as it stands otherwise.
void Formula2(const std::string& line);

struct RetryPolicy {
    std::chrono::milliseconds total{3000};  // how long a just-started server may take to listen
    std::chrono::milliseconds every{100};
};

// "&Ligar Ormivox": connects to the speech server; when that fails, starts
// startFolder + "/oxserver" and tries again until it listens or the retry time is over. Says
// kActivated or kNotActivated; says and shows nothing when the server could not be started.
// Blocks the caller for at most the retry time plus the connection time-outs.
void LigarOrmivox(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry = {});
void LigarOrmivox(const std::string& startFolder);  // with a DetachedStarter

}  // namespace falar
