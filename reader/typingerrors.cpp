#include "reader/typingerrors.h"

#include <algorithm>

namespace reader {

using P = Phrase;
namespace {

std::string_view Unclosed(Role role) {
    switch (role) {
    case Role::Paren: return Say(P::ParenteseSemFechamento);
    case Role::Square: return Say(P::ColcheteSemFechamento);
    case Role::Brace: return Say(P::ChaveSemFechamento);
    case Role::Angle: return Say(P::AnguloSemFechamento);
    case Role::FloorBracket: return Say(P::PisoSemFechamento);
    case Role::CeilBracket: return Say(P::TetoSemFechamento);
    default: return {};  // "{:" shows nothing, open or not
    }
}

std::string_view Unopened(Role role) {
    switch (role) {
    case Role::Paren: return Say(P::ParenteseSemAbertura);
    case Role::Square: return Say(P::ColcheteSemAbertura);
    case Role::Brace: return Say(P::ChaveSemAbertura);
    case Role::Angle: return Say(P::AnguloSemAbertura);
    case Role::FloorBracket: return Say(P::PisoSemAbertura);
    case Role::CeilBracket: return Say(P::TetoSemAbertura);
    case Role::Invisible: return Say(P::DoisPontosEChaveSemAbertura);  // ":}" alone, which the page shows
    default: return {};
    }
}

bool Empty(const Node& n) { return (n.kind == NodeKind::Row || n.kind == NodeKind::Group) && n.first < 0; }

}  // namespace

// Whether nothing stands before (front) or after node i among the items around it, rows
// inside rows laid out flat as the reader takes them.
bool TypingErrors::atEdge(std::int32_t i, bool front) const {
    for (;;) {
        const std::int32_t p = parents()[static_cast<std::size_t>(i)];
        if (p < 0) return true;
        const Node& up = at(p);
        if (up.kind != NodeKind::Row && up.kind != NodeKind::Group) return true;  // an operand alone
        if (front ? up.first != i : at(i).next >= 0) return false;
        if (up.kind == NodeKind::Group) return true;
        i = p;
    }
}

bool TypingErrors::squareBracket(std::int32_t i, bool opening) const {
    const Node& n = at(i);
    if (!n.symbol || n.symbol->role != Role::Square) return false;
    return opening ? n.kind == NodeKind::Group && !n.close
                   : n.kind == NodeKind::Symbol && n.symbol->kind == SymbolKind::RightBracket;
}

// Intervals are written with their brackets turned outwards where an end is open: "]a,b]",
// "[a,b[", "]a,b[". Those brackets close or open nothing and are no slip.
bool TypingErrors::reversedInterval(std::int32_t i) const {
    const Node& n = at(i);
    if (!n.symbol || n.symbol->role != Role::Square) return false;
    const std::int32_t p = parents()[static_cast<std::size_t>(i)];
    const std::int32_t firstSibling = p >= 0 ? at(p).first : -1;
    if (n.kind == NodeKind::Group) {
        // "[a,b[": the outer bracket holds the turned one last
        if (n.last >= 0 && squareBracket(n.last, true) && at(n.last).first < 0) return true;
        // the turned one itself, last in an outer "[" or after a turned "]"
        if (n.first >= 0 || n.next >= 0) return false;
        return (p >= 0 && squareBracket(p, true)) || (firstSibling >= 0 && squareBracket(firstSibling, false));
    }
    // "]a,b]", "]a,b[": a "]" that opens the row, and the one that closes it
    return firstSibling == i || (firstSibling >= 0 && squareBracket(firstSibling, false));
}

const std::vector<std::int32_t>& TypingErrors::parents() const {
    if (!parent_.empty() || f_.nodes.empty()) return parent_;
    parent_.assign(f_.nodes.size(), -1);
    for (std::size_t i = 0; i < f_.nodes.size(); ++i) {
        const Node& n = f_.nodes[i];
        const auto own = [&](std::int32_t c) {
            if (c >= 0 && static_cast<std::size_t>(c) < parent_.size()) parent_[static_cast<std::size_t>(c)] = static_cast<std::int32_t>(i);
        };
        for (std::int32_t c = n.first; c >= 0; c = at(c).next) own(c);
        own(n.operands[0]);
        own(n.operands[1]);
        own(n.operands[2]);
    }
    return parent_;
}

std::int32_t TypingErrors::owner(std::int32_t i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= f_.nodes.size()) return -1;
    if (at(i).kind == NodeKind::Group && !at(i).close) return i;
    return parents()[static_cast<std::size_t>(i)];
}

