#include "speech/formulaspeech.h"
#include "speech/formulaspans.h"

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <mutex>

#include "platform/messages.h"
#include "speech/speechdispatchervoice.h"
#include "speech/socketclient.h"

namespace formulaspeech {
namespace {

std::atomic<int> serverSocket{0};
std::atomic<std::uint16_t> serverPort{kServerPort};
std::atomic<VoiceOutput*> voice{nullptr};
// The reading's verbosity wanted, and the one the server holds for the connection (a new
// connection reads at "normal").
std::mutex wantedMutex;
std::string wantedVerbosity = kDefaultVerbosity;
std::string connectionVerbosity = kDefaultVerbosity;

std::string WantedVerbosity() {
    std::lock_guard lock(wantedMutex);
    return wantedVerbosity;
}

constexpr char kBackquote = '`';

}  // namespace

// One request and its reply. After a failed exchange the stream can no longer be trusted (a
// late reply would be taken for the next formula's), so the connection is shut down: later
// formulas read "<desconectado>" at once instead of each waiting for the time-out.
std::string ReadFormula(std::string_view formula) {
    std::string reply;
    Exchange(formula, reply);
    return reply;
}

Outcome Exchange(std::string_view formula, std::string& reply, int wake, const std::function<bool()>& cancelled) {
    const int handle = serverSocket;
    const std::string wanted = WantedVerbosity();
    if (connectionVerbosity != wanted) {
        // An option line outside the backquotes; the server does not answer it.
        socketclient::SendText(handle, "!verbosidade=" + wanted + "\n");
        connectionVerbosity = wanted;
    }
    std::string request;
    request.reserve(formula.size() + 2);
    request += kBackquote;
    request += formula;
    request += kBackquote;
    reply = socketclient::kDisconnected;
    if (!socketclient::SendText(handle, request)) {
        socketclient::Disconnect(handle);
        return Outcome::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + socketclient::Timeout();
    for (;;) {
        const socketclient::Wait wait = socketclient::WaitForReply(handle, wake, deadline);
        if (wait == socketclient::Wait::Readable) break;
        if (wait == socketclient::Wait::TimedOut) {
            socketclient::Disconnect(handle);
            return Outcome::TimedOut;
        }
        // Woken: the wake descriptor is the caller's to empty.
        if (cancelled && cancelled()) {
            AdoptConnection(OpenServerConnection());
            return Outcome::Cancelled;
        }
        if (!cancelled) wake = -1;
    }
    if (!socketclient::ReceiveReply(handle, reply)) {
        socketclient::Disconnect(handle);
        return Outcome::Failed;
    }
    return Outcome::Read;
}

void StartModule(Deliver deliver) {
    if (voice.load() != nullptr) return;
    auto report = [deliver](const std::string& message) {
        if (deliver) deliver([message] { messages::Show(message); });
        else messages::Show(message);
    };
    // Never deleted: a voice stuck in the speech service must not hold up the program's exit.
    voice = new SpeechDispatcherVoice(SpeechDispatcherVoiceOptions{}, report);
}

VoiceOutput* Voice() { return voice; }

VoiceOutput* SetVoice(VoiceOutput* replacement) { return voice.exchange(replacement); }

int ServerSocket() { return serverSocket; }

bool ConnectServer() {
    socketclient::CloseConnection(serverSocket);
    serverSocket = socketclient::OpenConnection(kServerHost, serverPort);
    connectionVerbosity = kDefaultVerbosity;
    return serverSocket > 0;
}

int OpenServerConnection() {
    return socketclient::OpenConnection(kServerHost, serverPort);
}

bool AdoptConnection(int handle) {
    if (handle != serverSocket) socketclient::CloseConnection(serverSocket);
    if (handle != serverSocket) connectionVerbosity = kDefaultVerbosity;
    serverSocket = handle;
    return serverSocket > 0;
}

void SetVerbosity(std::string_view word) {
    std::lock_guard lock(wantedMutex);
    wantedVerbosity = word;
}

bool ConnectionWorks() {
    if (serverSocket <= 0) return false;
    // Between exchanges the server sends nothing: anything readable is its end (or stray
    // bytes, after which the replies could not be trusted either).
    pollfd p{serverSocket, POLLIN | POLLRDHUP, 0};
    if (poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLIN | POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) == 0;
}

bool HasFormula(std::string_view line) {
    bool found = false;
    ComposeLine(line, [&](std::string_view) {
        found = true;
        return std::string();
    });
    return found;
}

std::string ComposeLine(std::string_view line, const std::function<std::string(std::string_view)>& read) {
    std::string result;
    std::string_view rest = line;
    do {
        const std::size_t open = rest.find(kBackquote);
        if (open == std::string_view::npos) {
            result += ' ';
            result += rest;
            break;
        }
        result += ' ';
        result += rest.substr(0, open);
        rest.remove_prefix(open + 1);
        const std::size_t close = rest.find(kBackquote);
        const std::string_view formula = rest.substr(0, close);
        rest.remove_prefix(close == std::string_view::npos ? rest.size() : close + 1);
        if (!formula.empty()) {
            result += ' ';
            result += read(formula);
        }
        if (close == std::string_view::npos) {  // a slip of typing, said where it is
            result += result.empty() || result.back() == ' ' ? "" : ",";
            result += ' ';
            result += kOpenFormula;
        }
    } while (!rest.empty());
    return result;
}

void SpeakLine(const std::string& line) {
    if (serverSocket <= 0) {
        SpeakText(line);
        return;
    }
    SpeakText(ComposeLine(line, ReadFormula));
}

void SpeakText(const std::string& text) {
    VoiceOutput* const voice = formulaspeech::voice.load();
    if (voice == nullptr) {
        messages::Show(std::string(SpeechDispatcherVoice::kUnavailable) + "a voz n\u00e3o foi iniciada.");
        return;
    }
    voice->Speak(text);
}

int FormulaAt(const std::vector<FormulaSpan>& spans, std::size_t caret) {
    // The first formula that does not end before the caret holds it or follows it.
    for (std::size_t i = 0; i < spans.size(); ++i)
        if (caret <= spans[i].end) return static_cast<int>(i);
    return static_cast<int>(spans.size()) - 1;
}

void SetServerPort(std::uint16_t port) { serverPort = port == 0 ? kServerPort : port; }

}  // namespace formulaspeech
