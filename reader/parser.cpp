#include "reader/parser.h"

#include "platform/codepage.h"

namespace reader {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Characters that separate tokens and read as nothing.
bool isBlankCodePoint(char32_t cp) {
    return cp <= 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0xA0) || cp == 0xAD ||
           (cp >= 0x2000 && cp <= 0x200F) || cp == 0xFEFF;
}

enum class TokenKind : std::uint8_t { End, Symbol, Number, Letter, Text };

struct Token {
    TokenKind kind = TokenKind::End;
    bool spaced = false;
    bool escaped = false;
    const Symbol* symbol = nullptr;
    std::uint32_t begin = 0, length = 0;  // Number, Letter, Text: the text
    std::uint32_t start = 0;              // where the token's own text starts, after blanks
    std::size_t end = 0;                  // where the next token starts looking
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view s) : s_(s) {}

    const Token& peek() {
        if (!cached_) { token_ = scan(pos_); cached_ = true; }
        return token_;
    }
    Token next() {
        Token t = peek();
        pos_ = t.end;
        cached_ = false;
        return t;
    }
    // Goes back to `pos`, inside the token just taken, to read on from there.
    void rewind(std::size_t pos) {
        pos_ = pos;
        cached_ = false;
    }
    // Takes only the first "|" of a "||" token: the end of an absolute value followed by the
    // start of another ("|x||y|").
    void takeOneBar() {
        const Token& t = peek();
        pos_ = t.end - 1;
        cached_ = false;
    }
    // The first character after blanks at the current position, or 0 at the end.
    char nextChar() const {
        std::size_t i = pos_;
        while (i < s_.size() && (s_[i] == ' ' || s_[i] == '\t')) ++i;
        return i < s_.size() ? s_[i] : '\0';
    }

