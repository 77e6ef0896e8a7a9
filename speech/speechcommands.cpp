#include "speech/speechcommands.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "speech/formulaspeech.h"
#include "speech/socketclient.h"

namespace speechcommands {
namespace {

using Texts = std::vector<std::string>;

void ToDevNull() {
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) return;
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (null > STDERR_FILENO) close(null);
}

// Giving up commands. Commands are numbered as they are given; giving up marks every one up
// to the newest, either all of them (F8, Esc) or those that read formulas (a newer F9 or
// Shift+F9), and wakes the worker, whose waits watch wakeFd.
std::atomic<std::uint64_t> lastCommand{0};
std::atomic<std::uint64_t> cancelledUpTo{0};
std::atomic<std::uint64_t> formulasCancelledUpTo{0};
int wakeFd = -1;

// The command running on this thread (0: none, or one that cannot be given up).
thread_local std::uint64_t currentCommand = 0;
thread_local bool currentReadsFormulas = false;

bool IsCancelled(std::uint64_t command, bool readsFormulas) {
    return command != 0 && (command <= cancelledUpTo || (readsFormulas && command <= formulasCancelledUpTo));
}

int CurrentWake() { return currentCommand != 0 ? wakeFd : -1; }

// Whether the running command has been given up; empties wakeFd.
bool CurrentCancelled() {
    std::uint64_t count;
    if (wakeFd >= 0) (void)!read(wakeFd, &count, sizeof count);
    return IsCancelled(currentCommand, currentReadsFormulas);
}

// Waits for time, or less when the running command is given up meanwhile: false then.
bool Pause(std::chrono::milliseconds time) {
    const int wake = CurrentWake();
    if (wake < 0) {
        std::this_thread::sleep_for(time);
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + time;
    for (;;) {
        if (CurrentCancelled()) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        pollfd p{wake, POLLIN, 0};
        poll(&p, 1, static_cast<int>(left.count()));
    }
}

struct Command {
    std::uint64_t number = 0;
    bool readsFormulas = false;
    std::function<Texts()> run;
    Deliver deliver;
};

std::atomic<int> busy{0};  // commands handed to the worker and not yet spoken or given up

// Runs commands one after another and hands what they say back to be spoken.
class Worker {
public:
    Worker() : thread_([this] { Loop(); }) {}
    void Post(Command command) {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(std::move(command));
        }
        wake_.notify_one();
    }

private:
    void Loop() {
        for (;;) {
            Command command;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !commands_.empty(); });
                command = std::move(commands_.front());
                commands_.pop_front();
            }
            currentCommand = command.number;
            currentReadsFormulas = command.readsFormulas;
            Texts texts;
            if (!IsCancelled(command.number, command.readsFormulas)) texts = command.run();
            currentCommand = 0;
            // Given up meanwhile (on the caller's thread, before this runs): nothing is said.
            command.deliver([number = command.number, readsFormulas = command.readsFormulas, texts = std::move(texts)] {
                if (!IsCancelled(number, readsFormulas))
                    for (const std::string& text : texts) formulaspeech::SpeakText(text);
                --busy;
            });
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Command> commands_;
    std::thread thread_;  // last: starts once the rest is ready
};

Deliver deliver;  // the caller's thread's

Worker& TheWorker() {
    // Never deleted: a command stuck in a time-out must not hold up the program's exit.
    static Worker* worker = [] {
        wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        return new Worker;
    }();
    return *worker;
}

// Runs a command on the worker, or here when there is no deliver, or when it needs no server
// and nothing is waiting (so that it cannot pass one given before it).
void Run(bool readsFormulas, bool needsServer, std::function<Texts()> run) {
    if (!deliver || (!needsServer && busy == 0)) {
        for (const std::string& text : run()) formulaspeech::SpeakText(text);
        return;
    }
    ++busy;
    TheWorker().Post({++lastCommand, readsFormulas, std::move(run), deliver});
}

void GiveUp(bool all) {
    const std::uint64_t newest = lastCommand;
    if (all) cancelledUpTo = newest;
    else formulasCancelledUpTo = newest;
    const std::uint64_t one = 1;
    if (wakeFd >= 0) (void)!write(wakeFd, &one, sizeof one);
}

// A server just started needs a moment before it listens: tries again for a while rather than
// once at once. The handle, or -1.
int ConnectOnceListening(RetryPolicy retry) {
    const auto deadline = std::chrono::steady_clock::now() + retry.total;
    int handle = formulaspeech::OpenServerConnection();
    while (handle <= 0 && std::chrono::steady_clock::now() < deadline) {
        if (!Pause(retry.every)) break;
        handle = formulaspeech::OpenServerConnection();
    }
    return handle;
}

speechsettings::SpeechSettings settings;
std::string serverFolder;  // where connecting on demand finds the server
ServerStarter* serverStarter = nullptr;
RetryPolicy serverRetry;
DetachedStarter detachedStarter;
std::atomic<bool> hintGiven{false};

// What a command needs of the settings, taken when it is given.
struct OnDemand {
    bool autoConnect = false;
    std::string folder;
    ServerStarter* starter = nullptr;
    RetryPolicy retry;
};

