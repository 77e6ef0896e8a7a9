// Layout: rows, brackets, fractions, roots, scripts and the signs read by their place in a row.
#include "reader/rules.h"

namespace reader::rules {

// The rules of signs read by their place in the row: those of the sign's role in the order
// they are tried, then those of a relation or a bar whose role's rules left it.
bool Reader::symbolRules(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Symbol || (n.flags & kEscaped)) return false;
    struct SignRule {
        Role role;
        RowRule rule;
    };
    static constexpr SignRule kByRole[] = {
        {Role::Comma, &Reader::commaRule},
        {Role::Semicolon, &Reader::semicolonRule},
        {Role::Dot, &Reader::dotRule},
        {Role::Colon, &Reader::colonRule},
        {Role::Tends, &Reader::mappingArrowRule},  // "f: A -> B"
        {Role::Tends, &Reader::implicationArrowRule},
        {Role::Equivalence, &Reader::implicationArrowRule},
        {Role::Tilde, &Reader::tildeRule},
        {Role::Congruence, &Reader::congruenceRule},
        {Role::Forall, &Reader::quantifierRule},
        {Role::Exists, &Reader::quantifierRule},
        {Role::In, &Reader::quantifiedInRule},
        {Role::Plus, &Reader::bodyEndRule},
        {Role::Minus, &Reader::bodyEndRule},
    };
    static constexpr RowRule kRelation[] = {&Reader::approximationRule, &Reader::relationRule};
    static constexpr RowRule kBar[] = {&Reader::setBuilderBarRule, &Reader::dividesRule};
    for (const SignRule& sign : kByRole)
        if (sign.role == n.symbol->role && (this->*sign.rule)(r)) return true;
    const std::span<const RowRule> byKind = n.symbol->kind == SymbolKind::Relation ? kRelation
                                            : n.symbol->kind == SymbolKind::Bar    ? kBar
                                                                                   : std::span<const RowRule>{};
    for (const RowRule rule : byKind)
        if ((this->*rule)(r)) return true;
    return false;
}

bool Reader::semicolonRule(Row& r) {
    if (!isSymbol(r.current(), Role::Semicolon)) return false;
    w_.semicolon();
    r.open = Open::None;
    r.quantifier = false;
    ++r.k;
    return true;
}

// text()^n A_p: a script written before its base
bool Reader::prescriptRule(Row& r) {
    const Node& node = at(r.current());
    const std::int32_t next = r.next();
    if (node.kind != NodeKind::Script || !isEmpty(node.base()) || next < 0 || !isOperand(next)) return false;
    readNode(next);
    w_.pause();
    w_.phrase(Say(P::Com));
    if (node.exponent() >= 0) {
        readNode(node.exponent());
        w_.phrase(Say(P::SobrescritoAEsquerda));
    }
    if (node.index() >= 0) {
        if (node.exponent() >= 0) w_.phrase(Say(P::E));
        readNode(node.index());
        w_.phrase(Say(P::SubscritoAEsquerda));
    }
    w_.pause();
    r.k += 2;
    return true;
}

// "2^", "x_": a "^" or "_" with nothing after it, which the page draws as nothing. Between
// items ("x^2^3") the page shows it, and it is read.
bool Reader::danglingScriptRule(Row& r) {
    const std::int32_t i = r.current();
    if (r.has(r.k + 1) || !(isSymbolKind(i, SymbolKind::Superscript) || isSymbolKind(i, SymbolKind::Subscript)))
        return false;
    sayTypingError(i);  // the page draws nothing: only the slip is said
    ++r.k;
    return true;
}

