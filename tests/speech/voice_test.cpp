// The voice against a real speech-dispatcher that the test starts with a private
// configuration and runtime folder, writing its audio to a raw file; and against services that
// cannot be reached or never answer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "speech/speechdispatchervoice.h"
#include "test_server.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Event = SpeechDispatcherVoice::Event;

namespace {

std::string TempFolder() {
    char pattern[] = "/tmp/velloq-voice-XXXXXX";
    return mkdtemp(pattern);
}

// A speech-dispatcher of the test's own, killed by its pid at the end.
class SpeechService {
public:
    SpeechService() : folder_(TempFolder()) {
        fs::create_directories(folder_ + "/config/speech-dispatcher");
        fs::create_directories(folder_ + "/run");
        fs::create_directories(folder_ + "/log");
        std::ofstream(folder_ + "/config/speech-dispatcher/speechd.conf")
            << "AudioOutputMethod \"alsa\"\n"
            << "AudioALSADevice \"file:'" << audio() << "',raw\"\n"
            << "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
            << "DefaultModule espeak-ng\n"
            << "DefaultLanguage \"pt-BR\"\n"
            << "LogLevel 1\n";
        const std::string config = folder_ + "/config/speech-dispatcher";
        const std::string pidFile = folder_ + "/run/speechd.pid";
        const std::string logs = folder_ + "/log";
        pid_ = fork();
        if (pid_ == 0) {
            setenv("XDG_RUNTIME_DIR", (folder_ + "/run").c_str(), 1);
            setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            // -s: stays in the foreground, so the pid is the service's; -t: ends by itself
            // when left without clients.
            execlp("speech-dispatcher", "speech-dispatcher", "-s", "-t", "30", "-C", config.c_str(),
                   "-S", socket().c_str(), "-P", pidFile.c_str(), "-L", logs.c_str(), nullptr);
            _exit(127);
        }
        // The socket file appears at bind, before the service listens: ready means a connection
        // is accepted.
        ready_ = pid_ > 0 && speechtest::Eventually([&] { return Accepts() || Exited(); }, 15000) && !Exited();
    }
    ~SpeechService() {
        if (pid_ > 0 && !Exited()) {
            kill(pid_, SIGTERM);  // lets it end its output module
            if (!speechtest::Eventually([&] { return Exited(); }, 2000)) {
                kill(pid_, SIGKILL);  // a stuck service ignores SIGTERM
                waitpid(pid_, nullptr, 0);
            }
        }
        fs::remove_all(folder_);
    }
    bool ready() const { return ready_; }
    std::string socket() const { return folder_ + "/run/speechd.sock"; }
    std::string audio() const { return folder_ + "/out.raw"; }

    // The audio file's size once it has stopped growing.
    std::uintmax_t SettledAudioSize() const {
        std::uintmax_t last = Size();
        for (int i = 0; i < 50; ++i) {
            std::this_thread::sleep_for(100ms);
            const std::uintmax_t now = Size();
            if (now == last && i >= 2) break;
            last = now;
        }
        return last;
    }

private:
    bool Accepts() const {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = socket();
        if (path.size() >= sizeof address.sun_path) {
            close(fd);
            return false;
        }
        std::copy(path.begin(), path.end(), address.sun_path);
        const bool accepted = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        return accepted;
    }
    std::uintmax_t Size() const {
        std::error_code error;
        const auto size = fs::file_size(audio(), error);
        return error ? 0 : size;
    }
    bool Exited() {
        if (exited_) return true;
        exited_ = waitpid(pid_, nullptr, WNOHANG) == pid_;
        return exited_;
    }

