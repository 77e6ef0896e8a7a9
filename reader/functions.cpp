// Functions and calculus: named functions and their arguments, letters applied to brackets,
// sums, products, limits, integrals and derivatives.
#include "reader/rules.h"

namespace reader::rules {

// A plus or minus after the body of a sum, product or limit ends that body.
bool Reader::bodyEndRule(Row& r) {
    if (r.open == Open::None || r.body == 0) return false;
    if (!isSymbol(r.current(), Role::Plus) && !isSymbol(r.current(), Role::Minus)) return false;
    w_.end(Say(r.open == Open::Sum       ? P::FimDoSomatorio
               : r.open == Open::Product ? P::FimDoProdutorio
                                         : P::FimDoLimite));
    r.open = Open::None;
    return false;
}

bool Reader::bigOperatorRule(Row& r) {
    if (!isBigOperator(r.current())) return false;
    const std::int32_t next = r.next();
    r.open = readBigOperator(r.current(), next >= 0 && isOperand(next));
    r.body = 0;
    ++r.k;
    return true;
}

bool Reader::bodyItemRule(Row& r) {
    ++r.body;
    return false;
}

// sin x^2 was taken by the parser; log_a b and sin^2 x leave the argument next.
bool Reader::functionHeadRule(Row& r) {
    const std::int32_t i = r.current();
    if (!isFunctionHead(i)) return false;
    ++r.k;
    const Node& head = at(i);
    if (head.kind == NodeKind::Script) readFunctionHead(at(head.base()).symbol, head.index(), head.exponent());
    else readFunctionHead(head.symbol, -1, -1);
    r.k = sayPrimes(r, r.k);
    if (r.has(r.k) && isOperand(r.current()) && !isBigOperator(r.current())) {
        const Symbol* name = head.kind == NodeKind::Script ? at(head.base()).symbol : head.symbol;
        const std::size_t end = argumentProductEnd(r, r.k + 1);
        if ((name->flags & kProductArgument) && end > r.k + 1 && isArgumentFactor(r.current())) {
            readProductArgument(r.current(), r, r.k + 1, end);
            r.k = end;
            return true;
        }
        readArgument(r.current(), true);
        ++r.k;
    }
    return true;
}

// "Cov"(X, Y), "Im"(w), "sgn"(x): a function's name typed in double quotes names the function.
const Symbol* Reader::quotedFunction(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind != NodeKind::Text) return nullptr;
    const std::string_view text = f_.text(n);
    const Symbol* s = MatchSymbol(text);
    // a quoted name that is one only before a bracket, as "Re" in "Re"(z): with its bracket
    if ((!s || s->input.size() != text.size()) && n.next >= 0 && isCallBracket(n.next)) s = MatchSymbol(std::string(text) + '(');
    if (!s || s->input.size() != text.size() || s->kind != SymbolKind::Function || s->role == Role::Letter) return nullptr;
    return s;
}

bool Reader::quotedFunctionRule(Row& r) {
    const Symbol* s = quotedFunction(r.current());
    if (!s) return false;
    readFunctionName(s, r.next());
    ++r.k;
    if (r.has(r.k) && isOperand(r.current()) && !isBigOperator(r.current())) {
        readArgument(r.current(), true);
        ++r.k;
    }
    return true;
}

// "dim Im T": the letters I and m typed together after a function's name, before a map, name
// the map's image; the page draws them as letters, and the parser gave the function the I.
bool Reader::imageOfMapRule(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Unary || n.symbol->kind != SymbolKind::Function || n.argument() < 0 || !r.has(r.k + 2))
        return false;
    const Node& i = at(n.argument());
    const Node& m = at(r.next());
    if (i.kind != NodeKind::Letter || f_.text(i) != "I" || m.kind != NodeKind::Letter || f_.text(m) != "m" ||
        (m.flags & kSpaced) || !namesMap(r.item(r.k + 2)))
        return false;
    readFunctionHead(n.symbol, -1, -1);
    w_.phrase(Say(P::De));
    w_.noun(Say(P::Imagem), true);
    w_.phrase(Say(P::De));
    readNode(r.item(r.k + 2));
    w_.productEnd(Say(P::FimDoArgumento));
    r.k += 3;
    return true;
}