void Reader::readNode(std::int32_t i) {
    const Node& n = at(i);
    switch (n.kind) {
    case NodeKind::Symbol: readSymbol(n); break;
    case NodeKind::Number: readNumber(f_.text(n)); break;
    case NodeKind::Letter: readLetter(f_.text(n)); break;
    case NodeKind::Text: readText(f_.text(n)); break;
    case NodeKind::Row: readChildren(i); break;
    case NodeKind::Group: readGroup(i, false); break;
    case NodeKind::Unary: readUnary(i); break;
    case NodeKind::Binary: readBinary(n); break;
    case NodeKind::Frac: readFraction(n.numerator(), n.denominator()); break;
    case NodeKind::Script: readScript(i); break;
    }
}

// A lone sign, then the slip it shows ("expoente vazio"); "numerador vazio" goes before it.
void Reader::readSymbol(const Node& n) {
    const auto i = static_cast<std::int32_t>(&n - f_.nodes.data());
    if (typingErrors_.before(i)) sayTypingError(i);
    readSymbolAlone(n);
    if (!typingErrors_.before(i)) sayTypingError(i);
}

bool Reader::saySlipAtOpening(std::int32_t i, bool bracketSaid) {
    const std::string_view slip = typingErrors_.atOpening(i, bracketSaid);
    if (slip.empty()) return false;
    if (slip != Say(P::SemFechamento)) w_.pause();
    w_.phrase(slip);
    w_.pauseBeforeNext();
    return true;
}

// The words that tell of node i's slip, where it stands, set apart by pauses.
void Reader::sayTypingError(std::int32_t i) {
    const std::string_view words = typingErrors_.after(i);
    if (words.empty()) return;
    const bool first = typingErrors_.before(i);
    if (!first) w_.pause();
    w_.phrase(words);
    if (first)
        w_.pause();
    else
        w_.pauseBeforeNext();
}

void Reader::readSymbolAlone(const Node& n) {
    const Symbol* s = n.symbol;
    if (n.flags & kEscaped) {
        w_.phrase(s->words);
        return;
    }
    switch (s->role) {
    case Role::Comma: w_.pause(); return;
    case Role::Semicolon: w_.semicolon(); return;
    case Role::Dot: return;
    // a typeface over nothing draws nothing: "p bb" shows p alone
    case Role::Font:
    case Role::DoubleStruck: return;
    default: break;
    }
    if (s->kind == SymbolKind::Space) return;
    if (s->flags & kArticle) w_.noun(s->words);
    else if (s->kind == SymbolKind::Operator) w_.operatorPhrase(s->words);
    else w_.phrase(s->words);
}

void Reader::readLetter(std::string_view letter) {
    // Alone, "e" and "o" are read as the words "and" and "the"; these are the letters' names.
    const std::string_view name = LetterName(letter);
    w_.word(name.empty() ? letter : name);
    if (letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z' &&
        (f_.lowerLetters & (1u << (letter[0] - 'A'))))
        w_.phrase(Say(P::Maiusculo));
}