OnDemand TakeOnDemand() {
    return {settings.autoConnect, serverFolder, serverStarter ? serverStarter : &detachedStarter, serverRetry};
}

// Connecting on demand: when it is on and the connection does not work (never made, or the
// server gone), connects anew, starting the server when none answers.
void ConnectOnDemand(const OnDemand& onDemand) {
    if (!onDemand.autoConnect || formulaspeech::ConnectionWorks()) return;
    formulaspeech::AdoptConnection(OpenOrStart(onDemand.folder, *onDemand.starter, onDemand.retry));
}

// After a text spoken as it stands because nothing reads its formulas: why, once a run when
// the user has not asked for connecting on demand, and every time when that failed.
void ExplainUnread(const OnDemand& onDemand, Texts& texts) {
    if (onDemand.autoConnect) texts.push_back(kNotActivated);
    else if (!hintGiven.exchange(true)) texts.push_back(kConnectHint);
}

// Whether a command reading formulas may have to wait for the server.
bool MayWait(const OnDemand& onDemand) { return onDemand.autoConnect || formulaspeech::ServerSocket() > 0; }

// What F9 says of line.
Texts LineTexts(const std::string& line, const OnDemand& onDemand) {
    const bool hasFormula = formulaspeech::HasFormula(line);
    if (hasFormula) ConnectOnDemand(onDemand);
    if (formulaspeech::ServerSocket() <= 0) {
        Texts texts{line};
        if (hasFormula) ExplainUnread(onDemand, texts);
        return texts;
    }
    formulaspeech::Outcome last = formulaspeech::Outcome::Read;
    const std::string read = formulaspeech::ComposeLine(line, [&](std::string_view formula) {
        // After a time-out or a cancel the other formulas are not sent.
        if (last == formulaspeech::Outcome::TimedOut || last == formulaspeech::Outcome::Cancelled) return std::string();
        std::string reply;
        last = formulaspeech::Exchange(formula, reply, CurrentWake(), CurrentCancelled);
        return reply;
    });
    if (last == formulaspeech::Outcome::Cancelled) return {};
    if (last == formulaspeech::Outcome::TimedOut) return {kNoReply, line};
    return {read};
}

// What Shift+F9 says of formula (not empty).
Texts FormulaTexts(const std::string& formula, const OnDemand& onDemand) {
    ConnectOnDemand(onDemand);
    if (formulaspeech::ServerSocket() <= 0) {
        Texts texts{formula};
        ExplainUnread(onDemand, texts);
        return texts;
    }
    std::string reply;
    switch (formulaspeech::Exchange(formula, reply, CurrentWake(), CurrentCancelled)) {
    case formulaspeech::Outcome::Cancelled: return {};
    case formulaspeech::Outcome::TimedOut: return {kNoReply, formula};
    default: return {reply};
    }
}

}  // namespace

void SetDeliver(Deliver newDeliver) { deliver = std::move(newDeliver); }

void CancelPending() { GiveUp(true); }

bool Busy() { return busy > 0; }

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
    GiveUp(false);  // a newer line: an earlier one still waiting is not said
    const OnDemand onDemand = TakeOnDemand();
    Run(true, formulaspeech::HasFormula(line) && MayWait(onDemand), [line, onDemand] { return LineTexts(line, onDemand); });
}

void SpeakFormula(const std::string& formula, const std::string& then) {
    GiveUp(false);
    if (formula.empty()) {
        Run(true, false, [] { return Texts{kNoFormula}; });
        return;
    }
    const OnDemand onDemand = TakeOnDemand();
    Run(true, MayWait(onDemand), [formula, then, onDemand] {
        Texts texts = FormulaTexts(formula, onDemand);
        if (!texts.empty() && !then.empty()) texts.push_back(then);
        return texts;
    });
}

void Silence() {
    if (formulaspeech::VoiceOutput* voice = formulaspeech::Voice()) voice->Cancel();
    CancelPending();
}

void ConnectInBackground(const std::string& startFolder) {
    Run(false, true, [startFolder] {
        const int handle = OpenOrStart(startFolder, detachedStarter, RetryPolicy{});
        // A command may have connected meanwhile: the working connection stays.
        if (handle > 0 && formulaspeech::ConnectionWorks()) socketclient::CloseConnection(handle);
        else if (handle > 0) formulaspeech::AdoptConnection(handle);
        return Texts{};
    });
}

void ConnectSpeech(const std::string& startFolder, ServerStarter& starter, RetryPolicy retry) {
    Run(false, true, [startFolder, &starter, retry]() -> Texts {
        if (formulaspeech::ConnectServer()) return {kActivated};
        if (!starter.Start(startFolder + "/oxserver")) return {};
        const bool connected = formulaspeech::AdoptConnection(ConnectOnceListening(retry));
        return {connected ? kActivated : kNotActivated};
    });
}

void ConnectSpeech(const std::string& startFolder) { ConnectSpeech(startFolder, detachedStarter); }

}  // namespace speechcommands