private:
    Token scan(std::size_t i) const {
        Token t;
        // blanks, controls and malformed bytes
        while (i < s_.size()) {
            char32_t cp;
            const std::size_t len = codepage::DecodeUtf8(s_, i, cp);
            if (len == 0) { i += 1; t.spaced = true; continue; }
            if (!isBlankCodePoint(cp)) break;
            i += len;
            t.spaced = true;
        }
        t.begin = static_cast<std::uint32_t>(i);
        t.start = t.begin;
        if (i >= s_.size()) { t.end = i; return t; }
        const char c = s_[i];
        if (isDigit(c)) {
            std::size_t j = i + 1;
            while (j < s_.size() && isDigit(s_[j])) ++j;
            // 4.500.000: a dot between groups of three digits separates thousands
            const std::size_t integer = j;
            if (j - i <= 3 && c != '0') {
                while (j + 3 < s_.size() && s_[j] == '.' && isDigit(s_[j + 1]) && isDigit(s_[j + 2]) &&
                       isDigit(s_[j + 3]) && (j + 4 >= s_.size() || !isDigit(s_[j + 4])))
                    j += 4;
            }
            if (j == integer && j + 1 < s_.size() && s_[j] == '.' && isDigit(s_[j + 1])) {
                j += 2;
                while (j < s_.size() && isDigit(s_[j])) ++j;
            }
            return finish(t, TokenKind::Number, i, j);
        }
        if (c == '"') {
            std::size_t j = s_.find('"', i + 1);
            const std::size_t stop = j == std::string_view::npos ? s_.size() : j;
            t.kind = TokenKind::Text;
            t.begin = static_cast<std::uint32_t>(i + 1);
            t.length = static_cast<std::uint32_t>(stop - (i + 1));
            t.end = j == std::string_view::npos ? s_.size() : j + 1;
            return t;
        }
        const Symbol* sym = MatchSymbol(s_.substr(i));
        if (sym && (sym->flags & kPageLetters) && !pageDrawsLetters(i, sym->input.size()))
            sym = MatchPageSymbol(s_.substr(i));
        if (sym) {
            if (sym->kind == SymbolKind::Text) return scanText(t, i + sym->input.size());
            t.kind = TokenKind::Symbol;
            t.symbol = sym;
            t.end = i + sym->input.size();
            return t;
        }
        if (c == '\\' && i + 1 < s_.size() && isAsciiLetter(s_[i + 1])) {
            // \frac, \sum, \alpha: the page draws the symbol of the name; the backslash shows nothing
            const Symbol* sym = MatchSymbol(s_.substr(i + 1));
            if (sym && sym->input.size() >= 2 && isAsciiLetter(sym->input[0]) && isAsciiLetter(sym->input.back())) {
                if (sym->kind == SymbolKind::Text) return scanText(t, i + 1 + sym->input.size());
                t.kind = TokenKind::Symbol;
                t.symbol = sym;
                t.end = i + 1 + sym->input.size();
                return t;
            }
        }
        if (c == '\\' && i + 1 < s_.size()) {
            const char e = s_[i + 1];
            if (e > ' ' && e < 0x7F && !isAsciiLetter(e) && !isDigit(e)) {
                const Symbol* sym = MatchSymbol(s_.substr(i + 1, 1));
                if (!sym) sym = CharacterSymbol(static_cast<unsigned char>(e));
                if (sym) {
                    t.kind = TokenKind::Symbol;
                    t.symbol = sym;
                    t.escaped = true;
                    t.end = i + 2;
                    return t;
                }
            }
        }
        if (isAsciiLetter(c)) return finish(t, TokenKind::Letter, i, i + 1);
        char32_t cp = 0;
        const std::size_t len = codepage::DecodeUtf8(s_, i, cp);  // not 0: the blank loop skipped those
        if (const Symbol* sym = CharacterSymbol(cp)) {
            t.kind = TokenKind::Symbol;
            t.symbol = sym;
            t.end = i + len;
            return t;
        }
        return finish(t, TokenKind::Letter, i, i + len);
    }

    // Whether the page, taking at each place the longest spelling it knows, draws the `length`
    // characters at `from` as letters and names of functions that end right there: "sen" in
    // "sen x" or "cotg" (cot, g), but not in "senn" (s, e, then "nn", an intersection) nor
    // "tgt" (t, then "gt", greater than).
    bool pageDrawsLetters(std::size_t from, std::size_t length) const {
        std::size_t k = from;
        while (k < from + length) {
            const Symbol* p = MatchPageSymbol(s_.substr(k));
            if (p && (p->kind != SymbolKind::Function || (p->flags & kPageSign))) return false;
            k += p ? p->input.size() : 1;
        }
        return k == from + length;
    }

    Token finish(Token t, TokenKind kind, std::size_t from, std::size_t to) const {
        t.kind = kind;
        t.begin = static_cast<std::uint32_t>(from);
        t.length = static_cast<std::uint32_t>(to - from);
        t.end = to;
        return t;
    }

    // text(...), text[...], text{...}: everything up to the first closing bracket of that kind.
    Token scanText(Token t, std::size_t i) const {
        t.kind = TokenKind::Text;
        std::size_t j = i;
        while (j < s_.size() && s_[j] == ' ') ++j;
        const char open = j < s_.size() ? s_[j] : '\0';
        const char close = open == '(' ? ')' : open == '[' ? ']' : open == '{' ? '}' : '\0';
        if (!close) {
            t.begin = static_cast<std::uint32_t>(i);
            t.length = 0;
            t.end = i;
            return t;
        }
        const std::size_t k = s_.find(close, j + 1);
        const std::size_t stop = k == std::string_view::npos ? s_.size() : k;
        t.begin = static_cast<std::uint32_t>(j + 1);
        t.length = static_cast<std::uint32_t>(stop - (j + 1));
        t.end = k == std::string_view::npos ? s_.size() : k + 1;
        return t;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    Token token_;
    bool cached_ = false;
};

enum class Context : std::uint8_t { Top, Bracket, Abs, Norm };

class Parser {
public:
    explicit Parser(Formula& f) : f_(f), tokens_(f.source) {}

    void run() {
        f_.nodes.reserve(f_.source.size() / 2 + 8);
        f_.root = add(Node{});
        contexts_.push_back(Context::Top);
        parseExpression(0, f_.root);
        at(f_.root).to = static_cast<std::uint32_t>(f_.source.size());
        findCalledLetters();
    }