// Text written in the formula, read as it stands; an abbreviation ("nº") is read as the words
// it stands for.
void Reader::readText(std::string_view text) {
    // a unit in double quotes, anywhere, perhaps with blanks around it: "km/h", " m/s"
    std::string_view trimmed = text;
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
    if (const UnitMatch unit = MatchUnit(trimmed, true); unit.length > 0 && unit.length == trimmed.size()) {
        w_.phrase(unit.words);
        return;
    }
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            clean += ' ';
            continue;
        }
        if (i == 0 || text[i - 1] == ' ') {
            const AbbreviationMatch a = MatchAbbreviation(text.substr(i));
            if (a.length > 0) {
                clean += a.words;
                i += a.length - 1;
                continue;
            }
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

// A bracket and what it holds; an unclosed one says its slip where it opens.
void Reader::readGroup(std::int32_t i, bool baseOfScript) {
    if (!readGroupAlone(i, baseOfScript)) sayTypingError(i);
}

bool Reader::readGroupAlone(std::int32_t i, bool baseOfScript) {
    const Node& g = at(i);
    if (g.flags & kMatrix) {
        readMatrix(i);
        return false;
    }
    if (g.flags & kInvisible) {
        const bool slip = saySlipAtOpening(i, false);
        readChildren(i);
        return slip;
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
        return false;
    }
    if (role == Role::Brace && g.first < 0 && g.close && g.close->role == Role::Brace) {
        w_.noun(Say(P::ConjuntoVazio));
        return false;
    }
    if (readInterval(i)) return false;
    w_.phrase(g.symbol->words);
    const bool slip = saySlipAtOpening(i, true);
    ++bracketDepth_;
    const Role outer = bracket_;
    const bool decimals = decimalCommas_;
    bracket_ = role;
    decimalCommas_ = hasSemicolon(i);
    readChildren(i);
    bracket_ = outer;
    decimalCommas_ = decimals;
    --bracketDepth_;
    if (g.close) w_.phrase(g.close->words);
    return slip;
}

void Reader::readUnary(std::int32_t i) {
    const Node& n = at(i);
    const Symbol* s = n.symbol;
    if (s->kind == SymbolKind::Function) {
        readFunctionName(s, n.argument());
        readArgument(n.argument(), true);
        return;
    }
    const std::int32_t a = n.argument();
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
        else w_.productEnd(Say(P::FimDoVetor));
        return;
    case Role::PostfixAccent:
    case Role::Overbar:
    case Role::Hat:
        if (s->role == Role::Overbar && isComplement(i)) {
            w_.noun(Say(P::ComplementarDe));
            readNode(a);
            closeScope(shortArg, Say(P::FimDoComplementar));
            return;
        }
        if (s->role == Role::Overbar && capitalsRun(a) >= 2) {
            w_.noun(Say(P::Segmento));
            readNode(a);
            return;
        }
        if (s->role == Role::Hat && (capitalsRun(a) == 3 || isCapital(unwrap(a)))) {  // "hat A": the angle at A
            w_.noun(Say(P::Angulo));
            readNode(a);
            return;
        }
        // "x barra"; over a signed item or a run of letters the accent goes first, so that
        // "-bar x" and "bar(-x)", "y ul x" and "ul(yx)" do not sound alike
        if (shortArg && !isSigned(a) && !isLetterRun(a)) {
            readNode(a);
            w_.phrase(s->words);
        } else {
            const AccentWords words = AccentPhrases(*s);
            w_.phrase(words.before);
            readNode(a);
            w_.end(words.end);
        }
        return;
    case Role::PrefixAccent:
        w_.phrase(s->words);
        readNode(a);
        if (!shortArg || closesEverything()) w_.end(Say(P::FimDoArco));
        else w_.productEnd(Say(P::FimDoArco));
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
        readTypeface(*s, a, shortArg);
        return;
    }
    case Role::Font:
        readTypeface(*s, a, shortArg);
        return;
    default:
        w_.phrase(s->words);
        readNode(a);
        return;
    }
}

// "x em negrito"; over more than an item the typeface goes first and ends with a marker, so that
// "bb(x+y)" is not heard as "x+y": "em negrito x mais y, fim da fonte".
void Reader::readTypeface(const Symbol& typeface, std::int32_t a, bool shortArg) {
    if (shortArg || at(unwrap(a)).kind == NodeKind::Text) {
        readNode(a);
        w_.phrase(typeface.words);
        return;
    }
    w_.phrase(typeface.words);
    readNode(a);
    w_.end(Say(P::FimDaFonte));
}

void Reader::readBinary(const Node& n) {
    const Symbol* s = n.symbol;
    if (n.argument() < 0) {  // frac(a) with nothing after it; a colour, class or id over nothing shows nothing
        if (s->role == Role::Color) return;
        w_.phrase(s->words);
        readNode(n.annotation());
        return;
    }
    switch (s->role) {
    case Role::Frac: readFraction(n.numerator(), n.denominator()); return;
    case Role::Root: readRoot(n.index(), n.radicand()); return;
    case Role::Color: readNode(n.argument()); return;
    default:  // overset, underset, stackrel
        readNode(n.base());
        w_.phrase(Say(P::Com));
        readNode(n.annotation());
        w_.phrase(s->words);
        return;
    }
}