// "sen 2x", "cos 60°", "tg 3x": a product written after a function's name without brackets is
// all its argument, as every textbook means it. The parser gave the function the first item
// alone; the rest of the product follows it in the row.
bool Reader::functionProductRule(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Unary || n.symbol->kind != SymbolKind::Function || !(n.symbol->flags & kProductArgument))
        return false;
    const std::size_t end = argumentProductEnd(r, r.k + 1);
    if (end == r.k + 1 || n.argument() < 0 || !isArgumentFactor(n.argument())) return false;
    readFunctionHead(n.symbol, -1, -1);
    readProductArgument(n.argument(), r, r.k + 1, end);
    r.k = end;
    return true;
}

void Reader::readProductArgument(std::int32_t first, const Row& r, std::size_t from, std::size_t end) {
    std::vector<std::int32_t> argument{first};
    argument.insert(argument.end(), r.items.begin() + static_cast<std::ptrdiff_t>(from),
                    r.items.begin() + static_cast<std::ptrdiff_t>(end));
    w_.phrase(Say(P::De));
    readItems(argument);
    w_.productEnd(Say(P::FimDoArgumento));
}

// A factor of such an argument: a number, a letter or a Greek letter, perhaps with scripts, or
// the degree sign, prime or factorial that stays with what stands before it. A function's
// name, a letter that names a function (f, g, h) and a differential end the argument.
bool Reader::isArgumentFactor(std::int32_t i) const {
    if (isSymbol(i, Role::Prime) || isSymbol(i, Role::Factorial) || isDegreeSign(i)) return true;
    const Node& n = at(i);
    // the brackets {: :} draw nothing: what they hold stands in the product as the page shows it
    if (n.kind == NodeKind::Group && n.symbol->role == Role::Invisible) return n.first >= 0 && isArgumentFactor(n.first);
    const Node& base = at(n.kind == NodeKind::Script ? n.base() : i);
    if (base.kind == NodeKind::Number) return true;
    if (base.kind == NodeKind::Letter) return !LetterHasRole(LetterRole::Funcao, f_.text(base));
    return base.kind == NodeKind::Symbol && !(base.flags & kEscaped) && base.symbol->kind == SymbolKind::Constant &&
           base.symbol->role == Role::None;
}

// Where the factors of a function's argument that go on at item j end: "d x" typed apart (its
// variable perhaps with a script) is a differential, not two factors.
std::size_t Reader::argumentProductEnd(const Row& r, std::size_t j) const {
    for (; r.has(j) && isArgumentFactor(r.item(j)); ++j) {
        const Node& n = at(r.item(j));
        if (n.kind != NodeKind::Letter || f_.text(n) != "d" || !r.has(j + 1)) continue;
        const Node& after = at(r.item(j + 1));
        const Node& variable = after.kind == NodeKind::Script ? at(after.base()) : after;  // "d t_X"
        if (variable.kind == NodeKind::Letter && f_.text(variable).size() == 1 &&
            std::string_view("xyzt").find(f_.text(variable)[0]) != std::string_view::npos)
            break;
    }
    return j;
}

// g o f
bool Reader::compositionRule(Row& r) {
    const Node& node = at(r.current());
    if (!letterIs(r.current(), LetterRole::Composicao) || r.k == 0 || r.next() < 0 ||
        !isFunctionLetter(r.item(r.k - 1)) || !isFunctionLetter(r.next()))
        return false;
    w_.phrase(Say(P::CompostaCom));
    ++r.k;
    return true;
}

