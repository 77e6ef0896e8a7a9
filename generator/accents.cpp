#include <array>
#include <cstdint>
#include <cstring>

#include "generator/run.h"
#include "generator/generator.h"

namespace pagegen {
namespace {

// The 27 accented letters of Portuguese and their entities, by Windows-1252 code. The table
// is built by the compiler, so it exists before any code runs.
constexpr std::array<const char*, 256> buildAccentTable() {
    std::array<const char*, 256> t{};
    t[225] = "&aacute;"; t[233] = "&eacute;"; t[237] = "&iacute;"; t[243] = "&oacute;";
    t[250] = "&uacute;"; t[226] = "&acirc;";  t[234] = "&ecirc;";  t[244] = "&ocirc;";
    t[227] = "&atilde;"; t[245] = "&otilde;"; t[224] = "&agrave;"; t[242] = "&ograve;";
    t[252] = "&uuml;";   t[231] = "&ccedil;";
    t[193] = "&Aacute;"; t[201] = "&Eacute;"; t[205] = "&Iacute;"; t[211] = "&Oacute;";
    t[218] = "&Uacute;"; t[194] = "&Acirc;";  t[202] = "&Ecirc;";  t[212] = "&Ocirc;";
    t[195] = "&Atilde;"; t[213] = "&Otilde;"; t[192] = "&Agrave;"; t[220] = "&Uuml;";
    t[199] = "&Ccedil;";
    return t;
}

constexpr std::array<const char*, 256> kAccentTable = buildAccentTable();

// The first byte from p on that is not plain ASCII, or end.
const char* firstHighByte(const char* p, const char* end) {
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & kHighBits) break;
        p += 8;
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    return p;
}

}  // namespace

const char* AccentEntity(unsigned char byte) { return kAccentTable[byte]; }

void AppendAccents(std::string& out, std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        // Copy the run of bytes that need no entity in one go; all accented letters are
        // above 0x7F, so plain ASCII is passed over eight bytes at a time.
        const char* run = p;
        for (;;) {
            p = firstHighByte(p, end);
            if (p == end || kAccentTable[static_cast<unsigned char>(*p)] != nullptr) break;
            ++p;
        }
        out.append(run, static_cast<size_t>(p - run));
        if (p < end) {
            out.append(kAccentTable[static_cast<unsigned char>(*p)]);
            ++p;
        }
    }
}

std::string TranslateAccents(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendAccents(out, text);
    return out;
}

}  // namespace pagegen
