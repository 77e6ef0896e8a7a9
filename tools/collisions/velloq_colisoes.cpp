// Formulas and their readings for the collision search, one JSON array a line:
//   ["FORMULA", "BREVE", "NORMAL", "DETALHADA"]
// or, after --braille, their braille: ["FORMULA", "CELLS"].
// Usage:
//   velloq-colisoes [--braille] gerar N SEMENTE   N distinct random formulas from the seed
//   velloq-colisoes [--braille] ler               the formulas of standard input, one JSON string a line
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <unordered_set>

#include "generator.h"
#include "platform/codepage.h"
#include "reader/braille.h"
#include "reader/reader.h"

namespace {

void appendJson(std::string& out, std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

bool hex4(std::string_view s, std::size_t i, std::uint32_t& v) {
    if (i + 4 > s.size()) return false;
    const auto r = std::from_chars(s.data() + i, s.data() + i + 4, v, 16);
    return r.ec == std::errc{} && r.ptr == s.data() + i + 4;
}

// A line holding one JSON string; false when it is not one.
bool parseJsonString(std::string_view line, std::string& out) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') return false;
    out.clear();
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
        const char c = line[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= line.size() - 1) return false;  // a backslash before the closing quote
        switch (line[i]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::uint32_t cp = 0;
                if (!hex4(line, i + 1, cp)) return false;
                i += 4;
                std::uint32_t low = 0;
                if (cp >= 0xD800 && cp < 0xDC00 && line.substr(i + 1, 2) == "\\u" && hex4(line, i + 3, low) &&
                    low >= 0xDC00 && low < 0xE000) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    i += 6;
                }
                codepage::AppendUtf8(out, static_cast<char32_t>(cp));
                break;
            }
            default: return false;
        }
    }
    return true;
}

bool g_braille = false;

void writeReadings(std::string_view formula, std::string& line) {
    using reader::Verbosity;
    line.clear();
    line += '[';
    appendJson(line, formula);
    if (g_braille) {
        line += ", ";
        appendJson(line, reader::FormulaToBraille(formula).cells);
        line += "]\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        return;
    }
    for (const Verbosity level : {Verbosity::Breve, Verbosity::Normal, Verbosity::Detalhada}) {
        line += ", ";
        appendJson(line, reader::ReadFormula(formula, level));
    }
    line += "]\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

int usage() {
    std::fputs("uso: velloq-colisoes [--braille] gerar N SEMENTE | velloq-colisoes [--braille] ler\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string line;
    if (argc > 1 && std::string_view(argv[1]) == "--braille") {
        g_braille = true;
        --argc;
        ++argv;
    }
    if (argc == 4 && std::string_view(argv[1]) == "gerar") {
        std::uint64_t count = 0, seed = 0;
        const std::string_view n(argv[2]), s(argv[3]);
        if (std::from_chars(n.data(), n.data() + n.size(), count).ec != std::errc{} ||
            std::from_chars(s.data(), s.data() + s.size(), seed).ec != std::errc{})
            return usage();
        collisions::FormulaGenerator generator(seed);
        std::unordered_set<std::string> seen;
        // The space of formulas is far larger than any run; the bound only guards the loop.
        for (std::uint64_t tries = 0; seen.size() < count && tries < 100 * count + 1000; ++tries) {
            std::string formula = generator.Next();
            if (!seen.insert(formula).second) continue;
            writeReadings(formula, line);
        }
        if (seen.size() < count) {
            std::fprintf(stderr, "só %zu fórmulas distintas\n", seen.size());
            return 1;
        }
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "ler") {
        std::string input, formula;
        while (std::getline(std::cin, input)) {
            if (input.empty()) continue;
            if (!parseJsonString(input, formula)) {
                std::fprintf(stderr, "linha que não é um texto JSON: %s\n", input.c_str());
                return 1;
            }
            writeReadings(formula, line);
        }
        return 0;
    }
    return usage();
}
