// What a node is, as the rules ask it: an atom, a short operand, a function head, a call bracket.
#include "reader/rules.h"

namespace reader::rules {

bool Reader::isEmpty(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind == NodeKind::Text) return blankText(f_.text(n));
    if (n.kind == NodeKind::Row || (n.kind == NodeKind::Group && (n.flags & kInvisible)))
        return n.first < 0;
    return false;
}

bool Reader::blankText(std::string_view t) {
    for (char c : t)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// One symbol that reads as one word or name: 2, x, alfa, infinito.
bool Reader::isAtom(std::int32_t i) const {
    const Node& n = at(unwrap(i));
    switch (n.kind) {
    case NodeKind::Number:
    case NodeKind::Letter:
        return true;
    case NodeKind::Symbol:
        if (n.flags & kEscaped) return false;
        return (n.symbol->kind == SymbolKind::Constant && ReadsByWords(n.symbol->role)) ||
               n.symbol->role == Role::Letter;
    default:
        return false;
    }
}

// An atom, perhaps with a sign: the operands that need no end marker ("x elevado a n").
bool Reader::isSimple(std::int32_t i) const {
    i = unwrap(i);
    if (isAtom(i)) return true;
    const Node& n = at(i);
    if (n.kind != NodeKind::Row && n.kind != NodeKind::Group) return false;
    if (n.kind == NodeKind::Group && !(n.flags & kInvisible)) return false;
    if (n.first < 0 || at(n.first).next != n.last || n.last < 0) return false;
    return (isSymbol(n.first, Role::Minus) || isSymbol(n.first, Role::Plus)) && isAtom(n.last);
}

// Two or three letters side by side: the name of a segment or a vector, "AB".
bool Reader::isLetterRun(std::int32_t i) const {
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
bool Reader::isShort(std::int32_t i, bool allowCalls) const {
    i = unwrap(i);
    if (isSimple(i) || isLetterRun(i)) return true;
    const Node& n = at(i);
    // f(g(x)) reads "f de g de x"; only where no fraction or exponent can follow ambiguously
    if (allowCalls && n.kind == NodeKind::Unary && n.symbol->kind == SymbolKind::Function) {
        const Node& arg = at(n.argument());
        if (isCallBracket(n.argument()) && arg.first >= 0 && arg.first == arg.last)
            return isShort(arg.first, true);
        return isShort(n.argument(), true);
    }
    if (n.kind == NodeKind::Script)
        return isAtom(n.base()) && ((n.index() >= 0 && isSimple(n.index()) && n.exponent() < 0) ||
                               (n.index() < 0 && isCapital(n.base()) &&  // A^c, M^T: a complement, a transpose
                                (letterIs(n.exponent(), LetterRole::Complemento) || letterIs(n.exponent(), LetterRole::Transposta))));
    if (n.kind == NodeKind::Unary) {
        const Role r = n.symbol->role;
        return (r == Role::Vec || IsPostfixAccent(r)) && (isAtom(n.argument()) || isLetterRun(n.argument()));
    }
    return false;
}

bool Reader::isOperand(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind == NodeKind::Text) return !blankText(f_.text(n));
    if (n.kind != NodeKind::Symbol) return true;
    if (n.flags & kEscaped) return false;
    const SymbolKind k = n.symbol->kind;
    if (k == SymbolKind::Function) return true;
    return k == SymbolKind::Constant &&
           (ReadsByWords(n.symbol->role) || n.symbol->role == Role::Prime ||
            n.symbol->role == Role::Factorial);
}

// A function name on its own, or with scripts: sin, log_a, cos^2.
bool Reader::isFunctionHead(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind == NodeKind::Script)
        return isSymbolKind(n.base(), SymbolKind::Function) && at(n.base()).symbol->role != Role::Letter;
    return isSymbolKind(i, SymbolKind::Function) && n.symbol->role != Role::Letter;
}

bool Reader::isBigOperator(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind == NodeKind::Script) return isSymbolKind(n.base(), SymbolKind::BigOperator);
    return isSymbolKind(i, SymbolKind::BigOperator);
}

// A letter that may name a function applied to a bracket after it: f, P, u.
bool Reader::isLetterLike(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind == NodeKind::Letter) return n.length == 1;
    return isSymbol(i, Role::Letter);
}

bool Reader::isFunctionLetter(std::int32_t i) const {
    const Node& n = at(i);
    if (isSymbol(i, Role::Letter)) return true;
    return n.kind == NodeKind::Letter && LetterHasRole(LetterRole::Funcao, f_.text(n));
}

bool Reader::isCallBracket(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Group && !(n.flags & (kInvisible | kSpaced | kMatrix)) &&
           n.symbol->role == Role::Paren && n.close && n.close->role == Role::Paren;
}

// -1, whether written -1 or (-1)
bool Reader::isMinusOne(std::int32_t i) const {
    const std::int32_t inner = unwrap(i);
    const Node& n = at(inner);
    std::vector<std::int32_t> items;
    if (n.kind == NodeKind::Row ||
        (n.kind == NodeKind::Group && !(n.flags & kMatrix) && n.symbol->role == Role::Paren))
        collect(inner, items);
    return items.size() == 2 && isSymbol(items[0], Role::Minus) && isNumberText(items[1], "1");
}

bool Reader::isNumberText(std::int32_t i, std::string_view text) const {
    const Node& n = at(unwrap(i));
    return n.kind == NodeKind::Number && f_.text(n) == text;
}

// "-x", "+2": an item that starts with a sign.
bool Reader::isSigned(std::int32_t i) const {
    const Node& n = at(unwrap(i));
    const bool items = n.kind == NodeKind::Row || (n.kind == NodeKind::Group && (n.flags & kInvisible));
    return items && n.first >= 0 && (isSymbol(n.first, Role::Minus) || isSymbol(n.first, Role::Plus));
}

bool Reader::isCapital(std::int32_t i) const {
    const Node& n = at(unwrap(i));
    return n.kind == NodeKind::Letter && n.length == 1 && f_.source[n.begin] >= 'A' && f_.source[n.begin] <= 'Z';
}

// A letter (perhaps in invisible brackets) that takes the meaning `role` where it stands.
bool Reader::letterIs(std::int32_t i, LetterRole role) const {
    const Node& n = at(unwrap(i));
    return n.kind == NodeKind::Letter && LetterHasRole(role, f_.text(n));
}

// How many capitals side by side make the item: 3 for "PQR"; 0 for anything else.
std::size_t Reader::capitalsRun(std::int32_t i) const {
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

}  // namespace reader::rules
