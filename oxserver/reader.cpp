#include "oxserver/reader.h"
#include "oxserver/typingerrors.h"

#include "platform/codepage.h"

#include <cstdint>
#include <vector>

namespace oxserver {
namespace {

// The reading as it grows: words separated by blanks, pauses as commas, and the contraction of
// a preposition with the article of the noun after it ("pertence a" + "o conjunto" gives
// "pertence ao conjunto").
class Words {
public:
    // A symbol's own text: a letter, a number, text written in the formula.
    void word(std::string_view w) { put(w, false); }

    // Fixed words of the reading. A final "a", "de" or "em" may contract with an article.
    void phrase(std::string_view p) { put(p, true); }

    // A noun that takes the article "o" after a preposition.
    void noun(std::string_view n) {
        if (prepositionAt_ == std::string::npos) { phrase(n); return; }
        const std::string_view prep = std::string_view(out_).substr(prepositionAt_);
        const char* contracted = prep == "a" ? "ao" : prep == "de" ? "do" : "no";
        out_.resize(prepositionAt_);
        out_ += contracted;
        prepositionAt_ = std::string::npos;
        put(n, true);
    }

    // An operator: after a structure that ended with no marker ("raiz quadrada de x"), a pause
    // first, so that the operator is heard outside it: "raiz quadrada de x, mais 1".
    void operatorPhrase(std::string_view p) {
        if (scopeEnded_) addMark(',');
        put(p, true);
    }

    // A root, exponent, index or modulus of one item has just been read.
    void scopeEnd() { scopeEnded_ = true; }

    void pause() { addMark(','); }

    // A pause before whatever comes next, if anything does.
    void pauseBeforeNext() { pendingPause_ = true; }
    void semicolon() { addMark(';'); }
    void colon() { addMark(':'); }

    // The end of a structure: a pause, the marker, and a pause before what follows.
    void end(std::string_view marker) {
        const std::size_t from = trailingEndsFrom_ == std::string::npos ? out_.size() : trailingEndsFrom_;
        pause();
        phrase(marker);
        pendingPause_ = true;
        trailingEndsFrom_ = from;
    }

    bool empty() const { return out_.empty(); }

    // The reading; with `dropTrailingEnds`, without the end markers that nothing follows.
    std::string take(bool dropTrailingEnds = false) {
        if (dropTrailingEnds && trailingEndsFrom_ != std::string::npos && trailingEndsFrom_ > 0)
            out_.resize(trailingEndsFrom_);
        return std::move(out_);
    }

private:
    void put(std::string_view w, bool fixed) {
        if (w.empty()) return;
        if (pendingPause_) addMark(',');
        if (!out_.empty()) out_ += ' ';
        out_ += w;
        prepositionAt_ = std::string::npos;
        trailingEndsFrom_ = std::string::npos;
        scopeEnded_ = false;
        if (!fixed) return;
        const std::size_t blank = w.rfind(' ');
        const std::string_view last = blank == std::string_view::npos ? w : w.substr(blank + 1);
        if (last == "a" || last == "de" || last == "em") prepositionAt_ = out_.size() - last.size();
    }

    void addMark(char mark) {
        pendingPause_ = false;
        scopeEnded_ = false;
        prepositionAt_ = std::string::npos;
        if (out_.empty()) return;
        char& back = out_.back();
        if (back == ',' || back == ';' || back == ':') {
            if (mark != ',') back = mark;  // a stronger mark replaces a comma
            return;
        }
        out_ += mark;
    }

    std::string out_;
    std::size_t prepositionAt_ = std::string::npos;
    std::size_t trailingEndsFrom_ = std::string::npos;  // where the end markers at the end start
    bool pendingPause_ = false;
    bool scopeEnded_ = false;
};

using P = Phrase;

enum class Open : std::uint8_t { None, Sum, Product, Limit };

class Reader {
public:
    Reader(const Formula& f, Words& w, Verbosity v) : f_(f), w_(w), verbosity_(v), typingErrors_(f) {}

    void readChildren(std::int32_t parent) {
        std::vector<std::int32_t> items;
        collect(parent, items);
        readItems(items);
    }

    void readPart(std::int32_t node, PartReading how, std::uint32_t first, std::uint32_t count) {
        switch (how) {
        case PartReading::Node: readItems(std::vector<std::int32_t>{node}); return;  // as in a row
        case PartReading::Argument: readArgument(node, false); return;
        case PartReading::Items: {
            std::vector<std::int32_t> items;
            collect(node, items);
            if (first >= items.size()) return;
            const std::size_t stop = std::min<std::size_t>(items.size(), std::size_t{first} + count);
            // the items of a bracket or a matrix row: a comma between numbers separates them
            if (at(node).kind == NodeKind::Group && !(at(node).flags & kInvisible)) ++bracketDepth_;
            readItems(std::vector<std::int32_t>(items.begin() + first, items.begin() + static_cast<std::ptrdiff_t>(stop)));
            return;
        }
        }
    }

    // The items that each step of the reading of a row or group takes at once.
    void itemRuns(std::int32_t parent, std::vector<std::uint32_t>& runs) {
        if (at(parent).kind == NodeKind::Group && !(at(parent).flags & kInvisible)) ++bracketDepth_;
        runs_ = &runs;
        readChildren(parent);
    }

private:
    // Whether a structure that holds a single item is closed all the same.
    bool closesEverything() const { return verbosity_ == Verbosity::Detalhada; }

    // The end of a root, exponent, index, modulus...: said unless what it holds is a single
    // item; then an operator after it comes after a pause, so that it is heard outside.
    void closeScope(bool single, std::string_view marker) {
        if (!single || closesEverything()) w_.end(marker);
        else w_.scopeEnd();
    }

    const Node& at(std::int32_t i) const { return f_.at(i); }

    // The children of a row or group, with nested rows laid out flat.
    void collect(std::int32_t parent, std::vector<std::int32_t>& items) const {
        for (std::int32_t c = at(parent).first; c >= 0; c = at(c).next) {
            if (at(c).kind == NodeKind::Row) collect(c, items);
            else items.push_back(c);
        }
    }

    // ---- classification ------------------------------------------------------------------

    bool isSymbol(std::int32_t i, Role role) const {
        const Node& n = at(i);
        return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->role == role;
    }
    bool isSymbolKind(std::int32_t i, SymbolKind kind) const {
        const Node& n = at(i);
        return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->kind == kind;
    }

    // A group or row around a single item stands for that item.
    std::int32_t unwrap(std::int32_t i) const {
        for (;;) {
            const Node& n = at(i);
            const bool wrapper = n.kind == NodeKind::Row ||
                                 (n.kind == NodeKind::Group && (n.flags & kInvisible));
            if (!wrapper || n.first < 0 || n.first != n.last) return i;
            i = n.first;
        }
    }

    bool isEmpty(std::int32_t i) const {
        const Node& n = at(i);
        if (n.kind == NodeKind::Text) return blankText(f_.text(n));
        if (n.kind == NodeKind::Row || (n.kind == NodeKind::Group && (n.flags & kInvisible)))
            return n.first < 0;
        return false;
    }

    static bool blankText(std::string_view t) {
        for (char c : t)
            if (c != ' ' && c != '\t') return false;
        return true;
    }

    // One symbol that reads as one word or name: 2, x, alfa, infinito.
    bool isAtom(std::int32_t i) const {
        const Node& n = at(unwrap(i));
        switch (n.kind) {
        case NodeKind::Number:
        case NodeKind::Letter:
            return true;
        case NodeKind::Symbol:
            if (n.flags & kEscaped) return false;
            return (n.symbol->kind == SymbolKind::Constant && n.symbol->role == Role::None) ||
                   n.symbol->role == Role::Letter;
        default:
            return false;
        }
    }

    // An atom, perhaps with a sign: the operands that need no end marker ("x elevado a n").
    bool isSimple(std::int32_t i) const {
        i = unwrap(i);
        if (isAtom(i)) return true;
        const Node& n = at(i);
        if (n.kind != NodeKind::Row && n.kind != NodeKind::Group) return false;
        if (n.kind == NodeKind::Group && !(n.flags & kInvisible)) return false;
        if (n.first < 0 || at(n.first).next != n.last || n.last < 0) return false;
        return (isSymbol(n.first, Role::Minus) || isSymbol(n.first, Role::Plus)) && isAtom(n.last);
    }

    // Two or three letters side by side: the name of a segment or a vector, "AB".
    bool isLetterRun(std::int32_t i) const {
        const Node& n = at(unwrap(i));
        if (n.kind != NodeKind::Row && n.kind != NodeKind::Group) return false;
        if (n.kind == NodeKind::Group && !(n.flags & kInvisible)) return false;
        int count = 0;
        for (std::int32_t c = n.first; c >= 0; c = at(c).next) {
            if (at(c).kind != NodeKind::Letter || ++count > 3) return false;
        }
        return count >= 2 && count <= 3;
    }

    // Short enough to need no end marker after "raiz quadrada de", "sobre", "f de": a simple
    // operand, an atom with a simple subscript (x_1) or an accent over an atom (vec u).
    bool isShort(std::int32_t i, bool allowCalls = false) const {
        i = unwrap(i);
        if (isSimple(i) || isLetterRun(i)) return true;
        const Node& n = at(i);
        // f(g(x)) reads "f de g de x"; only where no fraction or exponent can follow ambiguously
        if (allowCalls && n.kind == NodeKind::Unary && n.symbol->kind == SymbolKind::Function) {
            const Node& arg = at(n.a);
            if (isCallBracket(n.a) && arg.first >= 0 && arg.first == arg.last)
                return isShort(arg.first, true);
            return isShort(n.a, true);
        }
        if (n.kind == NodeKind::Script)
            return isAtom(n.a) && n.b >= 0 && isSimple(n.b) && n.c < 0;
        if (n.kind == NodeKind::Unary) {
            const Role r = n.symbol->role;
            return (r == Role::Vec || r == Role::PostfixAccent) && (isAtom(n.a) || isLetterRun(n.a));
        }
        return false;
    }