    // Letters written as functions somewhere: a letter right before round brackets that hold
    // one letter or number, with no blank between.
    void findCalledLetters() {
        for (const Node& parent : f_.nodes) {
            if (parent.kind != NodeKind::Row && parent.kind != NodeKind::Group) continue;
            for (std::int32_t c = parent.first; c >= 0 && at(c).next >= 0; c = at(c).next) {
                const Node& letter = at(c);
                const Node& call = at(letter.next);
                if (letter.kind != NodeKind::Letter || letter.length != 1 || call.kind != NodeKind::Group ||
                    (call.flags & (kSpaced | kInvisible | kMatrix)) || call.symbol->role != Role::Paren ||
                    !call.close || call.first < 0 || call.first != call.last)
                    continue;
                const NodeKind inside = at(call.first).kind;
                if (inside == NodeKind::Letter || inside == NodeKind::Number)
                    f_.calledLetters |= LetterBit(f_.source[letter.begin]);
            }
        }
    }

private:
    std::int32_t add(const Node& n) {
        f_.nodes.push_back(n);
        return static_cast<std::int32_t>(f_.nodes.size() - 1);
    }
    Node& at(std::int32_t i) { return f_.nodes[static_cast<std::size_t>(i)]; }

    void append(std::int32_t parent, std::int32_t child) {
        at(child).next = -1;
        if (at(parent).last < 0) at(parent).first = child;
        else at(at(parent).last).next = child;
        at(parent).last = child;
    }

    std::int32_t symbolNode(const Token& t) {
        Node n;
        n.kind = NodeKind::Symbol;
        n.symbol = t.symbol;
        n.flags = static_cast<std::uint8_t>((t.spaced ? kSpaced : 0) | (t.escaped ? kEscaped : 0));
        n.from = t.start;
        n.to = static_cast<std::uint32_t>(t.end);
        return add(n);
    }

    bool isCloser(const Token& t) const {
        if (t.kind != TokenKind::Symbol || t.escaped) return false;
        const Context top = contexts_.back();
        switch (t.symbol->kind) {
        case SymbolKind::RightBracket: return top != Context::Top;
        case SymbolKind::Bar: return top == Context::Abs;
        case SymbolKind::DoubleBar: return top == Context::Abs || top == Context::Norm;
        default: return false;
        }
    }

    bool isStructural(const Token& t, SymbolKind kind) const {
        return t.kind == TokenKind::Symbol && !t.escaped && t.symbol->kind == kind;
    }

    // E ::= I E | I / I E
    void parseExpression(int depth, std::int32_t parent) {
        for (;;) {
            const std::int32_t item = parseIntermediate(depth);
            if (item < 0) return;
            // "min b/x/y": the name took b/x; the page draws the second "/" as a sign
            if (item != tookFraction_ && isStructural(tokens_.peek(), SymbolKind::Slash)) {
                const Token slash = tokens_.next();
                const std::int32_t below = parseDenominator(depth);
                if (below < 0) {
                    append(parent, item);
                    append(parent, symbolNode(slash));
                    return;
                }
                append(parent, fraction(signsOverFraction(parent, item), below));
            } else {
                append(parent, item);
            }
        }
    }

    // The page draws floor and ceiling brackets as signs that pair with nothing: "/" after
    // "|__x__|" takes the closing sign alone. The opening sign and what stood between them go
    // to the row; the closing sign is what the fraction takes.
    std::int32_t signsOverFraction(std::int32_t parent, std::int32_t item) {
        const Node g = at(item);
        if (g.kind != NodeKind::Group || !g.close || (g.flags & (kInvisible | kMatrix)) ||
            (g.symbol->role != Role::FloorBracket && g.symbol->role != Role::CeilBracket))
            return item;
        const auto sign = [&](const Symbol* symbol, std::uint32_t from, std::uint32_t to) {
            Node n;
            n.kind = NodeKind::Symbol;
            n.symbol = symbol;
            n.from = from;
            n.to = to;
            return add(n);
        };
        const auto openLength = static_cast<std::uint32_t>(g.symbol->input.size());
        const auto closeLength = static_cast<std::uint32_t>(g.close->input.size());
        append(parent, sign(g.symbol, g.from, g.from + openLength));
        for (std::int32_t c = g.first; c >= 0;) {
            const std::int32_t next = at(c).next;
            append(parent, c);
            c = next;
        }
        return sign(g.close, g.to - closeLength, g.to);
    }

