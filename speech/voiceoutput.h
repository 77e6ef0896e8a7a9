#pragma once
// The seam between the speech module and the voice that speaks: the program's voice is a
// TSpVoice; tests put a recorder in its place.
#include <string>

namespace ormivox {

class VoiceOutput {
public:
    virtual ~VoiceOutput() = default;
    // Hands text (Windows-1252, possibly holding tags) over to be spoken after whatever was
    // handed over before, and returns at once. Errors are reported by the voice itself.
    virtual void Speak(const std::string& cp1252Text) = 0;
};

}  // namespace ormivox