    std::string folder_;
    pid_t pid_ = -1;
    bool exited_ = false;
    bool ready_ = false;
};

using Events = std::vector<std::pair<Event, long>>;

std::vector<long> Ids(const Events& events, Event e) {
    std::vector<long> ids;
    for (const auto& [event, id] : events)
        if (event == e) ids.push_back(id);
    return ids;
}
std::size_t Position(const Events& events, Event e, long id) {
    return static_cast<std::size_t>(std::find(events.begin(), events.end(), std::pair{e, id}) - events.begin());
}
bool Has(const Events& events, Event e, long id) { return Position(events, e, id) < events.size(); }

// What a voice did: its events in order, and the errors it reported.
class Recorder {
public:
    void Attach(SpeechDispatcherVoice& voice) {
        voice.SetListener([this](Event e, long id) {
            std::lock_guard lock(mutex_);
            events_.emplace_back(e, id);
            changed_.notify_all();
        });
    }
    SpeechDispatcherVoice::ErrorReport Report() {
        return [this](const std::string& message) {
            std::lock_guard lock(mutex_);
            errors_.push_back(message);
            changed_.notify_all();
        };
    }
    // Waits up to 20 s for condition over the events and errors so far.
    bool Wait(const std::function<bool(const Events&, const std::vector<std::string>&)>& condition) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [&] { return condition(events_, errors_); });
    }
    Events Snapshot() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<std::string> Errors() {
        std::lock_guard lock(mutex_);
        return errors_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Events events_;
    std::vector<std::string> errors_;
};

class VoiceWithServiceTest : public testing::Test {
protected:
    static void SetUpTestSuite() { service = new SpeechService; }
    static void TearDownTestSuite() {
        delete service;
        service = nullptr;
    }
    void SetUp() override {
        if (!service->ready()) GTEST_SKIP() << "speech-dispatcher could not be started here";
        voice = std::make_unique<SpeechDispatcherVoice>(
            SpeechDispatcherVoiceOptions{.socketPath = service->socket(), .autospawn = false, .timeout = 10s},
            recorder.Report());
        recorder.Attach(*voice);
    }
    // Speaks text and waits for its end; the audio it made, in bytes.
    std::uintmax_t AudioOf(const std::string& text) {
        const std::uintmax_t before = service->SettledAudioSize();
        const std::size_t before_ids = Ids(recorder.Snapshot(), Event::Accepted).size();
        voice->Speak(text);
        EXPECT_TRUE(recorder.Wait([&](const Events& events, const auto& errors) {
            const auto accepted = Ids(events, Event::Accepted);
            return !errors.empty() ||
                   (accepted.size() > before_ids && Has(events, Event::End, accepted.back()));
        }));
        return service->SettledAudioSize() - before;
    }

    static SpeechService* service;
    Recorder recorder;
    std::unique_ptr<SpeechDispatcherVoice> voice;
};

SpeechService* VoiceWithServiceTest::service = nullptr;

TEST_F(VoiceWithServiceTest, ATextIsAcceptedAndSpokenFromBeginToEnd) {
    voice->Speak(" Ol\xE1, fun\xE7\xE3o");
    ASSERT_TRUE(recorder.Wait([&](const Events& events, const auto& errors) {
        const auto accepted = Ids(events, Event::Accepted);
        return !errors.empty() || (accepted.size() == 1 && Has(events, Event::End, accepted[0]));
    }));
    ASSERT_TRUE(recorder.Errors().empty()) << recorder.Errors()[0];
    const Events events = recorder.Snapshot();
    const long id = Ids(events, Event::Accepted)[0];
    EXPECT_LT(Position(events, Event::Begin, id), Position(events, Event::End, id));
    EXPECT_TRUE(Ids(events, Event::Cancel).empty());
    EXPECT_GT(service->SettledAudioSize(), 0u);
    EXPECT_TRUE(recorder.Errors().empty());
}

// Texts handed over one after the other queue up: none cuts the one before it short.
TEST_F(VoiceWithServiceTest, TwoTextsAreBothSpokenInOrder) {
    voice->Speak("primeiro texto, bem comprido, para ainda estar falando");
    voice->Speak("segundo texto");
    ASSERT_TRUE(recorder.Wait([&](const Events& events, const auto& errors) {
        const auto accepted = Ids(events, Event::Accepted);
        return !errors.empty() || (accepted.size() == 2 && Has(events, Event::End, accepted[1]));
    }));
    ASSERT_TRUE(recorder.Errors().empty()) << recorder.Errors()[0];
    const Events events = recorder.Snapshot();
    const auto ids = Ids(events, Event::Accepted);
    EXPECT_TRUE(Ids(events, Event::Cancel).empty());
    ASSERT_TRUE(Has(events, Event::End, ids[0]));
    EXPECT_LT(Position(events, Event::Begin, ids[0]), Position(events, Event::End, ids[0]));
    EXPECT_LT(Position(events, Event::End, ids[0]), Position(events, Event::Begin, ids[1]));
    EXPECT_LT(Position(events, Event::Begin, ids[1]), Position(events, Event::End, ids[1]));
}

