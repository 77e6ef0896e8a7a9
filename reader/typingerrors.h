#pragma once
// Slips of typing that a formula can hold, and the words that tell a listener about each one
// where it stands: a bracket never closed ("parêntese sem fechamento"), a closing bracket never
// opened, a bar with nothing on one side, an empty numerator, denominator, exponent, index or
// root ("denominador vazio"). The reading says them right after the piece they belong to.
#include <cstdint>
#include <string_view>
#include <vector>

#include "reader/parser.h"

namespace reader {

class TypingErrors {
public:
    // Keeps a reference to formula, which must outlive this. Does no work until asked.
    explicit TypingErrors(const Formula& formula) : f_(formula) {}

    // The words to say right after node i has been read; empty when it holds no slip. Bad
    // indices give empty.
    std::string_view after(std::int32_t i) const;
    // True when node i's words go before it instead: "numerador vazio" before a lone "/".
    bool before(std::int32_t i) const;
    // The words said where an unclosed bracket opens, so the listener hears the slip there:
    // after the bracket's own words, "sem fechamento" ("abre parêntese sem fechamento"); where
    // the bracket is not said (a function's argument, a root's radicand, "f de, parêntese sem
    // fechamento, x") or its words do not name it ("piso de"), the whole slip. Empty for any
    // other node.
    std::string_view atOpening(std::int32_t i, bool bracketSaid = true) const;

    // The node whose piece holds node i's slip: the unclosed bracket itself, else the
    // structure whose operand is empty or the row that holds the lone sign. -1 at the root.
    std::int32_t owner(std::int32_t i) const;

private:
    const Node& at(std::int32_t i) const { return f_.at(i); }
    const std::vector<std::int32_t>& parents() const;
    bool atEdge(std::int32_t i, bool front) const;
    bool squareBracket(std::int32_t i, bool opening) const;
    bool reversedInterval(std::int32_t i) const;

    const Formula& f_;
    mutable std::vector<std::int32_t> parent_;  // made when first needed
};

struct TypingError {
    std::int32_t node = -1;   // the node after which the words are said
    std::int32_t owner = -1;  // see TypingErrors::owner
    std::uint32_t at = 0;     // where in Formula::source the slip is: the end of what was left
                              // open, the lone sign, or the place of the empty operand
    std::string_view words;
};

// Every slip of formula, in the order of the text.
std::vector<TypingError> FindTypingErrors(const Formula& formula);

}  // namespace reader
