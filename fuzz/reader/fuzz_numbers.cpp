// The recognizers of numbers and units on any bytes: what they match lies in the input, is
// spelled as they promise, and reads as words with no control character. Then the formula
// read with the bytes after a number, where the reader tries them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reader/reader.h"
#include "reader/symbols.h"

namespace {

bool digits(std::string_view s, bool dots) {
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (dots && c == '.'))) return false;
    return true;
}

// The view lies inside the input.
void inside(std::string_view part, std::string_view input) {
    if (part.empty()) return;
    if (part.data() < input.data() || part.data() + part.size() > input.data() + input.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const reader::NumberMatch n = reader::MatchNumber(input);
    if (n.length > input.size()) std::abort();
    if (n.length > 0) {
        if (n.integer.empty() || n.integer.front() == '.' || n.integer.back() == '.') std::abort();
        if (!digits(n.integer, true) || !digits(n.decimals, false) || !digits(n.period, false)) std::abort();
        inside(n.integer, input);
        inside(n.decimals, input);
        inside(n.period, input);
    }

    for (const bool plural : {false, true}) {
        const reader::UnitMatch u = reader::MatchUnit(input, plural);
        if (u.length > input.size() || (u.length == 0) != u.words.empty()) std::abort();
        for (char c : u.words)
            if (static_cast<unsigned char>(c) < 0x20) std::abort();
    }

    const std::string reading = reader::ReadFormula("1 " + std::string(input));
    for (char c : reading) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) std::abort();
    }
    return 0;
}
