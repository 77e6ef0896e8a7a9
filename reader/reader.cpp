#include "reader/reader.h"

#include "platform/codepage.h"
#include "reader/rules.h"

#include <cstdint>
#include <span>
#include <vector>

namespace reader {
namespace rules {

void Reader::readChildren(std::int32_t parent) {
    std::vector<std::int32_t> items;
    collect(parent, items);
    readItems(items);
}

void Reader::readPart(std::int32_t node, PartReading how, std::uint32_t first, std::uint32_t count) {
    switch (how) {
    case PartReading::Node: readItems(std::vector<std::int32_t>{node}); return;  // as in a row
    case PartReading::Argument: readArgument(node, false); return;
    case PartReading::Items: {
        std::vector<std::int32_t> items;
        collect(node, items);
        if (first >= items.size()) return;
        const std::size_t stop = std::min<std::size_t>(items.size(), std::size_t{first} + count);
        // the items of a bracket or a matrix row: a comma between numbers separates them
        if (at(node).kind == NodeKind::Group && !(at(node).flags & kInvisible)) ++bracketDepth_;
        readItems(std::vector<std::int32_t>(items.begin() + first, items.begin() + static_cast<std::ptrdiff_t>(stop)));
        return;
    }
    }
}

// The items that each step of the reading of a row or group takes at once.
void Reader::itemRuns(std::int32_t parent, std::vector<std::uint32_t>& runs) {
    if (at(parent).kind == NodeKind::Group && !(at(parent).flags & kInvisible)) ++bracketDepth_;
    runs_ = &runs;
    readChildren(parent);
}

// Reads a row: before each item, what ends the item before it; then the rules of its kind.
void Reader::readItems(const std::vector<std::int32_t>& items) {
    std::vector<std::uint32_t>* const runs = runs_;  // only the outermost row records
    runs_ = nullptr;
    Row r(items);
    while (r.k < r.size()) {
        const std::size_t before = r.k;
        if (r.k > 0 && w_.productEnded() && startsImplicitProduct(r)) {
            switch (productJoin(r)) {
            case ProductJoin::Nothing: break;
            case ProductJoin::Times: w_.operatorPhrase(Say(P::Vezes)); break;
            case ProductJoin::Pause: w_.pause(); break;
            case ProductJoin::EndMarker: w_.endPending(); break;
            }
        }
        bool read = false;
        for (const RowRule rule : rulesFor(at(r.current()).kind)) {
            if ((this->*rule)(r)) {
                read = true;
                break;
            }
        }
        if (!read) plainItem(r);
        if (runs) runs->push_back(static_cast<std::uint32_t>(r.k - before));
    }
}

// The rules that can read an item, by the kind of node it is, in the order they are tried:
// the first that reads the item (returns true) wins; an item that none reads is read plainly.
// A rule that several kinds share stands in each of their tables. A sign's rules by its role
// are in symbolRules (layout.cpp).
std::span<const Reader::RowRule> Reader::rulesFor(NodeKind kind) {
    static constexpr RowRule kSymbol[] = {
        &Reader::vectorProductRule,  // "xx" between vectors
        &Reader::parallelRule,  // "r // s" between lines
        &Reader::evaluationBarRule,  // "F(x)|_a^b"
        &Reader::danglingScriptRule,  // "2^" with nothing after it
        &Reader::symbolRules,  // by the sign's role: comma, colon, arrow, relation, bar...
        &Reader::bigOperatorRule,
        &Reader::bodyItemRule,
        &Reader::functionHeadRule,
        &Reader::vectorAngleRule,
        &Reader::functionCallRule,
        &Reader::reversedIntervalRule,  // "]a,b["
        &Reader::primesRule,
    };
    static constexpr RowRule kNumber[] = {
        &Reader::bodyItemRule,
        &Reader::numberRule,  // with its decimals, unit, degree sign or percent
        &Reader::vectorAngleRule,
    };
    static constexpr RowRule kLetter[] = {
        &Reader::bodyItemRule,
        &Reader::connectiveRule,  // "e", "ou", "de"... typed between relations
        &Reader::conditionalRule,  // "p -> q"
        &Reader::currencyRule,  // "R$"
        &Reader::vectorAngleRule,
        &Reader::compositionRule,  // "f o g"
        &Reader::expectationRule,  // "E(X)"
        &Reader::functionCallRule,  // "f(x)"
    };
    static constexpr RowRule kScript[] = {
        &Reader::bigOperatorRule,
        &Reader::bodyItemRule,
        &Reader::functionHeadRule,  // "log_2", "sen^2"
        &Reader::prescriptRule,  // "text()^n A_p"
        &Reader::vectorAngleRule,
        &Reader::inverseFunctionRule,  // "f^(-1)(x)"
        &Reader::combinatoricsRule,  // "C_n^p"
        &Reader::higherDerivativeRule,  // "f^((n))(x)"
    };
    static constexpr RowRule kGroup[] = {
        &Reader::bodyItemRule,
        &Reader::vectorAngleRule,
        &Reader::composedCallRule,  // "(f o g)(x)"
        &Reader::dividingBarsRule,  // "2 | n e 3 | n": bars taken for a modulus
    };
    static constexpr RowRule kFrac[] = {
        &Reader::bodyItemRule,
        &Reader::vectorAngleRule,
        &Reader::derivativeRule,  // "(dy)/(dx)"
    };
    static constexpr RowRule kText[] = {
        &Reader::bodyItemRule,
        &Reader::quotedFunctionRule,  // "\"Cov\"(X,Y)"
    };
    static constexpr RowRule kUnary[] = {
        &Reader::bodyItemRule,
        &Reader::vectorAngleRule,
        &Reader::imageOfMapRule,  // "dim Im T"
        &Reader::functionProductRule,  // "sen 2x": the product after the name
    };
    static constexpr RowRule kOther[] = {
        &Reader::bodyItemRule,
        &Reader::vectorAngleRule,
    };
    switch (kind) {
    case NodeKind::Symbol: return kSymbol;
    case NodeKind::Number: return kNumber;
    case NodeKind::Letter: return kLetter;
    case NodeKind::Script: return kScript;
    case NodeKind::Group: return kGroup;
    case NodeKind::Frac: return kFrac;
    case NodeKind::Text: return kText;
    case NodeKind::Unary: return kUnary;
    case NodeKind::Row:
    case NodeKind::Binary: return kOther;
    }
    return kOther;
}

// An operand right after another, with no sign between: a product. Primes and factorials
// belong to what stands before them.
bool Reader::startsImplicitProduct(const Row& r) const {
    const std::int32_t i = r.current();
    if (!isOperand(i)) return false;
    // "sec(3)!": after a function's argument in brackets, a factorial is the function's own,
    // heard after the argument's end, where "sec 3!" is the secant of 3!
    if (isSymbol(i, Role::Factorial)) return w_.productMarker() == Say(P::FimDoArgumento);
    return !isSymbol(i, Role::Prime);
}

// A function whose argument runs over a product, with its scripts or its argument: "cos", "cos^2", "cos x".
bool Reader::startsProductArgumentFunction(std::int32_t i) const {
    const Node& n = at(i);
    const Node& head = n.kind == NodeKind::Script ? at(n.base()) : n;
    return (head.kind == NodeKind::Symbol || head.kind == NodeKind::Unary) && !(head.flags & kEscaped) &&
           head.symbol->kind == SymbolKind::Function && (head.symbol->flags & kProductArgument);
}

// What is said between a structure of one item just read, with no end marker yet, and the
// operand right after it, a product with it:
// - nothing before another function's name, which ends an argument by itself: "seno de x
//   cosseno de x";
// - a teacher's "vezes" between an index, a root or a modulus and a factor, a root, a modulus,
//   a function or a bracket after it: "v índice 0, vezes t", "raiz quadrada de á, vezes raiz
//   quadrada de b", "módulo de u, vezes módulo de v, vezes cosseno de teta"; not after a capital
//   with an index before a capital or a bracket, which may be a chemical formula (H_2O) or a
//   species and its state (N_2(g));
// - a pause where the structure has no marker, or before a differential: "integral de f de x,
//   d x";
// - elsewhere the structure's end marker: "seno de 2, fim do argumento, x".
Reader::ProductJoin Reader::productJoin(const Row& r) const {
    const std::string_view marker = w_.productMarker();
    const std::int32_t before = r.item(r.k - 1), next = r.current();
    if (marker == Say(P::FimDoArgumento) && startsProductArgumentFunction(next)) return ProductJoin::Nothing;
    const std::int32_t nextBase = at(next).kind == NodeKind::Script ? at(next).base() : next;
    const bool factorNext =
        (isArgumentFactor(next) && !isDegreeSign(next)) || isRootOrModulus(next) || isFunctionHead(next) ||
        (at(next).kind == NodeKind::Unary && at(next).symbol->kind == SymbolKind::Function &&
         at(next).symbol->role != Role::Letter) ||
        isClosedParen(nextBase);
    if (marker == Say(P::FimDoIndice) && factorNext && isIndexedFactor(before) &&
        !(isCapital(at(before).base()) && (isCapital(nextBase) || isClosedParen(nextBase))))
        return ProductJoin::Times;
    if ((marker == Say(P::FimDaRaiz) || marker == Say(P::FimDoModulo)) && factorNext && isRootOrModulus(before))
        return ProductJoin::Times;
    if (marker.empty() || isDifferential(at(next))) return ProductJoin::Pause;
    return ProductJoin::EndMarker;
}

// (x-1): round brackets, closed by a round bracket, that the page draws.
bool Reader::isClosedParen(std::int32_t i) const {
    const Node& n = at(i);
    return n.kind == NodeKind::Group && !(n.flags & (kInvisible | kMatrix)) && n.symbol->role == Role::Paren && n.close &&
           n.close->role == Role::Paren;
}

// sqrt(a), root(3)(a), |a|, abs(a): a root or a modulus.
bool Reader::isRootOrModulus(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind == NodeKind::Unary) return n.symbol->role == Role::Sqrt || n.symbol->role == Role::Abs;
    if (n.kind == NodeKind::Binary) return n.symbol->role == Role::Root;
    return n.kind == NodeKind::Group && n.close && n.symbol->kind == SymbolKind::Bar;
}

// x_1, v_0, a_n: a number or letter with an index of one item and no exponent.
bool Reader::isIndexedFactor(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind != NodeKind::Script || n.exponent() >= 0 || n.index() < 0 || !isSimple(n.index())) return false;
    const Node& base = at(n.base());
    return base.kind == NodeKind::Number || base.kind == NodeKind::Letter;
}

