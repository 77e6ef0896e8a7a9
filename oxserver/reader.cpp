#include "oxserver/reader.h"

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

constexpr const char* kOrdinals[] = {"primeira", "segunda", "terceira", "quarta", "quinta",
                                     "sexta", "sétima", "oitava", "nona", "décima"};
constexpr const char* kDenominators[][2] = {
    {"meio", "meios"},     {"terço", "terços"},   {"quarto", "quartos"},
    {"quinto", "quintos"}, {"sexto", "sextos"},   {"sétimo", "sétimos"},
    {"oitavo", "oitavos"}, {"nono", "nonos"},     {"décimo", "décimos"}};
constexpr const char* kRootNames[] = {"raiz quadrada", "raiz cúbica", "raiz quarta",
                                      "raiz quinta",   "raiz sexta",  "raiz sétima",
                                      "raiz oitava",   "raiz nona",   "raiz décima"};

// The words around an accent over something longer than one symbol.
struct AccentWords {
    std::string_view before, end;
};
AccentWords accentWords(std::string_view input) {
    if (input == "bar" || input == "overline") return {"barra sobre", "fim da barra"};
    if (input == "hat") return {"chapéu sobre", "fim do chapéu"};
    if (input == "ul" || input == "underline") return {"sublinhado", "fim do sublinhado"};
    if (input == "dot") return {"ponto sobre", "fim do ponto"};
    if (input == "ddot") return {"dois pontos sobre", "fim dos pontos"};
    if (input == "tilde") return {"til sobre", "fim do til"};
    if (input == "cancel") return {"cancelamento de", "fim do cancelamento"};
    if (input == "ubrace" || input == "underbrace") return {"chave embaixo de", "fim da chave"};
    return {"chave em cima de", "fim da chave"};
}

enum class Open : std::uint8_t { None, Sum, Product, Limit };

class Reader {
public:
    Reader(const Formula& f, Words& w, Verbosity v) : f_(f), w_(w), verbosity_(v) {}

    void readChildren(std::int32_t parent) {
        std::vector<std::int32_t> items;
        collect(parent, items);
        readItems(items);
    }

