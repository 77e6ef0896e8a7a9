// Braille of any formula: only cells of the code's range and line breaks come out, the cells
// grow at most linearly with the formula, every sign without cells is typed text of the input's
// length at most, and the ASCII braille of the cells has one character a cell.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/braille.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const reader::BrailleText b = reader::FormulaToBraille(input);
    if (b.cells.size() > 256 * size + 1024) std::abort();
    std::size_t cells = 0;
    for (std::size_t i = 0; i < b.cells.size();) {
        if (b.cells[i] == '\n') {
            ++i;
            ++cells;
            continue;
        }
        const auto lead = static_cast<unsigned char>(b.cells[i]);
        const auto second = i + 1 < b.cells.size() ? static_cast<unsigned char>(b.cells[i + 1]) : 0;
        if (lead != 0xE2 || second != 0xA0 || i + 2 >= b.cells.size()) std::abort();  // U+2800 to U+283F
        i += 3;
        ++cells;
    }
    if (reader::BrailleToAscii(b.cells).size() != cells) std::abort();
    std::size_t typed = 0;
    for (const auto& sign : b.uncovered) typed += sign.size();
    if (typed > size) std::abort();
    return 0;
}
