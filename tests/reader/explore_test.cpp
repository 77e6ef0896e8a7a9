// Walking a formula: its pieces, their text in the formula, their roles, their links, and
// each piece read alone.
#include <gtest/gtest.h>

#include <string>

#include "reader/explore.h"
#include "tables.h"

namespace {

using reader::Verbosity;

// The tree as text: each piece's role (when it has one) and its text in the formula, its
// children in brackets after it, followed through firstChild and nextSibling.
std::string outline(const reader::Exploration& e, std::string_view text, std::int32_t p) {
    const reader::Piece& piece = e.pieces[static_cast<std::size_t>(p)];
    std::string s = piece.role.empty() ? "" : piece.role + ":";
    s += text.substr(piece.begin, piece.end - piece.begin);
    if (piece.firstChild < 0) return s;
    s += " [";
    for (std::int32_t c = piece.firstChild; c >= 0; c = e.pieces[static_cast<std::size_t>(c)].nextSibling) {
        if (c != piece.firstChild) s += " | ";
        s += outline(e, text, c);
    }
    return s + "]";
}

TEST(Explore, PiecesRolesAndRanges) {
    struct Case {
        const char* formula;
        const char* tree;
    } cases[] = {
        {"x", "x"},
        {"sqrt(x+1)+1", "sqrt(x+1)+1 [termo 1 de 2:sqrt(x+1) [radicando:(x+1) [termo 1 de 2:x | termo 2 de 2:+1]] | termo 2 de 2:+1]"},
        {"sqrt(x)", "sqrt(x) [radicando:x]"},
        {"(a+b)/(2c)", "(a+b)/(2c) [numerador:(a+b) [termo 1 de 2:a | termo 2 de 2:+b] | denominador:(2c) [2 | c]]"},
        {"frac(1)(x^2)", "frac(1)(x^2) [numerador:1 | denominador:x^2 [base:x | expoente:2]]"},
        {"root(3)(x)", "root(3)(x) [índice:3 | radicando:x]"},
        {"x_1^(n+1)", "x_1^(n+1) [base:x | índice:1 | expoente:(n+1) [termo 1 de 2:n | termo 2 de 2:+1]]"},
        {"sum_(k=1)^n k", "sum_(k=1)^n k [sum_(k=1)^n [base:sum | limite inferior:(k=1) [primeiro membro:k | = | segundo membro:1] | limite superior:n] | k]"},
        {"sin(x+y)", "sin(x+y) [argumento:(x+y) [termo 1 de 2:x | termo 2 de 2:+y]]"},
        {"cos x", "cos x [argumento:x]"},
        {"[(1,2),(3,4)]", "[(1,2),(3,4)] [linha 1 da matriz:1,2 [coluna 1:1 | coluna 2:2] | "
                          "linha 2 da matriz:3,4 [coluna 1:3 | coluna 2:4]]"},
        {"[(a+1,b),(c,d)]", "[(a+1,b),(c,d)] [linha 1 da matriz:a+1,b [coluna 1:a+1 [a | + | 1] | coluna 2:b] | "
                            "linha 2 da matriz:c,d [coluna 1:c | coluna 2:d]]"},
        {"{(x+y=1),(x-y=2):}", "{(x+y=1),(x-y=2):} [equação 1:x+y=1 [x | + | y | = | 1] | "
                               "equação 2:x-y=2 [x | - | y | = | 2]]"},
        {"  a  +  b ", "  a  +  b  [termo 1 de 2:a | termo 2 de 2:+  b]"},                       // blanks outside pieces
        {"x &#8804; 2", "x &#8804; 2 [primeiro membro:x | &#8804; | segundo membro:2]"},             // ranges in the text as given
        {"&#945;^2", "&#945;^2 [base:&#945; | expoente:2]"},
        {"\"área\" + 1", "\"área\" + 1 [termo 1 de 2:\"área\" | termo 2 de 2:+ 1]"},
        {"x^2 quad y", "x^2 quad y [x^2 [base:x | expoente:2] | y]"},  // a space is no piece
        {"|x-1|", "|x-1| [termo 1 de 2:x | termo 2 de 2:-1]"},
        {"x^2 - 5x + 6 = 0", "x^2 - 5x + 6 = 0 [primeiro membro:x^2 - 5x + 6 [termo 1 de 3:x^2 [base:x | expoente:2] | "
                             "termo 2 de 3:- 5x [- | 5 | x] | termo 3 de 3:+ 6] | = | segundo membro:0]"},
        {"a < b < c", "a < b < c [primeiro membro:a | < | segundo membro:b | < | terceiro membro:c]"},
        {"-a-b", "-a-b [termo 1 de 2:-a | termo 2 de 2:-b]"},
        {"2 - -3", "2 - -3 [termo 1 de 2:2 | termo 2 de 2:- -3 [- | - | 3]]"},
        {"x -= 1 mod 3", "x -= 1 mod 3 [primeiro membro:x | -= | segundo membro:1 mod 3 [1 | mod | 3]]"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const auto e = reader::Explore(c.formula);
        EXPECT_EQ(outline(e, c.formula, 0), c.tree) << c.formula;
    }
}

// Over every formula of the tables and some hostile input: the links agree, every piece lies in
// its parent and after its previous sibling, its text has no blank at either end, it reads as
// something, and the whole reads as the formula does at every level.
TEST(Explore, LinksRangesAndReadingsAgreeOverTheTables) {
    std::vector<std::string> formulas = {std::string(200, '(') + "x", "x^^^", "|||", "`", "\xff\xfe",
                                         "sqrt", "frac(a)", "&#;&#x110000;&amp", "(1,2),(3,4)"};
    for (const auto& rows : {readertest::ReadingRows(), readertest::CatalogueRows()})
        for (const auto& row : rows) formulas.push_back(readertest::FormulaOf(row));
    for (const std::string& f : formulas) {
        SCOPED_TRACE(f);
        const auto e = reader::Explore(f);
        ASSERT_FALSE(e.pieces.empty());
        EXPECT_EQ(e.pieces[0].begin, 0u);
        EXPECT_EQ(e.pieces[0].end, f.size());
        for (const Verbosity v : {Verbosity::Breve, Verbosity::Normal, Verbosity::Detalhada})
            EXPECT_EQ(reader::ReadPiece(e, 0, v), reader::ReadFormula(f, v));
        for (std::size_t p = 1; p < e.pieces.size(); ++p) {
            const auto& piece = e.pieces[p];
            const auto& parent = e.pieces[static_cast<std::size_t>(piece.parent)];
            ASSERT_GE(piece.parent, 0);
            ASSERT_LT(static_cast<std::size_t>(piece.parent), p);
            EXPECT_LT(piece.begin, piece.end) << p;
            EXPECT_GE(piece.begin, parent.begin) << p;
            EXPECT_LE(piece.end, parent.end) << p;
            EXPECT_NE(f[piece.begin], ' ') << p;
            EXPECT_NE(f[piece.end - 1], ' ') << p;
            if (piece.previousSibling < 0) {
                EXPECT_EQ(parent.firstChild, static_cast<std::int32_t>(p));
            } else {
                const auto& before = e.pieces[static_cast<std::size_t>(piece.previousSibling)];
                EXPECT_EQ(before.nextSibling, static_cast<std::int32_t>(p));
                EXPECT_LE(before.end, piece.begin) << p;
            }
            EXPECT_FALSE(reader::ReadPiece(e, static_cast<std::int32_t>(p), Verbosity::Normal).empty()) << p;
        }
    }
}

// A piece read alone says what it says inside the whole reading.
TEST(Explore, APieceReadAloneIsPartOfTheWholeReading) {
    struct Case {
        const char* formula;
        std::vector<std::string> pieces;  // in the order of the pieces, the whole left out
    } cases[] = {
        {"sqrt(x+1)+1", {"raiz quadrada de x mais 1, fim da raiz", "x mais 1", "x", "mais 1", "mais 1"}},
        {"x=(-b+-sqrt(b^2-4ac))/(2a)",
         {"x", "igual a",
          "fração, numerador menos b mais ou menos raiz quadrada de b ao quadrado menos 4 á c, fim da raiz, "
          "denominador 2 á, fim da fração",
          "menos b mais ou menos raiz quadrada de b ao quadrado menos 4 á c, fim da raiz", "menos b",
          "mais ou menos raiz quadrada de b ao quadrado menos 4 á c, fim da raiz", "mais ou menos",
          "raiz quadrada de b ao quadrado menos 4 á c, fim da raiz", "b ao quadrado menos 4 á c", "b ao quadrado", "b",
          "2", "menos 4 á c", "menos", "4", "a", "c", "2 á", "2", "a"}},
        {"sen(30°)", {"30 graus", "30", "graus"}},
        {"[(1,2),(3,4)]", {"1, 2", "1", "2", "3, 4", "3", "4"}},
        {"f'(x+1)=2", {"f linha de abre parêntese x mais 1 fecha parêntese", "f", "linha",
                       "abre parêntese x mais 1 fecha parêntese", "x", "mais 1", "igual a", "2"}},
        {"3.250,75 cm", {"3250", "75", "c", "m"}},
        {"x = 3.250,75 cm", {"x", "igual a", "3250 vírgula 75 centímetros", "3250", "75", "c", "m"}},
    };
    for (const auto& c : cases) {
        const auto e = reader::Explore(c.formula);
        std::vector<std::string> read;  // in the order of a walk: down first, then next
        std::vector<std::int32_t> stack = {e.pieces[0].firstChild};
        while (!stack.empty()) {
            const std::int32_t p = stack.back();
            stack.pop_back();
            if (p < 0) continue;
            read.push_back(reader::ReadPiece(e, p, Verbosity::Normal));
            stack.push_back(e.pieces[static_cast<std::size_t>(p)].nextSibling);
            stack.push_back(e.pieces[static_cast<std::size_t>(p)].firstChild);
        }
        EXPECT_EQ(read, c.pieces) << c.formula;
        const std::string whole = reader::ReadFormula(c.formula);
        for (const std::string& r : read) EXPECT_NE(whole.find(r), std::string::npos) << c.formula << ": " << r;
    }
}

}  // namespace