void Reader::plainItem(Row& r) {
    afterTends_ = r.k > 0 && isSymbol(r.item(r.k - 1), Role::Tends);
    readNode(r.current());
    afterTends_ = false;
    ++r.k;
}

}  // namespace rules

using rules::Reader;
using rules::Words;
using P = Phrase;

namespace {

// A reading that is one letter's name alone ("é") gives the letter back: the voice names a
// letter alone, where it would spell the name.
std::string alone(std::string reading) {
    if (const std::string_view letter = LetterOfName(reading); !letter.empty()) return std::string(letter);
    return reading;
}

}  // namespace

std::string ReadPart(const Formula& formula, std::int32_t node, PartReading how, std::uint32_t first,
                     std::uint32_t count, Verbosity verbosity) {
    if (node < 0 || static_cast<std::size_t>(node) >= formula.nodes.size()) return {};
    Words words;
    Reader(formula, words, verbosity).readPart(node, how, first, count);
    return alone(words.take(verbosity == Verbosity::Breve));
}

std::vector<std::uint32_t> ItemRuns(const Formula& formula, std::int32_t parent) {
    std::vector<std::uint32_t> runs;
    if (parent < 0 || static_cast<std::size_t>(parent) >= formula.nodes.size()) return runs;
    Words words;
    Reader(formula, words, Verbosity::Normal).itemRuns(parent, runs);
    return runs;
}

std::string Read(const Formula& formula, Verbosity verbosity) {
    Words words;
    Reader(formula, words, verbosity).readFormula(formula.root);
    std::string reading = alone(words.take(verbosity == Verbosity::Breve));
    if (!reading.empty()) return reading;
    // A formula of punctuation alone (".", ",", ";"): its signs are named, so that the place
    // of the formula is not silent. What shows nothing on the page ("color", "{:") says nothing.
    for (const Node& n : formula.nodes) {
        if (n.kind != NodeKind::Symbol || !n.symbol) continue;
        const std::string_view name = n.symbol->role == Role::Comma       ? Say(P::Virgula)
                                      : n.symbol->role == Role::Semicolon ? Say(P::PontoEVirgula)
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
    if (!origin && utf8.find('&') == std::string_view::npos) return std::string(utf8);
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

}  // namespace reader