    bool isOperand(std::int32_t i) const {
        const Node& n = at(i);
        if (n.kind == NodeKind::Text) return !blankText(f_.text(n));
        if (n.kind != NodeKind::Symbol) return true;
        if (n.flags & kEscaped) return false;
        const SymbolKind k = n.symbol->kind;
        if (k == SymbolKind::Function) return true;
        return k == SymbolKind::Constant &&
               (n.symbol->role == Role::None || n.symbol->role == Role::Prime ||
                n.symbol->role == Role::Factorial);
    }

    // A function name on its own, or with scripts: sin, log_a, cos^2.
    bool isFunctionHead(std::int32_t i) const {
        const Node& n = at(i);
        if (n.kind == NodeKind::Script)
            return isSymbolKind(n.a, SymbolKind::Function) && at(n.a).symbol->role != Role::Letter;
        return isSymbolKind(i, SymbolKind::Function) && n.symbol->role != Role::Letter;
    }

    bool isBigOperator(std::int32_t i) const {
        const Node& n = at(i);
        if (n.kind == NodeKind::Script) return isSymbolKind(n.a, SymbolKind::BigOperator);
        return isSymbolKind(i, SymbolKind::BigOperator);
    }

    // A letter that may name a function applied to a bracket after it: f, P, u.
    bool isLetterLike(std::int32_t i) const {
        const Node& n = at(i);
        if (n.kind == NodeKind::Letter) return n.length == 1;
        return isSymbol(i, Role::Letter);
    }

    bool isFunctionLetter(std::int32_t i) const {
        const Node& n = at(i);
        if (isSymbol(i, Role::Letter)) return true;
        if (n.kind != NodeKind::Letter || n.length != 1) return false;
        const char c = f_.source[n.begin];
        return c == 'f' || c == 'g' || c == 'h';
    }

    bool isCallBracket(std::int32_t i) const {
        const Node& n = at(i);
        return n.kind == NodeKind::Group && !(n.flags & (kInvisible | kSpaced | kMatrix)) &&
               n.symbol->role == Role::Paren && n.close && n.close->role == Role::Paren;
    }

    // -1, whether written -1 or (-1)
    bool isMinusOne(std::int32_t i) const {
        const std::int32_t inner = unwrap(i);
        const Node& n = at(inner);
        std::vector<std::int32_t> items;
        if (n.kind == NodeKind::Row ||
            (n.kind == NodeKind::Group && !(n.flags & kMatrix) && n.symbol->role == Role::Paren))
            collect(inner, items);
        return items.size() == 2 && isSymbol(items[0], Role::Minus) && isNumberText(items[1], "1");
    }

    bool isNumberText(std::int32_t i, std::string_view text) const {
        const Node& n = at(unwrap(i));
        return n.kind == NodeKind::Number && f_.text(n) == text;
    }

    // ---- the row: named rules, tried in order on each item --------------------------------

    // What the rules of one row share: its items, the item being read, and what earlier
    // items left open.
    struct Row {
        explicit Row(const std::vector<std::int32_t>& all) : items(all) {}

        const std::vector<std::int32_t>& items;
        std::size_t k = 0;
        Open open = Open::None;  // a sum, product or limit whose body is being read
        std::size_t body = 0;    // items of that body so far
        bool quantifier = false;  // after "para todo" or "existe", until "tal que"
        std::size_t quantifierAt = 0;
        bool mapping = false;  // after the colon of "f: A -> B"
        std::vector<std::size_t> stops;  // for mapsAhead

        std::size_t size() const { return items.size(); }
        bool has(std::size_t j) const { return j < items.size(); }
        std::int32_t item(std::size_t j) const { return items[j]; }
        std::int32_t current() const { return items[k]; }
        std::int32_t next() const { return k + 1 < items.size() ? items[k + 1] : -1; }
    };

    // A rule reads one or more items from r.k on and moves r.k past them, returning true; or
    // leaves them to the rules after it, returning false (it may still note something in r).
    void readItems(const std::vector<std::int32_t>& items) {
        std::vector<std::uint32_t>* const runs = runs_;  // only the outermost row records
        runs_ = nullptr;
        Row r(items);
        while (r.k < r.size()) {
            const std::size_t before = r.k;
            bool read = false;
            // the rules that can apply to this kind of item, in order
            switch (at(r.current()).kind) {
            case NodeKind::Symbol:
                read = vectorProductRule(r) || symbolRules(r) || bigOperatorRule(r) || bodyItemRule(r) ||
                       functionHeadRule(r) || vectorAngleRule(r) || functionCallRule(r) ||
                       reversedIntervalRule(r) || primesRule(r);
                break;
            case NodeKind::Number:
                read = bodyItemRule(r) || numberRule(r) || vectorAngleRule(r);
                break;
            case NodeKind::Letter:
                read = bodyItemRule(r) || currencyRule(r) || vectorAngleRule(r) || compositionRule(r) ||
                       functionCallRule(r);
                break;
            case NodeKind::Script:
                read = bigOperatorRule(r) || bodyItemRule(r) || functionHeadRule(r) || prescriptRule(r) ||
                       vectorAngleRule(r) || inverseFunctionRule(r) || combinatoricsRule(r) ||
                       higherDerivativeRule(r);
                break;
            case NodeKind::Group:
                read = bodyItemRule(r) || vectorAngleRule(r) || composedCallRule(r);
                break;
            case NodeKind::Frac:
                read = bodyItemRule(r) || vectorAngleRule(r) || derivativeRule(r);
                break;
            default:
                read = bodyItemRule(r) || vectorAngleRule(r);
                break;
            }
            if (!read) plainItem(r);
            if (runs) runs->push_back(static_cast<std::uint32_t>(r.k - before));
        }
    }

    // ---- numbers and units ----

    // The text of the number that starts at item j: its digits, a decimal comma and decimals,
    // a barred period or three dots. `end`: the item after it.
    NumberMatch numberAt(const Row& r, std::size_t j, std::string& text, std::size_t& end) const {
        text.assign(f_.text(at(r.item(j))));
        end = j + 1;
        if (isDecimalComma(r, end)) {
            const std::int32_t d = r.item(end + 1);
            text += ',';
            if (at(d).kind == NodeKind::Number) {
                text += f_.text(at(d));
            } else {
                text += '(';
                text += f_.text(at(unwrap(at(d).a)));
                text += ')';
            }
            end += 2;
            if (r.has(end) && !(at(r.item(end)).flags & kSpaced) && text.back() != ')') {
                const std::int32_t t = r.item(end);
                if (isBarredNumber(t)) {
                    text += '(';
                    text += f_.text(at(unwrap(at(t).a)));
                    text += ')';
                    ++end;
                } else if (isEllipsis(t)) {
                    text += "...";
                    ++end;
                }
            }
        }
        NumberMatch m = MatchNumber(text);
        if (m.length != text.size() && text.size() > 3 && text.ends_with("...")) {
            text.resize(text.size() - 3);  // "0,123...": no period shows; the dots are read
            --end;
            m = MatchNumber(text);
        }
        return m;
    }

    bool isEllipsis(std::int32_t i) const {
        const Node& n = at(i);
        return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->input == "...";
    }

    // A unit of measure after a number, from item j on: "cm", "km/h", "m^2", "°C". Sets `end`
    // to the item after it and returns its words, or an empty match.
    UnitMatch unitAt(const Row& r, std::size_t j, bool plural, std::size_t& end) const {
        std::string text;
        std::size_t ends[8];
        std::size_t count = 0;
        for (std::size_t k = j; r.has(k) && count < std::size(ends); ++k) {
            if (k > j && (at(r.item(k)).flags & kSpaced)) break;
            if (!spellUnit(r.item(k), text, 0)) break;
            ends[count++] = text.size();
        }
        UnitMatch m;
        if (count == 0) return m;
        m = MatchUnit(text, plural);
        for (std::size_t c = 0; c < count && m.length > 0; ++c) {
            if (ends[c] != m.length) continue;
            if (m.oneLetter && !(at(r.item(j)).flags & kSpaced)) break;  // "2m" is 2 times m
            end = j + c + 1;
            return m;
        }
        return UnitMatch{};
    }

    // What a unit's item spells: a letter, a letter with a power, a quotient of such, a degree
    // sign, "min". False for anything else.
    bool spellUnit(std::int32_t i, std::string& text, int depth) const {
        const Node& n = at(i);
        switch (n.kind) {
        case NodeKind::Letter:
            if (n.length != 1) return false;
            text += f_.text(n);
            return true;
        case NodeKind::Symbol: {
            const std::string_view in = n.symbol->input;
            if ((n.flags & kEscaped) || n.symbol->kind == SymbolKind::Operator || n.symbol->kind == SymbolKind::Relation)
                return false;
            if (in == "°" || in == "º" || in == "²" || in == "³" || in == "min" || n.symbol->role == Role::Letter) {
                text += in;
                return true;
            }
            return false;
        }
        case NodeKind::Script: {
            if (n.b >= 0 || n.c < 0 || at(n.a).kind != NodeKind::Letter) return false;
            if (!isNumberText(n.c, "2") && !isNumberText(n.c, "3")) return false;
            text += f_.text(at(n.a));
            text += '^';
            text += f_.text(at(unwrap(n.c)));
            return true;
        }
        case NodeKind::Frac:
            if (depth > 0) return false;
            return spellUnitRow(n.a, text) && (text += '/', spellUnitRow(n.b, text));
        default:
            return false;
        }
    }

