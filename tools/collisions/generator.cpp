#include "generator.h"

#include <iterator>
#include <string_view>

namespace collisions {
namespace {

// Letters and numbers come mostly from a small pool, so that near twins (the same formula with
// and without a bracket, a blank or a script) turn up often enough to be compared.
constexpr const char* kCommonLetters[] = {"x", "y", "a", "b", "n", "p", "q", "m"};
constexpr const char* kOtherLetters[] = {"c", "d", "e", "f", "g", "h", "i", "k", "r", "s", "t", "u",
                                         "v", "w", "z", "A", "B", "C", "E", "O", "P", "X", "R"};
constexpr const char* kConstants[] = {"pi",    "oo",    "alpha", "beta", "theta", "Delta", "lambda",
                                      "omega", "Omega", "sigma", "RR",   "NN",    "ZZ",    "QQ",
                                      "O/",    "dx",    "dt",    "...",  "epsilon", "phi", "mu",
                                      "del",   "grad",  "/_",    "AA",   "EE",    "π",     "∞",
                                      "α",     "Δ",     "aleph", "not",  "square", "triangle"};
constexpr const char* kOperators[] = {"<",  ">",  "<=", ">=", "!=",  "~~",  "-=",  "in", "!in", "sub",
                                      "sube", "uu", "nn", "->", "=>",  "<=>", "+-",  "*",  "xx",  "-:",
                                      "//", "|->", "_|_", "ne", "le",  "ge",  "cdot", ",", ";",   ":",
                                      "|",  "o+", "ox", "@",  "^^",  "vv",  "prop", "~=", "≤",   "×",
                                      "·",  "÷",  "−",  "and", "or", "mod", "\\\\", "rarr", "harr", "models"};
constexpr const char* kProducts[] = {"*", "xx", "cdot", "·", "×"};
constexpr const char* kFunctions[] = {"sin",  "cos", "tan", "sen", "tg",     "ln",  "log", "exp",
                                      "f",    "g",   "det", "max", "min",    "sec", "cot", "arcsin",
                                      "sinh", "dim", "arg", "mdc", "cossec", "Re",  "Im",  "gcd"};
constexpr const char* kAccents[] = {"bar", "hat", "vec", "dot", "ddot", "tilde", "ul", "overline",
                                    "cancel", "overarc", "ubrace"};
// Typefaces, which school formulas put on letters: vectors in bold, number sets double-struck.
constexpr const char* kFonts[] = {"bb", "bbb", "cc", "mathbf", "sf", "tt", "fr"};
constexpr const char* kUnits[] = {"cm", "m", "km", "kg", "g", "s", "h", "min", "mL", "L", "m^2", "km/h",
                                  "m/s", "°C", "%", "°"};
constexpr const char* kTexts[] = {"text(se)", "\"cm\"", "text(área)", "\"km\"", "mbox(soma)"};

}  // namespace

FormulaGenerator::FormulaGenerator(std::uint64_t seed) : state_(seed) {}

// splitmix64: small, fast and the same on every platform and compiler.
std::uint64_t FormulaGenerator::bits() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int FormulaGenerator::below(int n) { return static_cast<int>(bits() % static_cast<std::uint64_t>(n)); }

bool FormulaGenerator::chance(int percent) { return below(100) < percent; }

int FormulaGenerator::weighted(std::initializer_list<int> weights) {
    int total = 0;
    for (int w : weights) total += w;
    int r = below(total);
    int i = 0;
    for (int w : weights) {
        if (r < w) return i;
        r -= w;
        ++i;
    }
    return i - 1;
}

void FormulaGenerator::gap(std::string& out) {
    if (chance(50)) out += ' ';
}

std::string FormulaGenerator::Next() {
    if (!twins_.empty()) {
        std::string t = std::move(twins_.back());
        twins_.pop_back();
        return t;
    }
    std::string out;
    starts_.clear();
    ends_.clear();
    // Most formulas a student meets are short: nesting 0 to 4, mostly 1 or 2.
    const int depth = weighted({15, 42, 28, 10, 5});
    expression(out, depth);
    for (int n = weighted({30, 35, 35}); n > 0; --n) twins_.push_back(twin(out));
    return out;
}

namespace {

bool alnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether the brackets of `s` pair up.
bool balanced(std::string_view s) {
    std::string open;
    for (const char c : s) {
        if (c == '(' || c == '[' || c == '{') open += c;
        if (c == ')' || c == ']' || c == '}') {
            if (open.empty() || open.back() != (c == ')' ? '(' : c == ']' ? '[' : '{')) return false;
            open.pop_back();
        }
    }
    return open.empty();
}

}  // namespace

std::string FormulaGenerator::twin(const std::string& f) {
    std::string t = f;
    switch (below(5)) {
        case 0: {  // a pair of round brackets taken away
            std::vector<std::pair<std::size_t, std::size_t>> pairs;
            std::vector<std::size_t> stack;
            for (std::size_t i = 0; i < f.size(); ++i) {
                if (f[i] == '(') stack.push_back(i);
                if (f[i] == ')' && !stack.empty()) {
                    pairs.emplace_back(stack.back(), i);
                    stack.pop_back();
                }
            }
            if (pairs.empty()) break;
            const auto [o, c] = pairs[static_cast<std::size_t>(below(static_cast<int>(pairs.size())))];
            // a blank keeps apart what the bracket kept apart: "sqrt(mn)" gives "sqrt mn"
            t[c] = ' ';
            t[o] = ' ';
            if (c + 1 == t.size() || !alnum(t[c + 1])) t.erase(c, 1);
            if (o == 0 || !alnum(t[o - 1])) t.erase(o, 1);
            break;
        }
        case 1: {  // brackets put around a run of items
            for (int tries = 0; tries < 8; ++tries) {
                const std::size_t s = starts_[static_cast<std::size_t>(below(static_cast<int>(starts_.size())))];
                const std::size_t e = ends_[static_cast<std::size_t>(below(static_cast<int>(ends_.size())))];
                if (e <= s || (s == 0 && e == f.size()) || !balanced(std::string_view(f).substr(s, e - s))) continue;
                t = f.substr(0, s) + '(' + f.substr(s, e - s) + ')' + f.substr(e);
                break;
            }
            break;
        }
        case 2: {  // blanks taken away, or one added
            std::string without;
            for (const char c : f)
                if (c != ' ') without += c;
            if (without != f && chance(60)) return without;
            const std::size_t s = starts_[static_cast<std::size_t>(below(static_cast<int>(starts_.size())))];
            if (s > 0) t.insert(s, " ");
            break;
        }
        default: {  // a closing bracket or bar moved back to the end of an earlier item
            std::vector<std::size_t> closers;
            for (std::size_t i = 0; i < f.size(); ++i)
                if (f[i] == ')' || f[i] == '|' || f[i] == ']') closers.push_back(i);
            if (closers.empty()) break;
            const std::size_t k = closers[static_cast<std::size_t>(below(static_cast<int>(closers.size())))];
            std::vector<std::size_t> before;
            for (const std::uint32_t e : ends_)
                if (e < k && e + 16 > k && e > 0) before.push_back(e);
            if (before.empty()) break;
            const std::size_t e = before[static_cast<std::size_t>(below(static_cast<int>(before.size())))];
            t.erase(k, 1);
            t.insert(e, 1, f[k]);
            break;
        }
    }
    return t;
}

void FormulaGenerator::expression(std::string& out, int depth) {
    if (chance(6)) out += chance(70) ? "-" : "+-";
    const int terms = 1 + weighted({55, 35, 10});
    for (int i = 0; i < terms; ++i) {
        if (i > 0) {
            gap(out);
            switch (weighted({32, 25, 25, 18})) {
                case 0: out += '+'; break;
                case 1: out += '-'; break;
                case 2: out += '='; break;
                default: out += pick(kOperators); break;
            }
            gap(out);
        }
        term(out, depth);
    }
}

void FormulaGenerator::term(std::string& out, int depth) {
    const int factors = 1 + weighted({50, 40, 10});
    for (int i = 0; i < factors; ++i) {
        if (i > 0) {
            if (chance(12)) {
                gap(out);
                out += pick(kProducts);
            }
            gap(out);
        }
        factor(out, depth);
    }
}

void FormulaGenerator::number(std::string& out) {
    static constexpr const char* kDigits = "0123456789";
    auto digit = [&](bool nonZero) { out += kDigits[nonZero ? 1 + below(9) : below(10)]; };
    switch (weighted({45, 18, 15, 5, 5, 2, 10})) {
        case 0:
            if (chance(80)) out += "2134"[weighted({40, 20, 25, 15})];
            else digit(true);
            break;
        case 1: digit(true); digit(false); break;
        case 2:  // decimal comma
            digit(false);
            out += ',';
            digit(false);
            if (chance(30)) digit(true);
            break;
        case 3:  // decimal point
            digit(false);
            out += '.';
            digit(true);
            break;
        case 4:  // thousands dot
            digit(true);
            out += '.';
            digit(false); digit(false); digit(false);
            if (chance(30)) { out += ','; digit(false); digit(false); }
            break;
        case 5:  // repeating decimal
            out += "0,";
            if (chance(50)) digit(false);
            out += '(';
            digit(true);
            out += ')';
            break;
        default: out += (chance(50) ? "1" : "2"); break;
    }
}

void FormulaGenerator::letter(std::string& out) {
    if (chance(12)) out += pick(kOtherLetters);
    else out += kCommonLetters[weighted({30, 18, 12, 10, 8, 8, 8, 6})];
}

void FormulaGenerator::simple(std::string& out) {
    starts_.push_back(static_cast<std::uint32_t>(out.size()));
    if (chance(55)) letter(out);
    else number(out);
    ends_.push_back(static_cast<std::uint32_t>(out.size()));
}

// A root's radicand, a script, a numerator: a lone item, an item with its own structure, or
// a bracketed expression, with or without a blank before it.
void FormulaGenerator::argument(std::string& out, int depth) {
    switch (depth <= 0 ? weighted({70, 0, 30}) : weighted({45, 20, 35})) {
        case 0: simple(out); break;
        case 1: factor(out, depth - 1); break;
        default:
            out += '(';
            expression(out, depth - 1);
            out += ')';
            break;
    }
}

void FormulaGenerator::script(std::string& out, int depth) {
    // the base
    switch (weighted({60, 15, 15, 10})) {
        case 0: letter(out); break;
        case 1: number(out); break;
        case 2: out += pick(kConstants); break;
        default:
            out += '(';
            expression(out, depth - 1);
            out += ')';
            break;
    }
    const int kind = weighted({50, 30, 20});
    if (kind != 0) {  // index
        out += '_';
        argument(out, depth - 1);
    }
    if (kind != 1) {  // exponent
        out += '^';
        if (chance(20)) out += chance(50) ? "-1" : "2";
        else argument(out, depth - 1);
    }
}

void FormulaGenerator::bracket(std::string& out, int depth) {
    static constexpr const char* kPairs[][2] = {
        {"(", ")"},   {"(", ")"},     {"[", "]"},   {"{", "}"},    {"|", "|"},   {"|", "|"},
        {"abs(", ")"}, {"||", "||"},  {"norm(", ")"}, {"floor(", ")"}, {"ceil(", ")"}, {"|__", "__|"},
        {"(:", ":)"}, {"{:", ":}"},   {"]", "["},   {"[", "["},    {"]", "]"},   {"<<", ">>"},
    };
    const auto& p = kPairs[below(static_cast<int>(std::size(kPairs)))];
    out += p[0];
    if (chance(25)) {  // a pair or an interval
        simple(out);
        out += chance(80) ? "," : ";";
        gap(out);
        simple(out);
    } else {
        expression(out, depth - 1);
    }
    out += p[1];
}

void FormulaGenerator::function(std::string& out, int depth) {
    const char* name = pick(kFunctions);
    out += name;
    if (chance(10)) {
        out += chance(50) ? "^2" : "^-1";
    } else if (std::string_view(name) == "log" && chance(40)) {
        out += '_';
        out += chance(50) ? "2" : "a";
    }
    switch (weighted({35, 35, 20, 10})) {
        case 0:  // "ln x", "sin 2x"
            out += ' ';
            simple(out);
            break;
        case 1:  // "ln(x)"
            out += '(';
            simple(out);
            out += ')';
            break;
        case 2:
            out += '(';
            expression(out, depth - 1);
            out += ')';
            break;
        default:  // two arguments
            out += '(';
            simple(out);
            out += ',';
            gap(out);
            simple(out);
            out += ')';
            break;
    }
}

void FormulaGenerator::matrix(std::string& out) {
    static constexpr const char* kOuter[][2] = {{"[", "]"}, {"(", ")"}, {"|", "|"}, {"{", ":}"}};
    const auto& outer = kOuter[weighted({40, 35, 15, 10})];
    const int rows = 1 + below(3);
    const int columns = 1 + below(3);
    out += outer[0];
    for (int r = 0; r < rows; ++r) {
        if (r > 0) out += ',';
        out += '(';
        for (int c = 0; c < columns; ++c) {
            if (c > 0) out += ',';
            simple(out);
        }
        out += ')';
    }
    out += outer[1];
}

void FormulaGenerator::bigOperator(std::string& out, int depth) {
    switch (below(4)) {
        case 0:
            out += "sum_(i=1)^n ";
            break;
        case 1:
            out += "int";
            if (chance(70)) out += chance(50) ? "_0^1 " : "_a^b ";
            else out += ' ';
            argument(out, depth - 1);
            out += chance(50) ? " dx" : "";
            return;
        case 2:
            out += chance(50) ? "lim_(x->0) " : "lim_(n->oo) ";
            break;
        default:
            out += "prod_(k=1)^n ";
            break;
    }
    argument(out, depth - 1);
}

void FormulaGenerator::factor(std::string& out, int depth) {
    starts_.push_back(static_cast<std::uint32_t>(out.size()));
    item(out, depth);
    ends_.push_back(static_cast<std::uint32_t>(out.size()));
}

void FormulaGenerator::item(std::string& out, int depth) {
    if (depth <= 0) {
        switch (weighted({80, 10, 5, 5})) {
            case 0: simple(out); return;
            case 1: out += pick(kConstants); return;
            case 2: simple(out); out += chance(50) ? "!" : "'"; return;
            default: number(out); gap(out); out += pick(kUnits); return;
        }
    }
    switch (weighted({24, 6, 13, 8, 14, 13, 10, 5, 2, 2, 1, 2})) {
        case 0: simple(out); break;
        case 1: out += pick(kConstants); break;
        case 2:  // fraction
            if (chance(80)) {
                argument(out, depth);
                gap(out);
                out += '/';
                gap(out);
                argument(out, depth);
            } else {
                out += "frac";
                const bool braces = chance(30);
                out += braces ? '{' : '(';
                expression(out, depth - 1);
                out += braces ? "}{" : ")(";
                expression(out, depth - 1);
                out += braces ? '}' : ')';
            }
            break;
        case 3:  // root
            switch (below(3)) {
                case 0: out += "sqrt "; argument(out, depth); break;
                case 1: out += "sqrt("; expression(out, depth - 1); out += ')'; break;
                default:
                    out += "root(";
                    out += chance(50) ? "3" : "n";
                    out += ")(";
                    expression(out, depth - 1);
                    out += ')';
                    break;
            }
            break;
        case 4: script(out, depth); break;
        case 5: bracket(out, depth); break;
        case 6: function(out, depth); break;
        case 7:  // accent or typeface
            if (chance(25)) {
                out += pick(kFonts);
                out += ' ';
                letter(out);
                break;
            }
            out += pick(kAccents);
            out += ' ';
            if (chance(60)) letter(out);
            else { out += '('; expression(out, depth - 1); out += ')'; }
            break;
        case 8: matrix(out); break;
        case 9: bigOperator(out, depth); break;
        case 10: out += pick(kTexts); break;
        default: simple(out); out += chance(50) ? "!" : "'"; break;
    }
}

}  // namespace collisions
