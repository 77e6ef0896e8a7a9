// Settings files from fuzzed bytes: reading any key, then writing keys back, must never fail
// badly, and a value written must read back as written (blanks and quotes around it aside).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/profile.h"

namespace {

const std::string& file() {
    static const std::string name = [] {
        std::string dir = (std::filesystem::temp_directory_path() / "velloq-fuzz-ini-XXXXXX").string();
        if (!::mkdtemp(dir.data())) std::abort();
        return dir + "/velloq.ini";
    }();
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::ofstream(file(), std::ios::binary | std::ios::trunc) << input;
    // Keys and sections taken from the input itself, and the ones the program uses.
    const std::string fromInput = input.substr(0, std::min<size_t>(input.size(), 8));
    for (const char* key : {"ARQMODELO", "AUTOR", "CONTATO", "PASTAPADRAO", "arq1"}) {
        const std::string value = profile::ReadString(file(), "VELLOQ", key, "padrao");
        if (value.size() > profile::kMaxValue) std::abort();
    }
    profile::ReadString(file(), fromInput, fromInput, "");
    const std::string value = "valor " + std::to_string(size);
    if (!profile::WriteString(file(), "VELLOQ", "AUTOR", value)) std::abort();
    if (profile::ReadString(file(), "VELLOQ", "AUTOR", "") != value) std::abort();
    return 0;
}
