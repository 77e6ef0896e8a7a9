#include "reader/braille.h"

#include <string_view>
#include <unordered_map>

#include "reader/reader.h"
#include "reader/typingerrors.h"
#include "reader/wordtables.h"

namespace reader {
namespace {

// The North American ASCII braille: the character of each of the 64 cells, by dot bits.
constexpr std::string_view kAsciiBraille =
    " A1B'K2L@CIF/MSP\"E3H9O6R^DJG>NTQ,*5<-U8V.%[$+X!&;:4\\0Z7(_?W]#Y)=";

constexpr std::size_t kCellBytes = 3;  // every cell of U+2800 to U+283F is three bytes in UTF-8

std::string_view sign(BrailleSign s) { return words::kBrailleSigns[static_cast<std::size_t>(s)]; }

// The k-th cell of a sign of several cells (the digits 0 to 9).
std::string_view cellOf(BrailleSign s, std::size_t k) { return sign(s).substr(k * kCellBytes, kCellBytes); }

std::string_view symbolCells(std::string_view spelling) {
    static const auto* table = [] {
        auto* m = new std::unordered_map<std::string_view, std::string_view>;
        for (std::size_t i = 0; i < words::kBrailleSymbolCount; ++i)
            m->emplace(words::kBrailleSymbols[i].spelling, words::kBrailleSymbols[i].words);
        return m;
    }();
    const auto it = table->find(spelling);
    return it == table->end() ? std::string_view{} : it->second;
}

// The dot bits of the cell at `at` of UTF-8 Unicode braille; -1 where no cell is (the end, "\n").
int cellBits(std::string_view s, std::size_t at) {
    if (at + kCellBytes > s.size() || static_cast<unsigned char>(s[at]) != 0xE2) return -1;
    return ((static_cast<unsigned char>(s[at + 1]) & 0x03) << 6) | (static_cast<unsigned char>(s[at + 2]) & 0x3F);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the UTF-8 character at the start of `s` (1 for a stray byte).
std::size_t characterLength(std::string_view s) {
    const auto b = static_cast<unsigned char>(s[0]);
    const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    return n <= s.size() ? n : 1;
}

class BrailleWriter {
public:
    explicit BrailleWriter(const Formula& f) : f_(f), errorAfter_(f.nodes.size()), errorBefore_(f.nodes.size()) {
        TypingErrors errors(f);
        for (const TypingError& e : FindTypingErrors(f)) {
            if (e.node < 0 || static_cast<std::size_t>(e.node) >= f.nodes.size()) continue;
            errorAfter_[static_cast<std::size_t>(e.node)] = e.words;
            errorBefore_[static_cast<std::size_t>(e.node)] = errors.before(e.node);
        }
    }

    BrailleText take(std::string_view followingCells) {
        if (f_.root >= 0) node(f_.root);
        settleShortFractions(followingCells);
        return {std::move(out_), std::move(uncovered_)};
    }

private:
    const Node& at(std::int32_t i) const { return f_.at(i); }

    void emit(std::string_view cells) {
        out_ += cells;
        afterDigit_ = false;
    }
    void emit(BrailleSign s) { emit(sign(s)); }

    // Cells that start with a letter from a to j: after a number, the letter sign first, so
    // that the letter is not read as a digit ("2 cos x", "2 dx").
    void emitLetters(std::string_view cells) {
        if (afterDigit_)
            for (std::size_t k = 0; k < 10; ++k)
                if (cells.substr(0, kCellBytes) == cellOf(BrailleSign::digitos, k)) {
                    emit(BrailleSign::letra_apos_numero);
                    break;
                }
        emit(cells);
    }
    bool endsWithBlank() const { return out_.empty() || out_.ends_with(sign(BrailleSign::espaco)) || out_.back() == '\n'; }

    // ---- what a node is ---------------------------------------------------------------

    // A group without brackets or a row around one item stands for that item.
    std::int32_t unwrap(std::int32_t i) const {
        while (i >= 0) {
            const Node& n = at(i);
            const bool wrapper = n.kind == NodeKind::Row || (n.kind == NodeKind::Group && (n.flags & kInvisible));
            if (!wrapper || n.first < 0 || n.first != n.last) return i;
            i = n.first;
        }
        return i;
    }

    bool plainDigits(std::int32_t i) const {
        i = unwrap(i);
        if (i < 0 || at(i).kind != NodeKind::Number) return false;
        const std::string_view t = f_.text(at(i));
        if (t.empty() || t.size() > 12) return false;
        for (const char c : t)
            if (!isDigit(c)) return false;
        return true;
    }

    // An operand the code writes without the auxiliary grouping: one number, letter, sign, text,
    // or something closed by its own signs (brackets, bars).
    bool single(std::int32_t i) const {
        i = unwrap(i);
        if (i < 0) return true;
        const Node& n = at(i);
        switch (n.kind) {
            case NodeKind::Number:
            case NodeKind::Letter:
            case NodeKind::Text:
                return true;
            case NodeKind::Symbol:  // "dx" writes two letters: it is grouped as they would be
                return (n.symbol->kind == SymbolKind::Constant && n.symbol->role != Role::Differential) ||
                       n.symbol->role == Role::Letter;  // "f" and "g" alone are one letter
            case NodeKind::Group:
                return !(n.flags & kInvisible) && n.close != nullptr;
            case NodeKind::Unary:
                return n.symbol->role == Role::Abs || n.symbol->role == Role::Norm;
            default:
                return false;
        }
    }

    bool capitalsOnly(std::int32_t i) const {
        const std::string_view t(f_.source.data() + at(i).from, at(i).to - at(i).from);
        bool any = false;
        for (const char c : t) {
            if (c == '(' || c == ')' || c == ' ') continue;
            if (c < 'A' || c > 'Z') return false;
            any = true;
        }
        return any;
    }

    // ---- writing -----------------------------------------------------------------------

    void node(std::int32_t i) {
        if (i < 0) return;
        const Node& n = at(i);
        const bool slipBefore = errorBefore_[static_cast<std::size_t>(i)];
        if (slipBefore) slip(i);
        switch (n.kind) {
            case NodeKind::Number: number(f_.text(n)); break;
            case NodeKind::Letter: letter(f_.text(n)); break;
            case NodeKind::Text: text(f_.text(n)); break;
            case NodeKind::Symbol: symbol(n); break;
            case NodeKind::Row: row(i); break;
            case NodeKind::Group: group(i); break;
            case NodeKind::Unary: unary(i); break;
            case NodeKind::Binary: binary(i); break;
            case NodeKind::Frac: fraction(n.numerator(), n.denominator()); break;
            case NodeKind::Script: script(n); break;
        }
        if (!slipBefore && !errorAfter_[static_cast<std::size_t>(i)].empty()) slip(i);
    }

    // A slip of typing: a marker and the words that speech says, spelled.
    void slip(std::int32_t i) {
        emit(BrailleSign::erro_de_digitacao);
        spell(errorAfter_[static_cast<std::size_t>(i)]);
        emit(BrailleSign::erro_de_digitacao);
    }

    // An operand in the auxiliary grouping when it is more than one item.
    void operand(std::int32_t i) {
        if (single(i)) {
            node(i);
            return;
        }
        emit(BrailleSign::abre_auxiliar);
        inner(i);
        emit(BrailleSign::fecha_auxiliar);
    }

    // What a group without brackets holds, or the node itself.
    void inner(std::int32_t i) {
        if (i >= 0 && at(i).kind == NodeKind::Group && (at(i).flags & kInvisible)) {
            items(i);
            if (!errorAfter_[static_cast<std::size_t>(i)].empty()) slip(i);
            return;
        }
        node(i);
    }

    void collect(std::int32_t parent, std::vector<std::int32_t>& list) const {
        for (std::int32_t c = at(parent).first; c >= 0; c = at(c).next) {
            if (at(c).kind == NodeKind::Row) collect(c, list);
            else list.push_back(c);
        }
    }

    void row(std::int32_t i) { items(i); }

    // The items of a row or group side by side: a number as Brazilians write it may span
    // several ("3,5", "4.500.000"); a relation stands between blank cells, a function's name
    // is followed by one.
    void items(std::int32_t parent) {
        std::vector<std::int32_t> list;
        collect(parent, list);
        for (std::size_t k = 0; k < list.size(); ++k) {
            const std::int32_t item = list[k];
            const Node& n = at(item);
            if (n.kind == NodeKind::Number) {
                const std::size_t last = numberSpan(list, k);
                if (last > k) {
                    const std::uint32_t end = at(list[last]).to;
                    number(std::string_view(f_.source).substr(n.begin, end - n.begin));
                    for (std::size_t j = k + 1; j <= last; ++j)
                        if (!errorAfter_[static_cast<std::size_t>(list[j])].empty()) slip(list[j]);
                    k = last;
                    continue;
                }
            }
            const bool relation = n.kind == NodeKind::Symbol && n.symbol->kind == SymbolKind::Relation;
            const bool modulo = n.kind == NodeKind::Symbol && isWordOperator(*n.symbol);
            if ((relation || modulo) && !endsWithBlank()) emit(BrailleSign::espaco);
            node(item);
            if ((relation || modulo || isFunctionName(item)) && k + 1 < list.size()) emit(BrailleSign::espaco);
        }
    }

    // An operation written with the letters of its own name ("mod", "and"): a word, set apart
    // by blank cells as a relation is.
    static bool isWordOperator(const Symbol& s) {
        if (s.kind != SymbolKind::Operator) return false;
        const std::string_view cells = symbolCells(s.input);
        if (cells.empty() || cells.size() != s.input.size() * kCellBytes) return false;
        for (std::size_t k = 0; k < s.input.size(); ++k) {
            const char c = s.input[k];
            if (c < 'a' || c > 'z' || cells.substr(k * kCellBytes, kCellBytes) != symbolCells(std::string_view(&c, 1)))
                return false;
        }
        return true;
    }

    bool isFunctionName(std::int32_t i) const {
        const Node& n = at(i);
        const Node& head = n.kind == NodeKind::Script && n.base() >= 0 ? at(n.base()) : n;
        if (head.kind != NodeKind::Symbol || (head.flags & kEscaped)) return false;
        return (head.symbol->kind == SymbolKind::Function && head.symbol->role != Role::Letter) ||
               head.symbol->kind == SymbolKind::BigOperator;
    }

    // The last item of `list` from k on that the number starting at item k takes in: "3,5" is
    // the items "3", "," and "5". k when the number is the item alone.
    std::size_t numberSpan(const std::vector<std::int32_t>& list, std::size_t k) const {
        const Node& n = at(list[k]);
        const NumberMatch m = MatchNumber(std::string_view(f_.source).substr(n.begin));
        const std::uint32_t end = n.begin + static_cast<std::uint32_t>(m.length);
        if (end <= n.to) return k;
        for (std::size_t j = k + 1; j < list.size(); ++j) {
            const Node& next = at(list[j]);
            const bool numeric = next.kind == NodeKind::Number || next.kind == NodeKind::Group ||
                                 (next.kind == NodeKind::Symbol && (next.symbol->role == Role::Comma || next.symbol->role == Role::Dot ||
                                                                    next.symbol->role == Role::Ellipsis));
            if (!numeric || next.from >= end) return k;
            if (next.to == end) return j;
            if (next.to > end) return k;
        }
        return k;
    }

    // A number: the number sign, the digits, the points between groups of three as typed, the
    // decimal comma (or point) as the comma, a repeating part in its brackets or after its dots
    // as typed.
    void number(std::string_view t) {
        const NumberMatch m = MatchNumber(t);
        const std::size_t integerEnd = m.length > 0 ? m.integer.size() : t.size();
        emit(BrailleSign::numero);
        for (std::size_t k = 0; k < t.size(); ++k) {
            const char c = t[k];
            if (isDigit(c)) out_ += cellOf(BrailleSign::digitos, static_cast<std::size_t>(c - '0'));
            else if (t.substr(k, 3) == "...") out_ += symbolCells("..."), k += 2;
            else if (c == '.' && k < integerEnd) out_ += sign(BrailleSign::ponto_de_milhar);
            else if (c == '.' || c == ',') out_ += sign(BrailleSign::virgula_decimal);
            else if (c == '(' || c == ')') out_ += symbolCells(std::string_view(&t[k], 1));
        }
        afterDigit_ = true;
    }

    void letter(std::string_view t) {
        if (t.size() == 1 && t[0] >= 'A' && t[0] <= 'Z') {
            emit(BrailleSign::maiuscula);
            emit(symbolCells(std::string_view(&"abcdefghijklmnopqrstuvwxyz"[t[0] - 'A'], 1)));
            return;
        }
        const std::string_view cells = symbolCells(t);
        if (cells.empty()) notCovered(t);
        else emitLetters(cells);
    }

    // Text written in the formula, between the quotation marks.
    void text(std::string_view t) {
        emit(BrailleSign::abre_texto);
        spell(t);
        emit(BrailleSign::fecha_texto);
    }

    // Words letter by letter: capitals, digits with the number sign, accented letters as
    // Portuguese braille writes them.
    void spell(std::string_view t) {
        bool inNumber = false;
        while (!t.empty()) {
            const std::size_t n = characterLength(t);
            const std::string_view ch = t.substr(0, n);
            t.remove_prefix(n);
            const char c = ch[0];
            if (isDigit(c)) {
                if (!inNumber) out_ += sign(BrailleSign::numero);
                out_ += cellOf(BrailleSign::digitos, static_cast<std::size_t>(c - '0'));
                inNumber = true;
                continue;
            }
            inNumber = false;
            if (c == ' ') {
                out_ += sign(BrailleSign::espaco);
            } else if (c >= 'A' && c <= 'Z') {
                out_ += sign(BrailleSign::maiuscula);
                out_ += symbolCells(std::string_view(&"abcdefghijklmnopqrstuvwxyz"[c - 'A'], 1));
            } else if (const std::string_view cells = symbolCells(ch); !cells.empty()) {
                out_ += cells;
            } else {
                notCovered(ch);
            }
        }
        afterDigit_ = false;
    }

    // A sign without cells: between two markers, the typed text in the cells of its ASCII
    // characters, each other character as its numeric reference ("&#960;"), so that different
    // signs stay apart.
    void notCovered(std::string_view typed) {
        emit(BrailleSign::nao_coberto);
        std::string ascii;
        for (std::size_t i = 0; i < typed.size();) {
            const std::size_t n = characterLength(typed.substr(i));
            if (n == 1) {
                ascii += typed[i];
            } else {
                const auto b = static_cast<unsigned char>(typed[i]);
                char32_t cp = n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
                for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(typed[i + k]) & 0x3F);
                ascii += "&#" + std::to_string(static_cast<std::uint32_t>(cp)) + ";";
            }
            i += n;
        }
        out_ += AsciiToBraille(ascii);
        emit(BrailleSign::nao_coberto);
        uncovered_.emplace_back(typed);
    }

    void symbol(const Node& n) {
        if (n.symbol->kind == SymbolKind::Space || n.symbol->role == Role::Invisible) return;
        if (n.symbol->role == Role::Letter) {  // "f" and "g", letters the page may apply
            letter(n.symbol->input);
            return;
        }
        const std::string_view cells = symbolCells(n.symbol->input);
        if (cells.empty()) notCovered(n.symbol->input);
        else emitLetters(cells);
    }

    void group(std::int32_t i) {
        const Node& n = at(i);
        if (n.flags & kMatrix) {
            matrix(i);
            return;
        }
        // Brackets that only delimit ("{:" and ":}", or those a root's argument drops) have no cells.
        const bool drawn = !(n.flags & kInvisible);
        if (drawn && n.symbol->role != Role::Invisible) symbol(Node{.kind = NodeKind::Symbol, .symbol = n.symbol});
        items(i);
        if (drawn && n.close && n.close->role != Role::Invisible) symbol(Node{.kind = NodeKind::Symbol, .symbol = n.close});
    }

    // A matrix row by row, one line each; the elements of a row apart by a blank cell.
    void matrix(std::int32_t i) {
        const Node& n = at(i);
        if (n.symbol->role != Role::Invisible) symbol(Node{.kind = NodeKind::Symbol, .symbol = n.symbol});
        bool firstRow = true;
        for (std::int32_t r = n.first; r >= 0; r = at(r).next) {
            if (at(r).kind != NodeKind::Group) continue;  // the commas between rows
            if (!firstRow) out_ += '\n';
            firstRow = false;
            std::vector<std::int32_t> cells;
            collect(r, cells);
            bool firstCell = true;
            for (const std::int32_t c : cells) {
                if (at(c).kind == NodeKind::Symbol && at(c).symbol->role == Role::Comma) {
                    emit(BrailleSign::separador_de_coluna);
                    firstCell = true;
                    continue;
                }
                firstCell = false;
                node(c);
            }
            (void)firstCell;
        }
        if (n.close && n.close->role != Role::Invisible) symbol(Node{.kind = NodeKind::Symbol, .symbol = n.close});
    }

    void unary(std::int32_t i) {
        const Node& n = at(i);
        if (n.symbol->kind == SymbolKind::Function) {
            function(n);
            return;
        }
        switch (n.symbol->role) {
            case Role::Sqrt:
                root(-1, n.radicand());
                return;
            case Role::Abs:
            case Role::Norm: {
                const BrailleSign bar = n.symbol->role == Role::Abs ? BrailleSign::modulo : BrailleSign::norma;
                emit(bar);
                inner(n.argument());
                emit(bar);
                return;
            }
            case Role::Floor:
            case Role::Ceil: {
                const bool floor = n.symbol->role == Role::Floor;
                emit(symbolCells(floor ? "|__" : "|~"));
                inner(n.argument());
                emit(symbolCells(floor ? "__|" : "~|"));
                return;
            }
            case Role::Vec: accent(BrailleSign::vetor, n.argument()); return;
            case Role::Overbar: accent(capitalsOnly(n.argument()) ? BrailleSign::segmento : BrailleSign::barra, n.argument()); return;
            case Role::Hat: accent(BrailleSign::chapeu, n.argument()); return;
            case Role::PrefixAccent: accent(BrailleSign::arco, n.argument()); return;
            case Role::PostfixAccent:
                if (n.symbol->input == "dot") return accent(BrailleSign::ponto_em_cima, n.argument());
                if (n.symbol->input == "ddot") return accent(BrailleSign::dois_pontos_em_cima, n.argument());
                if (n.symbol->input == "tilde") return accent(BrailleSign::til, n.argument());
                break;
            case Role::DoubleStruck: {
                const std::int32_t a = unwrap(n.argument());
                // A capital: the capital sign doubled before it, as the number sets are written
                // ("bbb R" is RR).
                if (a >= 0 && at(a).kind == NodeKind::Letter && f_.text(at(a)).size() == 1 &&
                    f_.text(at(a))[0] >= 'A' && f_.text(at(a))[0] <= 'Z') {
                    emit(BrailleSign::maiuscula);
                    letter(f_.text(at(a)));
                    return;
                }
                break;
            }
            default:
                break;
        }
        // The other accents and the typefaces: their sign, then what they mark. A typeface is
        // kept on every argument, since on a letter it tells a vector or a set apart.
        if (const std::string_view cells = symbolCells(n.symbol->input); !cells.empty()) {
            emit(cells);
            operand(n.argument());
            return;
        }
        notCovered(n.symbol->input);
        operand(n.argument());
    }

    // A function and its argument: "f(x)" as the letter and the brackets; a named function by the
    // letters of its name and a blank cell, then its argument in the brackets typed, or grouped
    // when it has none and is more than one item.
    void function(const Node& n) {
        if (n.symbol->role != Role::Letter) {
            symbol(Node{.kind = NodeKind::Symbol, .symbol = n.symbol});
            emit(BrailleSign::espaco);
        } else {
            letter(n.symbol->input);
        }
        const std::int32_t a = n.argument();
        if (a >= 0 && at(a).kind == NodeKind::Group && !(at(a).flags & kMatrix) && at(a).symbol &&
            at(a).symbol->role != Role::Invisible) {
            symbol(Node{.kind = NodeKind::Symbol, .symbol = at(a).symbol});
            items(a);
            if (at(a).close) symbol(Node{.kind = NodeKind::Symbol, .symbol = at(a).close});
            if (!errorAfter_[static_cast<std::size_t>(a)].empty()) slip(a);
            return;
        }
        operand(a);
    }

    void accent(BrailleSign s, std::int32_t a) {
        emit(s);
        operand(a);
    }

    void binary(std::int32_t i) {
        const Node& n = at(i);
        switch (n.symbol->role) {
            case Role::Frac: fraction(n.numerator(), n.denominator()); return;
            case Role::Root: root(n.index(), n.radicand()); return;
            case Role::Color: inner(n.argument()); return;  // colour, id and class mean nothing in braille
            default:
                // A sign set over or under another: the lower (or upper) one, the sign that sets
                // it, then what stands over (or under) it.
                if (const std::string_view cells = symbolCells(n.symbol->input); !cells.empty()) {
                    const std::int32_t base = unwrap(n.base());
                    if (base >= 0 && at(base).kind == NodeKind::Symbol) node(base);  // "=" with "def" over it
                    else operand(n.base());
                    emit(cells);
                    operand(n.annotation());
                    return;
                }
                notCovered(n.symbol->input);
                operand(n.annotation());
                operand(n.base());
        }
    }

    // A root: its index first as an upper index, the root sign, the radicand; a radicand of more
    // than one item ends with the sign of the root's end, and so does every root inside it, so
    // that each end sign closes the nearest root still open.
    void root(std::int32_t index, std::int32_t radicand) {
        if (index >= 0) {
            emit(BrailleSign::expoente);
            operand(index);
        }
        emit(BrailleSign::raiz);
        if (single(radicand) && openRoots_ == 0) {
            node(radicand);
            return;
        }
        ++openRoots_;
        inner(radicand);
        --openRoots_;
        emit(BrailleSign::fim_da_raiz);
    }

    // A fraction of two plain numbers in the short form (the denominator in the lower digits),
    // any other with the fraction sign between its terms, each grouped when compound.
    void fraction(std::int32_t a, std::int32_t b) {
        if (plainDigits(a) && plainDigits(b)) {
            const std::string_view top = f_.text(at(unwrap(a))), bottom = f_.text(at(unwrap(b)));
            ShortFraction s;
            s.from = out_.size();
            emit(BrailleSign::numero);
            for (const char c : top) out_ += cellOf(BrailleSign::digitos, static_cast<std::size_t>(c - '0'));
            for (const char c : bottom) out_ += cellOf(BrailleSign::digitos_baixos, static_cast<std::size_t>(c - '0'));
            s.to = out_.size();
            s.general = std::string(out_, s.from, kCellBytes * (1 + top.size()));
            s.general += sign(BrailleSign::fracao);
            s.general += sign(BrailleSign::numero);
            for (const char c : bottom) s.general += cellOf(BrailleSign::digitos, static_cast<std::size_t>(c - '0'));
            shortFractions_.push_back(std::move(s));
            afterDigit_ = true;
            return;
        }
        if (a >= 0) operand(a);
        emit(BrailleSign::fracao);
        if (b >= 0) operand(b);
    }

    void script(const Node& n) {
        node(n.base());
        if (n.index() >= 0) {
            emit(BrailleSign::indice);
            operand(n.index());
        }
        if (n.exponent() >= 0) {
            emit(BrailleSign::expoente);
            operand(n.exponent());
        }
    }

    // A short fraction followed by a lower digit, a number sign or a letter would read on as
    // part of it ("1/2" then "3" as "1/23"): there the general form is written instead.
    void settleShortFractions(std::string_view followingCells) {
        for (auto s = shortFractions_.rbegin(); s != shortFractions_.rend(); ++s) {
            const int next = s->to == out_.size() ? cellBits(followingCells, 0) : cellBits(out_, s->to);
            static constexpr int kClearAfter[] = {
                -1, 0,                  // the end, a line's end, the blank cell
                0b100100,               // dots 3 6: minus
                0b011100,               // dots 3 4 5: closing parenthesis
                0b111110,               // dots 2 3 4 5 6: closing square bracket
                0b111000,               // dots 4 5 6: a bar
                0b000100,               // dot 3: the multiplication dot
                0b100000,               // dot 6: the auxiliary grouping's end, the factorial
                0b110001,               // dots 1 5 6: the root's end
            };
            bool clear = false;
            for (const int c : kClearAfter) clear = clear || next == c;
            if (!clear) out_.replace(s->from, s->to - s->from, s->general);
        }
    }

    struct ShortFraction {
        std::size_t from = 0, to = 0;
        std::string general;
    };

    const Formula& f_;
    std::vector<std::string_view> errorAfter_;
    std::vector<bool> errorBefore_;  // the slip's words go before the node: "1/" with nothing over it
    std::string out_;
    std::vector<std::string> uncovered_;
    std::vector<ShortFraction> shortFractions_;
    bool afterDigit_ = false;
    int openRoots_ = 0;  // roots of more than one item being written
};

}  // namespace

BrailleText TranslateToBraille(const Formula& formula, std::string_view followingCells) {
    return BrailleWriter(formula).take(followingCells);
}

BrailleText FormulaToBraille(std::string_view utf8, std::string_view followingCells) {
    return TranslateToBraille(Parse(DecodeCharacterReferences(utf8)), followingCells);
}

std::string BrailleNumber(unsigned number) {
    std::string cells(sign(BrailleSign::numero));
    for (const char c : std::to_string(number)) cells += cellOf(BrailleSign::digitos, static_cast<std::size_t>(c - '0'));
    return cells;
}

std::string BrailleToAscii(std::string_view unicodeBraille) {
    std::string out;
    out.reserve(unicodeBraille.size() / kCellBytes + 1);
    for (std::size_t i = 0; i < unicodeBraille.size();) {
        if (unicodeBraille[i] == '\n') {
            out += '\n';
            ++i;
            continue;
        }
        const int bits = cellBits(unicodeBraille, i);
        if (bits >= 0 && bits < 64) {
            out += kAsciiBraille[static_cast<std::size_t>(bits)];
            i += kCellBytes;
            continue;
        }
        out += '?';
        i += characterLength(unicodeBraille.substr(i));
    }
    return out;
}

std::string AsciiToBraille(std::string_view ascii) {
    std::string out;
    for (const char ch : ascii) {
        char c = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        std::size_t bits = kAsciiBraille.find(c);
        if (c == '\0' || bits == std::string_view::npos) bits = kAsciiBraille.find('?');
        out += static_cast<char>(0xE2);
        out += static_cast<char>(0xA0 | (bits >> 6));
        out += static_cast<char>(0x80 | (bits & 0x3F));
    }
    return out;
}

}  // namespace reader
