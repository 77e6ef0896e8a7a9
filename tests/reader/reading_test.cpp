// The readings: the table of formulas and expected words, and the catalogue of the editor's
// formula menu, every formula of which must read with no ASCIIMath left in it.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "reader/reader.h"
#include "tables.h"

namespace {

TEST(Readings, TablesOfFormulasAndExpectedReadings) {
    const auto rows = readertest::ReadingRows();
    ASSERT_GE(rows.size(), 400u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.fields.size(), 2u) << row.file << " line " << row.line;
        EXPECT_EQ(reader::ReadFormula(row.fields[0]), row.fields[1])
            << row.file << " line " << row.line << ": " << row.fields[0];
    }
}

// ASCIIMath spellings, as its public documentation lists them, that must never be read out
// as they stand. Greek letter names are left out: Portuguese spells most of them the same.
const std::set<std::string>& asciiMathWords() {
    static const std::set<std::string> words = {
        "sqrt", "root", "frac", "stackrel", "overset", "underset", "text", "mbox", "xx", "hArr",
        "rArr", "lArr", "harr", "rarr", "larr", "uarr", "darr", "vv", "vvv", "nn", "nnn", "uu",
        "uuu", "sum", "prod", "lim", "int", "oint", "oo", "del", "grad", "vec", "bar", "hat",
        "dot", "ddot", "ul", "abs", "norm", "floor", "ceil", "sin", "cos", "tan", "sec", "csc",
        "cot", "sinh", "cosh", "tanh", "log", "ln", "exp", "det", "dim", "mod", "gcd", "lcm",
        "lub", "glb", "min", "max", "RR", "NN", "ZZ", "QQ", "CC", "AA", "EE", "in", "sub", "sup",
        "sube", "supe", "bb", "bbb", "cc", "tt", "fr", "sf", "dx", "dy", "quad", "cdots", "ldots",
        "and", "or", "not", "if", "iff", "to", "sen", "arg", "Re", "Im", "color", "cancel"};
    return words;
}

// What a reading may hold besides letters and digits: blanks and the pause marks.
bool allowedPunctuation(char c) { return c == ' ' || c == ',' || c == ';' || c == ':'; }

// The formula of each catalogue entry is read with nothing of its notation left: no
// ASCIIMath word, no operator sign, no bracket, no backquote.
TEST(Readings, EveryCatalogueFormulaReadsWithNoRawNotation) {
    const auto rows = readertest::CatalogueRows();
    ASSERT_EQ(rows.size(), 233u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.fields.size(), 3u) << "catalogue.tsv line " << row.line;
        const std::string& formula = row.fields[2];
        const std::string reading = reader::ReadFormula(formula);
        SCOPED_TRACE("catalogue.tsv line " + std::to_string(row.line) + ": " + formula +
                     "\n  read: " + reading);
        EXPECT_FALSE(reading.empty());
        for (char c : reading) {
            const auto b = static_cast<unsigned char>(c);
            const bool letterOrDigit = std::isalnum(b) || b >= 0x80;
            EXPECT_TRUE(letterOrDigit || allowedPunctuation(c)) << "character '" << c << "'";
        }
        std::istringstream words(reading);
        std::string word;
        while (words >> word) {
            while (!word.empty() && allowedPunctuation(word.back())) word.pop_back();
            EXPECT_EQ(asciiMathWords().count(word), 0u) << "raw word \"" << word << "\"";
        }
    }
}

// Mixed capitals: a capital is marked only when the same letter also stands in small.
TEST(Readings, CapitalsAreMarkedOnlyWhereTheFormulaMixesThem) {
    struct Case {
        const char* formula;
        const char* reading;
    } cases[] = {
        {"A+B", "Á mais B"},
        {"A+a", "Á maiúsculo mais á"},
        {"a+B", "á mais B"},
        {"P(A)+p", "P maiúsculo de Á mais p"},
        {"Delta", "delta maiúsculo"},
        {"Delta+delta", "delta maiúsculo mais delta"},
    };
    for (const Case& c : cases) EXPECT_EQ(reader::ReadFormula(c.formula), c.reading) << c.formula;
}