    bool spellUnitRow(std::int32_t i, std::string& text) const {
        const Node& n = at(i);
        if (n.kind != NodeKind::Row && !(n.kind == NodeKind::Group && (n.flags & kInvisible)))
            return spellUnit(i, text, 1);
        for (std::int32_t c = n.first; c >= 0; c = at(c).next)
            if (!spellUnit(c, text, 1)) return false;
        return n.first >= 0;
    }

    // "1 metro", "1,5 metros", "0 metros"
    static bool singularAmount(const NumberMatch& m) {
        return m.integer == "1" && m.decimals.empty() && m.period.empty();
    }

    // 3.250,75; 0,bar(6); 1,2bar(3); 0,666...; and the unit after a number: 5 cm, 60 km/h
    bool numberRule(Row& r) {
        if (at(r.current()).kind != NodeKind::Number) return false;
        std::string text;
        std::size_t end = r.k + 1;
        const NumberMatch m = numberAt(r, r.k, text, end);
        if (m.length != text.size()) return false;
        sayNumber(m);
        std::size_t after = end;
        const UnitMatch unit = unitAt(r, end, !singularAmount(m), after);
        if (unit.length > 0) w_.phrase(unit.words);
        r.k = after;
        return true;
    }

    // R$ 1.200,00: reais and centavos
    bool currencyRule(Row& r) {
        const Node& n = at(r.current());
        if (n.kind != NodeKind::Letter || f_.text(n) != "R" || !r.has(r.k + 2)) return false;
        const Node& sign = at(r.next());
        if (sign.kind != NodeKind::Symbol || sign.symbol->input != "$" || (sign.flags & kSpaced)) return false;
        if (at(r.item(r.k + 2)).kind != NodeKind::Number) return false;
        std::string text;
        std::size_t end = r.k + 3;
        const NumberMatch m = numberAt(r, r.k + 2, text, end);
        if (m.length != text.size() || !m.period.empty()) return false;
        const bool cents = m.decimals.size() == 2;
        NumberMatch whole = m;
        if (cents) whole.decimals = {};
        sayNumber(whole);
        w_.phrase(Say(whole.integer == "1" && whole.decimals.empty() ? P::Real : P::Reais));
        if (cents && m.decimals != "00") {
            w_.phrase(Say(P::E));
            w_.word(m.decimals[0] == '0' ? m.decimals.substr(1) : m.decimals);
            w_.phrase(Say(m.decimals == "01" ? P::Centavo : P::Centavos));
        }
        r.k = end;
        return true;
    }

    // The rules of signs read by their place in the row, chosen by the sign.
    bool symbolRules(Row& r) {
        const Node& n = at(r.current());
        if (n.kind != NodeKind::Symbol || (n.flags & kEscaped)) return false;
        bool read = false;
        switch (n.symbol->role) {
        case Role::Comma: read = commaRule(r); break;
        case Role::Semicolon: read = semicolonRule(r); break;
        case Role::Dot: read = dotRule(r); break;
        case Role::Colon: read = colonRule(r); break;
        case Role::Tends: read = mappingArrowRule(r); break;
        case Role::Forall:
        case Role::Exists: read = quantifierRule(r); break;
        case Role::In: read = quantifiedInRule(r); break;
        case Role::Plus:
        case Role::Minus: read = bodyEndRule(r); break;
        default: break;
        }
        if (read) return true;
        if (n.symbol->kind == SymbolKind::Relation) return relationRule(r);
        if (n.symbol->kind == SymbolKind::Bar) return setBuilderBarRule(r);
        return false;
    }

    // "1,5" is a decimal number as Brazilians write it, except inside brackets and scripts,
    // where a comma separates: [0,1], (1,2), X_(4,2), and the open interval ]0,1[.
    bool isDecimalComma(const Row& r, std::size_t k) const {
        if (bracketDepth_ != 0 || k == 0 || !r.has(k + 1) || !isSymbol(r.item(k), Role::Comma)) return false;
        const bool interval = (k >= 2 && isBracketSign(r.item(k - 2), "]")) ||
                              (r.has(k + 2) && isBracketSign(r.item(k + 2), "["));
        const Node& next = at(r.item(k + 1));
        return !interval && at(r.item(k - 1)).kind == NodeKind::Number &&
               (next.kind == NodeKind::Number || isBarredNumber(r.item(k + 1))) &&
               !(at(r.item(k)).flags & kSpaced) && !(next.flags & kSpaced);
    }

    // bar(6): the repeating digits of a decimal
    bool isBarredNumber(std::int32_t i) const {
        const Node& n = at(i);
        if (n.kind != NodeKind::Unary || n.symbol->role != Role::PostfixAccent) return false;
        if (n.symbol->input != "bar" && n.symbol->input != "overline") return false;
        const Node& d = at(unwrap(n.a));
        return d.kind == NodeKind::Number && f_.text(d).find('.') == std::string_view::npos;
    }

    bool commaRule(Row& r) {
        if (!isSymbol(r.current(), Role::Comma)) return false;
        if (isDecimalComma(r, r.k)) {
            w_.phrase(Say(P::Virgula));
        } else {
            w_.pause();
            r.open = Open::None;
        }
        ++r.k;
        return true;
    }

    bool semicolonRule(Row& r) {
        if (!isSymbol(r.current(), Role::Semicolon)) return false;
        w_.semicolon();
        r.open = Open::None;
        r.quantifier = false;
        ++r.k;
        return true;
    }

    // A dot between operands multiplies; before a number with nothing before it, ".5", it is
    // the decimal point of a number written without its 0; otherwise it says nothing.
    bool dotRule(Row& r) {
        if (!isSymbol(r.current(), Role::Dot)) return false;
        const std::int32_t next = r.next();
        const bool after = r.k > 0 && isOperand(r.item(r.k - 1));
        if (after && next >= 0 && isOperand(next))
            w_.operatorPhrase(Say(P::Vezes));
        else if (!after && next >= 0 && at(next).kind == NodeKind::Number && !(at(next).flags & kSpaced))
            w_.phrase(Say(P::Virgula));
        ++r.k;
        return true;
    }

    // "tal que" after a quantifier, "de" in "f: A -> B" ("f de A em B"), else "dois pontos".
    bool colonRule(Row& r) {
        if (!isSymbol(r.current(), Role::Colon)) return false;
        if (r.quantifier) {
            w_.phrase(Say(P::TalQue));
        } else if (mapsAhead(r.items, r.k, r.stops)) {
            w_.phrase(Say(P::De));
            r.mapping = true;
        } else {
            w_.phrase(Say(P::DoisPontos));
        }
        r.quantifier = false;
        ++r.k;
        return true;
    }

    bool mappingArrowRule(Row& r) {
        if (!r.mapping || !isSymbol(r.current(), Role::Tends)) return false;
        w_.phrase(Say(P::Em));
        r.mapping = false;
        ++r.k;
        return true;
    }

    bool quantifierRule(Row& r) {
        if (isSymbol(r.current(), Role::Forall) || isSymbol(r.current(), Role::Exists)) {
            r.quantifier = true;
            r.quantifierAt = r.k;
        }
        return false;
    }

    // "para todo x pertencente a": the "in" right after a quantified variable.
    bool quantifiedInRule(Row& r) {
        if (!r.quantifier || r.k != r.quantifierAt + 2 || !isSymbol(r.current(), Role::In)) return false;
        w_.phrase(Say(P::PertencenteA));
        ++r.k;
        return true;
    }

    // A plus or minus after the body of a sum, product or limit ends that body.
    bool bodyEndRule(Row& r) {
        if (r.open == Open::None || r.body == 0) return false;
        if (!isSymbol(r.current(), Role::Plus) && !isSymbol(r.current(), Role::Minus)) return false;
        w_.end(Say(r.open == Open::Sum       ? P::FimDoSomatorio
                   : r.open == Open::Product ? P::FimDoProdutorio
                                             : P::FimDoLimite));
        r.open = Open::None;
        return false;
    }

    bool relationRule(Row& r) {
        if (isSymbolKind(r.current(), SymbolKind::Relation)) r.open = Open::None;
        return false;
    }

    // {x in A | x > 0}
    bool setBuilderBarRule(Row& r) {
        if (bracket_ != Role::Brace || !isSymbolKind(r.current(), SymbolKind::Bar)) return false;
        w_.phrase(Say(P::TalQue));
        ++r.k;
        return true;
    }

    bool bigOperatorRule(Row& r) {
        if (!isBigOperator(r.current())) return false;
        const std::int32_t next = r.next();
        r.open = readBigOperator(r.current(), next >= 0 && isOperand(next));
        r.body = 0;
        ++r.k;
        return true;
    }

    bool bodyItemRule(Row& r) {
        ++r.body;
        return false;
    }

    // sin x^2 was taken by the parser; log_a b and sin^2 x leave the argument next.
    bool functionHeadRule(Row& r) {
        const std::int32_t i = r.current();
        if (!isFunctionHead(i)) return false;
        ++r.k;
        const Node& head = at(i);
        if (head.kind == NodeKind::Script) readFunctionHead(at(head.a).symbol, head.b, head.c);
        else readFunctionHead(head.symbol, -1, -1);
        r.k = sayPrimes(r, r.k);
        if (r.has(r.k) && isOperand(r.current()) && !isBigOperator(r.current())) {
            readArgument(r.current(), true);
            ++r.k;
        }
        return true;
    }

