// Sets and logic: quantifiers, set builders, mappings and intervals.
#include "reader/rules.h"

namespace reader::rules {

// "tal que" after a quantifier, "de" in "f: A -> B" ("f de A em B"), else "dois pontos".
bool Reader::colonRule(Row& r) {
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

bool Reader::mappingArrowRule(Row& r) {
    if (!r.mapping || !isSymbol(r.current(), Role::Tends)) return false;
    w_.phrase(Say(P::Em));
    r.mapping = false;
    ++r.k;
    return true;
}

// p -> q: an arrow between propositions is an implication, and the double arrow of "p harr q"
// an equivalence; x -> 0 tends
// p -> q, the whole formula: school logic's conditional, "se p, então q"; "=>" stays "implica",
// and so does "->" inside a longer proposition
bool Reader::conditionalRule(Row& r) {
    if (r.k != 0 || !letterIs(r.current(), LetterRole::Proposicao) || !r.has(r.k + 2) ||
        !isSymbol(r.item(r.k + 1), Role::Tends))
        return false;
    const std::int32_t then = r.item(r.k + 2);
    const bool negated = isSymbol(then, Role::Tilde);
    if (r.size() != (negated ? 4u : 3u) || !letterIs(r.item(r.size() - 1), LetterRole::Proposicao)) return false;
    w_.phrase(Say(P::Se));
    readNode(r.current());
    w_.pause();
    w_.phrase(Say(P::Entao));
    r.open = Open::None;
    r.k += 2;
    return true;
}

// 3 | 12, 3 | n: with blanks around the bar, a whole number before it and a whole number or a
// letter after it, "3 divide 12"
bool Reader::dividesRule(Row& r) {
    if (bracket_ == Role::Brace || r.k == 0 || !r.has(r.k + 1) || !(at(r.current()).flags & kSpaced) ||
        !(at(r.next()).flags & kSpaced))
        return false;
    const auto whole = [&](std::int32_t i) {
        const Node& n = at(i);
        return (n.kind == NodeKind::Number && f_.text(n).find('.') == std::string_view::npos) ||
               (n.kind == NodeKind::Letter && n.length == 1);
    };
    // "(x - a) | P(x)": a polynomial in brackets divides another
    const std::int32_t before = r.item(r.k - 1);
    const bool polynomial = isClosedParen(before) && (isClosedParen(r.next()) || isCallBracket(r.next()) ||
                                                       (r.has(r.k + 2) && at(r.next()).kind == NodeKind::Letter &&
                                                        isCallBracket(r.item(r.k + 2))));
    if (!polynomial && (at(before).kind != NodeKind::Number || !whole(before) || !whole(r.next()))) return false;
    w_.phrase(Say(P::Divide));
    ++r.k;
    return true;
}

// "2 | n e 3 | n", "3 | n <=> 3 | (a + b)": two bars, blanks around each, that the parser took
// for a modulus, between a whole number before and an operand after; each bar is "divide".
bool Reader::dividingBarsRule(Row& r) {
    const Node& g = at(r.current());
    if (r.k == 0 || !r.has(r.k + 1) || g.kind != NodeKind::Group || (g.flags & (kInvisible | kMatrix)) || !g.close ||
        g.symbol->kind != SymbolKind::Bar || !(g.flags & kSpaced) || !(at(r.next()).flags & kSpaced))
        return false;
    std::vector<std::int32_t> inside;
    collect(r.current(), inside);
    const auto wholeNumber = [&](std::int32_t i) {
        return at(i).kind == NodeKind::Number && f_.text(at(i)).find_first_of(".,") == std::string_view::npos;
    };
    if (inside.size() < 3 || !wholeNumber(r.item(r.k - 1)) || !wholeNumber(inside.back()) ||
        !(at(inside.front()).flags & kSpaced) || !(at(inside.back()).flags & kSpaced) || !isOperand(r.next()))
        return false;
    w_.phrase(Say(P::Divide));
    // the connective between the two divisibilities: "n e 3"
    Row within(inside);
    std::size_t from = 0;
    for (within.k = 1; within.k + 1 < inside.size(); ++within.k) {
        if (!(at(inside[within.k]).flags & kSpaced)) continue;
        for (const P connective : {P::E, P::Ou}) {
            const std::size_t end = spelledWordEnd(within, Say(connective));
            if (end == 0) continue;
            readItems(std::vector<std::int32_t>(inside.begin() + static_cast<std::ptrdiff_t>(from),
                                                inside.begin() + static_cast<std::ptrdiff_t>(within.k)));
            w_.phrase(Say(connective));
            from = end;
        }
    }
    readItems(std::vector<std::int32_t>(inside.begin() + static_cast<std::ptrdiff_t>(from), inside.end()));
    w_.phrase(Say(P::Divide));
    ++r.k;
    return true;
}

bool Reader::implicationArrowRule(Row& r) {
    if (r.k == 0 || !r.has(r.k + 1) || !letterIs(r.item(r.k - 1), LetterRole::Proposicao)) return false;
    const std::int32_t next = r.next();
    if (!letterIs(next, LetterRole::Proposicao) && !isSymbol(next, Role::Tilde)) return false;
    w_.phrase(isSymbol(r.current(), Role::Equivalence) ? Say(P::SeESomenteSe) : Say(P::Implica));
    r.open = Open::None;
    ++r.k;
    return true;
}

// "~" by what stands around it: X ~ N(mu, sigma^2) "tem distribuição", ABC ~ DEF "é semelhante
// a"; before a proposition, "não" (its words)
bool Reader::tildeRule(Row& r) {
    const std::int32_t next = r.next();
    if (next < 0) return false;
    if (letterIs(next, LetterRole::Distribuicao) && r.has(r.k + 2) && isCallBracket(r.item(r.k + 2))) {
        w_.phrase(Say(P::TemDistribuicao));
        ++r.k;
        return true;
    }
    if (r.k > 0 && isCapital(r.item(r.k - 1)) && (isCapital(next) || isSymbolKind(next, SymbolKind::Constant))) {
        w_.phrase(Say(P::SemelhanteA));
        ++r.k;
        return true;
    }
    return false;
}

// a -= b mod n, a -= b (mod n): "é côngruo a ... módulo n"
bool Reader::congruenceRule(Row& r) {
    for (std::size_t j = r.k + 1; r.has(j); ++j) {
        const std::int32_t i = r.item(j);
        const Node& n = at(i);
        const bool mod = isSymbol(i, Role::Modulo) ||
                         (n.kind == NodeKind::Group && n.first >= 0 && isSymbol(n.first, Role::Modulo));
        if (!mod) continue;
        w_.phrase(Say(P::CongruoA));
        ++r.k;
        return true;
    }
    return false;
}

bool Reader::quantifierRule(Row& r) {
    if (isSymbol(r.current(), Role::Forall) || isSymbol(r.current(), Role::Exists)) {
        r.quantifier = true;
        r.quantifierAt = r.k;
    }
    return false;
}

// "para todo x pertencente a": the "in" right after a quantified variable.
bool Reader::quantifiedInRule(Row& r) {
    if (!r.quantifier || r.k != r.quantifierAt + 2 || !isSymbol(r.current(), Role::In)) return false;
    w_.phrase(Say(P::PertencenteA));
    ++r.k;
    return true;
}

// "p <-> q": the two-headed arrow typed as "<" and "->", the biconditional
bool Reader::relationRule(Row& r) {
    if (!isSymbolKind(r.current(), SymbolKind::Relation)) return false;
    r.open = Open::None;
    if (at(r.current()).symbol->input != "<" || !r.has(r.k + 2) || !isSymbol(r.next(), Role::Tends) ||
        (at(r.next()).flags & kSpaced))
        return false;
    w_.phrase(Say(P::SeESomenteSe));
    r.k += 2;
    return true;
}

// Words typed in a formula, without quotes, between relations: "x > 1 e x < 3", "x <= -2 ou
// x >= 2", "f(x) = 1 se x > 0", "20% de 80". They stand apart, with blanks on both sides; the
// same letters written against others stay letters (e^x, 2e, d x).
bool Reader::connectiveRule(Row& r) {
    struct Connective {
        P phrase;
        bool relationBefore;  // a relation stands before it too, not only after
    };
    static constexpr Connective kConnectives[] = {
        {P::E, true}, {P::Ou, true}, {P::Se, false}, {P::Entao, false}, {P::Para, false},
        {P::Com, false}, {P::Onde, false}, {P::TalQue, false}, {P::De, false}};
    const Node& n = at(r.current());
    // after text, letters go on with its word ("text se" shows "s" and then the letter e)
    if ((r.k > 0 && (!(n.flags & kSpaced) || at(r.item(r.k - 1)).kind == NodeKind::Text)) || n.length == 0 || !r.has(r.k + 1))
        return false;
    const char first = f_.source[n.begin];
    for (const Connective& c : kConnectives) {
        const std::string_view word = Say(c.phrase);
        if (word.front() != first) continue;
        const std::size_t end = spelledWordEnd(r, word);
        if (end == 0) continue;
        const bool percentBefore = r.k > 0 && at(r.item(r.k - 1)).kind == NodeKind::Symbol &&
                                   at(r.item(r.k - 1)).symbol->input == "%";
        if (c.phrase != P::De) findRelations(r);
        const bool relationAfter = r.lastRelation < r.size() && r.lastRelation >= end;
        const bool relationBefore = r.firstRelation < r.k;
        if (c.phrase == P::De ? !percentBefore : !relationAfter || (c.relationBefore && !relationBefore)) continue;
        w_.phrase(Say(c.phrase));
        r.k = end;
        return true;
    }
    return false;
}

// Where the letters from the current item on that spell `word` end, the next item standing
// apart; 0 when they spell something else.
std::size_t Reader::spelledWordEnd(const Row& r, std::string_view word) const {
    std::size_t j = r.k;
    for (std::size_t pos = 0; pos < word.size(); ++j) {
        const bool apart = word[pos] == ' ';
        if (apart) ++pos;
        if (!r.has(j)) return 0;
        const Node& n = at(r.item(j));
        if (n.kind != NodeKind::Letter || (j > r.k && apart != ((n.flags & kSpaced) != 0))) return 0;
        const std::string_view letter = f_.text(n);
        if (word.substr(pos, letter.size()) != letter) return 0;
        pos += letter.size();
    }
    return r.has(j) && (at(r.item(j)).flags & kSpaced) ? j : 0;
}

// The first and last relation of the row, looked for once.
void Reader::findRelations(Row& r) const {
    if (r.relationsFound) return;
    r.relationsFound = true;
    r.firstRelation = r.lastRelation = r.size();
    for (std::size_t j = 0; j < r.size(); ++j) {
        if (!isSymbolKind(r.item(j), SymbolKind::Relation)) continue;
        if (r.firstRelation == r.size()) r.firstRelation = j;
        r.lastRelation = j;
    }
}

// {x in A | x > 0}
// "{x in RR | x > 0}"; after a quantifier, "EE x in NN | x < 1", the bar is "tal que" too
bool Reader::setBuilderBarRule(Row& r) {
    if ((bracket_ != Role::Brace && !r.quantifier) || !isSymbolKind(r.current(), SymbolKind::Bar)) return false;
    r.quantifier = false;
    w_.phrase(Say(P::TalQue));
    ++r.k;
    return true;
}

// f: A -> B. stops[j]: the first arrow, relation or comma at j or after it, or the row's
// length; filled on the first colon of a row, so that a row of many colons reads in time
// linear in its length.
bool Reader::mapsAhead(const std::vector<std::int32_t>& items, std::size_t colon,
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
bool Reader::isSquareSign(std::int32_t i, bool opening) const {
    const Node& n = at(i);
    const SymbolKind kind = opening ? SymbolKind::LeftBracket : SymbolKind::RightBracket;
    if (n.kind == NodeKind::Symbol) return n.symbol && n.symbol->role == Role::Square && n.symbol->kind == kind;
    return opening && n.kind == NodeKind::Group && !n.close && n.first < 0 && n.symbol->role == Role::Square;
}

// The two ends of an interval: one item each, perhaps with a sign, around one comma.
// The ends split at a comma, or at a semicolon when one stands there ("]0,5; 1]"), and then a
// comma between numbers is the decimal mark.
bool Reader::splitEnds(const std::vector<std::int32_t>& items, std::size_t from, std::size_t to,
               std::vector<std::int32_t>& left, std::vector<std::int32_t>& right, bool& semicolon) {
    semicolon = false;
    for (std::size_t k = from; k < to; ++k) semicolon = semicolon || isSymbol(items[k], Role::Semicolon);
    const Role separator = semicolon ? Role::Semicolon : Role::Comma;
    std::size_t split = to;
    for (std::size_t k = from; k < to; ++k) {
        if (!isSymbol(items[k], separator)) continue;
        if (split != to) return false;
        split = k;
    }
    if (split == to) return false;
    const auto end = [&](std::size_t a, std::size_t b, std::vector<std::int32_t>& out) {
        if (b <= a) return false;
        out.assign(items.begin() + static_cast<std::ptrdiff_t>(a), items.begin() + static_cast<std::ptrdiff_t>(b));
        if (b == a + 1) return !isSymbolKind(items[a], SymbolKind::Operator) && !isSymbolKind(items[a], SymbolKind::Relation);
        const bool sign = isSymbol(items[a], Role::Minus) || isSymbol(items[a], Role::Plus);
        if (b == a + 2 && sign) return isAtom(items[a + 1]);
        if (!semicolon) return false;
        // a number with a decimal comma, perhaps with a sign
        const std::size_t first = sign ? a + 1 : a;
        const std::vector<std::int32_t> number(items.begin() + static_cast<std::ptrdiff_t>(first),
                                               items.begin() + static_cast<std::ptrdiff_t>(b));
        const bool decimals = decimalCommas_;
        decimalCommas_ = true;
        const bool amount = at(number[0]).kind == NodeKind::Number && isSingleAmount(number);
        decimalCommas_ = decimals;
        return amount;
    };
    return end(from, split, left) && end(split + 1, to, right);
}

// "intervalo fechado de a a b", "intervalo aberto em a e fechado em b"
void Reader::sayInterval(bool closedLeft, bool closedRight, const std::vector<std::int32_t>& left,
                 const std::vector<std::int32_t>& right, bool semicolon) {
    ++bracketDepth_;
    const bool decimals = decimalCommas_;
    decimalCommas_ = semicolon;
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
    decimalCommas_ = decimals;
    --bracketDepth_;
}

// [a,b], [a,b), (a,b], [a,b[ as a group; a plain pair (a,b) stays a pair.
bool Reader::readInterval(std::int32_t i) {
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
        if (open != Role::Square || items.empty() || !isSquareSign(items.back(), true)) return false;
        --to;
    }
    bool semicolon = false;
    if (!splitEnds(items, 0, to, left, right, semicolon)) return false;
    sayInterval(open == Role::Square, closedRight, left, right, semicolon);
    return true;
}

// ]a,b[ and ]a,b]: a closing bracket first, then the two ends, then a bracket
bool Reader::reversedIntervalRule(Row& r) {
    if (at(r.current()).symbol->kind != SymbolKind::RightBracket || !isSquareSign(r.current(), false)) return false;
    std::vector<std::int32_t> left, right;
    bool semicolon = false;
    for (std::size_t to = r.k + 4; to <= r.k + 10 && r.has(to); ++to) {
        const std::int32_t last = r.item(to);
        const bool opening = isSquareSign(last, true);
        if (!opening && !isSquareSign(last, false)) continue;
        if (!splitEnds(r.items, r.k + 1, to, left, right, semicolon)) continue;
        sayInterval(false, !opening, left, right, semicolon);
        r.k = to + 1;
        return true;
    }
    return false;
}


// A capital letter alone: "A", not "AB" nor "A_1".
bool Reader::isCapitalLetter(std::int32_t i) const { return isCapital(i) && at(unwrap(i)).kind == NodeKind::Letter; }

// Whether the items of i hold an operation or relation of sets.
bool Reader::holdsSetOperation(std::int32_t i) const {
    std::vector<std::int32_t> items;
    collect(unwrap(i), items);
    for (std::int32_t k : items)
        if (isSymbol(k, Role::SetOperation)) return true;
    return false;
}

// A bar over a capital letter is the complement of that set or event where the formula speaks
// of sets ("A nn bar B", "bar A sub B") or where it is a whole side of a probability's argument
// ("P(bar A)", "P(A | bar B)"); elsewhere it is the mean of a variable, "X barra".
bool Reader::isComplement(std::int32_t overbar) const {
    const Node& bar = at(overbar);
    if (bar.kind != NodeKind::Unary || bar.symbol->role != Role::Overbar) return false;
    if (complements_.empty()) {
        complements_.assign(f_.nodes.size(), false);
        bool sets = false;
        for (const Node& n : f_.nodes)
            sets = sets || (n.kind == NodeKind::Symbol && !(n.flags & kEscaped) &&
                            (n.symbol->role == Role::SetOperation || n.symbol->role == Role::In));
        for (std::size_t j = 0; j < f_.nodes.size(); ++j) {
            const Node& n = f_.nodes[j];
            // a capital, or what a set operation makes ("bar(A uu B)")
            if (sets && n.kind == NodeKind::Unary && n.symbol->role == Role::Overbar &&
                (isCapitalLetter(n.argument()) || holdsSetOperation(n.argument())))
                complements_[j] = true;
            if (n.kind != NodeKind::Letter || !LetterHasRole(LetterRole::Probabilidade, f_.text(n)) || n.next < 0 ||
                at(n.next).kind != NodeKind::Group || at(n.next).symbol->role != Role::Paren)
                continue;
            // the sides of P( ... | ... ): each one item alone
            std::vector<std::int32_t> items;
            collect(n.next, items);
            std::size_t from = 0;
            for (std::size_t k = 0; k <= items.size(); ++k) {
                if (k < items.size() && !isSymbolKind(items[k], SymbolKind::Bar)) continue;
                if (k == from + 1) {
                    const Node& side = at(items[from]);
                    if (side.kind == NodeKind::Unary && side.symbol->role == Role::Overbar && isCapitalLetter(side.argument()))
                        complements_[static_cast<std::size_t>(items[from])] = true;
                }
                from = k + 1;
            }
        }
    }
    return complements_[static_cast<std::size_t>(overbar)];
}

}  // namespace reader::rules
