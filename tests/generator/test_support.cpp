#include "tests/generator/test_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>


namespace testing_support {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velloq-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

RecordingSink::RecordingSink() : previous_(messages::Install(this)) {}
RecordingSink::~RecordingSink() { messages::Install(previous_); }

pagegen::PageSettings& GeneratorSettings() {
    static pagegen::PageSettings settings;
    return settings;
}

void ResetGeneratorSettings() { GeneratorSettings() = {"modelo.mdl", "Fulano de Tal", "fulano@exemplo.com.br"}; }

bool Generate(const std::string& document, const std::string& page, pagegen::PageReport* report) {
    pagegen::PageReport own;
    if (!report) report = &own;
    struct KeepTemplate {
        const pagegen::PageReport& report;
        ~KeepTemplate() {
            if (!report.templateFile.empty()) GeneratorSettings().templateFile = report.templateFile;
        }
    } keep{*report};
    return pagegen::GeneratePage(document, page, GeneratorSettings(), report);
}

}  // namespace testing_support