// A preposition before a set joins its article: "pertence ao", "do", "no"; a letter "a"
// before a set does not.
TEST(Readings, PrepositionsContractWithTheArticleOfASet) {
    struct Case {
        const char* formula;
        const char* reading;
    } cases[] = {
        {"x in RR", "x pertence ao conjunto dos números reais"},
        {"A = O/", "Á igual ao conjunto vazio"},
        {"f: NN -> ZZ", "f do conjunto dos números naturais no conjunto dos números inteiros"},
        {"a RR", "á conjunto dos números reais"},
        {"RR", "conjunto dos números reais"},
    };
    for (const Case& c : cases) EXPECT_EQ(reader::ReadFormula(c.formula), c.reading) << c.formula;
}

// Two formulas that differ only in structure read differently before any end marker, so
// that a listener is not misled until the end.
TEST(Readings, StructurePairsDifferBeforeTheirEndMarkers) {
    const auto withoutEnds = [](std::string r) {
        for (std::size_t at; (at = r.find(", fim d")) != std::string::npos;) {
            std::size_t stop = r.find(',', at + 2);
            r.erase(at, (stop == std::string::npos ? r.size() : stop) - at);
        }
        return r;
    };
    const auto rows = readertest::ReadTable(std::string(READER_TEST_DATA) + "/structure_pairs.tsv", "structure_pairs.tsv");
    ASSERT_GE(rows.size(), 15u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.fields.size(), 2u) << "structure_pairs.tsv line " << row.line;
        const std::string& a = row.fields[0];
        const std::string& b = row.fields[1];
        const std::string ra = withoutEnds(reader::ReadFormula(a));
        const std::string rb = withoutEnds(reader::ReadFormula(b));
        EXPECT_NE(ra, rb) << a << " and " << b << " both read \"" << ra << "\"";
        // and whole, at the shortest and the longest level
        for (const auto level : {reader::Verbosity::Breve, reader::Verbosity::Detalhada})
            EXPECT_NE(reader::ReadFormula(a, level), reader::ReadFormula(b, level)) << a << " and " << b;
    }
}

// Malformed and hostile input: each finishes and gives a reading with no control character.
TEST(Readings, PathologicalInputFinishesWithACleanReading) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b) allBytes += static_cast<char>(b);
    const std::string nested = std::string(10000, '(') + "x" + std::string(10000, ')');
    struct Case {
        std::string name, formula;
    } cases[] = {
        {"empty", ""},
        {"blanks", "   \t "},
        {"10,000 nested parentheses", nested},
        {"10,000 unclosed parentheses", std::string(10000, '(') + "x"},
        {"10,000 closing parentheses", std::string(10000, ')')},
        {"10,000 nested roots", [] { std::string s; for (int i = 0; i < 10000; ++i) s += "sqrt("; return s + "x"; }()},
        {"10,000 chained exponents", [] { std::string s; for (int i = 0; i < 10000; ++i) s += "x^"; return s; }()},
        {"10,000 bars", std::string(10000, '|')},
        {"10,000 fractions", [] { std::string s; for (int i = 0; i < 10000; ++i) s += "1/"; return s; }()},
        {"10,000 unclosed texts", [] { std::string s; for (int i = 0; i < 10000; ++i) s += "text("; return s; }()},
        {"a long line", [] { std::string s; for (int i = 0; i < 100000; ++i) s += "x_1+"; return s; }()},
        {"all byte values", allBytes},
        {"NUL bytes", std::string("x\0+\0y", 5)},
        {"malformed UTF-8", "\xC3\x28 \xE2\x82 \xF0\x9F\x98 x"},
        {"trailing caret", "x^"},
        {"trailing underscore and slash", "a_ b/"},
        {"lone backquote", "`"},
        {"unmatched quote", "\"abc"},
        {"binary operators without operands", "frac root stackrel color"},
        {"a probability's bracket ending in a bar", "P(bar - P= 1 - P("},
        {"a probability's bracket of bars alone", "P(|) + P(||) + bar A nn B"},
    };
    for (const Case& c : cases) {
        const std::string reading = reader::ReadFormula(c.formula);
        for (char ch : reading) {
            const auto b = static_cast<unsigned char>(ch);
            ASSERT_TRUE(b >= 0x20 && b != 0x7F) << c.name;
        }
    }
}

}  // namespace
