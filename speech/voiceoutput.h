#pragma once
// The seam between the speech module and the voice that speaks: the program's voice is a
// SpeechDispatcherVoice; tests put a recorder in its place.
#include <functional>
#include <string>
#include <vector>

namespace formulaspeech {

// How the voice sounds. Rate, pitch and volume are on the speech service's scale, -100 to 100.
struct VoiceSettings {
    std::string voice;  // a synthesis voice's name (UTF-8); empty: the service's own choice
    int rate = 0;
    int pitch = 0;
    int volume = 100;
    bool operator==(const VoiceSettings&) const = default;
};

class VoiceOutput {
public:
    // The names of the service's voices for the program's language (UTF-8), or an error text
    // (UTF-8) with no names when the service cannot be asked.
    using VoicesReady = std::function<void(std::vector<std::string> names, std::string error)>;

    virtual ~VoiceOutput() = default;
    // Hands text (Windows-1252, possibly holding tags) over to be spoken after whatever was
    // handed over before, and returns at once. Errors are reported by the voice itself.
    virtual void Speak(const std::string& cp1252Text) = 0;
    // Silences the program's own speech: the text being spoken and every one handed over and
    // not yet spoken. Speech of other programs (the screen reader's) goes on. Returns at once.
    virtual void Cancel() = 0;
    // Every text handed over from now on is spoken with these settings. Returns at once.
    virtual void Configure(const VoiceSettings& settings) = 0;
    // Asks the service for its voices and returns at once; ready runs later, on some thread.
    virtual void ListVoices(VoicesReady ready) = 0;
};

}  // namespace formulaspeech
