#include "speech/TSpVoice.h"

#include <libspeechd.h>
#include <signal.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

#include "speech/ssmltext.h"

using Clock = std::chrono::steady_clock;

struct TSpVoice::Shared {
    TSpVoiceOptions options;
    ErrorReport report;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> texts;  // SSML waiting for the worker
    Listener listener;
    bool stop = false;
    bool busy = false;   // the worker is inside a call into the service
    bool stuck = false;  // ... and has been for longer than the time-out
    bool workerDone = false;
    Clock::time_point busySince;

    SPDConnection* connection = nullptr;  // the worker's alone

    void Report(const std::string& message) {
        if (report) report(message);
    }
    void Notify(Event event, long id) {
        Listener copy;
        {
            std::lock_guard lock(mutex);
            copy = listener;
        }
        if (copy) copy(event, id);
    }
};

namespace {

// libspeechd's callbacks carry no user data: they find their voice by the client id.
std::mutex registryMutex;
std::map<std::size_t, std::weak_ptr<TSpVoice::Shared>> registry;

void OnNotification(std::size_t messageId, std::size_t clientId, SPDNotificationType type) {
    std::shared_ptr<TSpVoice::Shared> shared;
    {
        std::lock_guard lock(registryMutex);
        const auto it = registry.find(clientId);
        if (it != registry.end()) shared = it->second.lock();
    }
    if (!shared) return;
    const TSpVoice::Event event = type == SPD_EVENT_BEGIN ? TSpVoice::Event::Begin
                                  : type == SPD_EVENT_END ? TSpVoice::Event::End
                                                          : TSpVoice::Event::Cancel;
    shared->Notify(event, static_cast<long>(messageId));
}

void Disconnect(TSpVoice::Shared& s) {
    if (s.connection == nullptr) return;
    {
        std::lock_guard lock(registryMutex);
        for (auto it = registry.begin(); it != registry.end();) {
            if (it->second.expired() || it->second.lock().get() == &s) it = registry.erase(it);
            else ++it;
        }
    }
    spd_close(s.connection);
    s.connection = nullptr;
}

// Opens the connection; an error text when that fails.
std::string Connect(const std::shared_ptr<TSpVoice::Shared>& s) {
    const TSpVoiceOptions& o = s->options;
    SPDConnectionAddress address{};
    std::string socketPath = o.socketPath;
    const bool explicitAddress = !socketPath.empty();
    if (explicitAddress) {
        address.method = SPD_METHOD_UNIX_SOCKET;
        address.unix_socket_name = socketPath.data();
    }
    char* reason = nullptr;
    s->connection = spd_open2("velloq", "main", nullptr, SPD_MODE_THREADED,
                              explicitAddress ? &address : nullptr,
                              (o.autospawn && !explicitAddress) ? 1 : 0, &reason);
    if (s->connection == nullptr) {
        std::string message = TSpVoice::kUnavailable;
        message += reason ? reason : "sem resposta do servi\u00e7o de fala";
        std::free(reason);
        return message;
    }
    std::free(reason);
    // Without SSML mode the tags would be read out: better not to speak at all.
    if (spd_set_data_mode(s->connection, SPD_DATA_SSML) != 0) {
        spd_close(s->connection);
        s->connection = nullptr;
        return std::string(TSpVoice::kUnavailable) + "modo SSML recusado";
    }
    spd_set_language(s->connection, o.language.c_str());
    s->connection->callback_begin = OnNotification;
    s->connection->callback_end = OnNotification;
    s->connection->callback_cancel = OnNotification;
    spd_set_notification_on(s->connection, SPD_BEGIN);
    spd_set_notification_on(s->connection, SPD_END);
    spd_set_notification_on(s->connection, SPD_CANCEL);
    const int clientId = spd_get_client_id(s->connection);
    if (clientId >= 0) {
        std::lock_guard lock(registryMutex);
        registry[static_cast<std::size_t>(clientId)] = s;
    }
    return {};
}

// Speaks one SSML text; an error text when it was not accepted.
std::string SpeakNow(const std::shared_ptr<TSpVoice::Shared>& s, const std::string& ssml) {
    if (s->connection == nullptr) {
        if (std::string error = Connect(s); !error.empty()) return error;
    }
    const int id = spd_say(s->connection, SPD_MESSAGE, ssml.c_str());
    if (id < 0) {
        // The service may have gone away; the next text connects anew.
        Disconnect(*s);
        return TSpVoice::kRefused;
    }
    s->Notify(TSpVoice::Event::Accepted, id);
    return {};
}

void Work(std::shared_ptr<TSpVoice::Shared> s) {
    // A service that has gone away must give an error, not kill the program: keep SIGPIPE
    // from this thread and from libspeechd's reader thread, which inherits the mask.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    std::unique_lock lock(s->mutex);
    while (true) {
        s->changed.wait(lock, [&] { return s->stop || !s->texts.empty(); });
        if (s->stop) break;
        const std::string ssml = std::move(s->texts.front());
        s->texts.pop_front();
        s->busy = true;
        s->busySince = Clock::now();
        s->changed.notify_all();
        lock.unlock();

        const std::string error = SpeakNow(s, ssml);

        lock.lock();
        s->busy = false;
        const bool reported = s->stuck;
        s->stuck = false;
        s->changed.notify_all();
        if (!error.empty() && !reported) {
            lock.unlock();
            s->Report(error);
            lock.lock();
        }
    }
    lock.unlock();
    Disconnect(*s);
    lock.lock();
    s->workerDone = true;
    s->changed.notify_all();
}

void Watch(std::shared_ptr<TSpVoice::Shared> s) {
    std::unique_lock lock(s->mutex);
    while (!s->stop) {
        if (!s->busy || s->stuck) {
            s->changed.wait(lock);
            continue;
        }
        const Clock::time_point deadline = s->busySince + s->options.timeout;
        if (Clock::now() < deadline) {
            s->changed.wait_until(lock, deadline);
            continue;
        }
        s->stuck = true;
        s->texts.clear();
        lock.unlock();
        s->Report(TSpVoice::kNoAnswer);
        lock.lock();
    }
}

}  // namespace

TSpVoice::TSpVoice(TSpVoiceOptions options, ErrorReport report) : shared_(std::make_shared<Shared>()) {
    shared_->options = std::move(options);
    shared_->report = std::move(report);
    worker_ = std::thread(Work, shared_);
    watchdog_ = std::thread(Watch, shared_);
}

TSpVoice::~TSpVoice() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->texts.clear();
    shared_->changed.notify_all();
    lock.unlock();
    watchdog_.join();
    lock.lock();
    const bool done = shared_->changed.wait_for(lock, shared_->options.timeout,
                                                [&] { return shared_->workerDone; });
    lock.unlock();
    if (done) worker_.join();
    else worker_.detach();  // stuck in the service: it keeps its own share of the state
}

void TSpVoice::Speak(const std::string& cp1252Text) {
    std::string ssml = ssmltext::ToSsml(cp1252Text);
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->stuck) {
            shared_->texts.push_back(std::move(ssml));
            shared_->changed.notify_all();
            return;
        }
    }
    shared_->Report(kNoAnswer);
}

void TSpVoice::SetListener(Listener listener) {
    std::lock_guard lock(shared_->mutex);
    shared_->listener = std::move(listener);
}
