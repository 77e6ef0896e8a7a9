// The three levels of reading, and the words that name them.
#include <gtest/gtest.h>

#include <string>

#include "reader/reader.h"
#include "tables.h"

namespace {

using reader::Verbosity;

TEST(VerbosityOption, TheLevelWordsAndNoOthers) {
    struct Case {
        const char* word;
        bool known;
        Verbosity level;
    } cases[] = {
        {"breve", true, Verbosity::Breve},   {"normal", true, Verbosity::Normal},
        {"detalhada", true, Verbosity::Detalhada}, {"", false, Verbosity::Detalhada},
        {"Breve", false, Verbosity::Detalhada}, {"detalhado", false, Verbosity::Detalhada},
    };
    for (const Case& c : cases) {
        Verbosity v = Verbosity::Detalhada;
        EXPECT_EQ(reader::ParseVerbosity(c.word, v), c.known) << c.word;
        EXPECT_EQ(v, c.level) << c.word;
    }
}

// The three levels of the same formulas: "breve" drops the end markers that nothing follows,
// "detalhada" closes even a structure of one item.
TEST(Verbosity, ThreeLevelsOfTheSameFormula) {
    struct Case {
        const char* formula;
        const char* breve;
        const char* normal;
        const char* detalhada;
    } cases[] = {
        {"(a+b)/2", "fração, numerador á mais b, denominador 2",
         "fração, numerador á mais b, denominador 2, fim da fração",
         "fração, numerador á mais b, denominador 2, fim da fração"},
        {"a/b", "á sobre b", "á sobre b", "fração, numerador á, denominador b, fim da fração"},
        {"sqrt(sqrt(x+1)+1)", "raiz quadrada de raiz quadrada de x mais 1, fim da raiz, mais 1",
         "raiz quadrada de raiz quadrada de x mais 1, fim da raiz, mais 1, fim da raiz",
         "raiz quadrada de raiz quadrada de x mais 1, fim da raiz, mais 1, fim da raiz"},
        {"x^n", "x elevado a n", "x elevado a n", "x elevado a n, fim do expoente"},
        {"x_1^2", "x índice 1 ao quadrado", "x índice 1 ao quadrado", "x índice 1, fim do índice, ao quadrado"},
        {"|x|", "módulo de x", "módulo de x", "módulo de x, fim do módulo"},
        {"x^(n+1) = 2", "x elevado a n mais 1, fim do expoente, igual a 2",
         "x elevado a n mais 1, fim do expoente, igual a 2", "x elevado a n mais 1, fim do expoente, igual a 2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reader::ReadFormula(c.formula, Verbosity::Breve), c.breve) << c.formula;
        EXPECT_EQ(reader::ReadFormula(c.formula, Verbosity::Normal), c.normal) << c.formula;
        EXPECT_EQ(reader::ReadFormula(c.formula, Verbosity::Detalhada), c.detalhada) << c.formula;
    }
}

// Over every formula of the tables: "breve" is never longer than "normal", nor "normal" than
// "detalhada"; and "breve" only ever leaves words out at the end.
TEST(Verbosity, LevelsOnlyAddWords) {
    for (const auto& rows : {readertest::ReadingRows(), readertest::CatalogueRows()}) {
        for (const auto& row : rows) {
            const std::string& formula = readertest::FormulaOf(row);
            const std::string breve = reader::ReadFormula(formula, Verbosity::Breve);
            const std::string normal = reader::ReadFormula(formula, Verbosity::Normal);
            const std::string detalhada = reader::ReadFormula(formula, Verbosity::Detalhada);
            EXPECT_EQ(normal.compare(0, breve.size(), breve), 0) << row.file << " line " << row.line;
            EXPECT_LE(normal.size(), detalhada.size()) << row.file << " line " << row.line;
        }
    }
}

}  // namespace
