#include "platform/messages.h"

#include <iostream>

namespace messages {
namespace {

class StderrSink final : public Sink {
public:
    void Show(const std::string& text) override {
        std::string line;
        line.reserve(text.size());
        for (char c : text) line += (c == '\r') ? '\n' : c;
        std::cerr << line << '\n';
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
};

StderrSink defaultSink;
Sink* current = &defaultSink;

}  // namespace

Sink* Install(Sink* sink) {
    Sink* previous = current;
    current = sink ? sink : &defaultSink;
    return previous;
}

void Show(const std::string& text) { current->Show(text); }

void ShowInformation(const std::string& text) { current->ShowInformation(text); }

void ShowWarning(const std::string& text) { current->ShowWarning(text); }

bool AskYesNo(const std::string& caption, const std::string& question) {
    return current->AskYesNo(caption, question);
}

bool AskDiscard(const std::string& caption, const std::string& question) {
    return current->AskDiscard(caption, question);
}

std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                   const std::string& initial) {
    return current->AskText(caption, prompt, initial);
}

}  // namespace messages