    void readPart(std::int32_t node, PartReading how, std::uint32_t first, std::uint32_t count) {
        switch (how) {
        case PartReading::Node: readNode(node); return;
        case PartReading::Argument: readArgument(node, false); return;
        case PartReading::Items: {
            std::vector<std::int32_t> items;
            collect(node, items);
            if (first >= items.size()) return;
            const std::size_t stop = std::min<std::size_t>(items.size(), std::size_t{first} + count);
            // the items of a bracket or a matrix row: a comma between numbers separates them
            if (at(node).kind == NodeKind::Group) ++bracketDepth_;
            readItems(std::vector<std::int32_t>(items.begin() + first, items.begin() + static_cast<std::ptrdiff_t>(stop)));
            return;
        }
        }
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

    // ---- the row ---------------------------------------------------------------------------

    void readItems(const std::vector<std::int32_t>& items) {
        Open open = Open::None;
        std::size_t body = 0;
        bool quantifier = false;
        bool mapping = false;
        std::size_t quantifierAt = 0;
        std::vector<std::size_t> stops;  // for mapsAhead
        const std::size_t n = items.size();
        for (std::size_t k = 0; k < n;) {
            const std::int32_t i = items[k];
            const Node& node = at(i);
            const bool hasNext = k + 1 < n;
            const std::int32_t next = hasNext ? items[k + 1] : -1;

            if (node.kind == NodeKind::Symbol && !(node.flags & kEscaped)) {
                const Role role = node.symbol->role;
                const SymbolKind kind = node.symbol->kind;
                if (role == Role::Comma) {
                    // "1,5" is a decimal number as Brazilians write it, except inside brackets,
                    // where a comma separates: [0,1], (1,2), and the open interval ]0,1[.
                    const bool interval = (k >= 2 && isBracketSign(items[k - 2], "]")) ||
                                          (k + 2 < n && isBracketSign(items[k + 2], "["));
                    const bool decimal = bracketDepth_ == 0 && k > 0 && hasNext && !interval &&
                                         at(items[k - 1]).kind == NodeKind::Number &&
                                         at(next).kind == NodeKind::Number &&
                                         !(node.flags & kSpaced) && !(at(next).flags & kSpaced);
                    if (decimal) w_.phrase("vírgula");
                    else w_.pause();
                    if (!decimal) open = Open::None;
                    ++k;
                    continue;
                }
                if (role == Role::Semicolon) {
                    w_.semicolon();
                    open = Open::None;
                    quantifier = false;
                    ++k;
                    continue;
                }
                if (role == Role::Dot) {
                    const bool after = k > 0 && isOperand(items[k - 1]);
                    if (after && hasNext && isOperand(next)) w_.operatorPhrase("vezes");
                    // ".5": the decimal point of a number written without its 0
                    else if (!after && hasNext && at(next).kind == NodeKind::Number &&
                             !(at(next).flags & kSpaced))
                        w_.phrase("vírgula");
                    ++k;
                    continue;
                }
                if (role == Role::Colon) {
                    if (quantifier) {
                        w_.phrase("tal que");
                    } else if (mapsAhead(items, k, stops)) {
                        w_.phrase("de");  // f: A -> B, "f de A em B"
                        mapping = true;
                    } else {
                        w_.phrase("dois pontos");
                    }
                    quantifier = false;
                    ++k;
                    continue;
                }
                if (role == Role::Tends && mapping) {
                    w_.phrase("em");
                    mapping = false;
                    ++k;
                    continue;
                }
                if (role == Role::Forall || role == Role::Exists) {
                    quantifier = true;
                    quantifierAt = k;
                }
                if (role == Role::In && quantifier && k == quantifierAt + 2) {
                    w_.phrase("pertencente a");
                    ++k;
                    continue;
                }
                if ((role == Role::Plus || role == Role::Minus) && open != Open::None && body > 0) {
                    w_.end(open == Open::Sum       ? "fim do somatório"
                           : open == Open::Product ? "fim do produtório"
                                                   : "fim do limite");
                    open = Open::None;
                }
                if (kind == SymbolKind::Relation) open = Open::None;
                if (kind == SymbolKind::Bar && bracket_ == Role::Brace) {  // {x in A | x > 0}
                    w_.phrase("tal que");
                    ++k;
                    continue;
                }
            }

            if (isBigOperator(i)) {
                const bool bodyFollows = hasNext && isOperand(next);
                open = readBigOperator(i, bodyFollows);
                body = 0;
                ++k;
                continue;
            }
            ++body;

            // sin x^2 was taken by the parser; log_a b and sin^2 x leave the argument next.
            if (isFunctionHead(i)) {
                ++k;
                const Node& head = at(i);
                if (head.kind == NodeKind::Script) readFunctionHead(at(head.a).symbol, head.b, head.c);
                else readFunctionHead(head.symbol, -1, -1);
                while (k < n && isSymbol(items[k], Role::Prime)) {
                    w_.phrase("linha");
                    ++k;
                }
                if (k < n && isOperand(items[k]) && !isBigOperator(items[k])) {
                    readArgument(items[k], true);
                    ++k;
                }
                continue;
            }

            // text()^n A_p: a script written before its base
            if (node.kind == NodeKind::Script && isEmpty(node.a) && hasNext && isOperand(next)) {
                readNode(next);
                w_.pause();
                w_.phrase("com");
                if (node.c >= 0) {
                    readNode(node.c);
                    w_.phrase("sobrescrito à esquerda");
                }
                if (node.b >= 0) {
                    if (node.c >= 0) w_.phrase("e");
                    readNode(node.b);
                    w_.phrase("subscrito à esquerda");
                }
                w_.pause();
                k += 2;
                continue;
            }

            // u \^ v: the angle between two vectors
            if (k + 2 < n) {
                const Node& mid = at(next);
                if (mid.kind == NodeKind::Symbol && (mid.flags & kEscaped) &&
                    mid.symbol->role == Role::Caret) {
                    w_.noun("ângulo entre");
                    readNode(i);
                    w_.phrase("e");
                    readNode(items[k + 2]);
                    k += 3;
                    continue;
                }
            }

            // g o f
            if (node.kind == NodeKind::Letter && f_.text(node) == "o" && k > 0 && hasNext &&
                isFunctionLetter(items[k - 1]) && isFunctionLetter(next)) {
                w_.phrase("composta com");
                ++k;
                continue;
            }

            // f^-1(x): the inverse function applied
            if (node.kind == NodeKind::Script && node.b < 0 && node.c >= 0 && isFunctionLetter(node.a) &&
                isMinusOne(node.c) && hasNext && isCallBracket(next)) {
                readNode(node.a);
                w_.phrase("inversa");
                readCall(node.a, next);
                k += 2;
                continue;
            }

            // f(x), f'(x), P(A): a letter applied to what follows in brackets
            if (isLetterLike(i)) {
                std::size_t j = k + 1;
                while (j < n && isSymbol(items[j], Role::Prime)) ++j;
                if (j < n && isCallBracket(items[j]) && callReads(i, items[j])) {
                    readNode(i);
                    for (std::size_t p = k + 1; p < j; ++p) w_.phrase("linha");
                    readCall(i, items[j]);
                    k = j + 1;
                    continue;
                }
            }

            afterTends_ = k > 0 && isSymbol(items[k - 1], Role::Tends);
            readNode(i);
            afterTends_ = false;
            ++k;
        }
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
        if (isFunctionLetter(letter)) return true;
        const Node& g = at(bracket);
        if (g.first >= 0 && g.first == g.last && isShort(g.first, true)) return true;
        return conditionalBar(letter, bracket) >= 0;
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
        w_.phrase("de");
        readItems(before);
        w_.phrase("dado");
        readItems(after);
    }

    // The argument of a function: "seno de x", "seno de abre parêntese a mais b fecha parêntese".
    void readArgument(std::int32_t arg, bool withDe) {
        if (withDe) w_.phrase("de");
        const Node& a = at(arg);
        if (a.kind == NodeKind::Group && !(a.flags & kMatrix) && a.symbol->role == Role::Paren &&
            a.first >= 0) {
            std::vector<std::int32_t> items;
            collect(arg, items);
            if ((items.size() == 1 && isShort(items[0], true)) || isAngle(items)) {
                readItems(items);
                return;
            }
        }
        readNode(arg);
    }

    bool isAngle(const std::vector<std::int32_t>& items) const {
        if (items.size() != 3) return false;
        const Node& mid = at(items[1]);
        return mid.kind == NodeKind::Symbol && (mid.flags & kEscaped) && mid.symbol->role == Role::Caret;
    }

    void readFunctionHead(const Symbol* s, std::int32_t sub, std::int32_t sup) {
        if (sub >= 0 && s->role == Role::Log) {
            w_.phrase("logaritmo na base");
            readNode(sub);
            closeScope(isSimple(sub), "fim da base");
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
                w_.phrase(containsTends(sub) ? "quando" : "com");
                readNode(sub);
            }
            if (sup >= 0) {
                w_.phrase("elevado a");
                readNode(sup);
            }
        } else if (sub >= 0 && sup >= 0) {
            w_.phrase("de");
            readNode(sub);
            w_.phrase("até");
            readNode(sup);
        } else if (sub >= 0) {
            w_.phrase(s->role == Role::Integral ? "sobre" : "para");
            readNode(sub);
        } else if (sup >= 0) {
            w_.phrase("até");
            readNode(sup);
        }
        if (bodyFollows) w_.phrase("de");
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

    void readSymbol(const Node& n) {
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
        const std::size_t point = digits.find('.');
        if (point == std::string_view::npos) {
            w_.word(digits);
            return;
        }
        w_.word(digits.substr(0, point));
        w_.phrase("vírgula");
        w_.word(digits.substr(point + 1));
    }

    void readLetter(std::string_view letter) {
        // Alone, "e" and "o" are read as the words "and" and "the"; these are the letters' names.
        if (letter == "e") w_.word("é");
        else if (letter == "o") w_.word("ó");
        else w_.word(letter);
        if (letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z' &&
            (f_.lowerLetters & (1u << (letter[0] - 'A'))))
            w_.phrase("maiúsculo");
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
                clean += "número";
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

    void readGroup(std::int32_t i, bool baseOfScript) {
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
            w_.phrase(abs ? "módulo de" : norm ? "norma de" : role == Role::FloorBracket ? "piso de" : "teto de");
            readChildren(i);
            const bool isShortContent = g.first >= 0 && g.first == g.last && isShort(g.first);
            closeScope(isShortContent && !baseOfScript, abs ? "fim do módulo" : norm ? "fim da norma" : role == Role::FloorBracket ? "fim do piso" : "fim do teto");
            return;
        }
        if (role == Role::Brace && g.first < 0 && g.close && g.close->role == Role::Brace) {
            w_.noun("conjunto vazio");
            return;
        }
        w_.phrase(g.symbol->words);
        ++bracketDepth_;
        const Role outer = bracket_;
        bracket_ = role;
        readChildren(i);
        bracket_ = outer;
        --bracketDepth_;
        if (g.close) w_.phrase(g.close->words);
    }

    void readMatrix(std::int32_t i) {
        const Node& g = at(i);
        std::vector<std::int32_t> rows;
        for (std::int32_t c = g.first; c >= 0; c = at(c).next)
            if (at(c).kind == NodeKind::Group) rows.push_back(c);
        std::size_t columns = 1;
        for (std::int32_t c = at(rows[0]).first; c >= 0; c = at(c).next)
            if (isSymbol(c, Role::Comma)) ++columns;
        const bool brace = g.symbol->role == Role::Brace;
        const bool system = brace && columns == 1;
        const bool cases = brace && columns > 1;  // f(x) = {(x, x >= 0), (-x, x < 0):}
        const bool determinant = g.symbol->kind == SymbolKind::Bar;
        const std::string count = std::to_string(rows.size());
        if (system) {
            w_.phrase("sistema de");
            w_.word(count);
            w_.phrase("equações");
        } else if (cases) {
            w_.phrase("chave com");
            w_.word(count);
            w_.phrase("casos");
        } else if (columns == 1 && !determinant) {
            w_.phrase("vetor coluna de");
            w_.word(count);
            w_.phrase("elementos");
        } else {
            w_.phrase(determinant ? "determinante" : "matriz");
            w_.word(count);
            w_.phrase("por");
            w_.word(std::to_string(columns));
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            w_.semicolon();
            if (system) {
                if (r < std::size(kOrdinals)) {
                    w_.phrase(kOrdinals[r]);
                } else {
                    w_.phrase("equação");
                    w_.word(std::to_string(r + 1));
                }
                w_.colon();
            } else if (cases) {
                w_.phrase("caso");
                w_.word(std::to_string(r + 1));
                w_.colon();
            } else if (columns > 1 || determinant) {
                w_.phrase("linha");
                w_.word(std::to_string(r + 1));
                w_.colon();
            }
            ++bracketDepth_;
            readChildren(rows[r]);
            --bracketDepth_;
        }
        w_.end(system ? "fim do sistema" : cases ? "fim dos casos" : columns == 1 && !determinant ? "fim do vetor"
               : determinant                                       ? "fim do determinante"
                                                                   : "fim da matriz");
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
            if (isEmpty(a)) { w_.phrase(s->words); return; }
            w_.phrase("raiz quadrada de");
            readNode(a);
            closeScope(shortArg, "fim da raiz");
            return;
        case Role::Abs:
        case Role::Norm:
        case Role::Floor:
        case Role::Ceil: {
            static constexpr const char* kEnds[] = {"fim do módulo", "fim da norma", "fim do piso", "fim do teto"};
            const int which = s->role == Role::Abs ? 0 : s->role == Role::Norm ? 1 : s->role == Role::Floor ? 2 : 3;
            w_.phrase(s->words);
            w_.phrase("de");
            readNode(a);
            closeScope(shortArg, kEnds[which]);
            return;
        }
        case Role::Vec:
            w_.phrase("vetor");
            readNode(a);
            if (!shortArg || closesEverything()) w_.end("fim do vetor");
            return;
        case Role::PostfixAccent:
            if (shortArg || isLetterRun(a)) {
                readNode(a);
                w_.phrase(s->words);
            } else {
                const AccentWords words = accentWords(s->input);
                w_.phrase(words.before);
                readNode(a);
                w_.end(words.end);
            }
            return;
        case Role::PrefixAccent:
            w_.phrase(s->words);
            readNode(a);
            if (!shortArg || closesEverything()) w_.end("fim do arco");
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
            w_.phrase("com");
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
                w_.phrase(kDenominators[den - 2][num == 1 ? 0 : 1]);
                return;
            }
        }
        if (isShort(top) && isShort(bottom) && !closesEverything()) {
            readNode(top);
            w_.phrase("sobre");
            readNode(bottom);
            return;
        }
        w_.phrase("fração");
        w_.pause();
        w_.phrase("numerador");
        readNode(top);
        w_.pause();
        w_.phrase("denominador");
        readNode(bottom);
        w_.end("fim da fração");
    }

    void readRoot(std::int32_t index, std::int32_t radicand) {
        const Node& ix = at(unwrap(index));
        const int n = ix.kind == NodeKind::Number ? smallNumber(f_.text(ix)) : -1;
        if (n >= 2 && n <= 10) {
            w_.phrase(kRootNames[n - 2]);
        } else if (ix.kind == NodeKind::Letter && f_.text(ix) == "n") {
            w_.phrase("raiz enésima");
        } else {
            w_.phrase("raiz de índice");
            readNode(index);
            if (!isSimple(index)) w_.pause();
        }
        w_.phrase("de");
        readNode(radicand);
        closeScope(isShort(radicand), "fim da raiz");
    }

    void readSubscript(std::int32_t sub) {
        w_.phrase("índice");
        readNode(sub);
        closeScope(isSimple(sub), "fim do índice");
    }

    void readExponent(std::int32_t sup, bool feminine) {
        if (isNumberText(sup, "2")) { w_.phrase("ao quadrado"); return; }
        if (isNumberText(sup, "3")) { w_.phrase("ao cubo"); return; }
        if (isSymbol(unwrap(sup), Role::Prime)) { w_.phrase("linha"); return; }
        w_.phrase(feminine ? "elevada a" : "elevado a");
        readNode(sup);
        closeScope(isSimple(sup), "fim do expoente");
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
            if (n.c >= 0) { w_.phrase("sobrescrito"); readNode(n.c); }
            if (n.b >= 0) { w_.phrase("subscrito"); readNode(n.b); }
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
            w_.phrase("tudo");
        }
        if (isDegreeMark(n.c, base)) {
            w_.phrase("graus");
            return;
        }
        const Node& sup = at(unwrap(n.c));
        const bool lone = sup.kind == NodeKind::Symbol && !(sup.flags & kEscaped);
        // x -> a^+: the side from which x comes
        if (afterTends && lone && (sup.symbol->role == Role::Plus || sup.symbol->role == Role::Minus)) {
            w_.phrase(sup.symbol->role == Role::Plus ? "pela direita" : "pela esquerda");
            return;
        }
        // NN^**, RR^*: the set without zero
        if (lone && base.kind == NodeKind::Symbol && (base.symbol->flags & kArticle) &&
            (sup.symbol->input == "*" || sup.symbol->input == "**")) {
            w_.phrase("não nulos");
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
    int bracketDepth_ = 0;
    bool afterTends_ = false;  // the node being read follows "tende a"
    Role bracket_ = Role::None;  // the bracket around the row being read
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

std::string Read(const Formula& formula, Verbosity verbosity) {
    Words words;
    Reader(formula, words, verbosity).readChildren(formula.root);
    std::string reading = words.take(verbosity == Verbosity::Breve);
    if (!reading.empty()) return reading;
    // A formula of punctuation alone (".", ",", ";"): its signs are named, so that the place
    // of the formula is not silent. What shows nothing on the page ("color", "{:") says nothing.
    for (const Node& n : formula.nodes) {
        if (n.kind != NodeKind::Symbol || !n.symbol) continue;
        const std::string_view name = n.symbol->role == Role::Comma       ? "vírgula"
                                      : n.symbol->role == Role::Semicolon ? "ponto e vírgula"
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