// Cancel silences the voice's own speech: the text being spoken ends cancelled, the one queued
// behind it never plays, and a text handed over afterwards is spoken.
TEST_F(VoiceWithServiceTest, CancelSilencesThePlayingTextAndTheQueuedOne) {
    std::string longText;
    for (int i = 0; i < 20; ++i) longText += "um texto bem comprido, para ainda estar falando. ";
    voice->Speak(longText);
    voice->Speak("segundo texto, que nunca deve tocar");
    ASSERT_TRUE(recorder.Wait([&](const Events& events, const auto& errors) {
        const auto accepted = Ids(events, Event::Accepted);
        return !errors.empty() || (!accepted.empty() && Has(events, Event::Begin, accepted[0]));
    }));
    const long first = Ids(recorder.Snapshot(), Event::Accepted)[0];
    voice->Cancel();
    voice->Speak("terceiro");
    ASSERT_TRUE(recorder.Wait([&](const Events& events, const auto& errors) {
        const auto accepted = Ids(events, Event::Accepted);
        return !errors.empty() || (Has(events, Event::Cancel, first) && accepted.back() != first &&
                                   Has(events, Event::End, accepted.back()));
    }));
    ASSERT_TRUE(recorder.Errors().empty()) << recorder.Errors()[0];
    const Events events = recorder.Snapshot();
    const auto accepted = Ids(events, Event::Accepted);
    EXPECT_FALSE(Has(events, Event::End, first));
    for (const long id : accepted) {
        if (id == first || id == accepted.back()) continue;
        EXPECT_FALSE(Has(events, Event::Begin, id)) << id;
    }
    EXPECT_TRUE(Has(events, Event::Begin, accepted.back()));
}

// Tags are markup, not words: the tagged text makes no more audio than the same words alone
// (read out, the tags would nearly double it).
TEST_F(VoiceWithServiceTest, TagsAreNotReadOut) {
    const std::uintmax_t plain = AudioOf("um dois tr\xEAs quatro");
    const std::uintmax_t tagged = AudioOf(
        "<b>um</b> dois <mark name=\"m1\"/>tr\xEAs <span class=\"x\">quatro</span><emphasis>");
    ASSERT_GT(plain, 0u);
    EXPECT_LE(tagged, plain + plain / 8) << "plain " << plain << ", tagged " << tagged;
    EXPECT_TRUE(recorder.Errors().empty());
}

TEST(Voice, AServiceThatCannotBeReachedIsReported) {
    const std::string folder = TempFolder();
    Recorder recorder;
    {
        SpeechDispatcherVoice voice(SpeechDispatcherVoiceOptions{.socketPath = folder + "/nenhum.sock", .autospawn = false},
                       recorder.Report());
        voice.Speak("texto");
        ASSERT_TRUE(recorder.Wait([](const Events&, const auto& errors) { return !errors.empty(); }));
    }
    const auto errors = recorder.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with(SpeechDispatcherVoice::kUnavailable)) << errors[0];
    fs::remove_all(folder);
}

// A service that takes the connection and never answers: the caller is never held, the
// user is told once the time-out has passed, and every text handed over meanwhile is refused
// with the same message.
TEST(Voice, AServiceThatNeverAnswersIsReportedAfterTheTimeOut) {
    const std::string folder = TempFolder();
    const std::string path = folder + "/mudo.sock";
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);

    Recorder recorder;
    {
        SpeechDispatcherVoice voice(SpeechDispatcherVoiceOptions{.socketPath = path, .autospawn = false, .timeout = 300ms},
                       recorder.Report());
        voice.Speak("primeiro");
        ASSERT_TRUE(recorder.Wait([](const Events&, const auto& errors) { return !errors.empty(); }));
        voice.Speak("segundo");
        const auto errors = recorder.Errors();
        ASSERT_EQ(errors.size(), 2u);
        EXPECT_EQ(errors[0], SpeechDispatcherVoice::kNoAnswer);
        EXPECT_EQ(errors[1], SpeechDispatcherVoice::kNoAnswer);
        // Let the stuck call end, so the voice can be taken down.
        const int taken = accept(listener, nullptr, nullptr);
        if (taken >= 0) close(taken);
    }
    close(listener);
    fs::remove_all(folder);
}

}  // namespace