    std::int32_t fraction(std::int32_t top, std::int32_t below) {
        hideBrackets(top);
        hideBrackets(below);
        Node n;
        n.kind = NodeKind::Frac;
        n.flags = at(top).flags & kSpaced;
        n.operands[0] = top;
        n.operands[1] = below;
        n.from = at(top).from;
        n.to = at(below).to;
        return add(n);
    }

    // What follows "/": an intermediate, where a minus written against its operand stays with
    // it, as the page draws "1/-2" (but "1/- 2" as the fraction 1 over the minus, then 2).
    std::int32_t parseDenominator(int depth) {
        const Token& t = tokens_.peek();
        operand_ = true;
        if (!isStructural(t, SymbolKind::Operator) || t.symbol->role != Role::Minus) return parseIntermediate(depth);
        const std::int32_t sign = parseSimple(depth);
        const Token& after = tokens_.peek();
        if (after.spaced || after.kind == TokenKind::End || isCloser(after) ||
            (after.kind == TokenKind::Symbol && !after.escaped &&
             (after.symbol->kind == SymbolKind::Slash || after.symbol->kind == SymbolKind::Subscript ||
              after.symbol->kind == SymbolKind::Superscript || after.symbol->kind == SymbolKind::RightBracket)))
            return withScripts(sign, depth);
        operand_ = true;
        const std::int32_t operand = parseIntermediate(depth);
        if (operand < 0) return sign;
        return signedRow(sign, operand);
    }

    // A sign and the operand it stands against, as one item: "-2".
    std::int32_t signedRow(std::int32_t sign, std::int32_t operand) {
        Node row;
        row.kind = NodeKind::Row;
        row.flags = at(sign).flags & kSpaced;
        const std::int32_t r = add(row);
        append(r, sign);
        append(r, operand);
        spanChildren(r);
        return r;
    }

    // I ::= S | S_S | S^S | S_S^S
    std::int32_t parseIntermediate(int depth) {
        const std::int32_t base = parseSimple(depth);
        if (base < 0) return base;
        return withScripts(base, depth);
    }

    // The base with the "_" and "^" that follow it, if any.
    std::int32_t withScripts(std::int32_t base, int depth) {
        std::int32_t sub = -1, sup = -1;
        if (depth >= kMaxNesting) return base;  // the "_" or "^" is read as a symbol next
        if (isStructural(tokens_.peek(), SymbolKind::Subscript)) {
            if (!parseScript(depth, sub)) return withStraySymbol(base);
        }
        if (isStructural(tokens_.peek(), SymbolKind::Superscript)) {
            if (!parseScript(depth, sup)) {
                if (sub < 0) return withStraySymbol(base);
                // x_1^ : keep the subscript, read the caret on its own
                return withStraySymbol(script(base, sub, -1));
            }
        }
        if (sub < 0 && sup < 0) return base;
        return script(base, sub, sup);
    }

    std::int32_t script(std::int32_t base, std::int32_t sub, std::int32_t sup) {
        Node n;
        n.kind = NodeKind::Script;
        n.flags = at(base).flags & kSpaced;
        n.operands[0] = base;
        n.operands[1] = sub;
        n.operands[2] = sup;
        n.from = at(base).from;
        n.to = at(sup >= 0 ? sup : sub >= 0 ? sub : base).to;
        return add(n);
    }

    // Reads the "_" or "^" and the operand after it. False when there is no operand.
    bool parseScript(int depth, std::int32_t& out) {
        pendingStray_ = tokens_.next();
        operand_ = true;
        out = parseSigned(depth + 1);
        if (out < 0) return false;
        hideBrackets(out);
        return true;
    }

