#pragma once
// A message seam for tests that need to tell the kinds of message apart and see the captions:
// records "kind|caption|text" for every call and answers input boxes from a script.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/messages.h"

class RecordingSink final : public messages::Sink {
public:
    RecordingSink() : previous_(messages::Install(this)) {}
    ~RecordingSink() override { messages::Install(previous_); }

    void Show(const std::string& text) override { calls.push_back("Show||" + text); }
    void ShowInformation(const std::string& text) override { calls.push_back("Information||" + text); }
    bool AskYesNo(const std::string& caption, const std::string& question) override {
        calls.push_back("AskYesNo|" + caption + "|" + question);
        return false;
    }
    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
        calls.push_back("AskText|" + caption + "|" + prompt + "|" + initial);
        if (texts.empty()) return std::nullopt;
        std::optional<std::string> answer = texts.front();
        texts.pop_front();
        return answer;
    }

    std::vector<std::string> calls;
    std::deque<std::optional<std::string>> texts;  // nullopt answers as a cancel

private:
    messages::Sink* previous_;
};
