// A whole generation run on fuzzed bytes: the input is cut at "\n%%%%\n" marks into the
// document, the include file "inc.txt" and the template; without a template part a fixed
// template is used, which asks for the formulas' readings.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "generator/generator.h"
#include "platform/messages.h"

namespace {

void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

const bool kReady = [] {
    static messages::SilentSink sink;
    messages::Install(&sink);
    std::string dir = (std::filesystem::temp_directory_path() / "velloq-fuzz-XXXXXX").string();
    if (!::mkdtemp(dir.data()) || ::chdir(dir.c_str()) != 0) std::abort();
    writeFile("modelo.mdl",
              "<<<CABE\xC7" "ALHO>>>\r\n<title>[T\xCDTULO]</title>[AUTOR]\r\n<<<FIM>>>\r\n"
              "<<<T\xD3PICO>>>\r\n<h2>[T\xD3PICO]</h2>\r\n<<<fim>>>\r\n<<<ASSINATURA>>>\r\n[CONTATO][AUTOR]\r\n"
              "<script type=\"application/json\">[LEITURAS]</script>\r\n");
    return true;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)kReady;
    const std::string input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kMark = "\n%%%%\n";
    const size_t first = input.find(kMark);
    const size_t second = first == std::string::npos ? first : input.find(kMark, first + kMark.size());
    writeFile("doc.vloq", input.substr(0, first));
    std::string include;
    if (first != std::string::npos)
        include = input.substr(first + kMark.size(), second == std::string::npos ? std::string::npos
                                                                                 : second - first - kMark.size());
    writeFile("inc.txt", include);
    pagegen::PageSettings settings{"modelo.mdl", "Autor", "contato"};
    if (second != std::string::npos) {
        writeFile("fuzzed.mdl", input.substr(second + kMark.size()));
        settings.templateFile = "fuzzed.mdl";
    }
    try {
        pagegen::GeneratePage("doc.vloq", "doc.htm", settings);
    } catch (const pagegen::FileError&) {
        // a "%" line naming a folder ends the run with a file error: a sound outcome
    }
    return 0;
}
