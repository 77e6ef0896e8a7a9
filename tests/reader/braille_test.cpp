// The braille of formulas: the examples table, the catalogue, hostile input and the embosser's
// ASCII braille.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>
#include <string>

#include "reader/braille.h"
#include "reader/symbols.h"
#include "tables.h"

namespace {

using readertest::TableRow;

std::string unescapeLines(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::set<std::string> codeFamilies() {
    std::set<std::string> families;
    for (const TableRow& r : readertest::ReadTable(std::string(READER_SOURCE_DIR) + "/words/braille.tsv", "braille.tsv"))
        if (r.fields.size() >= 3) families.insert(r.fields[2]);
    return families;
}

TEST(Braille, Examples) {
    const auto rows = readertest::ReadTable(std::string(READER_TEST_DATA) + "/braille.tsv", "braille.tsv");
    const std::set<std::string> families = codeFamilies();
    std::set<std::string> formulas;
    for (const TableRow& r : rows) {
        ASSERT_EQ(r.fields.size(), 3u) << r.file << ":" << r.line;
        EXPECT_TRUE(formulas.insert(r.fields[0]).second) << r.file << ":" << r.line << ": a formula twice";
        EXPECT_TRUE(families.count(r.fields[2])) << r.file << ":" << r.line << ": no family of the code \"" << r.fields[2] << "\"";
        const reader::BrailleText b = reader::FormulaToBraille(r.fields[0]);
        EXPECT_EQ(b.cells, unescapeLines(r.fields[1])) << r.file << ":" << r.line << ": " << r.fields[0];
        // A sign without cells is listed, and only then marked.
        EXPECT_EQ(!b.uncovered.empty(), r.fields[2] == "sinais não cobertos") << r.file << ":" << r.line;
    }
    EXPECT_GE(rows.size(), 150u);
}

TEST(Braille, EveryCatalogueFormulaIsCovered) {
    for (const TableRow& r : readertest::CatalogueRows()) {
        const reader::BrailleText b = reader::FormulaToBraille(readertest::FormulaOf(r));
        EXPECT_TRUE(b.uncovered.empty()) << r.file << ":" << r.line << ": " << readertest::FormulaOf(r) << ": " << b.uncovered.front();
        EXPECT_FALSE(b.cells.empty()) << r.file << ":" << r.line;
    }
}

// Every spelling of the symbol table, alone, is written with cells: none is left to the marker
// of a sign the code does not cover.
TEST(Braille, EverySpellingHasCells) {
    std::set<std::string> found;
    for (std::size_t i = 0; i < reader::SymbolCount(); ++i) {
        const std::string spelling(reader::SymbolInput(i));
        const reader::Symbol* s = reader::MatchSymbol(spelling + "(");
        ASSERT_NE(s, nullptr) << spelling;
        if (s->kind == reader::SymbolKind::Text || s->kind == reader::SymbolKind::Space) continue;
        const std::string formula = s->kind == reader::SymbolKind::Unary ? spelling + " x"
                                    : s->kind == reader::SymbolKind::Binary ? spelling + "(x)(y)"
                                                                            : "x " + spelling + " y";
        for (const std::string& u : reader::FormulaToBraille(formula).uncovered) found.insert(u);
    }
    EXPECT_EQ(found, std::set<std::string>{});
}

// Hostile formulas: long, deeply nested, any bytes. Each is translated quickly, and the cells
// grow at most linearly with the formula (a slip's words are spelled after each slip).
TEST(Braille, HostileInputIsBounded) {
    std::vector<std::string> inputs = {
        std::string(10000, '('), std::string(10000, '|'), std::string(65536, '9'),
        std::string(65536, 'x'), std::string("x") + std::string(65535, '\0'), std::string(65536, '/'),
    };
    std::string nested, powers, roots, fractions, mixed;
    for (int i = 0; i < 4000; ++i) {
        nested += "sqrt(";
        powers += "x^";
        roots += "root(";
        fractions += "1/";
    }
    for (int i = 0; i < 2000; ++i) mixed += "[(1,2),(3,4)] |><| \"a\" {:sen 2x:} ";
    // Closing brackets never opened: each one's slip is spelled after it (found by fuzzing).
    inputs.insert(inputs.end(), {nested, powers, roots, fractions, mixed.substr(0, 65536), "\rx" + std::string(80, ')') + "\x13^",
                                 std::string(65536, ')')});
    std::mt19937 random(31);
    for (int n = 0; n < 20; ++n) {
        std::string bytes(65536, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        inputs.push_back(bytes);
    }
    for (const std::string& in : inputs) {
        const auto start = std::chrono::steady_clock::now();
        const reader::BrailleText b = reader::FormulaToBraille(in);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << in.substr(0, 40);
        EXPECT_LE(b.cells.size(), 256 * in.size() + 1024) << in.substr(0, 40);
        std::size_t typed = 0;
        for (const std::string& u : b.uncovered) typed += u.size();
        EXPECT_LE(typed, in.size()) << in.substr(0, 40);
    }
}

// The embosser's ASCII braille: every cell has its one character and back.
TEST(Braille, AsciiBrailleRoundTrip) {
    std::string all;
    for (char32_t cp = 0x2800; cp < 0x2840; ++cp) {
        all += static_cast<char>(0xE2);
        all += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        all += static_cast<char>(0x80 | (cp & 0x3F));
    }
    const std::string ascii = reader::BrailleToAscii(all);
    ASSERT_EQ(ascii.size(), 64u);
    EXPECT_EQ(std::set<char>(ascii.begin(), ascii.end()).size(), 64u);
    EXPECT_EQ(reader::AsciiToBraille(ascii), all);
    EXPECT_EQ(reader::BrailleToAscii("⠼⠁⠃\n⠨⠁x"), "#AB\n.A?");
    EXPECT_EQ(reader::AsciiToBraille("#ab"), "⠼⠁⠃");
}

}  // namespace
