#pragma once
// A voice that records what it is handed, in place of SpeechDispatcherVoice; and a message sink that
// records what would be shown.
#include <mutex>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "speech/formulaspeech.h"

namespace speechtest {

class RecordingVoice final : public formulaspeech::VoiceOutput {
public:
    RecordingVoice() : previous_(formulaspeech::SetVoice(this)) {}
    ~RecordingVoice() override { formulaspeech::SetVoice(previous_); }
    void Speak(const std::string& text) override { texts.push_back(text); }
    void Cancel() override { cancelledAt.push_back(texts.size()); }
    void Configure(const formulaspeech::VoiceSettings& s) override { settings.push_back(s); }
    void ListVoices(VoicesReady ready) override { ready(voices, voicesError); }

    std::vector<std::string> texts;
    std::vector<std::size_t> cancelledAt;  // how many texts had been handed over at each Cancel
    std::vector<formulaspeech::VoiceSettings> settings;
    std::vector<std::string> voices;  // the answer to ListVoices
    std::string voicesError;

private:
    formulaspeech::VoiceOutput* previous_;
};

class RecordingSink final : public messages::Sink {
public:
    RecordingSink() : previous_(messages::Install(this)) {}
    ~RecordingSink() override { messages::Install(previous_); }
    void Show(const std::string& text) override {
        std::lock_guard lock(mutex);
        shown.push_back(text);
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::vector<std::string> Shown() {
        std::lock_guard lock(mutex);
        return shown;
    }
    std::mutex mutex;
    std::vector<std::string> shown;

private:
    messages::Sink* previous_;
};

}  // namespace speechtest