// f^-1(x): the inverse function applied
bool Reader::inverseFunctionRule(Row& r) {
    const Node& node = at(r.current());
    const std::int32_t next = r.next();
    if (node.kind != NodeKind::Script || node.index() >= 0 || node.exponent() < 0 || !isFunctionLetter(node.base()) ||
        !isMinusOne(node.exponent()) || next < 0 || !isCallBracket(next))
        return false;
    readNode(node.base());
    w_.phrase(Say(P::Inversa));
    readCall(node.base(), next);
    r.k += 2;
    return true;
}

// g^((n))(t), f^((4)): the derivative of order n, the order in brackets above the name
bool Reader::higherDerivativeRule(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Script || n.index() >= 0 || n.exponent() < 0 || !isLetterLike(n.base())) return false;
    const Node& order = at(unwrap(n.exponent()));
    if (order.kind != NodeKind::Group || (order.flags & (kInvisible | kMatrix)) || order.symbol->role != Role::Paren ||
        !order.close || order.first < 0 || order.first != order.last || !isAtom(order.first))
        return false;
    if (letterIs(order.first, LetterRole::Enesima)) {
        w_.phrase(Say(P::DerivadaEnesimaDe));
    } else {
        w_.phrase(Say(P::DerivadaDeOrdem));
        readNode(order.first);
        w_.phrase(Say(P::De));
    }
    readNode(n.base());
    ++r.k;
    if (r.has(r.k) && isCallBracket(r.current())) {
        readCall(n.base(), r.current());
        ++r.k;
    }
    return true;
}

