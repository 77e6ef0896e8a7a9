#pragma once
// The speech settings kept in the program's settings file (settings/settings.h): connecting on
// demand, the voice and how it sounds, and how much the formula reading says.
#include <string>
#include <string_view>

#include "reader/verbosity.h"
#include "speech/voiceoutput.h"

namespace speechsettings {

// The formula reader's own level, kept by its name.
using reader::Verbosity;
using reader::VerbosityName;

struct SpeechSettings {
    bool autoConnect = false;
    formulaspeech::VoiceSettings voice;
    Verbosity verbosity = Verbosity::Normal;
    bool operator==(const SpeechSettings&) const = default;
};

// The verbosity of that name (as VerbosityName gives it, in any letter case); fallback for any
// other text.
Verbosity ParseVerbosity(std::string_view name, Verbosity fallback);

// The settings in file (a native path). A missing file or key, or a value out of range or not
// a number, gives that setting's default. Never fails.
SpeechSettings Read(const std::string& file);

// Writes every setting into file; false when the file cannot be written.
bool Write(const std::string& file, const SpeechSettings& settings);

}  // namespace speechsettings