int Reader::smallNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 2) return -1;
    int v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

void Reader::readFraction(std::int32_t top, std::int32_t bottom) {
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
    // (ba)/y: letters side by side above would be heard as a product before the fraction, b a/y
    if (isShort(top) && !isLetterRun(top) && !isSymbol(unwrap(top), Role::Differential) && isShort(bottom) &&
        !closesEverything()) {
        readNode(top);
        w_.phrase(Say(P::Sobre));
        readNode(bottom);
        w_.productEnd(Say(P::FimDaFracao));
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

void Reader::readRoot(std::int32_t index, std::int32_t radicand) {
    const Node& ix = at(unwrap(index));
    const int n = ix.kind == NodeKind::Number ? smallNumber(f_.text(ix)) : -1;
    if (n >= 2 && n <= 10) {
        w_.phrase(RootName(n));
    } else if (letterIs(index, LetterRole::Enesima)) {
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

void Reader::readSubscript(std::int32_t sub) {
    w_.phrase(Say(P::Indice));
    ++bracketDepth_;  // X_(4,2): a comma between numbers separates them
    readNode(sub);
    --bracketDepth_;
    closeScope(isSimple(sub), Say(P::FimDoIndice));
}

// A_(2xx3), (a_(ij))_(m xx n): the order of a matrix named by a capital or written in
// brackets, "Á de ordem 2 por 3"
bool Reader::readMatrixOrder(const Node& script) {
    const Node& base = at(script.base());
    if (!isCapital(script.base()) && !(base.kind == NodeKind::Group && !(base.flags & kInvisible))) return false;
    std::vector<std::int32_t> items;
    const std::int32_t sub = unwrap(script.index());
    if (at(sub).kind != NodeKind::Row && !(at(sub).kind == NodeKind::Group && (at(sub).flags & kInvisible))) return false;
    collect(sub, items);
    const auto side = [&](std::int32_t i) {
        const Node& n = at(i);
        return n.kind == NodeKind::Number || (n.kind == NodeKind::Letter && n.length == 1);
    };
    if (items.size() != 3 || !side(items[0]) || !side(items[2]) ||
        !(isSymbol(items[1], Role::Cross) || isSymbol(items[1], Role::Times)))
        return false;
    w_.phrase(Say(P::DeOrdem));
    readNode(items[0]);
    w_.phrase(Say(P::Por));
    readNode(items[2]);
    closeScope(true, Say(P::FimDoIndice));
    return true;
}

void Reader::readExponent(std::int32_t sup, bool feminine) {
    // "ao quadrado" would hide an unclosed bracket around the 2
    const bool whole = typingErrors_.atOpening(sup).empty();
    if (whole && isNumberText(sup, "2")) { w_.phrase(Say(P::AoQuadrado)); return; }
    if (whole && isNumberText(sup, "3")) { w_.phrase(Say(P::AoCubo)); return; }
    if (whole && isSymbol(unwrap(sup), Role::Prime)) { w_.phrase(Say(P::Linha)); return; }
    w_.phrase(feminine ? Say(P::ElevadaA) : Say(P::ElevadoA));
    readNode(sup);
    closeScope(isSimple(sup), Say(P::FimDoExpoente));
}

void Reader::readScript(std::int32_t i) {
    const Node& n = at(i);
    const bool afterTends = afterTends_;
    afterTends_ = false;
    if (isSymbolKind(n.base(), SymbolKind::Function) && at(n.base()).symbol->role != Role::Letter) {
        readFunctionHead(at(n.base()).symbol, n.index(), n.exponent());
        return;
    }
    if (isSymbolKind(n.base(), SymbolKind::BigOperator)) {
        readBigOperator(i, false);
        return;
    }
    const Node& base = at(n.base());
    if (isEmpty(n.base())) {
        if (n.exponent() >= 0) { w_.phrase(Say(P::Sobrescrito)); readNode(n.exponent()); }
        if (n.index() >= 0) { w_.phrase(Say(P::Subscrito)); readNode(n.index()); }
        return;
    }
    if (base.kind == NodeKind::Group) readGroup(n.base(), true);
    else readNode(n.base());
    // [F(x)]_a^b: the bracket of an evaluation
    if (n.index() >= 0 && n.exponent() >= 0 && base.kind == NodeKind::Group && !(base.flags & (kInvisible | kMatrix)) &&
        base.symbol->role == Role::Square && base.close && base.close->role == Role::Square) {
        w_.pause();
        w_.phrase(Say(P::AvaliadoDe));
        readNode(n.index());
        w_.phrase(Say(P::Ate));
        readNode(n.exponent());
        return;
    }
    // sin(x)^2, sqrt(x)^2: the power is of everything before it
    const bool applied = (base.kind == NodeKind::Unary &&
                          (base.symbol->kind == SymbolKind::Function ||
                           base.symbol->role == Role::Sqrt || base.symbol->role == Role::Abs ||
                           base.symbol->role == Role::Norm || base.symbol->role == Role::Floor ||
                           base.symbol->role == Role::Ceil || base.symbol->role == Role::Vec ||
                           base.symbol->role == Role::PrefixAccent)) ||
                         (base.kind == NodeKind::Binary && (base.symbol->role == Role::Root || base.symbol->role == Role::Frac));
    // sqrt x_24, as sqrt(x)_24, and vec v_1: the index is of everything before it too, not of
    // what is inside
    if (applied && (n.index() >= 0 || n.exponent() >= 0)) {
        w_.pause();
        w_.phrase(Say(P::Tudo));
    }
    if (n.index() >= 0 && !readMatrixOrder(n)) readSubscript(n.index());
    if (n.exponent() < 0) return;
    // M^T: the transpose of a matrix named by a capital
    const bool matrix = (base.kind == NodeKind::Letter && isCapital(n.base()) && !LetterHasRole(LetterRole::Transposta, f_.text(base))) ||
                        (base.kind == NodeKind::Group && base.first >= 0 &&
                         (isCapital(base.first) || (at(base.first).kind == NodeKind::Script && isCapital(at(base.first).base()))));
    if (matrix && letterIs(n.exponent(), LetterRole::Transposta)) {
        w_.phrase(Say(P::Transposta));
        return;
    }
    // B^c, B^C: the complement of a set named by a capital
    if (n.index() < 0 && base.kind == NodeKind::Letter && isCapital(n.base()) && letterIs(n.exponent(), LetterRole::Complemento)) {
        w_.phrase(Say(P::Complementar));
        return;
    }
    // f^-1: the inverse function, named alone
    if (n.index() < 0 && isFunctionLetter(n.base()) && isMinusOne(n.exponent())) {
        w_.phrase(Say(P::Inversa));
        return;
    }
    if (isDegreeMark(n.exponent(), base)) {
        w_.phrase(Say(P::Graus));
        return;
    }
    const Node& sup = at(unwrap(n.exponent()));
    const bool lone = sup.kind == NodeKind::Symbol && !(sup.flags & kEscaped);
    // x -> a^+: the side from which x comes
    if (afterTends && lone && (sup.symbol->role == Role::Plus || sup.symbol->role == Role::Minus)) {
        w_.phrase(sup.symbol->role == Role::Plus ? Say(P::PelaDireita) : Say(P::PelaEsquerda));
        return;
    }
    // NN^**, RR^*: the set without zero
    if (lone && base.kind == NodeKind::Symbol && (base.symbol->flags & kArticle) &&
        (sup.symbol->role == Role::Times || sup.symbol->role == Role::Asterisk)) {
        w_.phrase(Say(P::NaoNulos));
        return;
    }
    readExponent(n.exponent(), false);
}

}  // namespace reader::rules