// (g @ h)(t): a composed function applied
bool Reader::composedCallRule(Row& r) {
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
                           mid.symbol->role == Role::Compose) ||
                          letterIs(items[1], LetterRole::Composicao);
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
std::size_t Reader::sayPrimes(const Row& r, std::size_t j) {
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

bool Reader::primesRule(Row& r) {
    // a single prime reads alone, as "linha"
    if (!isSymbol(r.current(), Role::Prime) || !r.has(r.k + 1) || !isSymbol(r.next(), Role::Prime)) return false;
    r.k = sayPrimes(r, r.k);
    return true;
}

// The variable of "d/dx", "d/(dt)", "del/(del x)": the item after the d, or -1.
std::int32_t Reader::derivativeVariable(std::int32_t below, bool& partial) const {
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
    if (letterIs(d, LetterRole::Diferencial)) partial = false;
    else if (isSymbol(d, Role::Partial)) partial = true;
    else return -1;
    return variable;
}

// dx, dy, dt...: one symbol for "d" and a letter
bool Reader::isDifferential(const Node& n) {
    return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->role == Role::Differential;
}


// d/dx (x^2+1), del/(del x) f, dy/dx, (del f)/(del x)
bool Reader::derivativeRule(Row& r) {
    const Node& n = at(r.current());
    if (n.kind != NodeKind::Frac) return false;
    bool partial = false;
    const std::int32_t variable = derivativeVariable(n.denominator(), partial);
    if (variable < 0) return false;
    const Node& top = at(unwrap(n.numerator()));
    std::int32_t of = -1;  // what is derived, written above: dy/dx
    if (letterIs(n.numerator(), LetterRole::Diferencial)) {
        if (partial) return false;
    } else if (isSymbol(unwrap(n.numerator()), Role::Partial)) {
        if (!partial) return false;
    } else {
        bool topPartial = false;
        of = derivativeVariable(n.numerator(), topPartial);
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
void Reader::sayVariable(std::int32_t i) {
    const Node& n = at(i);
    if (isDifferential(n))
        w_.word(n.symbol->input.substr(1));
    else
        readNode(i);
}

// E(X), E(X^2): the expectation of a random variable, named by a capital
bool Reader::expectationRule(Row& r) {
    const std::int32_t i = r.current();
    const std::int32_t next = r.next();
    if (!letterIs(i, LetterRole::Esperanca) || next < 0 || !isCallBracket(next)) return false;
    std::vector<std::int32_t> items;
    collect(next, items);
    if (items.empty()) return false;
    const Node& first = at(items[0]);
    if (!isCapital(items[0]) && !(first.kind == NodeKind::Script && isCapital(first.base()))) return false;
    w_.phrase(Say(P::Esperanca));
    readCall(i, next);
    r.k += 2;
    return true;
}

// F(x)|_a^b: the evaluation bar, "avaliado de a até b"; F(x)|_(x=2): "avaliado em x igual a 2"
bool Reader::evaluationBarRule(Row& r) {
    if (!r.has(r.k + 2) || !isSymbolKind(r.current(), SymbolKind::Bar) || !isSymbolKind(r.next(), SymbolKind::Subscript))
        return false;
    const std::int32_t limits = r.item(r.k + 2);
    const Node& s = at(limits);
    w_.pause();
    if (s.kind == NodeKind::Script && s.index() < 0 && s.exponent() >= 0) {
        w_.phrase(Say(P::AvaliadoDe));
        readNode(s.base());
        w_.phrase(Say(P::Ate));
        readNode(s.exponent());
    } else {
        w_.phrase(Say(P::AvaliadoEm));
        readNode(limits);
    }
    r.k += 3;
    return true;
}

// f(x), f'(x), P(A): a letter applied to what follows in brackets
bool Reader::functionCallRule(Row& r) {
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

// Whether "X(...)" reads as "X de ...": always for f and g, for other letters when what is
// in the brackets is short, or for P(A | B).
bool Reader::callReads(std::int32_t letter, std::int32_t bracket) const {
    if (isFunctionLetter(letter) || isCountingLetter(letter, bracket) || calledElsewhere(letter)) return true;
    const Node& g = at(bracket);
    if (g.first >= 0 && g.first == g.last && isShort(g.first, true)) return true;
    return conditionalBar(letter, bracket) >= 0;
}

// n(A uu B), P(A nn B): the number of elements of a set and the probability of an event,
// named by a capital; n(n+1) is a product.
bool Reader::isCountingLetter(std::int32_t letter, std::int32_t bracket) const {
    const Node& l = at(letter);
    if (l.kind != NodeKind::Letter || !LetterHasRole(LetterRole::Contagem, f_.text(l))) return false;
    const std::int32_t first = at(bracket).first;
    if (first < 0) return false;
    const Node& set = at(first);
    if (set.kind == NodeKind::Letter) return f_.text(set)[0] >= 'A' && f_.text(set)[0] <= 'Z';
    return set.kind == NodeKind::Symbol && !(set.flags & kEscaped) && set.symbol->kind == SymbolKind::Constant &&
           (set.symbol->flags & kCapital);
}

// A letter that the formula applies elsewhere to a letter or number: u in "u(x) = u(x+1)".
bool Reader::calledElsewhere(std::int32_t letter) const {
    const Node& l = at(letter);
    return l.kind == NodeKind::Letter && l.length == 1 && (f_.calledLetters & LetterBit(f_.source[l.begin]));
}

// The bar of P(A | B), or -1.
std::int32_t Reader::conditionalBar(std::int32_t letter, std::int32_t bracket) const {
    const Node& l = at(letter);
    if (l.kind != NodeKind::Letter || !LetterHasRole(LetterRole::Probabilidade, f_.text(l))) return -1;
    std::vector<std::int32_t> items;
    collect(bracket, items);
    for (std::size_t k = 1; k + 1 < items.size(); ++k)
        if (isSymbolKind(items[k], SymbolKind::Bar)) return items[k];
    return -1;
}

void Reader::readCall(std::int32_t letter, std::int32_t bracket) {
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
void Reader::readArgument(std::int32_t arg, bool withDe) {
    if (withDe) w_.phrase(Say(P::De));
    const Node& a = at(arg);
    if (a.kind == NodeKind::Group && !(a.flags & kMatrix) && a.symbol->role == Role::Paren &&
        a.first >= 0) {
        std::vector<std::int32_t> items;
        collect(arg, items);
        // g(2,5): in an argument, a comma between numbers is the decimal mark; mdc(12,18) has two
        const bool decimals = decimalCommas_;
        const bool many = manyArguments_;
        decimalCommas_ = !many;
        manyArguments_ = false;
        if ((items.size() == 1 && isShort(items[0], true)) || isAngle(items) || (!many && isSingleAmount(items))) {
            saySlipAtOpening(arg, false);  // the bracket is not said: "f de, parêntese sem fechamento, x"
            readItems(items);
            decimalCommas_ = decimals;
            w_.productEnd(Say(P::FimDoArgumento));
            return;
        }
        // mdc(24, 36): short arguments are heard as a list, "de 24 e 36", without the brackets
        bool list = many && isCallBracket(arg) && items.size() >= 3 && items.size() % 2 == 1;
        for (std::size_t j = 0; list && j < items.size(); ++j)
            list = j % 2 == 1 ? isSymbol(items[j], Role::Comma) : isShort(items[j], true);
        if (list) {
            for (std::size_t j = 0; j < items.size(); j += 2) {
                if (j + 1 == items.size()) w_.phrase(Say(P::E));
                else if (j > 0) w_.pause();
                readNode(items[j]);
            }
            decimalCommas_ = decimals;
            w_.productEnd(Say(P::FimDoArgumento));
            return;
        }
        decimalCommas_ = decimals;
    }
    readNode(arg);
    if (!isCallBracket(arg)) w_.productEnd(Say(P::FimDoArgumento));
}

// A letter that names a function or a linear map: f, g, h, or a capital, T; not Z or W,
// complex numbers as z and w are (the impedance Z).
bool Reader::namesMap(std::int32_t i) const {
    if (isFunctionLetter(i)) return true;
    const Node& n = at(i);
    const std::string_view t = n.kind == NodeKind::Letter ? f_.text(n) : std::string_view{};
    return t.size() == 1 && t[0] >= 'A' && t[0] <= 'Z' && t != "Z" && t != "W";
}

// Im(f), Im(T): the image of a function or a map, where Im(z) is the imaginary part of z.
bool Reader::isImageOf(const Symbol* s, std::int32_t argument) const {
    if (s->input != "Im" || argument < 0 || !isCallBracket(argument)) return false;
    std::vector<std::int32_t> items;
    collect(argument, items);
    return items.size() == 1 && namesMap(items[0]);
}

void Reader::readFunctionName(const Symbol* s, std::int32_t argument) {
    if (isImageOf(s, argument)) w_.noun(Say(P::Imagem), true);
    else readFunctionHead(s, -1, -1);
}

void Reader::readFunctionHead(const Symbol* s, std::int32_t sub, std::int32_t sup) {
    manyArguments_ = s->flags & kManyArguments;
    if (sub >= 0 && s->role == Role::Log) {
        w_.phrase(Say(P::LogaritmoNaBase));
        readNode(sub);
        closeScope(isSimple(sub), Say(P::FimDaBase));
    } else {
        if (s->flags & kArticle) w_.noun(s->words);
        else w_.phrase(s->words);
        if (sub >= 0) readSubscript(sub);
    }
    if (sup >= 0) readExponent(sup, s->flags & kFeminine);
}

Open Reader::readBigOperator(std::int32_t i, bool bodyFollows) {
    const Node& n = at(i);
    const bool scripted = n.kind == NodeKind::Script;
    const Symbol* s = scripted ? at(n.base()).symbol : n.symbol;
    const std::int32_t sub = scripted ? n.index() : -1;
    const std::int32_t sup = scripted ? n.exponent() : -1;
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

bool Reader::containsTends(std::int32_t i) const {
    std::vector<std::int32_t> items;
    const Node& n = at(i);
    if (n.kind == NodeKind::Row || n.kind == NodeKind::Group) collect(i, items);
    else items.push_back(i);
    for (std::int32_t c : items)
        if (isSymbol(c, Role::Tends)) return true;
    return false;
}

}  // namespace reader::rules
