// Numbers and units: the one owner of number notation (thousands dot, decimal comma, money,
// repeating decimals) and of the units read after a number.
#include <array>

#include "reader/rules.h"
#include "reader/wordtables.h"

namespace reader::rules {

// The text of the number that starts at item j: its digits, a decimal comma and decimals,
// a barred period or three dots. `end`: the item after it.
NumberMatch Reader::numberAt(const Row& r, std::size_t j, std::string& text, std::size_t& end) const {
    text.assign(f_.text(at(r.item(j))));
    end = j + 1;
    if (isDecimalComma(r, end)) {
        const std::int32_t d = r.item(end + 1);
        text += ',';
        if (at(d).kind == NodeKind::Number) {
            text += f_.text(at(d));
        } else {
            text += '(';
            text += f_.text(at(unwrap(at(d).argument())));
            text += ')';
        }
        end += 2;
        if (r.has(end) && !(at(r.item(end)).flags & kSpaced) && text.back() != ')') {
            const std::int32_t t = r.item(end);
            if (isBarredNumber(t)) {
                text += '(';
                text += f_.text(at(unwrap(at(t).argument())));
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

bool Reader::isEllipsis(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->role == Role::Ellipsis;
}

// A unit of measure after a number, from item j on: "cm", "km/h", "m^2", "°C". Sets `end`
// to the item after it and returns its words, or an empty match.
UnitMatch Reader::unitAt(const Row& r, std::size_t j, bool plural, std::size_t& end) const {
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
bool Reader::spellUnit(std::int32_t i, std::string& text, int depth) const {
    const Node& n = at(i);
    switch (n.kind) {
    case NodeKind::Letter:
        if (n.length != 1) return false;
        text += f_.text(n);
        return true;
    case NodeKind::Symbol: {
        if (n.flags & kEscaped) return false;
        const Role role = n.symbol->role;
        if (role == Role::Dot || role == Role::Times) {  // "N.m", "N*m": a product of units
            // after a slash, a product outside brackets is no longer below it: "J//kg*K" is
            // joules per kilogram, times K; "J//(kg*K)", per kilogram kelvin
            text += depth == 0 && text.find('/') != std::string::npos ? '*' : '.';
            return true;
        }
        if (n.symbol->input == "//") {  // "kJ//mol": the slash typed on the line
            text += '/';
            return true;
        }
        if (n.symbol->kind == SymbolKind::Operator || n.symbol->kind == SymbolKind::Relation) return false;
        if (role == Role::Degree || role == Role::Squared || role == Role::Cubed || role == Role::Minute ||
            role == Role::Letter || role == Role::Ohm || role == Role::Micro) {
            text += n.symbol->input;
            return true;
        }
        return false;
    }
    case NodeKind::Script: {
        if (n.index() >= 0 || n.exponent() < 0) return false;
        const Node& base = at(n.base());
        const bool letter = base.kind == NodeKind::Letter || isSymbol(n.base(), Role::Letter);  // "g" of "kg^2"
        const std::string_view power = unitPower(n.exponent());
        if (!letter || power.empty()) return false;
        text += base.kind == NodeKind::Letter ? f_.text(base) : base.symbol->input;
        text += '^';
        text += power;
        return true;
    }
    case NodeKind::Group:  // "J//(kg*K)": the units below a typed slash, in brackets
        if (depth > 0 || !text.ends_with('/') || (n.flags & (kMatrix | kInvisible)) || !n.close ||
            n.symbol->role != Role::Paren || n.first < 0)
            return false;
        for (std::int32_t c = n.first; c >= 0; c = at(c).next)
            if (!(at(c).kind == NodeKind::Row ? spellUnitRow(c, text) : spellUnit(c, text, 1))) return false;
        return true;
    case NodeKind::Text:  // a unit in double quotes: "km/h"
        text += f_.text(n);
        return true;
    case NodeKind::Frac:
        if (depth > 0) return false;
        return spellUnitRow(n.numerator(), text) && (text += '/', spellUnitRow(n.denominator(), text));
    default:
        return false;
    }
}

// The power of a unit: "2", "3", "-1", "-2", "-3" ("mol^-1", "m*s^(-2)"); empty for any other.
std::string_view Reader::unitPower(std::int32_t exponent) const {
    const Node& e = at(unwrap(exponent));
    if (e.kind == NodeKind::Number) {
        const std::string_view digits = f_.text(e);
        return digits == "2" || digits == "3" ? digits : std::string_view{};
    }
    const bool row = e.kind == NodeKind::Row || (e.kind == NodeKind::Group && (e.flags & kInvisible));
    if (!row || e.first < 0 || at(e.first).next != e.last || !isSymbol(e.first, Role::Minus) ||
        at(e.last).kind != NodeKind::Number)
        return {};
    const std::string_view digits = f_.text(at(e.last));
    return digits == "1" ? "-1" : digits == "2" ? "-2" : digits == "3" ? "-3" : std::string_view{};
}

bool Reader::spellUnitRow(std::int32_t i, std::string& text) const {
    const Node& n = at(i);
    if (n.kind != NodeKind::Row && !(n.kind == NodeKind::Group && (n.flags & kInvisible)))
        return spellUnit(i, text, 1);
    for (std::int32_t c = n.first; c >= 0; c = at(c).next)
        if (!spellUnit(c, text, 1)) return false;
    return n.first >= 0;
}

// "1 metro", "1,5 metros", "0 metros"
bool Reader::singularAmount(const NumberMatch& m) {
    return m.integer == "1" && m.decimals.empty() && m.period.empty();
}

// 3.250,75; 0,bar(6); 1,2bar(3); 0,666...; and the unit after a number: 5 cm, 60 km/h
bool Reader::numberRule(Row& r) {
    if (at(r.current()).kind != NodeKind::Number) return false;
    std::string text;
    std::size_t end = r.k + 1;
    // "10 000": a blank between groups of three digits, as a dot would be
    std::string grouped;
    if (const std::string_view digits = f_.text(at(r.current()));
        digits.size() <= 3 && digits.front() != '0' && digits.find('.') == std::string_view::npos) {
        grouped = digits;
        for (std::size_t j = r.k + 1; r.has(j) && isThousandsGroup(r.item(j)); ++j) {
            grouped += f_.text(at(r.item(j)));
            end = j + 1;
        }
    }
    if (end > r.k + 1) {
        readNumber(grouped);
        std::size_t after = end;
        const UnitMatch unit = unitAt(r, end, true, after);
        if (unit.length > 0) w_.phrase(unit.words);
        r.k = unit.length > 0 ? after : end;
        return true;
    }
    const NumberMatch m = numberAt(r, r.k, text, end);
    if (m.length != text.size()) return false;
    if (isMixedNumber(r, m, end)) {  // "2 1/2": "2 inteiros e 1 meio"
        sayNumber(m);
        w_.phrase(Say(m.integer == "1" ? P::Inteiro : P::Inteiros));
        w_.phrase(Say(P::E));
        readNode(r.item(end));
        r.k = end + 1;
        return true;
    }
    sayNumber(m);
    std::size_t after = end;
    UnitMatch unit = unitAt(r, end, !singularAmount(m), after);
    if (unit.length == 0 && isPowerOfTen(r, end)) {
        // "1,6*10^-19 C", "3 xx 10^8 m/s": the unit of a number in scientific notation comes
        // after its power of ten
        unit = unitAt(r, end + 2, true, after);
        if (unit.length > 0) {
            w_.operatorPhrase(Say(P::Vezes));
            readNode(r.item(end + 1));
        }
    }
    if (unit.length > 0) {
        w_.phrase(unit.words);
        r.k = after;
        return true;
    }
    r.k = end;
    // "60 min = 1 h": the minutes' sign before a relation or an operator, which the page shows
    // as a sign of its own
    if (!r.has(end)) return true;
    const Node& minutes = at(r.item(end));
    if (minutes.kind == NodeKind::Unary && minutes.symbol->role == Role::Minute && (minutes.flags & kSpaced) &&
        (isSymbolKind(minutes.argument(), SymbolKind::Relation) || isSymbolKind(minutes.argument(), SymbolKind::Operator))) {
        w_.phrase(MatchUnit(minutes.symbol->input, !singularAmount(m)).words);
        readNode(minutes.argument());
        r.k = end + 1;
    }
    return true;
}

// Three digits after a blank, with no decimals and nothing else against them: "000" of "10 000".
bool Reader::isThousandsGroup(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind != NodeKind::Number || !(n.flags & kSpaced) || (n.next >= 0 && !(at(n.next).flags & kSpaced))) return false;
    const std::string_view digits = f_.text(n);
    return digits.size() == 3 && digits.find('.') == std::string_view::npos;
}

// A whole number, a blank and a proper fraction of whole numbers: "2 1/2", "1 3/4".
bool Reader::isMixedNumber(const Row& r, const NumberMatch& m, std::size_t end) const {
    if (!m.decimals.empty() || !m.period.empty() || !r.has(end) || end != r.k + 1) return false;
    const Node& f = at(r.item(end));
    if (f.kind != NodeKind::Frac || !(f.flags & kSpaced) || !isWholeNumber(f.numerator()) || !isWholeNumber(f.denominator()))
        return false;
    const std::string_view top = f_.text(at(unwrap(f.numerator()))), bottom = f_.text(at(unwrap(f.denominator())));
    return top.size() < bottom.size() || (top.size() == bottom.size() && top < bottom);
}

// A times sign and a power of ten at item j: "* 10^8", ". 10^-19", "xx 10^(-3)".
bool Reader::isPowerOfTen(const Row& r, std::size_t j) const {
    if (!r.has(j + 2) || !(isSymbol(r.item(j), Role::Times) || isSymbol(r.item(j), Role::Dot) ||
                           isSymbol(r.item(j), Role::Cross)))
        return false;
    const Node& power = at(r.item(j + 1));
    return power.kind == NodeKind::Script && power.index() < 0 && power.exponent() >= 0 &&
           isNumberText(power.base(), "10");
}

// R$ 1.200,00: reais and centavos
bool Reader::currencyRule(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Letter || !LetterHasRole(LetterRole::Moeda, f_.text(n)) || !r.has(r.k + 2)) return false;
    const Node& sign = at(r.next());
    if (sign.kind != NodeKind::Symbol || sign.symbol->role != Role::Currency || (sign.flags & kSpaced)) return false;
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

// "log 3 ≅ 0,477": the sign of congruence before a decimal number is the approximation that
// textbooks mean by it; between figures it stays congruence.
bool Reader::approximationRule(Row& r) {
    if (at(r.current()).symbol->input != "~=" || !r.has(r.k + 3) || at(r.next()).kind != NodeKind::Number ||
        !isDecimalComma(r, r.k + 2))
        return false;
    r.open = Open::None;
    w_.phrase(Say(P::AproximadamenteIgualA));
    ++r.k;
    return true;
}

// "1,5" is a decimal number as Brazilians write it, except inside brackets and scripts,
// where a comma separates: [0,1], (1,2), X_(4,2), and the open interval ]0,1[.
bool Reader::isDecimalComma(const Row& r, std::size_t k) const {
    if (k == 0 || !r.has(k + 1)) return false;
    const bool grouped = isGroupedComma(r.item(k));  // "2{,}5": the comma written as the decimal mark
    if (!grouped && ((bracketDepth_ != 0 && !decimalCommas_ && !isOperandComma(r, k)) || !isSymbol(r.item(k), Role::Comma)))
        return false;
    const bool interval = (k >= 2 && isSquareSign(r.item(k - 2), false)) ||
                          (r.has(k + 2) && isSquareSign(r.item(k + 2), true));
    const Node& next = at(r.item(k + 1));
    // "tan 3,2": the number a function takes without brackets ends where the page's does
    const Node& before = at(r.item(k - 1));
    const bool numberBefore = before.kind == NodeKind::Number ||
                              (before.kind == NodeKind::Unary && before.symbol->kind == SymbolKind::Function &&
                               at(before.argument()).kind == NodeKind::Number);
    // after a function's number without brackets, a blank after the comma is not drawn: "cot
    // 71, 1" shows "cot 71,1"
    const bool unbracketedArgument = before.kind == NodeKind::Unary;
    return (!interval || grouped) && numberBefore &&
           (next.kind == NodeKind::Number || isBarredNumber(r.item(k + 1))) &&
           !(at(r.item(k)).flags & kSpaced) && (!(next.flags & kSpaced) || unbracketedArgument);
}

// In brackets, a comma between numbers that is no list's: after an operation or a relation
// between two sides ("(1 - 0,15)", "P(Z < 1,96)"), or alone with a zero after it ("(1,05)^12"),
// where a pair would not be written so.
bool Reader::isOperandComma(const Row& r, std::size_t k) const {
    if (k >= 3) {
        const std::int32_t sign = r.item(k - 2);
        return isSymbolKind(sign, SymbolKind::Relation) ||
               (isSymbolKind(sign, SymbolKind::Operator) && !isSymbol(r.item(k - 3), Role::Comma) &&
                !isSymbolKind(r.item(k - 3), SymbolKind::Operator) && !isSymbolKind(r.item(k - 3), SymbolKind::Relation));
    }
    const Node& after = at(r.item(k + 1));
    return k == 1 && r.size() == 3 && after.kind == NodeKind::Number && f_.text(after).size() > 1 && f_.text(after)[0] == '0';
}

// bar(6): the repeating digits of a decimal
bool Reader::isBarredNumber(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind != NodeKind::Unary || n.symbol->role != Role::Overbar) return false;
    const Node& d = at(unwrap(n.argument()));
    return d.kind == NodeKind::Number && f_.text(d).find('.') == std::string_view::npos;
}

// {,}: a comma in braces, which shows as a comma with no space after it
bool Reader::isGroupedComma(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Group && !(n.flags & (kInvisible | kMatrix)) && n.symbol->role == Role::Brace && n.close &&
           n.first >= 0 && n.first == n.last && isSymbol(n.first, Role::Comma);
}

// Whether the items of a bracket are separated by ";": {2,5; 3,5}
bool Reader::hasSemicolon(std::int32_t group) const {
    for (std::int32_t c = at(group).first; c >= 0; c = at(c).next) {
        if (at(c).kind == NodeKind::Row && hasSemicolon(c)) return true;
        if (isSymbol(c, Role::Semicolon)) return true;
    }
    return false;
}

bool Reader::commaRule(Row& r) {
    if (!isSymbol(r.current(), Role::Comma)) return false;
    if (isDecimalComma(r, r.k)) {
        w_.phrase(Say(P::Virgula));
    } else {
        w_.separator(Say(P::Virgula));
        r.open = Open::None;
    }
    ++r.k;
    return true;
}

// A dot between operands multiplies; before a number with nothing before it, ".5", it is
// the decimal point of a number written without its 0; otherwise it says nothing.
bool Reader::dotRule(Row& r) {
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

// One amount written as several items: "-x", "60°", "1,5", "2 cm".
bool Reader::isSingleAmount(const std::vector<std::int32_t>& items) const {
    if (items.size() == 2 && (isSymbol(items[0], Role::Minus) || isSymbol(items[0], Role::Plus)) && isAtom(items[1]))
        return true;
    // a number, perhaps with a sign before it: "-2,5"
    const std::size_t first = !items.empty() && (isSymbol(items[0], Role::Minus) || isSymbol(items[0], Role::Plus)) ? 1 : 0;
    if (items.size() <= first || at(items[first]).kind != NodeKind::Number) return false;
    const Row r(items);
    std::string text;
    std::size_t end = first + 1;
    if (numberAt(r, first, text, end).length != text.size()) return false;
    std::size_t after = end;
    if (unitAt(r, end, true, after).length > 0) end = after;
    else if (r.has(end) && isDegreeSign(r.item(end))) ++end;
    return end == items.size();
}

bool Reader::isDegreeSign(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->role == Role::Degree;
}

void Reader::readNumber(std::string_view digits) {
    const NumberMatch m = MatchNumber(digits);
    if (m.length != digits.size()) {  // not a number after all: its text as it stands
        w_.word(digits);
        return;
    }
    sayNumber(m);
}

// "3250 vírgula 75", "dízima periódica 1 vírgula 2 período 3"
void Reader::sayNumber(const NumberMatch& m) {
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

// 30^@, 30^circ, 30^o: a small ring raised after a number is how degrees are written.
bool Reader::isDegreeMark(std::int32_t sup, const Node& base) const {
    const Node& s = at(unwrap(sup));
    if (s.kind == NodeKind::Symbol && !(s.flags & kEscaped))
        return s.symbol->role == Role::Compose;
    return s.kind == NodeKind::Letter && LetterHasRole(LetterRole::Grau, f_.text(s)) && base.kind == NodeKind::Number;
}

}  // namespace reader::rules

namespace reader {

namespace {

using words::UnitEntry;

// The first bytes of the units' and prefixes' spellings, to pass over most text at once.
const std::array<bool, 256>& unitStarts() {
    static const std::array<bool, 256> starts = [] {
        std::array<bool, 256> s{};
        for (std::size_t i = 0; i < words::kUnitCount; ++i)
            s[static_cast<unsigned char>(words::kUnits[i].spelling[0])] = true;
        for (std::size_t i = 0; i < words::kPrefixCount; ++i)
            s[static_cast<unsigned char>(words::kPrefixes[i].spelling[0])] = true;
        return s;
    }();
    return starts;
}

// The powers of a unit: "metros quadrados", and after "por", "segundo ao quadrado".
constexpr Phrase kSquare[2][2] = {{Phrase::UnidadeQuadrado, Phrase::UnidadeQuadrados},
                                  {Phrase::UnidadeQuadrada, Phrase::UnidadeQuadradas}};
constexpr Phrase kCube[2][2] = {{Phrase::UnidadeCubico, Phrase::UnidadeCubicos},
                                {Phrase::UnidadeCubica, Phrase::UnidadeCubicas}};

bool digit(char c) { return c >= '0' && c <= '9'; }

std::size_t digitsAt(std::string_view t, std::size_t i) {
    std::size_t j = i;
    while (j < t.size() && digit(t[j])) ++j;
    return j - i;
}

// A unit at `i`: a spelling of the table, or a decimal prefix and a unit that takes one (the
// longest; on a tie, the table's own spelling).
struct Base {
    std::size_t length = 0;  // 0: none
    std::string singular, plural;
    bool feminine = false, isLength = false, prefixed = false;
};

Base baseUnitAt(std::string_view t, std::size_t i) {
    Base best;
    if (i >= t.size() || !unitStarts()[static_cast<unsigned char>(t[i])]) return best;
    for (std::size_t k = 0; k < words::kUnitCount; ++k) {
        const UnitEntry& u = words::kUnits[k];
        if (u.spelling.size() > best.length && t.substr(i, u.spelling.size()) == u.spelling) {
            best.length = u.spelling.size();
            best.singular = u.singular;
            best.plural = u.plural;
            best.feminine = u.feminine;
            best.isLength = u.length;
            best.prefixed = false;
        }
    }
    for (std::size_t p = 0; p < words::kPrefixCount; ++p) {
        const words::Prefix& prefix = words::kPrefixes[p];
        if (t.substr(i, prefix.spelling.size()) != prefix.spelling) continue;
        const std::size_t at = i + prefix.spelling.size();
        for (std::size_t k = 0; k < words::kUnitCount; ++k) {
            const UnitEntry& u = words::kUnits[k];
            const std::size_t length = prefix.spelling.size() + u.spelling.size();
            if (!u.prefixed || length <= best.length || t.substr(at, u.spelling.size()) != u.spelling) continue;
            best.length = length;
            best.singular = std::string(prefix.words) + std::string(u.singular);
            best.plural = std::string(prefix.words) + std::string(u.plural);
            best.feminine = u.feminine;
            best.isLength = u.length;
            best.prefixed = true;
        }
    }
    return best;
}

// "^2", "^3", "²", "³", "^-1", "^-2", "^-3" at `i`: the power and its length, or 0.
int powerAt(std::string_view t, std::size_t i, std::size_t& length) {
    if (t.substr(i, 2) == "^2" || t.substr(i, 2) == "²") { length = 2; return 2; }
    if (t.substr(i, 2) == "^3" || t.substr(i, 2) == "³") { length = 2; return 3; }
    if (t.substr(i, 2) == "^-" && i + 2 < t.size() && t[i + 2] >= '1' && t[i + 2] <= '3') {
        length = 3;
        return '0' - t[i + 2];
    }
    length = 0;
    return 0;
}

bool letterAt(std::string_view t, std::size_t i) {
    return i < t.size() && ((t[i] >= 'a' && t[i] <= 'z') || (t[i] >= 'A' && t[i] <= 'Z'));
}

}  // namespace

NumberMatch MatchNumber(std::string_view t) {
    NumberMatch m;
    std::size_t i = digitsAt(t, 0);
    if (i == 0) return m;
    // thousands: one to three digits, not a lone leading 0, then groups of exactly three
    if (i <= 3 && !(t[0] == '0')) {
        std::size_t j = i;
        while (j < t.size() && t[j] == '.' && digitsAt(t, j + 1) == 3) j += 4;
        if (j > i) i = j;
    }
    m.integer = t.substr(0, i);
    m.length = i;
    const bool grouped = m.integer.find('.') != std::string_view::npos;
    if (i < t.size() && (t[i] == ',' || (t[i] == '.' && !grouped))) {
        const std::size_t d = digitsAt(t, i + 1);
        const bool barred = i + 1 < t.size() && t[i + 1] == '(';
        if (d == 0 && !barred) return m;
        m.decimals = t.substr(i + 1, d);
        i += 1 + d;
        m.length = i;
        if (i < t.size() && t[i] == '(') {
            const std::size_t p = digitsAt(t, i + 1);
            if (p > 0 && i + 1 + p < t.size() && t[i + 1 + p] == ')') {
                m.period = t.substr(i + 1, p);
                m.length = i + 2 + p;
            } else if (d == 0) {
                m.length = 0;  // "1,(x)": no number with a comma here
            }
            return m;
        }
        // "0,666...", "1,2333...", "0,1212...": the shortest repeating tail seen at least twice
        if (t.substr(i, 3) == "..." && d >= 2) {
            const std::string_view ds = m.decimals;
            for (std::size_t p = 1; p * 2 <= d && m.period.empty(); ++p) {
                for (std::size_t start = 0; start + 2 * p <= d; ++start) {
                    bool repeats = true;
                    for (std::size_t k = start + p; k < d && repeats; ++k) repeats = ds[k] == ds[k - p];
                    if (!repeats) continue;
                    m.decimals = ds.substr(0, start);
                    m.period = ds.substr(start, p);
                    m.length = i + 3;
                    break;
                }
            }
        }
    }
    return m;
}

// A unit and its power at `i`, read in the number given ("metros quadrados") or, after "por",
// in the singular, its power "ao quadrado" unless it is a length ("por centímetro cúbico").
// The end of it, or `i` for none.
std::size_t unitFactor(std::string_view t, std::size_t i, bool plural, bool below, std::string& words) {
    const Base base = baseUnitAt(t, i);
    if (base.length == 0) return i;
    std::size_t j = i + base.length;
    std::size_t powerLength = 0;
    const int power = powerAt(t, j, powerLength);
    j += powerLength;
    if (!words.empty()) words += ' ';
    if (power < 0) {  // "mol^-1": "por mol"; "s^-2": "por segundo ao quadrado"
        words += Say(Phrase::Por);
        words += ' ';
        words += base.singular;
        if (power == -1) return j;
        words += ' ';
        below = true;
    } else {
        words += plural ? base.plural : base.singular;
        if (power == 0) return j;
        words += ' ';
    }
    const int magnitude = power < 0 ? -power : power;
    if (below && !base.isLength) {
        words += Say(magnitude == 2 ? Phrase::AoQuadrado : Phrase::AoCubo);
    } else {
        const int g = base.feminine ? 1 : 0, p = plural && power > 0 ? 1 : 0;
        words += Say(magnitude == 2 ? kSquare[g][p] : kCube[g][p]);
    }
    return j;
}

// Factors joined by a dot ("N.m"): the first in the number given, the others in the singular.
std::size_t unitProduct(std::string_view t, std::size_t i, bool plural, bool below, std::string& words) {
    std::size_t j = unitFactor(t, i, plural, below, words);
    while (j > i && j + 1 < t.size() && t[j] == '.') {
        std::string more = words;
        const std::size_t k = unitFactor(t, j + 1, false, below, more);
        if (k == j + 1 || letterAt(t, k)) break;
        words = std::move(more);
        j = k;
    }
    return j;
}

UnitMatch MatchUnit(std::string_view t, bool plural) {
    UnitMatch m;
    std::string words;
    std::size_t i = unitProduct(t, 0, plural, false, words);
    if (i == 0) return m;
    std::size_t powerLength = 0;
    powerAt(t, 1, powerLength);
    bool single = baseUnitAt(t, 0).length == 1 && i == 1 + powerLength;
    if (i < t.size() && t[i] == '/') {
        std::string below = words;
        below += ' ';
        below += Say(Phrase::Por);
        const std::size_t j = unitProduct(t, i + 1, false, true, below);
        if (j > i + 1 && !letterAt(t, j)) {
            words = std::move(below);
            i = j;
            single = false;
        }
    }
    if (letterAt(t, i)) return m;  // "mx", "kgf": not a unit we know, whole
    m.length = i;
    m.words = std::move(words);
    m.oneLetter = single;
    return m;
}

}  // namespace reader