    // text()^n A_p: a script written before its base
    bool prescriptRule(Row& r) {
        const Node& node = at(r.current());
        const std::int32_t next = r.next();
        if (node.kind != NodeKind::Script || !isEmpty(node.a) || next < 0 || !isOperand(next)) return false;
        readNode(next);
        w_.pause();
        w_.phrase(Say(P::Com));
        if (node.c >= 0) {
            readNode(node.c);
            w_.phrase(Say(P::SobrescritoAEsquerda));
        }
        if (node.b >= 0) {
            if (node.c >= 0) w_.phrase(Say(P::E));
            readNode(node.b);
            w_.phrase(Say(P::SubscritoAEsquerda));
        }
        w_.pause();
        r.k += 2;
        return true;
    }

    // u \^ v: the angle between two vectors
    bool vectorAngleRule(Row& r) {
        if (!r.has(r.k + 2)) return false;
        const Node& mid = at(r.next());
        if (mid.kind != NodeKind::Symbol || !(mid.flags & kEscaped) || mid.symbol->role != Role::Caret) return false;
        w_.noun(Say(P::AnguloEntre));
        readNode(r.current());
        w_.phrase(Say(P::E));
        readNode(r.item(r.k + 2));
        r.k += 3;
        return true;
    }

    // g o f
    bool compositionRule(Row& r) {
        const Node& node = at(r.current());
        if (node.kind != NodeKind::Letter || f_.text(node) != "o" || r.k == 0 || r.next() < 0 ||
            !isFunctionLetter(r.item(r.k - 1)) || !isFunctionLetter(r.next()))
            return false;
        w_.phrase(Say(P::CompostaCom));
        ++r.k;
        return true;
    }

    // f^-1(x): the inverse function applied
    bool inverseFunctionRule(Row& r) {
        const Node& node = at(r.current());
        const std::int32_t next = r.next();
        if (node.kind != NodeKind::Script || node.b >= 0 || node.c < 0 || !isFunctionLetter(node.a) ||
            !isMinusOne(node.c) || next < 0 || !isCallBracket(next))
            return false;
        readNode(node.a);
        w_.phrase(Say(P::Inversa));
        readCall(node.a, next);
        r.k += 2;
        return true;
    }

    bool isCapital(std::int32_t i) const {
        const Node& n = at(unwrap(i));
        return n.kind == NodeKind::Letter && n.length == 1 && f_.source[n.begin] >= 'A' && f_.source[n.begin] <= 'Z';
    }

    bool isLetterText(std::int32_t i, std::string_view text) const {
        const Node& n = at(unwrap(i));
        return n.kind == NodeKind::Letter && f_.text(n) == text;
    }

    // How many capitals side by side make the item: 3 for "PQR"; 0 for anything else.
    std::size_t capitalsRun(std::int32_t i) const {
        const Node& n = at(unwrap(i));
        if (n.kind != NodeKind::Row && n.kind != NodeKind::Group) return 0;
        if (n.kind == NodeKind::Group && !(n.flags & kInvisible)) return 0;
        std::size_t count = 0;
        for (std::int32_t c = n.first; c >= 0; c = at(c).next) {
            if (!isCapital(c)) return 0;
            ++count;
        }
        return count;
    }

    // u xx v between vectors is the vector product, u . v the scalar product
    bool vectorProductRule(Row& r) {
        if (r.k == 0 || !r.has(r.k + 1)) return false;
        const Node& n = at(r.current());
        if (n.kind != NodeKind::Symbol || (n.flags & kEscaped)) return false;
        if (!isVector(r.item(r.k - 1)) || !isVector(r.next())) return false;
        const std::string_view in = n.symbol->input;
        const bool cross = in == "xx" || in == "times" || in == "×";
        const bool dot = in == "." || in == "*" || in == "cdot" || in == "·";
        if (!cross && !dot) return false;
        w_.operatorPhrase(Say(cross ? P::Vetorial : P::Escalar));
        ++r.k;
        return true;
    }

    bool isVector(std::int32_t i) const {
        const Node& n = at(i);
        return n.kind == NodeKind::Unary && n.symbol->role == Role::Vec;
    }

    // C_(n,p), A_(n,p), C_n^p: combinations and arrangements; P_n, P_n^(a,b): permutations
    bool combinatoricsRule(Row& r) {
        const Node& n = at(r.current());
        if (n.kind != NodeKind::Script || n.b < 0 || !isCapital(n.a)) return false;
        const char which = f_.source[at(n.a).begin];
        if (which != 'C' && which != 'A' && which != 'P') return false;
        std::vector<std::int32_t> sub;
        const Node& s = at(n.b);
        if (s.kind == NodeKind::Group && (s.flags & kInvisible)) collect(n.b, sub);
        else sub.push_back(n.b);
        if (which == 'P') {
            if (sub.size() != 1 || !isAtom(sub[0])) return false;
            const Node& count = at(unwrap(sub[0]));
            // P_1, P_2 name points; a permutation's count is a letter, or it has repetitions
            if (n.c < 0 && !(count.kind == NodeKind::Letter && f_.source[count.begin] >= 'a' && f_.source[count.begin] <= 'z'))
                return false;
            w_.phrase(Say(P::PermutacaoDe));
            readNode(sub[0]);
            if (n.c >= 0) {
                w_.phrase(Say(P::ComRepeticaoDe));
                ++bracketDepth_;
                readNode(n.c);
                --bracketDepth_;
            }
            ++r.k;
            return true;
        }
        std::int32_t total = -1, taken = -1;
        if (sub.size() == 3 && isSymbol(sub[1], Role::Comma) && isShort(sub[0]) && isShort(sub[2]) && n.c < 0) {
            total = sub[0];
            taken = sub[2];
        } else if (sub.size() == 1 && n.c >= 0 && isAtom(sub[0]) && at(unwrap(n.c)).kind == NodeKind::Letter) {
            // C_n^p; with the letters of the other habit, C_p^n, the n is the total. A number
            // above is a power: C_1^2, a leg squared.
            const bool swapped = isLetterText(n.c, "n") || isLetterText(sub[0], "k") || isLetterText(sub[0], "p");
            total = swapped ? n.c : sub[0];
            taken = swapped ? sub[0] : n.c;
        } else {
            return false;
        }
        w_.phrase(Say(which == 'C' ? P::CombinacaoDe : P::ArranjoDe));
        readNode(total);
        w_.pause();
        readNode(taken);
        w_.phrase(Say(P::A));
        readNode(taken);
        w_.scopeEnd();
        ++r.k;
        return true;
    }

    // g^((n))(t), f^((4)): the derivative of order n, the order in brackets above the name
    bool higherDerivativeRule(Row& r) {
        const Node& n = at(r.current());
        if (n.kind != NodeKind::Script || n.b >= 0 || n.c < 0 || !isLetterLike(n.a)) return false;
        const Node& order = at(unwrap(n.c));
        if (order.kind != NodeKind::Group || (order.flags & (kInvisible | kMatrix)) || order.symbol->role != Role::Paren ||
            !order.close || order.first < 0 || order.first != order.last || !isAtom(order.first))
            return false;
        if (isLetterText(order.first, "n")) {
            w_.phrase(Say(P::DerivadaEnesimaDe));
        } else {
            w_.phrase(Say(P::DerivadaDeOrdem));
            readNode(order.first);
            w_.phrase(Say(P::De));
        }
        readNode(n.a);
        ++r.k;
        if (r.has(r.k) && isCallBracket(r.current())) {
            readCall(n.a, r.current());
            ++r.k;
        }
        return true;
    }

    // (g @ h)(t): a composed function applied
    bool composedCallRule(Row& r) {
        const std::int32_t i = r.current();
        const std::int32_t next = r.next();
        if (next < 0 || !isCallBracket(next)) return false;
        const Node& g = at(i);
        if (g.kind != NodeKind::Group || (g.flags & (kInvisible | kMatrix)) || g.symbol->role != Role::Paren || !g.close)
            return false;
        std::vector<std::int32_t> items;
        collect(i, items);
        if (items.size() != 3 || !isLetterLike(items[0]) || !isLetterLike(items[2])) return false;
        const Node& mid = at(items[1]);
        const bool composed = (mid.kind == NodeKind::Symbol && !(mid.flags & kEscaped) &&
                               (mid.symbol->input == "@" || mid.symbol->input == "circ")) ||
                              (mid.kind == NodeKind::Letter && f_.text(mid) == "o");
        if (!composed) return false;
        readNode(items[0]);
        w_.phrase(Say(P::CompostaCom));
        readNode(items[2]);
        w_.pause();
        readArgument(next, true);
        r.k += 2;
        return true;
    }

    // "linha", "duas linhas", "três linhas": the primes from item j on; returns the item after
    std::size_t sayPrimes(const Row& r, std::size_t j) {
        std::size_t count = 0;
        while (r.has(j + count) && isSymbol(r.item(j + count), Role::Prime)) ++count;
        if (count == 1) {
            w_.phrase(Say(P::Linha));
        } else if (count == 2 || count == 3) {
            w_.phrase(Say(count == 2 ? P::DuasLinhas : P::TresLinhas));
        } else if (count > 3) {
            w_.word(std::to_string(count));
            w_.phrase(Say(P::Linhas));
        }
        return j + count;
    }

    bool primesRule(Row& r) {
        // a single prime reads alone, as "linha"
        if (!isSymbol(r.current(), Role::Prime) || !r.has(r.k + 1) || !isSymbol(r.next(), Role::Prime)) return false;
        r.k = sayPrimes(r, r.k);
        return true;
    }

