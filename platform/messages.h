#pragma once
// The message seam: every message box, Yes/No question and input box of the system goes
// through here. The GUI installs a sink that shows dialogs, the command-line tools one that
// writes to the terminal, and tests one that records and answers from a script.
// Texts crossing the seam are UTF-8.
#include <optional>
#include <string>

namespace messages {

class Sink {
public:
    virtual ~Sink() = default;
    // An information message; the caller goes on when it returns.
    virtual void Show(const std::string& text) = 0;
    // An information message that the desktop marks with the information icon; a sink that
    // has no icons shows it as any other message.
    virtual void ShowInformation(const std::string& text) { Show(text); }
    // A message that reports a failure (a file that cannot be written, a folder that is
    // gone); the desktop marks it with the warning icon. A sink that has no icons shows it as
    // any other message.
    virtual void ShowWarning(const std::string& text) { Show(text); }
    // A Yes/No question; true for Yes. Enter answers Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& question) = 0;
    // A Yes/No question whose Yes throws work away (an edited text, a file on disk): Enter
    // and Esc both answer No, so that a key pressed in haste keeps the work. A sink that has
    // no default answer asks it as any other question.
    virtual bool AskDiscard(const std::string& caption, const std::string& question) {
        return AskYesNo(caption, question);
    }
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                               const std::string& initial) = 0;
};

// A sink that shows nothing, answers No and cancels input: for batch runs that must not stop.
class SilentSink final : public Sink {
public:
    void Show(const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

// Installs the sink used from now on (nullptr: the default, which writes to standard error,
// answers No and cancels input). The caller keeps ownership; returns the previous sink.
Sink* Install(Sink* sink);

void Show(const std::string& text);
void ShowInformation(const std::string& text);
void ShowWarning(const std::string& text);
bool AskYesNo(const std::string& caption, const std::string& question);
bool AskDiscard(const std::string& caption, const std::string& question);
std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                   const std::string& initial = {});

}  // namespace messages
