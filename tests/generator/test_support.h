#pragma once
// Helpers shared by the generator and platform tests: scratch folders, whole-file reads and
// writes, and a message sink that records what it is given.
#include <string>
#include <vector>

#include "generator/generator.h"
#include "platform/messages.h"

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes; the process's current directory moves into it meanwhile.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previous_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Records every message; questions are answered No and input boxes cancelled.
class RecordingSink : public messages::Sink {
public:
    RecordingSink();
    ~RecordingSink() override;
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string&, const std::string& question) override {
        shown.push_back(question);
        return false;
    }
    std::optional<std::string> AskText(const std::string&, const std::string& prompt,
                                       const std::string&) override {
        shown.push_back(prompt);
        return std::nullopt;
    }
    std::vector<std::string> shown;

private:
    messages::Sink* previous_;
};

// The template, author and contact the generator tests run with.
pagegen::PageSettings& GeneratorSettings();
// Sets GeneratorSettings() to the values every test starts from.
void ResetGeneratorSettings();
// Generates the page as the editor does: with GeneratorSettings(), and the template a run used
// (a "Modelo:" line) kept for the later runs, also when the run throws.
bool Generate(const std::string& document, const std::string& page, pagegen::PageReport* report = nullptr);

}  // namespace testing_support