    // The variable of "d/dx", "d/(dt)", "del/(del x)": the item after the d, or -1.
    std::int32_t derivativeVariable(std::int32_t below, bool& partial) const {
        const Node& b = at(unwrap(below));
        if (isDifferential(b)) {
            partial = false;
            return unwrap(below);
        }
        // two items side by side: "d x", "del x"
        if ((b.kind != NodeKind::Row && b.kind != NodeKind::Group) || b.first < 0 || at(b.first).next != b.last)
            return -1;
        const std::int32_t d = b.first, variable = b.last;
        if (!isAtom(variable)) return -1;
        if (at(d).kind == NodeKind::Letter && f_.text(at(d)) == "d") partial = false;
        else if (isSymbolInput(d, "del") || isSymbolInput(d, "partial")) partial = true;
        else return -1;
        return variable;
    }

    // dx, dy, dt...: one symbol for "d" and a letter
    static bool isDifferential(const Node& n) {
        return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->input.size() == 2 &&
               n.symbol->input[0] == 'd' && n.symbol->words.starts_with("d ");
    }

    bool isSymbolInput(std::int32_t i, std::string_view input) const {
        const Node& n = at(i);
        return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->input == input;
    }

    // d/dx (x^2+1), del/(del x) f, dy/dx, (del f)/(del x)
    bool derivativeRule(Row& r) {
        const Node& n = at(r.current());
        if (n.kind != NodeKind::Frac) return false;
        bool partial = false;
        const std::int32_t variable = derivativeVariable(n.b, partial);
        if (variable < 0) return false;
        const Node& top = at(unwrap(n.a));
        std::int32_t of = -1;  // what is derived, written above: dy/dx
        if (top.kind == NodeKind::Letter && f_.text(top) == "d") {
            if (partial) return false;
        } else if (isSymbolInput(unwrap(n.a), "del") || isSymbolInput(unwrap(n.a), "partial")) {
            if (!partial) return false;
        } else {
            bool topPartial = false;
            of = derivativeVariable(n.a, topPartial);
            if (of < 0 || topPartial != partial) return false;
        }
        w_.phrase(Say(partial ? P::DerivadaParcial : P::Derivada));
        if (of >= 0) {
            w_.phrase(Say(P::De));
            sayVariable(of);
        }
        w_.phrase(Say(P::EmRelacaoA));
        sayVariable(variable);
        ++r.k;
        if (of < 0 && r.has(r.k) && isOperand(r.current())) {
            readArgument(r.current(), true);
            ++r.k;
        }
        return true;
    }

    // the x of "dx", or the item itself
    void sayVariable(std::int32_t i) {
        const Node& n = at(i);
        if (isDifferential(n))
            w_.word(n.symbol->input.substr(1));
        else
            readNode(i);
    }

    // f(x), f'(x), P(A): a letter applied to what follows in brackets
    bool functionCallRule(Row& r) {
        const std::int32_t i = r.current();
        if (!isLetterLike(i)) return false;
        std::size_t j = r.k + 1;
        while (r.has(j) && isSymbol(r.item(j), Role::Prime)) ++j;
        if (!r.has(j) || !isCallBracket(r.item(j)) || !callReads(i, r.item(j))) return false;
        readNode(i);
        sayPrimes(r, r.k + 1);
        readCall(i, r.item(j));
        r.k = j + 1;
        return true;
    }

    void plainItem(Row& r) {
        afterTends_ = r.k > 0 && isSymbol(r.item(r.k - 1), Role::Tends);
        readNode(r.current());
        afterTends_ = false;
        ++r.k;
    }

    // f: A -> B. stops[j]: the first arrow, relation or comma at j or after it, or the row's
    // length; filled on the first colon of a row, so that a row of many colons reads in time
    // linear in its length.
    bool mapsAhead(const std::vector<std::int32_t>& items, std::size_t colon,
                   std::vector<std::size_t>& stops) const {
        if (stops.empty()) {
            stops.assign(items.size() + 1, items.size());
            for (std::size_t j = items.size(); j-- > 0;) {
                const bool stop = isSymbolKind(items[j], SymbolKind::Relation) || isSymbol(items[j], Role::Comma);
                stops[j] = stop ? j : stops[j + 1];
            }
        }
        const std::size_t j = stops[colon + 1];
        return j < items.size() && isSymbol(items[j], Role::Tends) && j > colon + 1;
    }

    // A bracket sign standing alone, as in the open interval ]0,1[.
    bool isBracketSign(std::int32_t i, std::string_view sign) const {
        const Node& n = at(i);
        if (n.kind == NodeKind::Symbol) return n.symbol && n.symbol->input == sign;
        return n.kind == NodeKind::Group && !n.close && n.first < 0 && n.symbol->input == sign;
    }

    // Whether "X(...)" reads as "X de ...": always for f and g, for other letters when what is
    // in the brackets is short, or for P(A | B).
    bool callReads(std::int32_t letter, std::int32_t bracket) const {
        if (isFunctionLetter(letter) || isCountingLetter(letter, bracket) || calledElsewhere(letter)) return true;
        const Node& g = at(bracket);
        if (g.first >= 0 && g.first == g.last && isShort(g.first, true)) return true;
        return conditionalBar(letter, bracket) >= 0;
    }

    // n(A uu B), P(A nn B): the number of elements of a set and the probability of an event,
    // named by a capital; n(n+1) is a product.
    bool isCountingLetter(std::int32_t letter, std::int32_t bracket) const {
        const Node& l = at(letter);
        if (l.kind != NodeKind::Letter || (f_.text(l) != "n" && f_.text(l) != "P")) return false;
        const std::int32_t first = at(bracket).first;
        if (first < 0) return false;
        const Node& set = at(first);
        if (set.kind == NodeKind::Letter) return f_.text(set)[0] >= 'A' && f_.text(set)[0] <= 'Z';
        return set.kind == NodeKind::Symbol && !(set.flags & kEscaped) && set.symbol->kind == SymbolKind::Constant &&
               set.symbol->input[0] >= 'A' && set.symbol->input[0] <= 'Z';
    }

    // A letter that the formula applies elsewhere to a letter or number: u in "u(x) = u(x+1)".
    bool calledElsewhere(std::int32_t letter) const {
        const Node& l = at(letter);
        return l.kind == NodeKind::Letter && l.length == 1 && (f_.calledLetters & LetterBit(f_.source[l.begin]));
    }

    // The bar of P(A | B), or -1.
    std::int32_t conditionalBar(std::int32_t letter, std::int32_t bracket) const {
        const Node& l = at(letter);
        if (l.kind != NodeKind::Letter || f_.text(l) != "P") return -1;
        std::vector<std::int32_t> items;
        collect(bracket, items);
        for (std::size_t k = 1; k + 1 < items.size(); ++k)
            if (isSymbolKind(items[k], SymbolKind::Bar)) return items[k];
        return -1;
    }

    void readCall(std::int32_t letter, std::int32_t bracket) {
        const std::int32_t bar = conditionalBar(letter, bracket);
        if (bar < 0) {
            readArgument(bracket, true);
            return;
        }
        std::vector<std::int32_t> items, before, after;
        collect(bracket, items);
        bool seen = false;
        for (std::int32_t i : items) {
            if (i == bar) seen = true;
            else (seen ? after : before).push_back(i);
        }
        w_.phrase(Say(P::De));
        readItems(before);
        w_.phrase(Say(P::Dado));
        readItems(after);
    }

    // The argument of a function: "seno de x", "seno de abre parêntese a mais b fecha parêntese".
    void readArgument(std::int32_t arg, bool withDe) {
        if (withDe) w_.phrase(Say(P::De));
        const Node& a = at(arg);
        if (a.kind == NodeKind::Group && !(a.flags & kMatrix) && a.symbol->role == Role::Paren &&
            a.first >= 0) {
            std::vector<std::int32_t> items;
            collect(arg, items);
            if ((items.size() == 1 && isShort(items[0], true)) || isAngle(items) || isSingleAmount(items)) {
                readItems(items);
                sayTypingError(arg);
                return;
            }
        }
        readNode(arg);
    }

    // One amount written as several items: "-x", "60°", "1,5", "2 cm".
    bool isSingleAmount(const std::vector<std::int32_t>& items) const {
        for (std::int32_t i : items)
            if (isSymbol(i, Role::Comma)) return false;  // f(1,5): two arguments
        if (items.size() == 2 && (isSymbol(items[0], Role::Minus) || isSymbol(items[0], Role::Plus)) && isAtom(items[1]))
            return true;
        if (items.empty() || at(items[0]).kind != NodeKind::Number) return false;
        const Row r(items);
        std::string text;
        std::size_t end = 1;
        if (numberAt(r, 0, text, end).length != text.size()) return false;
        std::size_t after = end;
        if (unitAt(r, end, true, after).length > 0) end = after;
        else if (r.has(end) && isDegreeSign(r.item(end))) ++end;
        return end == items.size();
    }

    bool isDegreeSign(std::int32_t i) const {
        const Node& n = at(i);
        return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && (n.symbol->input == "°" || n.symbol->input == "º");
    }

    bool isAngle(const std::vector<std::int32_t>& items) const {
        if (items.size() != 3) return false;
        const Node& mid = at(items[1]);
        return mid.kind == NodeKind::Symbol && (mid.flags & kEscaped) && mid.symbol->role == Role::Caret;
    }

    void readFunctionHead(const Symbol* s, std::int32_t sub, std::int32_t sup) {
        if (sub >= 0 && s->role == Role::Log) {
            w_.phrase(Say(P::LogaritmoNaBase));
            readNode(sub);
            closeScope(isSimple(sub), Say(P::FimDaBase));
        } else {
            w_.phrase(s->words);
            if (sub >= 0) readSubscript(sub);
        }
        if (sup >= 0) readExponent(sup, s->flags & kFeminine);
    }