    // A script sign with nothing after it ("x^") is read as a symbol after its base.
    std::int32_t withStraySymbol(std::int32_t item) {
        Node row;
        row.kind = NodeKind::Row;
        row.flags = at(item).flags & kSpaced;
        const std::int32_t r = add(row);
        append(r, item);
        append(r, symbolNode(pendingStray_));
        spanChildren(r);
        return r;
    }

    // S, where a lone sign followed by a number or letter makes one operand: x^-1, sin -x.
    std::int32_t parseSigned(int depth) {
        const std::int32_t s = parseSimple(depth);
        if (s < 0) return s;
        const Node& n = at(s);
        if (n.kind != NodeKind::Symbol || (n.flags & kEscaped) ||
            (n.symbol->role != Role::Minus && n.symbol->role != Role::Plus))
            return s;
        const Token& t = tokens_.peek();
        const bool operand = t.kind == TokenKind::Number || t.kind == TokenKind::Letter ||
                             (t.kind == TokenKind::Symbol && !t.escaped &&
                              t.symbol->kind == SymbolKind::Constant && ReadsByWords(t.symbol->role));
        if (!operand) return s;
        return signedRow(s, parseSimple(depth));
    }

    // S ::= v | l E r | u S | b S S
    std::int32_t parseSimple(int depth) {
        const bool operand = operand_;  // the operand of a structure: what the page's names take
        operand_ = false;
        for (;;) {
            const Token& t = tokens_.peek();
            if (t.kind == TokenKind::End || isCloser(t)) return -1;
            if (t.kind == TokenKind::Symbol && t.symbol->kind == SymbolKind::Space) {
                tokens_.next();
                continue;
            }
            break;
        }
        const Token t = tokens_.next();
        switch (t.kind) {
        case TokenKind::Number:
            return textNode(NodeKind::Number, t);
        case TokenKind::Letter: {
            const char c = f_.source[t.begin];
            if (t.length == 1 && c >= 'a' && c <= 'z') f_.lowerLetters |= 1u << (c - 'a');
            if (t.length == 1 && c >= 'A' && c <= 'Z') f_.upperLetters |= 1u << (c - 'A');
            return textNode(NodeKind::Letter, t);
        }
        case TokenKind::Text:
            return textNode(NodeKind::Text, t);
        default:
            break;
        }
        if (t.escaped) return symbolNode(t);
        switch (t.symbol->kind) {
        case SymbolKind::LeftBracket:
            // the page draws floor and ceiling brackets as signs, which pair with nothing: as
            // the operand of a structure it takes the opening sign alone ("sqrt |__x__|")
            if (operand && (t.symbol->role == Role::FloorBracket || t.symbol->role == Role::CeilBracket))
                return symbolNode(t);
            return parseGroup(depth, t, Context::Bracket);
        case SymbolKind::Bar:
            return parseGroup(depth, t, Context::Abs);
        case SymbolKind::DoubleBar:
            return parseGroup(depth, t, Context::Norm);
        case SymbolKind::Unary:
            return parseUnary(depth, t);
        case SymbolKind::Function:
            return parseFunction(depth, t, operand);
        case SymbolKind::Binary:
            return parseBinary(depth, t);
        default:
            return symbolNode(t);
        }
    }

    std::int32_t textNode(NodeKind kind, const Token& t) {
        Node n;
        n.kind = kind;
        n.flags = t.spaced ? kSpaced : 0;
        n.begin = t.begin;
        n.length = t.length;
        n.from = t.start;
        n.to = static_cast<std::uint32_t>(t.end);
        return add(n);
    }

