// A whole generation run on fuzzed bytes: the input up to the first "\n%%%%\n" is the
// document, the rest the include file "inc.txt"; the template is fixed.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/uvars.h"
#include "generator/ugerahtml.h"
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
              "<<<T\xD3PICO>>>\r\n<h2>[T\xD3PICO]</h2>\r\n<<<fim>>>\r\n<<<ASSINATURA>>>\r\n[CONTATO][AUTOR]\r\n");
    return true;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)kReady;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find("\n%%%%\n");
    writeFile("doc.vloq", input.substr(0, split));
    writeFile("inc.txt", split == std::string::npos ? std::string() : input.substr(split + 6));
    uvars::TemplateFile = "modelo.mdl";  // a document's "MODELO:" line must not stick
    uvars::Author = "Autor";
    uvars::Contact = "contato";
    try {
        ugerahtml::GeneratePage("doc.vloq", "doc.htm");
    } catch (const ugerahtml::FileError&) {
        // a "%" line naming a folder ends the run with a file error: a sound outcome
    }
    return 0;
}