    Open readBigOperator(std::int32_t i, bool bodyFollows) {
        const Node& n = at(i);
        const bool scripted = n.kind == NodeKind::Script;
        const Symbol* s = scripted ? at(n.a).symbol : n.symbol;
        const std::int32_t sub = scripted ? n.b : -1;
        const std::int32_t sup = scripted ? n.c : -1;
        w_.phrase(s->words);
        if (s->role == Role::Limit) {
            if (sub >= 0) {
                w_.phrase(containsTends(sub) ? Say(P::Quando) : Say(P::Com));
                readNode(sub);
            }
            if (sup >= 0) {
                w_.phrase(Say(P::ElevadoA));
                readNode(sup);
            }
        } else if (sub >= 0 && sup >= 0) {
            w_.phrase(Say(P::De));
            readNode(sub);
            w_.phrase(Say(P::Ate));
            readNode(sup);
        } else if (sub >= 0) {
            w_.phrase(s->role == Role::Integral ? Say(P::Sobre) : Say(P::Para));
            readNode(sub);
        } else if (sup >= 0) {
            w_.phrase(Say(P::Ate));
            readNode(sup);
        }
        if (bodyFollows) w_.phrase(Say(P::De));
        switch (s->role) {
        case Role::Sum: return Open::Sum;
        case Role::Prod: return Open::Product;
        case Role::Limit: return Open::Limit;
        default: return Open::None;
        }
    }

    bool containsTends(std::int32_t i) const {
        std::vector<std::int32_t> items;
        const Node& n = at(i);
        if (n.kind == NodeKind::Row || n.kind == NodeKind::Group) collect(i, items);
        else items.push_back(i);
        for (std::int32_t c : items)
            if (isSymbol(c, Role::Tends)) return true;
        return false;
    }

    // ---- single nodes ----------------------------------------------------------------------

    void readNode(std::int32_t i) {
        const Node& n = at(i);
        switch (n.kind) {
        case NodeKind::Symbol: readSymbol(n); break;
        case NodeKind::Number: readNumber(f_.text(n)); break;
        case NodeKind::Letter: readLetter(f_.text(n)); break;
        case NodeKind::Text: readText(f_.text(n)); break;
        case NodeKind::Row: readChildren(i); break;
        case NodeKind::Group: readGroup(i, false); break;
        case NodeKind::Unary: readUnary(n); break;
        case NodeKind::Binary: readBinary(n); break;
        case NodeKind::Frac: readFraction(n.a, n.b); break;
        case NodeKind::Script: readScript(i); break;
        }
    }

    // A lone sign, then the slip it shows ("expoente vazio").
    void readSymbol(const Node& n) {
        const auto i = static_cast<std::int32_t>(&n - f_.nodes.data());
        if (typingErrors_.before(i)) sayTypingError(i);
        readSymbolAlone(n);
        if (!typingErrors_.before(i)) sayTypingError(i);
    }

    void readSymbolAlone(const Node& n) {
        const Symbol* s = n.symbol;
        if (n.flags & kEscaped) {
            w_.phrase(s->words);
            return;
        }
        switch (s->role) {
        case Role::Comma: w_.pause(); return;
        case Role::Semicolon: w_.semicolon(); return;
        case Role::Dot: return;
        default: break;
        }
        if (s->kind == SymbolKind::Space) return;
        if (s->flags & kArticle) w_.noun(s->words);
        else if (s->kind == SymbolKind::Operator) w_.operatorPhrase(s->words);
        else w_.phrase(s->words);
    }

    void readNumber(std::string_view digits) {
        const NumberMatch m = MatchNumber(digits);
        if (m.length != digits.size()) {  // not a number after all: its text as it stands
            w_.word(digits);
            return;
        }
        sayNumber(m);
    }

    // "3250 vírgula 75", "dízima periódica 1 vírgula 2 período 3"
    void sayNumber(const NumberMatch& m) {
        if (!m.period.empty()) w_.phrase(Say(P::DizimaPeriodica));
        if (m.integer.find('.') == std::string_view::npos) {
            w_.word(m.integer);
        } else {
            std::string whole(m.integer);
            std::erase(whole, '.');
            w_.word(whole);
        }
        if (m.decimals.empty() && m.period.empty()) return;
        w_.phrase(Say(P::Virgula));
        w_.word(m.decimals);
        if (m.period.empty()) return;
        w_.phrase(Say(P::Periodo));
        w_.word(m.period);
    }

    void readLetter(std::string_view letter) {
        // Alone, "e" and "o" are read as the words "and" and "the"; these are the letters' names.
        if (letter == "e") w_.word(Say(P::LetraE));
        else if (letter == "o") w_.word(Say(P::LetraO));
        else w_.word(letter);
        if (letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z' &&
            (f_.lowerLetters & (1u << (letter[0] - 'A'))))
            w_.phrase(Say(P::Maiusculo));
    }

    // Text written in the formula, read as it stands; "nº" is read as the word it abbreviates.
    void readText(std::string_view text) {
        std::string clean;
        clean.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 0x20 || c == 0x7F) {
                clean += ' ';
                continue;
            }
            if ((c == 'n' || c == 'N') && (i == 0 || text[i - 1] == ' ') &&
                (text.substr(i + 1, 2) == "º" || text.substr(i + 1, 2) == "°")) {
                clean += Say(P::Numero);
                i += 2;
                continue;
            }
            clean += static_cast<char>(c);
        }
        std::size_t b = 0;
        while (b < clean.size()) {
            while (b < clean.size() && clean[b] == ' ') ++b;
            std::size_t e = b;
            while (e < clean.size() && clean[e] != ' ') ++e;
            if (e > b) w_.word(std::string_view(clean).substr(b, e - b));
            b = e;
        }
    }

    // A bracket and what it holds, then the slip it shows ("parêntese sem fechamento").
    void readGroup(std::int32_t i, bool baseOfScript) {
        readGroupAlone(i, baseOfScript);
        sayTypingError(i);
    }

    void sayTypingError(std::int32_t i) {
        const std::string_view words = typingErrors_.after(i);
        if (words.empty()) return;
        const bool first = typingErrors_.before(i);
        if (!first) w_.pause();
        w_.phrase(words);
        if (first) w_.pause();
        else w_.pauseBeforeNext();
    }

    void readGroupAlone(std::int32_t i, bool baseOfScript) {
        const Node& g = at(i);
        if (g.flags & kMatrix) {
            readMatrix(i);
            return;
        }
        if (g.flags & kInvisible) {
            readChildren(i);
            return;
        }
        const SymbolKind kind = g.symbol->kind;
        const Role role = g.symbol->role;
        if (g.close && (kind == SymbolKind::Bar || kind == SymbolKind::DoubleBar ||
                        role == Role::FloorBracket || role == Role::CeilBracket)) {
            const bool abs = kind == SymbolKind::Bar;
            const bool norm = kind == SymbolKind::DoubleBar;
            w_.phrase(abs ? Say(P::ModuloDe) : norm ? Say(P::NormaDe) : role == Role::FloorBracket ? Say(P::PisoDe) : Say(P::TetoDe));
            readChildren(i);
            const bool isShortContent = g.first >= 0 && g.first == g.last && isShort(g.first);
            closeScope(isShortContent && !baseOfScript, abs ? Say(P::FimDoModulo) : norm ? Say(P::FimDaNorma) : role == Role::FloorBracket ? Say(P::FimDoPiso) : Say(P::FimDoTeto));
            return;
        }
        if (role == Role::Brace && g.first < 0 && g.close && g.close->role == Role::Brace) {
            w_.noun(Say(P::ConjuntoVazio));
            return;
        }
        if (readInterval(i)) return;
        w_.phrase(g.symbol->words);
        ++bracketDepth_;
        const Role outer = bracket_;
        bracket_ = role;
        readChildren(i);
        bracket_ = outer;
        --bracketDepth_;
        if (g.close) w_.phrase(g.close->words);
    }

    // ---- intervals ----

    // The two ends of an interval: one item each, perhaps with a sign, around one comma.
    bool splitEnds(const std::vector<std::int32_t>& items, std::size_t from, std::size_t to,
                   std::vector<std::int32_t>& left, std::vector<std::int32_t>& right) const {
        std::size_t comma = to;
        for (std::size_t k = from; k < to; ++k) {
            if (!isSymbol(items[k], Role::Comma)) continue;
            if (comma != to) return false;
            comma = k;
        }
        if (comma == to) return false;
        const auto end = [&](std::size_t a, std::size_t b, std::vector<std::int32_t>& out) {
            if (b == a + 1) return !isSymbolKind(items[a], SymbolKind::Operator) && !isSymbolKind(items[a], SymbolKind::Relation);
            if (b != a + 2 || !(isSymbol(items[a], Role::Minus) || isSymbol(items[a], Role::Plus))) return false;
            out.assign(items.begin() + static_cast<std::ptrdiff_t>(a), items.begin() + static_cast<std::ptrdiff_t>(b));
            return isAtom(items[a + 1]);
        };
        left.assign(1, items[from]);
        right.assign(1, items[comma + 1 < to ? comma + 1 : from]);
        return end(from, comma, left) && end(comma + 1, to, right);
    }

