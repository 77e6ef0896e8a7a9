#pragma once
// SpeechDispatcherVoice: the program's voice, over the desktop's speech service (speech-dispatcher,
// through libspeechd).
//
// Speak converts the text to SSML (ssmltext::ToSsml) and hands it to a worker thread of the
// voice's own, then returns: the caller never waits on the speech service, which can block
// for good when the audio output is stuck. The worker connects on the first text (starting the
// service when none runs), in SSML mode, in Brazilian Portuguese, and queues each text with
// message priority, so texts are spoken in the order handed over and none cuts another short.
// Cancel, Configure and ListVoices go through the same worker, in the order they were asked.
//
// Errors go to the ErrorReport given at construction, on one of the voice's threads (the
// owner moves them to where it shows messages). A text is then not spoken:
//  - the service cannot be reached:            kUnavailable followed by the service's reason;
//  - the service refuses the text:             kRefused;
//  - the service has not answered within the time-out, or still has not answered when a
//    later text is handed over:                kNoAnswer (texts waiting are dropped).
// After an error the next text connects anew.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "speech/voiceoutput.h"

struct SpeechDispatcherVoiceOptions {
    // The service's Unix socket. Empty: the desktop's own service (SPEECHD_ADDRESS, else the
    // user's runtime folder), started when none runs if autospawn is true.
    std::string socketPath;
    bool autospawn = true;
    std::string language = "pt-BR";
    // How long one call into the service may take before the voice gives it up.
    std::chrono::milliseconds timeout{3000};
};

class SpeechDispatcherVoice final : public formulaspeech::VoiceOutput {
public:
    // UTF-8 texts for the message seam.
    static constexpr const char* kUnavailable = "A voz n\u00e3o est\u00e1 dispon\u00edvel: ";
    static constexpr const char* kRefused = "A voz n\u00e3o aceitou o texto.";
    static constexpr const char* kNoAnswer =
        "O servi\u00e7o de fala n\u00e3o respondeu; o texto n\u00e3o foi falado.";
    static constexpr const char* kNoVoices = "O servi\u00e7o de fala n\u00e3o informou suas vozes.";

    enum class Event { Accepted, Begin, End, Cancel };
    using ErrorReport = std::function<void(const std::string& utf8Message)>;
    // Accepted carries the id the service gave the text; Begin, End and Cancel come from
    // the service as it speaks. Called on the voice's or libspeechd's threads.
    using Listener = std::function<void(Event, long messageId)>;

    explicit SpeechDispatcherVoice(SpeechDispatcherVoiceOptions options = {}, ErrorReport report = {});
    // Waits up to the time-out for a call into the service to return, then leaves it behind.
    ~SpeechDispatcherVoice() override;
    SpeechDispatcherVoice(const SpeechDispatcherVoice&) = delete;
    SpeechDispatcherVoice& operator=(const SpeechDispatcherVoice&) = delete;

    void Speak(const std::string& cp1252Text) override;
    // Drops the texts waiting for the worker and cancels what the service still holds of this
    // voice's connection (never another client's speech).
    void Cancel() override;
    void Configure(const formulaspeech::VoiceSettings& settings) override;
    // The voices whose language is Portuguese; ready runs on the worker thread.
    void ListVoices(VoicesReady ready) override;
    void SetListener(Listener listener);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    std::thread watchdog_;
};
