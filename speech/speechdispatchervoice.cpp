#include "speech/speechdispatchervoice.h"

#include <libspeechd.h>
#include <signal.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <map>
#include <vector>
#include <mutex>

#include "speech/ssmltext.h"

using Clock = std::chrono::steady_clock;

struct SpeechDispatcherVoice::Shared {
    SpeechDispatcherVoiceOptions options;
    ErrorReport report;

    std::mutex mutex;
    std::condition_variable changed;
    struct Job {
        enum class Kind { Text, Cancel, List } kind;
        std::string ssml;               // Text
        formulaspeech::VoiceOutput::VoicesReady ready;  // List
    };
    std::deque<Job> jobs;  // waiting for the worker
    formulaspeech::VoiceSettings settings;
    bool settingsChanged = false;  // settings not yet given to the service
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
    // Empties the queue; the voice lists asked for are answered with kNoAnswer, by the caller
    // once the lock is released.
    std::vector<formulaspeech::VoiceOutput::VoicesReady> DropJobs() {
        std::vector<formulaspeech::VoiceOutput::VoicesReady> unanswered;
        for (Job& job : jobs)
            if (job.kind == Job::Kind::List && job.ready) unanswered.push_back(std::move(job.ready));
        jobs.clear();
        return unanswered;
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
std::map<std::size_t, std::weak_ptr<SpeechDispatcherVoice::Shared>> registry;

void OnNotification(std::size_t messageId, std::size_t clientId, SPDNotificationType type) {
    std::shared_ptr<SpeechDispatcherVoice::Shared> shared;
    {
        std::lock_guard lock(registryMutex);
        const auto it = registry.find(clientId);
        if (it != registry.end()) shared = it->second.lock();
    }
    if (!shared) return;
    const SpeechDispatcherVoice::Event event = type == SPD_EVENT_BEGIN ? SpeechDispatcherVoice::Event::Begin
                                  : type == SPD_EVENT_END ? SpeechDispatcherVoice::Event::End
                                                          : SpeechDispatcherVoice::Event::Cancel;
    shared->Notify(event, static_cast<long>(messageId));
}

void Disconnect(SpeechDispatcherVoice::Shared& s) {
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
std::string Connect(const std::shared_ptr<SpeechDispatcherVoice::Shared>& s) {
    const SpeechDispatcherVoiceOptions& o = s->options;
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
        std::string message = SpeechDispatcherVoice::kUnavailable;
        message += reason ? reason : "sem resposta do servi\u00e7o de fala";
        std::free(reason);
        return message;
    }
    std::free(reason);
    // Without SSML mode the tags would be read out: better not to speak at all.
    if (spd_set_data_mode(s->connection, SPD_DATA_SSML) != 0) {
        spd_close(s->connection);
        s->connection = nullptr;
        return std::string(SpeechDispatcherVoice::kUnavailable) + "modo SSML recusado";
    }
    spd_set_language(s->connection, o.language.c_str());
    s->connection->callback_begin = OnNotification;
    s->connection->callback_end = OnNotification;
    s->connection->callback_cancel = OnNotification;
    spd_set_notification_on(s->connection, SPD_BEGIN);
    spd_set_notification_on(s->connection, SPD_END);
    spd_set_notification_on(s->connection, SPD_CANCEL);
    {
        std::lock_guard lock(s->mutex);
        s->settingsChanged = true;  // a new connection starts from the service's defaults
    }
    const int clientId = spd_get_client_id(s->connection);
    if (clientId >= 0) {
        std::lock_guard lock(registryMutex);
        registry[static_cast<std::size_t>(clientId)] = s;
    }
    return {};
}

// Gives the service the settings that changed since they were last given.
void ApplySettings(const std::shared_ptr<SpeechDispatcherVoice::Shared>& s) {
    formulaspeech::VoiceSettings settings;
    {
        std::lock_guard lock(s->mutex);
        if (!s->settingsChanged) return;
        s->settingsChanged = false;
        settings = s->settings;
    }
    // The language first: choosing it also picks the service's voice for it.
    spd_set_language(s->connection, s->options.language.c_str());
    if (!settings.voice.empty()) spd_set_synthesis_voice(s->connection, settings.voice.c_str());
    spd_set_voice_rate(s->connection, settings.rate);
    spd_set_voice_pitch(s->connection, settings.pitch);
    spd_set_volume(s->connection, settings.volume);
}

// Speaks one SSML text; an error text when it was not accepted.
std::string SpeakNow(const std::shared_ptr<SpeechDispatcherVoice::Shared>& s, const std::string& ssml) {
    if (s->connection == nullptr) {
        if (std::string error = Connect(s); !error.empty()) return error;
    }
    ApplySettings(s);
    const int id = spd_say(s->connection, SPD_MESSAGE, ssml.c_str());
    if (id < 0) {
        // The service may have gone away; the next text connects anew.
        Disconnect(*s);
        return SpeechDispatcherVoice::kRefused;
    }
    s->Notify(SpeechDispatcherVoice::Event::Accepted, id);
    return {};
}

// Cancels what the service holds of this connection; with no connection there is nothing.
void CancelNow(const std::shared_ptr<SpeechDispatcherVoice::Shared>& s) {
    if (s->connection != nullptr && spd_cancel(s->connection) != 0) Disconnect(*s);
}

bool IsPortuguese(const char* language) {
    return language != nullptr && (language[0] == 'p' || language[0] == 'P') &&
           (language[1] == 't' || language[1] == 'T') && (language[2] == '\0' || language[2] == '-' || language[2] == '_');
}

// The Portuguese voices of the service's current output module.
void ListNow(const std::shared_ptr<SpeechDispatcherVoice::Shared>& s, const formulaspeech::VoiceOutput::VoicesReady& ready) {
    if (s->connection == nullptr) {
        if (std::string error = Connect(s); !error.empty()) {
            ready({}, error);
            return;
        }
    }
    SPDVoice** voices = spd_list_synthesis_voices(s->connection);
    if (voices == nullptr) {
        ready({}, SpeechDispatcherVoice::kNoVoices);
        return;
    }
    std::vector<std::string> names;
    for (SPDVoice** v = voices; *v != nullptr; ++v)
        if ((*v)->name != nullptr && IsPortuguese((*v)->language)) names.emplace_back((*v)->name);
    free_spd_voices(voices);
    ready(std::move(names), {});
}

void Work(std::shared_ptr<SpeechDispatcherVoice::Shared> s) {
    // A service that has gone away must give an error, not kill the program: keep SIGPIPE
    // from this thread and from libspeechd's reader thread, which inherits the mask.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    std::unique_lock lock(s->mutex);
    while (true) {
        s->changed.wait(lock, [&] { return s->stop || !s->jobs.empty(); });
        if (s->stop) break;
        SpeechDispatcherVoice::Shared::Job job = std::move(s->jobs.front());
        s->jobs.pop_front();
        s->busy = true;
        s->busySince = Clock::now();
        s->changed.notify_all();
        lock.unlock();

        std::string error;
        switch (job.kind) {
        case SpeechDispatcherVoice::Shared::Job::Kind::Text: error = SpeakNow(s, job.ssml); break;
        case SpeechDispatcherVoice::Shared::Job::Kind::Cancel: CancelNow(s); break;
        case SpeechDispatcherVoice::Shared::Job::Kind::List: ListNow(s, job.ready); break;
        }

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

void Watch(std::shared_ptr<SpeechDispatcherVoice::Shared> s) {
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
        const auto unanswered = s->DropJobs();
        lock.unlock();
        s->Report(SpeechDispatcherVoice::kNoAnswer);
        for (const auto& ready : unanswered) ready({}, SpeechDispatcherVoice::kNoAnswer);
        lock.lock();
    }
}

}  // namespace

SpeechDispatcherVoice::SpeechDispatcherVoice(SpeechDispatcherVoiceOptions options, ErrorReport report) : shared_(std::make_shared<Shared>()) {
    shared_->options = std::move(options);
    shared_->report = std::move(report);
    worker_ = std::thread(Work, shared_);
    watchdog_ = std::thread(Watch, shared_);
}

SpeechDispatcherVoice::~SpeechDispatcherVoice() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->jobs.clear();
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

void SpeechDispatcherVoice::Speak(const std::string& cp1252Text) {
    std::string ssml = ssmltext::ToSsml(cp1252Text);
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->stuck) {
            shared_->jobs.push_back({Shared::Job::Kind::Text, std::move(ssml), {}});
            shared_->changed.notify_all();
            return;
        }
    }
    shared_->Report(kNoAnswer);
}

void SpeechDispatcherVoice::Cancel() {
    std::lock_guard lock(shared_->mutex);
    // Texts not yet handed to the service are simply dropped; the rest the service cancels.
    std::erase_if(shared_->jobs, [](const Shared::Job& job) { return job.kind == Shared::Job::Kind::Text; });
    if (shared_->stuck) return;
    shared_->jobs.push_front({Shared::Job::Kind::Cancel, {}, {}});
    shared_->changed.notify_all();
}

void SpeechDispatcherVoice::Configure(const formulaspeech::VoiceSettings& settings) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->settings == settings) return;
    shared_->settings = settings;
    shared_->settingsChanged = true;
}

void SpeechDispatcherVoice::ListVoices(VoicesReady ready) {
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->stuck) {
            shared_->jobs.push_back({Shared::Job::Kind::List, {}, std::move(ready)});
            shared_->changed.notify_all();
            return;
        }
    }
    ready({}, kNoAnswer);
}

void SpeechDispatcherVoice::SetListener(Listener listener) {
    std::lock_guard lock(shared_->mutex);
    shared_->listener = std::move(listener);
}