    // "intervalo fechado de a a b", "intervalo aberto em a e fechado em b"
    void sayInterval(bool closedLeft, bool closedRight, const std::vector<std::int32_t>& left,
                     const std::vector<std::int32_t>& right) {
        ++bracketDepth_;
        if (closedLeft == closedRight) {
            w_.noun(Say(closedLeft ? P::IntervaloFechadoDe : P::IntervaloAbertoDe));
            readItems(left);
            w_.phrase(Say(P::A));
            readItems(right);
        } else {
            w_.noun(Say(closedLeft ? P::IntervaloFechadoEm : P::IntervaloAbertoEm));
            readItems(left);
            w_.phrase(Say(closedRight ? P::EFechadoEm : P::EAbertoEm));
            readItems(right);
        }
        --bracketDepth_;
    }

    // [a,b], [a,b), (a,b], [a,b[ as a group; a plain pair (a,b) stays a pair.
    bool readInterval(std::int32_t i) {
        const Node& g = at(i);
        const Role open = g.symbol->role;
        if (open != Role::Paren && open != Role::Square) return false;
        std::vector<std::int32_t> items, left, right;
        collect(i, items);
        bool closedRight = false;
        std::size_t to = items.size();
        if (g.close) {
            const Role close = g.close->role;
            if ((close != Role::Paren && close != Role::Square) || (open == Role::Paren && close == Role::Paren)) return false;
            closedRight = close == Role::Square;
        } else {
            // [a,b[: the second bracket opens a group that nothing closes
            if (open != Role::Square || items.empty() || !isBracketSign(items.back(), "[")) return false;
            --to;
        }
        if (!splitEnds(items, 0, to, left, right)) return false;
        sayInterval(open == Role::Square, closedRight, left, right);
        return true;
    }

    // ]a,b[ and ]a,b]: a closing bracket first, then the two ends, then a bracket
    bool reversedIntervalRule(Row& r) {
        if (at(r.current()).symbol->kind != SymbolKind::RightBracket || !isBracketSign(r.current(), "]")) return false;
        std::vector<std::int32_t> left, right;
        for (std::size_t to = r.k + 4; to <= r.k + 6 && r.has(to); ++to) {
            const std::int32_t last = r.item(to);
            const bool opening = isBracketSign(last, "[");
            if (!opening && !isBracketSign(last, "]")) continue;
            if (!splitEnds(r.items, r.k + 1, to, left, right)) continue;
            sayInterval(false, !opening, left, right);
            r.k = to + 1;
            return true;
        }
        return false;
    }

    // ((n),(k)): two rows of one item each in round brackets is the binomial coefficient
    bool readBinomial(std::int32_t i, const std::vector<std::int32_t>& rows) {
        const Node& g = at(i);
        if (rows.size() != 2 || g.symbol->role != Role::Paren || !g.close || g.close->role != Role::Paren) return false;
        for (std::int32_t row : rows) {
            const Node& r = at(row);
            if (r.first < 0 || r.first != r.last || !isShort(r.first)) return false;
        }
        w_.phrase(Say(P::BinomialDe));
        readNode(at(rows[0]).first);
        w_.phrase(Say(P::Sobre));
        readNode(at(rows[1]).first);
        w_.pauseBeforeNext();
        return true;
    }

    void readMatrix(std::int32_t i) {
        const Node& g = at(i);
        std::vector<std::int32_t> rows;
        for (std::int32_t c = g.first; c >= 0; c = at(c).next)
            if (at(c).kind == NodeKind::Group) rows.push_back(c);
        if (readBinomial(i, rows)) return;
        std::size_t columns = 1;
        for (std::int32_t c = at(rows[0]).first; c >= 0; c = at(c).next)
            if (isSymbol(c, Role::Comma)) ++columns;
        const bool brace = g.symbol->role == Role::Brace;
        const bool system = brace && columns == 1;
        const bool cases = brace && columns > 1;  // f(x) = {(x, x >= 0), (-x, x < 0):}
        const bool determinant = g.symbol->kind == SymbolKind::Bar;
        const std::string count = std::to_string(rows.size());
        if (system) {
            w_.phrase(Say(P::SistemaDe));
            w_.word(count);
            w_.phrase(Say(P::Equacoes));
        } else if (cases) {
            w_.phrase(Say(P::ChaveCom));
            w_.word(count);
            w_.phrase(Say(P::Casos));
        } else if (columns == 1 && !determinant) {
            w_.phrase(Say(P::VetorColunaDe));
            w_.word(count);
            w_.phrase(Say(P::Elementos));
        } else {
            w_.phrase(determinant ? Say(P::Determinante) : Say(P::Matriz));
            w_.word(count);
            w_.phrase(Say(P::Por));
            w_.word(std::to_string(columns));
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            w_.semicolon();
            if (system) {
                if (!OrdinalWord(r + 1).empty()) {
                    w_.phrase(OrdinalWord(r + 1));
                } else {
                    w_.phrase(Say(P::Equacao));
                    w_.word(std::to_string(r + 1));
                }
                w_.colon();
            } else if (cases) {
                w_.phrase(Say(P::Caso));
                w_.word(std::to_string(r + 1));
                w_.colon();
            } else if (columns > 1 || determinant) {
                w_.phrase(Say(P::Linha));
                w_.word(std::to_string(r + 1));
                w_.colon();
            }
            ++bracketDepth_;
            readChildren(rows[r]);
            --bracketDepth_;
        }
        w_.end(system ? Say(P::FimDoSistema) : cases ? Say(P::FimDosCasos) : columns == 1 && !determinant ? Say(P::FimDoVetor)
               : determinant                                       ? Say(P::FimDoDeterminante)
                                                                   : Say(P::FimDaMatriz));
    }

    void readUnary(const Node& n) {
        const Symbol* s = n.symbol;
        if (s->kind == SymbolKind::Function) {
            readFunctionHead(s, -1, -1);
            readArgument(n.a, true);
            return;
        }
        const std::int32_t a = n.a;
        const bool shortArg = isShort(a);
        switch (s->role) {
        case Role::Sqrt:
            if (isEmpty(a)) {
                w_.phrase(s->words);
                sayTypingError(a);
                return;
            }
            w_.phrase(Say(P::RaizQuadradaDe));
            readNode(a);
            closeScope(shortArg, Say(P::FimDaRaiz));
            return;
        case Role::Abs:
        case Role::Norm:
        case Role::Floor:
        case Role::Ceil: {
            static constexpr P kEnds[] = {P::FimDoModulo, P::FimDaNorma, P::FimDoPiso, P::FimDoTeto};
            const int which = s->role == Role::Abs ? 0 : s->role == Role::Norm ? 1 : s->role == Role::Floor ? 2 : 3;
            w_.phrase(s->words);
            w_.phrase(Say(P::De));
            readNode(a);
            closeScope(shortArg, Say(kEnds[which]));
            return;
        }
        case Role::Vec:
            w_.phrase(Say(P::Vetor));
            readNode(a);
            if (!shortArg || closesEverything()) w_.end(Say(P::FimDoVetor));
            return;
        case Role::PostfixAccent:
            if ((s->input == "bar" || s->input == "overline") && capitalsRun(a) >= 2) {
                w_.noun(Say(P::Segmento));
                readNode(a);
                return;
            }
            if (s->input == "hat" && capitalsRun(a) == 3) {
                w_.noun(Say(P::Angulo));
                readNode(a);
                return;
            }
            if (shortArg || isLetterRun(a)) {
                readNode(a);
                w_.phrase(s->words);
            } else {
                const AccentWords words = AccentPhrases(s->input);
                w_.phrase(words.before);
                readNode(a);
                w_.end(words.end);
            }
            return;
        case Role::PrefixAccent:
            w_.phrase(s->words);
            readNode(a);
            if (!shortArg || closesEverything()) w_.end(Say(P::FimDoArco));
            return;
        case Role::DoubleStruck: {
            const Node& arg = at(unwrap(a));
            if (arg.kind == NodeKind::Letter && arg.length == 1) {
                const Symbol* set = MatchSymbol(std::string(2, f_.source[arg.begin]));
                if (set && (set->flags & kArticle)) {
                    w_.noun(set->words);
                    return;
                }
            }
            readNode(a);
            if (shortArg) w_.phrase(s->words);
            return;
        }
        case Role::Font:
            readNode(a);
            if (shortArg) w_.phrase(s->words);
            return;
        default:
            w_.phrase(s->words);
            readNode(a);
            return;
        }
    }

    void readBinary(const Node& n) {
        const Symbol* s = n.symbol;
        if (n.b < 0) {  // frac(a) with nothing after it
            if (s->role != Role::Color) w_.phrase(s->words);
            readNode(n.a);
            return;
        }
        switch (s->role) {
        case Role::Frac: readFraction(n.a, n.b); return;
        case Role::Root: readRoot(n.a, n.b); return;
        case Role::Color: readNode(n.b); return;
        default:  // overset, underset, stackrel
            readNode(n.b);
            w_.phrase(Say(P::Com));
            readNode(n.a);
            w_.phrase(s->words);
            return;
        }
    }

    static int smallNumber(std::string_view digits) {
        if (digits.empty() || digits.size() > 2) return -1;
        int v = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    }

    void readFraction(std::int32_t top, std::int32_t bottom) {
        const Node& t = at(unwrap(top));
        const Node& b = at(unwrap(bottom));
        if (t.kind == NodeKind::Number && b.kind == NodeKind::Number) {
            const int num = smallNumber(f_.text(t));
            const int den = smallNumber(f_.text(b));
            if (num >= 1 && den >= 2 && den <= 10) {
                w_.word(f_.text(t));
                w_.phrase(DenominatorWord(den, num != 1));
                return;
            }
        }
        if (isShort(top) && isShort(bottom) && !closesEverything()) {
            readNode(top);
            w_.phrase(Say(P::Sobre));
            readNode(bottom);
            return;
        }
        w_.phrase(Say(P::Fracao));
        w_.pause();
        w_.phrase(Say(P::Numerador));
        readNode(top);
        w_.pause();
        w_.phrase(Say(P::Denominador));
        readNode(bottom);
        w_.end(Say(P::FimDaFracao));
    }

