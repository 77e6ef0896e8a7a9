#pragma once
// ASCIIMath parser: formula text to a tree. It never fails: every input, however malformed,
// gives a tree, in time linear in its length.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reader/symbols.h"

namespace reader {

enum class NodeKind : std::uint8_t {
    Symbol,  // a symbol read on its own: an operator, a relation, a constant, a lone bracket
    Number,  // digits, perhaps with a decimal point: text
    Letter,  // one letter, ASCII or not: text
    Text,    // text(...) or "...": text
    Row,     // items side by side: children
    Group,   // symbol (opening) and close (closing, or none) around children
    Unary,   // symbol applied to its argument (a root's radicand)
    Binary,  // symbol applied to two operands: a root's index and radicand, a fraction's numerator
             // and denominator, the annotation written over or under a base, a colour and what
             // it paints
    Frac,    // numerator over denominator
    Script,  // base with index (subscript) and exponent (superscript); either may be missing
};

enum NodeFlag : std::uint8_t {
    kSpaced = 1,     // blanks stood before it in the formula
    kInvisible = 2,  // a group whose brackets only delimit an argument: "(" of sqrt(x+1)
    kMatrix = 4,     // a group whose children are rows of a matrix, separated by commas
    kEscaped = 8,    // a symbol written with a backslash before it: "\^"
};

struct Node {
    NodeKind kind = NodeKind::Row;
    std::uint8_t flags = 0;
    const Symbol* symbol = nullptr;  // Symbol, Group (opening bracket), Unary, Binary
    const Symbol* close = nullptr;   // Group: the closing bracket, nullptr when unclosed
    std::uint32_t begin = 0;         // Number, Letter, Text: the text in Formula::source
    std::uint32_t length = 0;
    std::int32_t first = -1, last = -1;  // Row, Group: first and last child
    std::int32_t next = -1;              // the next sibling in a Row or Group
    std::int32_t operands[3] = {-1, -1, -1};  // in the order the formula writes them; read
                                              // them by the names below. -1: missing
    std::uint32_t from = 0, to = 0;  // the node's whole text in Formula::source, brackets and
                                     // command names included, outer blanks not

    // Script: what the scripts stand on; Binary: what the annotation stands over ("x" of
    // overset(a)(x)).
    std::int32_t base() const { return kind == NodeKind::Binary ? operands[1] : operands[0]; }
    // Script: the subscript (a big operator's lower limit, a logarithm's base); Binary: a root's
    // index.
    std::int32_t index() const { return kind == NodeKind::Binary ? operands[0] : operands[1]; }
    // Script: the superscript (a big operator's upper limit).
    std::int32_t exponent() const { return operands[2]; }
    // Frac and the Binary frac.
    std::int32_t numerator() const { return operands[0]; }
    std::int32_t denominator() const { return operands[1]; }
    // Unary: what the symbol applies to; Binary: the second operand (what a colour paints).
    std::int32_t argument() const { return kind == NodeKind::Binary ? operands[1] : operands[0]; }
    std::int32_t radicand() const { return argument(); }
    // Binary: the first operand (the annotation of overset, the colour's name).
    std::int32_t annotation() const { return operands[0]; }
};

// A parsed formula. Nodes refer to each other by index; the root is a Row.
struct Formula {
    std::string source;  // the formula as UTF-8, as parsed
    std::vector<Node> nodes;
    std::int32_t root = -1;
    std::uint32_t lowerLetters = 0;  // bit i: the ASCII letter 'a' + i occurs in small
    std::uint32_t upperLetters = 0;  // bit i: the ASCII letter 'A' + i occurs as a capital
    std::uint64_t calledLetters = 0;  // bit i (a-z, then A-Z): the letter stands right before
                                      // a bracketed letter or number, as u in "u(x)"

    const Node& at(std::int32_t i) const { return nodes[static_cast<std::size_t>(i)]; }
    std::string_view text(const Node& n) const {
        return std::string_view(source).substr(n.begin, n.length);
    }
};

// Structures nest at most this deep; a bracket, command or script deeper than that is kept as a
// plain symbol, so that the tree (and everything that walks it) stays shallow.
inline constexpr int kMaxNesting = 48;

// Parses an ASCIIMath formula given as UTF-8. Malformed UTF-8 bytes and control characters
// count as blanks. Never fails.
Formula Parse(std::string_view utf8);

// The bit of an ASCII letter in Formula::calledLetters; 0 for other characters.
inline std::uint64_t LetterBit(char c) {
    if (c >= 'a' && c <= 'z') return std::uint64_t{1} << (c - 'a');
    if (c >= 'A' && c <= 'Z') return std::uint64_t{1} << (26 + (c - 'A'));
    return 0;
}

}  // namespace reader
