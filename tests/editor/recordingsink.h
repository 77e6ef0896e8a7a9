#pragma once
// A message seam for tests that tell the kinds of message apart and check captions: records
// "kind|caption|text" for every call and answers input boxes from a script (nullopt: cancel).
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
        std::optional<std::string> answer;
        if (!texts.empty()) answer = texts.front(), texts.pop_front();
        return answer;
    }

    std::vector<std::string> calls;
    std::deque<std::optional<std::string>> texts;

private:
    messages::Sink* previous_;
};
