// Combinatorics and statistics: combinations, arrangements, permutations and binomials.
#include "reader/rules.h"

namespace reader::rules {

// C_(n,p), A_(n,p), C_n^p: combinations and arrangements; P_n, P_n^(a,b): permutations
bool Reader::combinatoricsRule(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Script || n.index() < 0 || !isCapital(n.base())) return false;
    const bool combination = letterIs(n.base(), LetterRole::Combinacao);
    const bool permutation = letterIs(n.base(), LetterRole::Permutacao);
    if (!combination && !permutation && !letterIs(n.base(), LetterRole::Arranjo)) return false;
    std::vector<std::int32_t> sub;
    const Node& s = at(n.index());
    if (s.kind == NodeKind::Group && (s.flags & kInvisible)) collect(n.index(), sub);
    else sub.push_back(n.index());
    if (permutation) {
        if (sub.size() != 1 || !isAtom(sub[0])) return false;
        const Node& count = at(unwrap(sub[0]));
        // P_1, P_2 name points; a permutation's count is a letter, or it has repetitions
        if (n.exponent() < 0 && !(count.kind == NodeKind::Letter && f_.source[count.begin] >= 'a' && f_.source[count.begin] <= 'z'))
            return false;
        w_.phrase(Say(P::PermutacaoDe));
        readNode(sub[0]);
        if (n.exponent() >= 0) {
            w_.phrase(Say(P::ComRepeticaoDe));
            ++bracketDepth_;
            readNode(n.exponent());
            --bracketDepth_;
            closeScope(isSimple(n.exponent()), Say(P::FimDaPermutacao));
        }
        ++r.k;
        return true;
    }
    std::int32_t total = -1, taken = -1;
    if (sub.size() == 3 && isSymbol(sub[1], Role::Comma) && isShort(sub[0]) && isShort(sub[2]) && n.exponent() < 0) {
        total = sub[0];
        taken = sub[2];
    } else if (sub.size() == 1 && n.exponent() >= 0 && isAtom(sub[0]) && at(unwrap(n.exponent())).kind == NodeKind::Letter) {
        // C_n^p; with the letters of the other habit, C_p^n, the n is the total. A number
        // above is a power: C_1^2, a leg squared.
        const bool swapped = letterIs(n.exponent(), LetterRole::TotalAcima) || letterIs(sub[0], LetterRole::TomadosAbaixo);
        total = swapped ? n.exponent() : sub[0];
        taken = swapped ? sub[0] : n.exponent();
    } else {
        return false;
    }
    w_.phrase(Say(combination ? P::CombinacaoDe : P::ArranjoDe));
    readNode(total);
    w_.pause();
    readNode(taken);
    w_.phrase(Say(P::A));
    readNode(taken);
    w_.scopeEnd();
    ++r.k;
    return true;
}

// ((n),(k)), ((n+1),(k-1)): two rows of one entry each in round brackets is the binomial
// coefficient when its letters are those of one (n or m above; k, p, r, i, j, n or m below), or
// when it is two whole numbers, the top not less than the bottom; ((x),(y)), ((1),(2)) are
// column vectors.
bool Reader::readBinomial(std::int32_t i, const std::vector<std::int32_t>& rows) {
    const Node& g = at(i);
    if (rows.size() != 2 || (g.flags & kInvisible) || g.symbol->role != Role::Paren || !g.close ||
        g.close->role != Role::Paren)
        return false;
    if (!isBinomial(rows[0], rows[1])) return false;
    const auto single = [&](std::int32_t row) {
        const Node& r = at(row);
        return r.first >= 0 && r.first == r.last && isShort(r.first);
    };
    w_.phrase(Say(P::BinomialDe));
    readChildren(rows[0]);
    if (!single(rows[0])) w_.pause();
    w_.phrase(Say(P::Sobre));
    readChildren(rows[1]);
    if (single(rows[1]) && !closesEverything()) w_.pauseBeforeNext();
    else w_.end(Say(P::FimDoBinomial));
    return true;
}

bool Reader::isBinomial(std::int32_t top, std::int32_t bottom) const {
    std::vector<std::int32_t> t, b;
    collect(top, t);
    collect(bottom, b);
    if (t.empty() || b.empty()) return false;
    if (t.size() == 1 && b.size() == 1 && isWholeNumber(t[0]) && isWholeNumber(b[0])) {
        const std::string_view x = f_.text(at(unwrap(t[0]))), y = f_.text(at(unwrap(b[0])));
        return x.size() != y.size() ? x.size() > y.size() : x >= y;
    }
    int letters = 0;
    const auto entry = [&](const std::vector<std::int32_t>& items, LetterRole role) {
        for (std::int32_t item : items) {
            const Node& n = at(unwrap(item));
            if (n.kind == NodeKind::Letter) {
                if (!LetterHasRole(role, f_.text(n))) return false;
                ++letters;
            } else if (!isWholeNumber(item) && !isSymbol(item, Role::Plus) && !isSymbol(item, Role::Minus)) {
                return false;
            }
        }
        return true;
    };
    return entry(t, LetterRole::BinomialAcima) && entry(b, LetterRole::BinomialAbaixo) && letters > 0;
}

bool Reader::isWholeNumber(std::int32_t i) const {
    const Node& n = at(unwrap(i));
    if (n.kind != NodeKind::Number) return false;
    for (char c : f_.text(n))
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace reader::rules
