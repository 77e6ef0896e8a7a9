#include "speech/speechsettings.h"

#include <algorithm>

#include "platform/codepage.h"
#include "settings/settings.h"

namespace speechsettings {

using settings::ReadLevel;


Verbosity ParseVerbosity(std::string_view name, Verbosity fallback) {
    // Without regard to letter case, as the settings file's other words are read.
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (Verbosity v : {Verbosity::Breve, Verbosity::Normal, Verbosity::Detalhada}) {
        const std::string_view known = VerbosityName(v);
        if (name.size() == known.size() && std::equal(name.begin(), name.end(), known.begin(),
                                                      [&](char a, char b) { return lower(a) == b; }))
            return v;
    }
    return fallback;
}

SpeechSettings Read(const std::string& file) {
    const SpeechSettings defaults;
    SpeechSettings s;
    s.autoConnect = settings::ReadFlag(file, settings::kAutoConnectKey).value_or(defaults.autoConnect);
    // Voice names are plain ASCII in practice; one that is not is kept as the file holds it.
    s.voice.voice = codepage::Cp1252ToUtf8(settings::ReadText(file, settings::kVoiceKey));
    s.voice.rate = ReadLevel(file, settings::kRateKey, defaults.voice.rate);
    s.voice.pitch = ReadLevel(file, settings::kPitchKey, defaults.voice.pitch);
    s.voice.volume = ReadLevel(file, settings::kVolumeKey, defaults.voice.volume);
    s.verbosity = ParseVerbosity(settings::ReadText(file, settings::kVerbosityKey), defaults.verbosity);
    return s;
}

bool Write(const std::string& file, const SpeechSettings& s) {
    const std::pair<const char*, std::string> values[] = {
        {settings::kAutoConnectKey, s.autoConnect ? "1" : "0"},
        {settings::kVoiceKey, codepage::Utf8ToCp1252(s.voice.voice)},
        {settings::kRateKey, std::to_string(s.voice.rate)},
        {settings::kPitchKey, std::to_string(s.voice.pitch)},
        {settings::kVolumeKey, std::to_string(s.voice.volume)},
        {settings::kVerbosityKey, VerbosityName(s.verbosity)},
    };
    bool written = true;
    for (const auto& [key, value] : values) written = settings::WriteText(file, key, value) && written;
    return written;
}

}  // namespace speechsettings
