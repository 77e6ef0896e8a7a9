#pragma once
// Random ASCIIMath formulas for the collision search: numbers (with the decimal comma and the
// thousands dot), letters, the symbols of the reader's vocabulary, fractions, roots, scripts,
// brackets and bars, functions, matrices and implicit products, nested up to four deep and
// mostly short, as school formulas are. The same seed always gives the same formulas.
#include <cstdint>
#include <string>
#include <vector>

namespace collisions {

class FormulaGenerator {
public:
    explicit FormulaGenerator(std::uint64_t seed);

    // The next formula. Repeats are possible; the caller keeps the distinct ones. A formula is
    // often followed by near twins of it, since a collision needs two formulas that differ
    // little: a pair of brackets taken away or put around a run of items, blanks taken away
    // or added, a closing bracket or bar moved back.
    std::string Next();

private:
    std::uint64_t state_;
    std::vector<std::string> twins_;  // still to give out, last first
    std::vector<std::uint32_t> starts_, ends_;  // where items of the last formula begin and end

    std::string twin(const std::string& formula);

    std::uint64_t bits();
    int below(int n);                // 0 .. n-1
    bool chance(int percent);
    int weighted(std::initializer_list<int> weights);  // index of the weight drawn
    template <std::size_t N>
    const char* pick(const char* const (&items)[N]) { return items[below(static_cast<int>(N))]; }

    void expression(std::string& out, int depth);
    void term(std::string& out, int depth);
    void factor(std::string& out, int depth);
    void item(std::string& out, int depth);
    void simple(std::string& out);   // a number or a letter
    void number(std::string& out);
    void letter(std::string& out);
    void argument(std::string& out, int depth);  // what a root, script or function takes
    void script(std::string& out, int depth);
    void bracket(std::string& out, int depth);
    void function(std::string& out, int depth);
    void matrix(std::string& out);
    void bigOperator(std::string& out, int depth);
    void gap(std::string& out);      // a blank, or none
};

}  // namespace collisions