std::string_view TypingErrors::after(std::int32_t i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= f_.nodes.size()) return {};
    const Node& n = at(i);
    if (n.kind == NodeKind::Group && !n.close && n.symbol && n.symbol->kind == SymbolKind::LeftBracket)
        return reversedInterval(i) ? std::string_view{} : Unclosed(n.symbol->role);
    if (Empty(n)) {
        const std::int32_t p = parents()[static_cast<std::size_t>(i)];
        if (p < 0) return {};
        const Node& up = at(p);
        const bool fraction = up.kind == NodeKind::Frac || (up.kind == NodeKind::Binary && up.symbol->role == Role::Frac);
        if (fraction) return i == up.numerator() ? Say(P::NumeradorVazio) : i == up.denominator() ? Say(P::DenominadorVazio) : std::string_view{};
        if (up.kind == NodeKind::Binary && up.symbol->role == Role::Root)
            return i == up.radicand() ? Say(P::RaizVazia) : i == up.index() ? Say(P::IndiceVazio) : std::string_view{};
        if (up.kind == NodeKind::Unary && up.symbol->role == Role::Sqrt) return Say(P::RaizVazia);
        if (up.kind == NodeKind::Script) return i == up.exponent() ? Say(P::ExpoenteVazio) : i == up.index() ? Say(P::IndiceVazio) : std::string_view{};
        return {};
    }
    if (n.kind != NodeKind::Symbol || (n.flags & kEscaped)) return {};
    // A sign that the parser could not join to what should stand beside it.
    const bool first = atEdge(i, true);
    const bool last = atEdge(i, false);
    switch (n.symbol->kind) {
    case SymbolKind::RightBracket: return reversedInterval(i) ? std::string_view{} : Unopened(n.symbol->role);
    // a bar between two things may be "dado" or "tal que"; at an end it opens or closes nothing
    case SymbolKind::Bar: return first || last ? Say(P::BarraVerticalSemPar) : std::string_view{};
    case SymbolKind::DoubleBar: return first || last ? Say(P::BarraDuplaSemPar) : std::string_view{};
    case SymbolKind::Slash: return last ? Say(P::DenominadorVazio) : first ? Say(P::NumeradorVazio) : std::string_view{};
    // before something, a second script of the same base ("x^2^3"), which reads as it stands
    case SymbolKind::Superscript: return last ? Say(P::ExpoenteVazio) : std::string_view{};
    case SymbolKind::Subscript: return last ? Say(P::IndiceVazio) : std::string_view{};
    case SymbolKind::Unary:
    case SymbolKind::Binary:
        return n.symbol->role == Role::Sqrt || n.symbol->role == Role::Root ? Say(P::RaizVazia) : std::string_view{};
    default: return {};
    }
}

std::string_view TypingErrors::atOpening(std::int32_t i, bool bracketSaid) const {
    if (i < 0 || static_cast<std::size_t>(i) >= f_.nodes.size()) return {};
    const Node& n = at(i);
    if (n.kind != NodeKind::Group || n.close) return {};
    const std::string_view slip = after(i);
    if (slip.empty()) return {};
    const Role role = n.symbol->role;
    const bool named = bracketSaid && !(n.flags & kInvisible) && role != Role::FloorBracket && role != Role::CeilBracket;
    return named ? Say(P::SemFechamento) : slip;
}

bool TypingErrors::before(std::int32_t i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= f_.nodes.size()) return false;
    const Node& n = at(i);
    return n.kind == NodeKind::Symbol && n.symbol->kind == SymbolKind::Slash && n.next >= 0 && after(i) == Say(P::NumeradorVazio);
}

std::vector<TypingError> FindTypingErrors(const Formula& formula) {
    std::vector<TypingError> found;
    const TypingErrors errors(formula);
    for (std::size_t k = 0; k < formula.nodes.size(); ++k) {
        const auto i = static_cast<std::int32_t>(k);
        const std::string_view words = errors.after(i);
        if (words.empty()) continue;
        const Node& n = formula.at(i);
        const bool unclosed = n.kind == NodeKind::Group && !n.close;
        found.push_back({i, errors.owner(i), unclosed ? n.to : n.from, words});
    }
    std::stable_sort(found.begin(), found.end(), [](const TypingError& x, const TypingError& y) { return x.at < y.at; });
    return found;
}

}  // namespace reader