    void readRoot(std::int32_t index, std::int32_t radicand) {
        const Node& ix = at(unwrap(index));
        const int n = ix.kind == NodeKind::Number ? smallNumber(f_.text(ix)) : -1;
        if (n >= 2 && n <= 10) {
            w_.phrase(RootName(n));
        } else if (ix.kind == NodeKind::Letter && f_.text(ix) == "n") {
            w_.phrase(Say(P::RaizEnesima));
        } else {
            w_.phrase(Say(P::RaizDeIndice));
            readNode(index);
            if (!isSimple(index)) w_.pause();
        }
        w_.phrase(Say(P::De));
        readNode(radicand);
        closeScope(isShort(radicand), Say(P::FimDaRaiz));
    }

    void readSubscript(std::int32_t sub) {
        w_.phrase(Say(P::Indice));
        ++bracketDepth_;  // X_(4,2): a comma between numbers separates them
        readNode(sub);
        --bracketDepth_;
        closeScope(isSimple(sub), Say(P::FimDoIndice));
    }

    void readExponent(std::int32_t sup, bool feminine) {
        if (isNumberText(sup, "2")) { w_.phrase(Say(P::AoQuadrado)); return; }
        if (isNumberText(sup, "3")) { w_.phrase(Say(P::AoCubo)); return; }
        if (isSymbol(unwrap(sup), Role::Prime)) { w_.phrase(Say(P::Linha)); return; }
        w_.phrase(feminine ? Say(P::ElevadaA) : Say(P::ElevadoA));
        readNode(sup);
        closeScope(isSimple(sup), Say(P::FimDoExpoente));
    }

    void readScript(std::int32_t i) {
        const Node& n = at(i);
        const bool afterTends = afterTends_;
        afterTends_ = false;
        if (isSymbolKind(n.a, SymbolKind::Function) && at(n.a).symbol->role != Role::Letter) {
            readFunctionHead(at(n.a).symbol, n.b, n.c);
            return;
        }
        if (isSymbolKind(n.a, SymbolKind::BigOperator)) {
            readBigOperator(i, false);
            return;
        }
        const Node& base = at(n.a);
        if (isEmpty(n.a)) {
            if (n.c >= 0) { w_.phrase(Say(P::Sobrescrito)); readNode(n.c); }
            if (n.b >= 0) { w_.phrase(Say(P::Subscrito)); readNode(n.b); }
            return;
        }
        if (base.kind == NodeKind::Group) readGroup(n.a, true);
        else readNode(n.a);
        if (n.b >= 0) readSubscript(n.b);
        if (n.c < 0) return;
        // sin(x)^2, sqrt(x)^2: the power is of everything before it
        const bool applied = (base.kind == NodeKind::Unary &&
                              (base.symbol->kind == SymbolKind::Function ||
                               base.symbol->role == Role::Sqrt || base.symbol->role == Role::Abs ||
                               base.symbol->role == Role::Norm || base.symbol->role == Role::Floor ||
                               base.symbol->role == Role::Ceil)) ||
                             (base.kind == NodeKind::Binary && base.symbol->role == Role::Root);
        if (applied) {
            w_.pause();
            w_.phrase(Say(P::Tudo));
        }
        // M^T: the transpose of a matrix named by a capital
        const bool matrix = (base.kind == NodeKind::Letter && isCapital(n.a) && f_.text(base) != "T") ||
                            (base.kind == NodeKind::Group && base.first >= 0 &&
                             (isCapital(base.first) || (at(base.first).kind == NodeKind::Script && isCapital(at(base.first).a))));
        if (matrix && isLetterText(n.c, "T")) {
            w_.phrase(Say(P::Transposta));
            return;
        }
        if (isDegreeMark(n.c, base)) {
            w_.phrase(Say(P::Graus));
            return;
        }
        const Node& sup = at(unwrap(n.c));
        const bool lone = sup.kind == NodeKind::Symbol && !(sup.flags & kEscaped);
        // x -> a^+: the side from which x comes
        if (afterTends && lone && (sup.symbol->role == Role::Plus || sup.symbol->role == Role::Minus)) {
            w_.phrase(sup.symbol->role == Role::Plus ? Say(P::PelaDireita) : Say(P::PelaEsquerda));
            return;
        }
        // NN^**, RR^*: the set without zero
        if (lone && base.kind == NodeKind::Symbol && (base.symbol->flags & kArticle) &&
            (sup.symbol->input == "*" || sup.symbol->input == "**")) {
            w_.phrase(Say(P::NaoNulos));
            return;
        }
        readExponent(n.c, false);
    }

    // 30^@, 30^circ, 30^o: a small ring raised after a number is how degrees are written.
    bool isDegreeMark(std::int32_t sup, const Node& base) const {
        const Node& s = at(unwrap(sup));
        if (s.kind == NodeKind::Symbol && !(s.flags & kEscaped))
            return s.symbol->input == "@" || s.symbol->input == "circ";
        return s.kind == NodeKind::Letter && f_.text(s) == "o" && base.kind == NodeKind::Number;
    }

    const Formula& f_;
    Words& w_;
    const Verbosity verbosity_;
    std::vector<std::uint32_t>* runs_ = nullptr;  // see itemRuns
    int bracketDepth_ = 0;
    bool afterTends_ = false;  // the node being read follows "tende a"
    Role bracket_ = Role::None;  // the bracket around the row being read
    TypingErrors typingErrors_;
};

}  // namespace

bool ParseVerbosity(std::string_view word, Verbosity& out) {
    if (word == "breve") out = Verbosity::Breve;
    else if (word == "normal") out = Verbosity::Normal;
    else if (word == "detalhada") out = Verbosity::Detalhada;
    else return false;
    return true;
}

std::string ReadPart(const Formula& formula, std::int32_t node, PartReading how, std::uint32_t first,
                     std::uint32_t count, Verbosity verbosity) {
    if (node < 0 || static_cast<std::size_t>(node) >= formula.nodes.size()) return {};
    Words words;
    Reader(formula, words, verbosity).readPart(node, how, first, count);
    return words.take(verbosity == Verbosity::Breve);
}

std::vector<std::uint32_t> ItemRuns(const Formula& formula, std::int32_t parent) {
    std::vector<std::uint32_t> runs;
    if (parent < 0 || static_cast<std::size_t>(parent) >= formula.nodes.size()) return runs;
    Words words;
    Reader(formula, words, Verbosity::Normal).itemRuns(parent, runs);
    return runs;
}

std::string Read(const Formula& formula, Verbosity verbosity) {
    Words words;
    Reader(formula, words, verbosity).readChildren(formula.root);
    std::string reading = words.take(verbosity == Verbosity::Breve);
    if (!reading.empty()) return reading;
    // A formula of punctuation alone (".", ",", ";"): its signs are named, so that the place
    // of the formula is not silent. What shows nothing on the page ("color", "{:") says nothing.
    for (const Node& n : formula.nodes) {
        if (n.kind != NodeKind::Symbol || !n.symbol) continue;
        const std::string_view name = n.symbol->role == Role::Comma       ? Say(P::Virgula)
                                      : n.symbol->role == Role::Semicolon ? Say(P::PontoEVirgula)
                                                                          : n.symbol->words;
        if (name.empty()) continue;
        if (!reading.empty()) reading += ' ';
        reading += name;
    }
    return reading;
}

namespace {

// The decoding, with the origin of each byte when `origin` is given.
std::string decodeReferences(std::string_view utf8, std::vector<std::uint32_t>* origin) {
    if (!origin && utf8.find('&') == std::string_view::npos) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    if (origin) {
        origin->clear();
        origin->reserve(utf8.size() + 1);
    }
    const auto record = [&](std::size_t from) {
        if (origin) origin->resize(out.size(), static_cast<std::uint32_t>(from));
    };
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const std::size_t semi = utf8[i] == '&' ? utf8.find(';', i + 1) : std::string_view::npos;
        if (semi == std::string_view::npos || semi - i > 10) {
            out += utf8[i];
            record(i);
            continue;
        }
        const std::string_view body = utf8.substr(i + 1, semi - i - 1);
        char32_t cp = 0;
        if (body.size() >= 2 && body[0] == '#') {
            // Control characters, surrogates and what lies past Unicode stay as written.
            if (codepage::NumericReference(utf8, i, cp) != semi - i + 1 || cp < 0x20 ||
                (cp >= 0x7F && cp < 0xA0) || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
                cp = 0;
        } else if (body == "amp") {
            cp = U'&';
        } else if (body == "lt") {
            cp = U'<';
        } else if (body == "gt") {
            cp = U'>';
        } else if (body == "quot") {
            cp = U'"';
        } else if (body == "nbsp") {
            cp = U' ';
        }
        if (cp == 0) {
            out += utf8[i];
            record(i);
            continue;
        }
        codepage::AppendUtf8(out, cp);
        record(i);
        i = semi;
    }
    if (origin) origin->push_back(static_cast<std::uint32_t>(utf8.size()));
    return out;
}

}  // namespace

std::string DecodeCharacterReferences(std::string_view utf8) { return decodeReferences(utf8, nullptr); }

std::string DecodeCharacterReferences(std::string_view utf8, std::vector<std::uint32_t>& origin) {
    return decodeReferences(utf8, &origin);
}

std::string ReadFormula(std::string_view utf8, Verbosity verbosity) {
    return Read(Parse(DecodeCharacterReferences(utf8)), verbosity);
}

}  // namespace oxserver
