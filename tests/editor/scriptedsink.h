#pragma once
// A message seam for tests: records every call and answers from a script. Warnings and
// questions that default to No are recorded as messages and questions, and listed apart too.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/messages.h"

class ScriptedSink final : public messages::Sink {
public:
    ScriptedSink() : previous_(messages::Install(this)) {}
    ~ScriptedSink() override { messages::Install(previous_); }

    void Show(const std::string& text) override { calls.push_back("Show: " + text); }
    void ShowWarning(const std::string& text) override {
        warnings.push_back(text);
        Show(text);
    }
    bool AskDiscard(const std::string& caption, const std::string& question) override {
        noByDefault.push_back(question);
        return AskYesNo(caption, question);
    }
    bool AskYesNo(const std::string&, const std::string& question) override {
        calls.push_back("AskYesNo: " + question);
        if (yesNo.empty()) return false;
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }
    std::optional<std::string> AskText(const std::string&, const std::string& prompt,
                                       const std::string&) override {
        calls.push_back("AskText: " + prompt);
        if (texts.empty()) return std::nullopt;
        std::string answer = texts.front();
        texts.pop_front();
        return answer;
    }

    std::vector<std::string> calls;
    std::deque<bool> yesNo;
    std::deque<std::string> texts;
    std::vector<std::string> warnings;     // messages shown with the warning icon
    std::vector<std::string> noByDefault;  // questions whose default answer is No

private:
    messages::Sink* previous_;
};
