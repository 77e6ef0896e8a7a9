// The shape of the trees the parser builds: how ASCIIMath groups what it reads.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "reader/parser.h"

namespace {

using reader::Formula;
using reader::Node;
using reader::NodeKind;

// A compact picture of a tree: [row], {group}, {~ brackets hidden}, {M matrix}, (command args).
std::string show(const Formula& f, std::int32_t i) {
    if (i < 0) return "-";
    const Node& n = f.at(i);
    auto children = [&]() {
        std::string s;
        for (std::int32_t c = n.first; c >= 0; c = f.at(c).next) s += " " + show(f, c);
        return s;
    };
    switch (n.kind) {
    case NodeKind::Symbol:
        return std::string((n.flags & reader::kEscaped) ? "\\" : "") + std::string(n.symbol->input);
    case NodeKind::Number:
    case NodeKind::Letter:
        return std::string(f.text(n));
    case NodeKind::Text:
        return "\"" + std::string(f.text(n)) + "\"";
    case NodeKind::Row:
        return "[" + children().substr(1) + "]";
    case NodeKind::Group: {
        std::string mark = (n.flags & reader::kMatrix) ? "M" : (n.flags & reader::kInvisible) ? "~" : "";
        return "{" + mark + std::string(n.symbol->input) + children() + " " +
               (n.close ? std::string(n.close->input) : "...") + "}";
    }
    case NodeKind::Unary:
        return "(" + std::string(n.symbol->input) + " " + show(f, n.operands[0]) + ")";
    case NodeKind::Binary:
        return "(" + std::string(n.symbol->input) + " " + show(f, n.operands[0]) + " " + show(f, n.operands[1]) + ")";
    case NodeKind::Frac:
        return "(/ " + show(f, n.operands[0]) + " " + show(f, n.operands[1]) + ")";
    case NodeKind::Script:
        return "(_^ " + show(f, n.operands[0]) + " " + show(f, n.operands[1]) + " " + show(f, n.operands[2]) + ")";
    }
    return "?";
}

std::string parse(const std::string& formula) {
    const Formula f = reader::Parse(formula);
    return show(f, f.root);
}

TEST(Parser, GroupsAsAsciiMathDoes) {
    const std::pair<const char*, const char*> cases[] = {
        // fractions and scripts; brackets around operands are hidden
        {"a/b", "[(/ a b)]"},
        {"(a+b)/2", "[(/ {~( a + b )} 2)]"},
        {"(a+b)^2", "[(_^ {( a + b )} - 2)]"},
        {"x_1^2", "[(_^ x 1 2)]"},
        {"x^(n-1)", "[(_^ x - {~( n - 1 )})]"},
        {"x^-1", "[(_^ x - [- 1])]"},
        {"a/b/c", "[(/ a b) / c]"},
        {"1/3A_b", "[(/ 1 3) (_^ A b -)]"},
        // commands
        {"sqrt(x+1)", "[(sqrt {~( x + 1 )})]"},
        {"sqrt x+1", "[(sqrt x) + 1]"},
        {"root(3)(x)", "[(root {~( 3 )} {~( x )})]"},
        {"frac(a)(b)", "[(frac {~( a )} {~( b )})]"},
        {"vec u.vec v", "[(vec u) . (vec v)]"},
        {"text(a b)", "[\"a b\"]"},
        {"\"a b\"+c", "[\"a b\" + c]"},
        // functions take the next operand, except before a script, a slash or a prime
        {"sin x/x", "[(/ (sin x) x)]"},
        {"sin(a+b)", "[(sin {( a + b )})]"},
        {"log_a b", "[(_^ log a -) b]"},
        {"sin^2 x", "[(_^ sin - 2) x]"},
        // a script on an unbracketed argument is on the argument, as the page shows it
        {"sin x^2", "[(sin (_^ x - 2))]"},
        {"cos x_1^2+1", "[(cos (_^ x 1 2)) + 1]"},
        {"sin(x)^2", "[(_^ (sin {( x )}) - 2)]"},
        {"f(x)", "[(f {( x )})]"},
        {"f x", "[f x]"},
        {"f'(x)", "[f ' {( x )}]"},
        {"Re(z)", "[(Re {( z )})]"},
        {"Re z", "[R e z]"},
        // the longest spelling wins, with no need of blanks
        {"sinx", "[(sin x)]"},
        {"pir^2", "[pi (_^ r - 2)]"},
        {"Dxxd", "[D xx d]"},
        {"AAx", "[AA x]"},
        {"2.5.3", "[2.5 . 3]"},
        {"4.L", "[4 . L]"},
        {"cos ^2 a", "[(_^ cos - 2) a]"},
        // bars
        {"|x|", "[{| x |}]"},
        {"||u||", "[{|| u ||}]"},
        {"|x||y|", "[{| x |} {| y |}]"},
        {"P(A | B)", "[P {( A [| B] )}]"},
        // matrices and systems
        {"[(a,b),(c,d)]", "[{M[ {( a , b )} , {( c , d )} ]}]"},
        {"{(x),(y):}", "[{M{ {( x )} , {( y )} :}}]"},
        {"(a,b)", "[{( a , b )}]"},
        {"[(a,b),(c)]", "[{[ {( a , b )} , {( c )} ]}]"},
        // malformed input still gives a tree
        {"x^", "[[x ^]]"},
        {"(a", "[{( a ...}]"},
        {"a)", "[a )]"},
        {"{0,1)", "[{{ 0 , 1 )}]"},
        {"vec u \\^ vec v", "[(vec u) \\^ (vec v)]"},
        {"x\x01y", "[x y]"},
    };
    for (const auto& [formula, tree] : cases) EXPECT_EQ(parse(formula), tree) << formula;
}

TEST(Parser, RecordsWhichLettersStandInSmallAndAsCapitals) {
    const Formula f = reader::Parse("A + b + f(x) + text(Z)");
    EXPECT_EQ(f.upperLetters, 1u << 0);
    EXPECT_EQ(f.lowerLetters, (1u << 1) | (1u << ('f' - 'a')) | (1u << ('x' - 'a')));
}

std::size_t depth(const Formula& f) {
    std::size_t deepest = 0;
    std::vector<std::pair<std::int32_t, std::size_t>> stack{{f.root, 1}};
    while (!stack.empty()) {
        auto [i, d] = stack.back();
        stack.pop_back();
        if (i < 0) continue;
        deepest = std::max(deepest, d);
        const Node& n = f.at(i);
        for (std::int32_t c = n.first; c >= 0; c = f.at(c).next) stack.push_back({c, d + 1});
        for (std::int32_t c : {n.operands[0], n.operands[1], n.operands[2]}) stack.push_back({c, d + 1});
    }
    return deepest;
}

// However deep the input nests, the tree stays shallow, so that nothing walking it can run out
// of stack.
TEST(Parser, TreeDepthIsBoundedWhateverTheNesting) {
    auto repeat = [](const std::string& s, int n) {
        std::string r;
        for (int i = 0; i < n; ++i) r += s;
        return r;
    };
    const std::string cases[] = {
        repeat("(", 10000) + "x" + repeat(")", 10000),
        repeat("sqrt(", 10000),
        repeat("x^(", 10000),
        repeat("x_", 10000),
        repeat("|", 10000),
        repeat("||(", 10000),
        repeat("root(2)(", 10000),
        repeat("{(", 10000),
        repeat("sin ", 10000) + "x",
        repeat("vec ", 10000) + "x",
    };
    for (const std::string& formula : cases) {
        const Formula f = reader::Parse(formula);
        EXPECT_LE(depth(f), static_cast<std::size_t>(4 * reader::kMaxNesting + 8))
            << formula.substr(0, 20);
    }
}

}  // namespace
