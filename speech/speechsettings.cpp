#include "speech/speechsettings.h"

#include <algorithm>
#include <charconv>

#include "platform/codepage.h"
#include "platform/profile.h"

namespace speechsettings {
namespace {

constexpr const char* kSection = "VELLOQ";
constexpr const char* kAutoConnect = "LIGARORMIVOX";
constexpr const char* kVoice = "VOZ";
constexpr const char* kRate = "VELOCIDADE";
constexpr const char* kPitch = "TOM";
constexpr const char* kVolume = "VOLUME";
constexpr const char* kVerbosity = "DETALHE";

// A whole number from -100 to 100, or fallback.
int ReadLevel(const std::string& file, const char* key, int fallback) {
    const std::string text = profile::ReadString(file, kSection, key, "");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return fallback;
    return value >= -100 && value <= 100 ? value : fallback;
}

}  // namespace

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
    const std::string on = profile::ReadString(file, kSection, kAutoConnect, "");
    s.autoConnect = on == "1" ? true : on == "0" ? false : defaults.autoConnect;
    // Voice names are plain ASCII in practice; one that is not is kept as the file holds it.
    s.voice.voice = codepage::Cp1252ToUtf8(profile::ReadString(file, kSection, kVoice, ""));
    s.voice.rate = ReadLevel(file, kRate, defaults.voice.rate);
    s.voice.pitch = ReadLevel(file, kPitch, defaults.voice.pitch);
    s.voice.volume = ReadLevel(file, kVolume, defaults.voice.volume);
    s.verbosity = ParseVerbosity(profile::ReadString(file, kSection, kVerbosity, ""), defaults.verbosity);
    return s;
}

bool Write(const std::string& file, const SpeechSettings& s) {
    const std::pair<const char*, std::string> values[] = {
        {kAutoConnect, s.autoConnect ? "1" : "0"},
        {kVoice, codepage::Utf8ToCp1252(s.voice.voice)},
        {kRate, std::to_string(s.voice.rate)},
        {kPitch, std::to_string(s.voice.pitch)},
        {kVolume, std::to_string(s.voice.volume)},
        {kVerbosity, VerbosityName(s.verbosity)},
    };
    bool written = true;
    for (const auto& [key, value] : values) written = profile::WriteString(file, kSection, key, value) && written;
    return written;
}

}  // namespace speechsettings
