// Geometry and vectors: angles between vectors, vector products, matrices and determinants.
#include "reader/rules.h"

namespace reader::rules {

// u \^ v: the angle between two vectors
bool Reader::vectorAngleRule(Row& r) {
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

// u xx v between vectors is the vector product, u . v the scalar product; A xx B between sets,
// the Cartesian product ("Á cartesiano B")
bool Reader::vectorProductRule(Row& r) {
    if (r.k == 0 || !r.has(r.k + 1)) return false;
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Symbol || (n.flags & kEscaped)) return false;
    if (n.symbol->role == Role::Cross && isSet(r.item(r.k - 1)) && isSet(r.next()) && speaksOfSets(r)) {
        w_.operatorPhrase(Say(P::Cartesiano));
        ++r.k;
        return true;
    }
    if (!isVector(r.item(r.k - 1)) || !isVector(r.next())) return false;
    const bool cross = n.symbol->role == Role::Cross;
    const bool dot = n.symbol->role == Role::Dot || n.symbol->role == Role::Times;
    if (!cross && !dot) return false;
    w_.operatorPhrase(Say(cross ? P::Vetorial : P::Escalar));
    ++r.k;
    return true;
}

// A set a Cartesian product is made of: a capital letter, a number set ("RR"), either squared.
bool Reader::isSet(std::int32_t i) const { return isCapitalLetter(i) || isNumberSet(i) || isSquaredSet(i); }

bool Reader::isSquaredSet(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Script && n.index() < 0 && isNumberText(n.exponent(), "2") &&
           (isCapitalLetter(n.base()) || isNumberSet(n.base()));
}

bool Reader::isNumberSet(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->kind == SymbolKind::Constant &&
           (n.symbol->flags & kArticle) && (n.symbol->flags & kCapital);
}

// Whether the row speaks of sets: a number set, braces, "in", or an operation or relation of
// sets; "AxxB = 0" between numbers or matrices does not.
bool Reader::speaksOfSets(const Row& r) const {
    for (std::size_t j = 0; j < r.size(); ++j) {
        const std::int32_t i = r.item(j);
        const Node& n = at(i);
        if (isNumberSet(i) || (n.kind == NodeKind::Script && isNumberSet(n.base())) || isSymbol(i, Role::In) ||
            isSymbol(i, Role::SetOperation) || (n.kind == NodeKind::Group && n.symbol && n.symbol->role == Role::Brace))
            return true;
    }
    return false;
}

// r // s, bar(AB) // bar(CD), AB // CD: the slash between lines or segments is "paralela a"
// ("paralelo ao segmento" after a segment); elsewhere it stays a slash.
bool Reader::parallelRule(Row& r) {
    if (r.k == 0 || !r.has(r.k + 1) || at(r.current()).kind != NodeKind::Symbol || at(r.current()).symbol->input != "//")
        return false;
    const auto segment = [&](std::int32_t i) {
        const Node& n = at(i);
        return n.kind == NodeKind::Unary && n.symbol->role == Role::Overbar && capitalsRun(n.argument()) == 2;
    };
    const auto line = [&](std::size_t j) {  // a line's letter, or two capitals from j on
        return letterIs(r.item(j), LetterRole::Reta) ? 1 : r.has(j + 1) && isCapitalLetter(r.item(j)) &&
                                                                   isCapitalLetter(r.item(j + 1)) && !(at(r.item(j + 1)).flags & kSpaced)
                                                               ? 2 : 0;
    };
    const std::int32_t before = r.item(r.k - 1);
    if (segment(before) && segment(r.next())) {
        w_.phrase(Say(P::ParaleloA));
        w_.noun(Say(P::Segmento));
        readNode(unwrap(at(r.next()).argument()));
        r.k += 2;
        return true;
    }
    const bool lineBefore = letterIs(before, LetterRole::Reta) ||
                            (r.k >= 2 && isCapitalLetter(before) && isCapitalLetter(r.item(r.k - 2)) && !(at(before).flags & kSpaced));
    const std::size_t after = line(r.k + 1);
    if (!lineBefore || after == 0 || (r.has(r.k + 1 + after) && !(at(r.item(r.k + 1 + after)).flags & kSpaced) &&
                                      isOperand(r.item(r.k + 1 + after))))
        return false;
    w_.phrase(Say(P::ParalelaA));
    ++r.k;
    return true;
}

bool Reader::isVector(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Unary && n.symbol->role == Role::Vec;
}

bool Reader::isAngle(const std::vector<std::int32_t>& items) const {
    if (items.size() != 3) return false;
    const Node& mid = at(items[1]);
    return mid.kind == NodeKind::Symbol && (mid.flags & kEscaped) && mid.symbol->role == Role::Caret;
}

void Reader::readMatrix(std::int32_t i) {
    const Node& g = at(i);
    std::vector<std::int32_t> rows;
    for (std::int32_t c = g.first; c >= 0; c = at(c).next)
        if (at(c).kind == NodeKind::Group) rows.push_back(c);
    if (readBinomial(i, rows)) return;
    std::size_t columns = 1;
    for (std::int32_t c = at(rows[0]).first; c >= 0; c = at(c).next)
        if (isSymbol(c, Role::Comma)) ++columns;
    const bool brace = g.symbol->role == Role::Brace;
    const bool bare = (g.flags & kInvisible) != 0;  // x^{(a),(b):}: the page drops the brace
    const bool system = brace && !bare && columns == 1;
    const bool cases = brace && !bare && columns > 1;  // f(x) = {(x, x >= 0), (-x, x < 0):}
    const bool determinant = g.symbol->kind == SymbolKind::Bar;
    // {:(a,b),(c,d):}, or a matrix whose brackets an operand's drop: the page draws no brackets
    const bool table = !determinant && ((g.flags & kInvisible) || g.symbol->role == Role::Invisible);
    const std::string count = std::to_string(rows.size());
    // [(1,2),(3,4)) and (:(1,2):): brackets that do not pair, or angle brackets, are named
    const bool oddBrackets = !table && !determinant && !brace && g.close &&
                             (g.close->role != g.symbol->role || g.symbol->role == Role::Angle);
    if (oddBrackets) {
        w_.phrase(g.symbol->words);
        w_.pause();
    }
    if (table) {
        w_.phrase(Say(P::Tabela));
        w_.word(count);
        w_.phrase(Say(P::Por));
        w_.word(std::to_string(columns));
    } else if (system) {
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
        } else if (columns > 1 || determinant || table) {
            w_.phrase(Say(P::Linha));
            w_.word(std::to_string(r + 1));
            w_.colon();
        }
        ++bracketDepth_;
        readChildren(rows[r]);
        --bracketDepth_;
    }
    w_.end(table ? Say(P::FimDaTabela) : system ? Say(P::FimDoSistema) : cases ? Say(P::FimDosCasos) : columns == 1 && !determinant ? Say(P::FimDoVetor)
           : determinant                                       ? Say(P::FimDoDeterminante)
                                                               : Say(P::FimDaMatriz));
    if (oddBrackets) w_.phrase(g.close->words);
}

}  // namespace reader::rules