    std::int32_t parseGroup(int depth, const Token& open, Context context) {
        if (depth >= kMaxNesting) return symbolNode(open);
        Node g;
        g.kind = NodeKind::Group;
        g.symbol = open.symbol;
        g.flags = open.spaced ? kSpaced : 0;
        g.from = open.start;
        g.to = static_cast<std::uint32_t>(open.end);
        const std::int32_t group = add(g);
        contexts_.push_back(context);
        parseExpression(depth + 1, group);
        contexts_.pop_back();
        if (at(group).last >= 0) at(group).to = at(at(group).last).to;
        const Token& t = tokens_.peek();
        const bool closed = t.kind == TokenKind::Symbol && !t.escaped;
        if (context == Context::Bracket) {
            if (closed && t.symbol->kind == SymbolKind::RightBracket) {
                const Token close = tokens_.next();
                at(group).close = close.symbol;
                at(group).to = static_cast<std::uint32_t>(close.end);
                markMatrix(group);
            }
            return group;
        }
        if (closed && context == Context::Abs &&
            (t.symbol->kind == SymbolKind::Bar || t.symbol->kind == SymbolKind::DoubleBar)) {
            at(group).close = open.symbol;
            at(group).to = static_cast<std::uint32_t>(t.symbol->kind == SymbolKind::DoubleBar ? t.start + 1 : t.end);
            if (t.symbol->kind == SymbolKind::DoubleBar) tokens_.takeOneBar();
            else tokens_.next();
            markMatrix(group);  // |(a,b),(c,d)|: a determinant
            return group;
        }
        if (closed && context == Context::Norm && t.symbol->kind == SymbolKind::DoubleBar) {
            const Token close = tokens_.next();
            at(group).close = close.symbol;
            at(group).to = static_cast<std::uint32_t>(close.end);
            return group;
        }
        // No closing bar: the bar stands for itself, and what followed it belongs to the
        // enclosing row.
        Node& row = at(group);
        row.kind = NodeKind::Row;
        row.symbol = nullptr;
        Node bar;
        bar.kind = NodeKind::Symbol;
        bar.flags = row.flags & kSpaced;
        bar.symbol = open.symbol;
        bar.from = open.start;
        bar.to = static_cast<std::uint32_t>(open.end);
        const std::int32_t b = add(bar);
        at(b).next = at(group).first;
        at(group).first = b;
        if (at(group).last < 0) at(group).last = b;
        return group;
    }

    // The node of an operator or function applied to arg.
    std::int32_t unaryNode(const Token& t, std::int32_t arg) {
        Node n;
        n.kind = NodeKind::Unary;
        n.symbol = t.symbol;
        n.flags = t.spaced ? kSpaced : 0;
        n.operands[0] = arg;
        n.from = t.start;
        n.to = at(arg).to;
        return add(n);
    }

    // A root, bars, an accent or a typeface take the next operand, a lone sign included: the page
    // draws "sqrt -n" as the root of the minus, then n.
    std::int32_t parseUnary(int depth, const Token& t) {
        if (depth >= kMaxNesting) return symbolNode(t);
        operand_ = true;
        const std::int32_t arg = parseSimple(depth + 1);
        if (arg < 0) return symbolNode(t);
        hideBrackets(arg);
        return unaryNode(t, arg);
    }

