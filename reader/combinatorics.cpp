// Combinatorics and statistics: combinations, arrangements, permutations and binomials.
#include "reader/rules.h"

namespace reader::rules {

// C_(n,p), A_(n,p), C_n^p: combinations and arrangements; P_n, P_n^(a,b): permutations
bool Reader::combinatoricsRule(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Script || n.b < 0 || !isCapital(n.a)) return false;
    const bool combination = letterIs(n.a, LetterRole::Combinacao);
    const bool permutation = letterIs(n.a, LetterRole::Permutacao);
    if (!combination && !permutation && !letterIs(n.a, LetterRole::Arranjo)) return false;
    std::vector<std::int32_t> sub;
    const Node& s = at(n.b);
    if (s.kind == NodeKind::Group && (s.flags & kInvisible)) collect(n.b, sub);
    else sub.push_back(n.b);
    if (permutation) {
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
        const bool swapped = letterIs(n.c, LetterRole::TotalAcima) || letterIs(sub[0], LetterRole::TomadosAbaixo);
        total = swapped ? n.c : sub[0];
        taken = swapped ? sub[0] : n.c;
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

// ((n),(k)): two rows of one item each in round brackets is the binomial coefficient
bool Reader::readBinomial(std::int32_t i, const std::vector<std::int32_t>& rows) {
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

}  // namespace reader::rules
