#include "speech/speechcommands.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "speech/formulaspeech.h"

namespace speechcommands {
namespace {

void ToDevNull() {
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) return;
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (null > STDERR_FILENO) close(null);
}

// A server just started needs a moment before it listens: tries again for a while rather than
// once at once. The handle, or -1.
int ConnectOnceListening(RetryPolicy retry) {
    const auto deadline = std::chrono::steady_clock::now() + retry.total;
    int handle = formulaspeech::OpenServerConnection();
    while (handle <= 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(retry.every);
        handle = formulaspeech::OpenServerConnection();
    }
    return handle;
}

speechsettings::SpeechSettings settings;
std::string serverFolder;  // where connecting on demand finds the server
ServerStarter* serverStarter = nullptr;
RetryPolicy serverRetry;
DetachedStarter detachedStarter;
bool hintGiven = false;

// Connecting on demand: when it is on and the connection does not work (never made, or the
// server gone), connects anew, starting the server when none answers.
void ConnectOnDemand() {
    if (!settings.autoConnect || formulaspeech::ConnectionWorks()) return;
    ServerStarter& starter = serverStarter ? *serverStarter : detachedStarter;
    formulaspeech::AdoptConnection(OpenOrStart(serverFolder, starter, serverRetry));
}

// After a text spoken as it stands because nothing reads its formulas: why, once a run when
// the user has not asked for connecting on demand, and every time when that failed.
void ExplainUnread() {
    if (settings.autoConnect) {
        formulaspeech::SpeakText(kNotActivated);
    } else if (!hintGiven) {
        hintGiven = true;
        formulaspeech::SpeakText(kConnectHint);
    }
}

}  // namespace

void ApplySettings(const speechsettings::SpeechSettings& newSettings, const std::string& startFolder) {
    settings = newSettings;
    serverFolder = startFolder;
    if (formulaspeech::VoiceOutput* voice = formulaspeech::Voice()) voice->Configure(settings.voice);
    formulaspeech::SetVerbosity(speechsettings::VerbosityName(settings.verbosity));
}

const speechsettings::SpeechSettings& Settings() { return settings; }

void SetServerStarter(ServerStarter* starter, RetryPolicy retry) {
    serverStarter = starter;
    serverRetry = retry;
}
bool HintGiven() { return hintGiven; }
void ResetHint() { hintGiven = false; }

int OpenOrStart(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry) {
    int handle = formulaspeech::OpenServerConnection();
    if (handle > 0) return handle;
    if (!starter.Start(startFolder + "/oxserver")) return -1;
    return ConnectOnceListening(retry);
}

bool DetachedStarter::Start(const std::string& program) {
    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    const char* path = program.c_str();

    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on: the parent may have threads.
        close(report[0]);
        setsid();
        const pid_t server = fork();
        if (server != 0) _exit(server < 0 ? 1 : 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        ToDevNull();
        execl(path, path, static_cast<char*>(nullptr));
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    long got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

void SpeakCaretLine(const std::string& line) {
    const bool hasFormula = formulaspeech::HasFormula(line);
    if (hasFormula) ConnectOnDemand();
    formulaspeech::SpeakLine(line);
    if (hasFormula && formulaspeech::ServerSocket() <= 0) ExplainUnread();
}

void SpeakFormula(const std::string& formula) {
    if (formula.empty()) {
        formulaspeech::SpeakText(kNoFormula);
        return;
    }
    ConnectOnDemand();
    if (formulaspeech::ServerSocket() > 0) {
        formulaspeech::SpeakText(formulaspeech::ReadFormula(formula));
        return;
    }
    formulaspeech::SpeakText(formula);
    ExplainUnread();
}

void Silence() {
    if (formulaspeech::VoiceOutput* voice = formulaspeech::Voice()) voice->Cancel();
}

void ConnectSpeech(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry) {
    if (formulaspeech::ConnectServer()) {
        formulaspeech::SpeakText(kActivated);
        return;
    }
    if (!starter.Start(startFolder + "/oxserver")) return;
    const bool connected = formulaspeech::AdoptConnection(ConnectOnceListening(retry));
    formulaspeech::SpeakText(connected ? kActivated : kNotActivated);
}

void ConnectSpeech(const std::string& startFolder) {
    DetachedStarter starter;
    ConnectSpeech(startFolder, starter);
}

}  // namespace speechcommands