    // A function takes the next operand as its argument unless a script, a fraction bar or a
    // separator follows it ("log_a b", "sin^2 x"); "f" and "g" only take a bracketed one.
    std::int32_t parseFunction(int depth, const Token& t, bool operand) {
        // As the operand of a root, a script or a function, the page takes the first thing it
        // draws: the first letter of a name it spells ("sqrt arg x" is the root of a, then r, g,
        // x), or a sign that takes nothing ("root(3)max x" is the root of max, then x).
        if (operand && t.symbol->role != Role::Letter && !appliedByPage(*t.symbol)) {
            if (!(t.symbol->flags & kPageLetters)) return symbolNode(t);
            Token letter = t;
            letter.kind = TokenKind::Letter;
            letter.symbol = nullptr;
            letter.begin = t.start;
            letter.length = 1;
            letter.end = t.start + 1;
            const char first = f_.source[t.start];
            if (first >= 'a' && first <= 'z') f_.lowerLetters |= 1u << (first - 'a');
            if (first >= 'A' && first <= 'Z') f_.upperLetters |= 1u << (first - 'A');
            tokens_.rewind(t.start + 1);
            return textNode(NodeKind::Letter, letter);
        }
        const char c = tokens_.nextChar();
        if (t.symbol->role == Role::Letter) {
            const char letter = t.symbol->input[0];
            f_.lowerLetters |= 1u << (letter - 'a');
            if (c != '(') return symbolNode(t);
        }
        if (depth >= kMaxNesting || c == '^' || c == '_' || c == '/' || c == '|' || c == ',' ||
            c == '\'')
            return symbolNode(t);
        operand_ = appliedByPage(*t.symbol);
        std::int32_t arg = parseSigned(depth + 1);
        operand_ = false;
        if (arg < 0) return symbolNode(t);
        // "sin x^2" shows the square on the x, as "sin x²": the argument is x². A bracketed
        // argument stays apart from a script after it: "sin(x)^2" is the square of the sine.
        const bool bracketed = at(arg).kind == NodeKind::Group;
        if (!bracketed) arg = withScripts(arg, depth + 1);
        // A name that the page does not apply to what follows (letters, as "sen", or a sign, as
        // "min") is followed by a fraction of its own: "sen x/2", "min(b)/x" show the name, then
        // x/2 or b/x. That fraction is the argument; "(min(b))/x" stays the fraction of the minimum.
        if (!isStructural(tokens_.peek(), SymbolKind::Slash) || appliedByPage(*t.symbol)) return unaryNode(t, arg);
        const Token slash = tokens_.next();
        const std::int32_t below = parseDenominator(depth + 1);
        if (below < 0) {
            Node row;
            row.kind = NodeKind::Row;
            row.flags = t.spaced ? kSpaced : 0;
            const std::int32_t r = add(row);
            append(r, unaryNode(t, arg));
            append(r, symbolNode(slash));
            spanChildren(r);
            return r;
        }
        const char last = t.symbol->input.back();
        if (bracketed && (t.symbol->flags & kPageLetters) && (last == 'f' || last == 'g'))
            return lettersThenCall(t, arg, below);
        const std::int32_t u = unaryNode(t, fraction(arg, below));
        tookFraction_ = u;
        return u;
    }

    // Whether the page applies the name to what follows, as a function: its own names ("sin"),
    // and names it spells with one of them first ("cossec": cos, sec).
    static bool appliedByPage(const Symbol& s) {
        if (s.flags & kPageSign) return false;
        if (!(s.flags & kPageLetters)) return true;
        const Symbol* first = MatchPageSymbol(s.input);
        return first && first->kind == SymbolKind::Function && first->role != Role::Letter &&
               !(first->flags & kPageSign);
    }

    // "arg(y)/s", "tg(x)/2": the page draws the letters a, r, then g(y) over s, as g is a
    // function letter that takes the bracket after it.
    std::int32_t lettersThenCall(const Token& t, std::int32_t bracket, std::int32_t below) {
        Node row;
        row.kind = NodeKind::Row;
        row.flags = t.spaced ? kSpaced : 0;
        const std::int32_t r = add(row);
        const std::size_t n = t.symbol->input.size();
        for (std::size_t k = 0; k + 1 < n; ++k) {
            Token letter;
            letter.kind = TokenKind::Letter;
            letter.begin = t.start + static_cast<std::uint32_t>(k);
            letter.start = letter.begin;
            letter.length = 1;
            letter.end = letter.begin + 1;
            const char c = f_.source[letter.begin];
            if (c >= 'a' && c <= 'z') f_.lowerLetters |= 1u << (c - 'a');
            if (c >= 'A' && c <= 'Z') f_.upperLetters |= 1u << (c - 'A');
            append(r, textNode(NodeKind::Letter, letter));
        }
        Token call = t;
        call.symbol = MatchSymbol(std::string_view(f_.source).substr(t.start + n - 1, 1));
        if (!call.symbol) call.symbol = t.symbol;
        call.start = t.start + static_cast<std::uint32_t>(n - 1);
        call.spaced = false;
        f_.lowerLetters |= 1u << (t.symbol->input.back() - 'a');
        const std::int32_t u = unaryNode(call, bracket);
        append(r, fraction(u, below));
        spanChildren(r);
        tookFraction_ = r;
        return r;
    }

    std::int32_t parseBinary(int depth, const Token& t) {
        if (depth >= kMaxNesting) return symbolNode(t);
        operand_ = true;
        const std::int32_t first = parseSimple(depth + 1);
        if (first < 0) return symbolNode(t);
        operand_ = true;
        const std::int32_t second = parseSimple(depth + 1);
        hideBrackets(first);
        if (second >= 0) hideBrackets(second);
        Node n;
        n.kind = NodeKind::Binary;
        n.symbol = t.symbol;
        n.flags = t.spaced ? kSpaced : 0;
        n.operands[0] = first;
        n.operands[1] = second;
        n.from = t.start;
        n.to = at(second >= 0 ? second : first).to;
        return add(n);
    }

    // A row made by the parser spans its children.
    void spanChildren(std::int32_t r) {
        at(r).from = at(at(r).first).from;
        at(r).to = at(at(r).last).to;
    }

    // Brackets that only delimit an operand are not part of what is read: sqrt(x+1), (a+b)/2.
    // A matrix's own brackets go too: the page draws "y^((1,2),(3,4))" as a bare table.
    void hideBrackets(std::int32_t i) {
        Node& n = at(i);
        if (n.kind != NodeKind::Group) return;
        const Role r = n.symbol->role;
        if (r != Role::Paren && r != Role::Square && r != Role::Brace) return;
        // "sqrt(a:}" draws the root of a: the page drops an invisible closing too
        if (n.close && n.close->role != Role::Paren && n.close->role != Role::Square &&
            n.close->role != Role::Brace && n.close->role != Role::Invisible)
            return;
        n.flags |= kInvisible;
    }

    std::size_t topLevelCommas(const Node& g) const {
        std::size_t count = 0;
        for (std::int32_t c = g.first; c >= 0; c = f_.at(c).next) {
            const Node& n = f_.at(c);
            if (n.kind == NodeKind::Symbol && n.symbol->role == Role::Comma) ++count;
        }
        return count;
    }

    // [(a,b),(c,d)]: rows of equally many cells, separated by commas, each in round brackets or
    // each in square ones, opened and closed alike ("[(p),(x])" is none: its last row ends in
    // "]"), and rows in round brackets not closed by "}". Two rows or more, or one of two cells
    // or more: the page draws "{:(q,2):}" as a table of one row.
    void markMatrix(std::int32_t group) {
        const Node& g = at(group);
        std::size_t rows = 0, cells = 0;
        Role rowRole = Role::None;
        bool expectRow = true;
        for (std::int32_t c = g.first; c >= 0; c = f_.at(c).next) {
            const Node& n = f_.at(c);
            if (expectRow) {
                if (n.kind != NodeKind::Group || !n.close || (n.flags & kInvisible)) return;
                const Role r = n.symbol->role;
                if ((r != Role::Paren && r != Role::Square) || n.close->role != r) return;
                if (r == Role::Paren && g.close && g.close->role == Role::Brace) return;
                if (rows == 0) rowRole = r;
                else if (r != rowRole) return;
                const std::size_t commas = topLevelCommas(n);
                if (rows == 0) cells = commas;
                else if (commas != cells) return;
                ++rows;
            } else if (n.kind != NodeKind::Symbol || n.symbol->role != Role::Comma) {
                return;
            }
            expectRow = !expectRow;
        }
        if ((rows >= 2 || (rows == 1 && cells >= 1)) && !expectRow) at(group).flags |= kMatrix;
    }

    Formula& f_;
    Tokenizer tokens_;
    std::vector<Context> contexts_;
    Token pendingStray_;
    std::int32_t tookFraction_ = -1;  // the name that took the fraction after it as its argument
    bool operand_ = false;            // the next simple item is the operand of a structure
};

}  // namespace

Formula Parse(std::string_view utf8) {
    Formula f;
    f.source.assign(utf8.data(), utf8.size());
    Parser(f).run();
    return f;
}

}  // namespace reader
