#pragma once
// The reader's inner parts, shared by the files of its rules: the words of a reading as they
// grow, and the reader of one formula, whose rules live in one file per family of notation.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reader/parser.h"
#include "reader/partreading.h"
#include "reader/symbols.h"
#include "reader/typingerrors.h"
#include "reader/verbosity.h"

namespace reader::rules {


// The reading as it grows: words separated by blanks, pauses as commas, and the contraction of
// a preposition with the article of the noun after it ("pertence a" + "o conjunto" gives
// "pertence ao conjunto").
class Words {
public:
    // A symbol's own text: a letter, a number, text written in the formula.
    void word(std::string_view w) { put(w, false); }

    // Fixed words of the reading. A final "a", "de" or "em" may contract with an article.
    void phrase(std::string_view p) { put(p, true); }

    // A noun that takes the article "o" ("a" when feminine) after a preposition.
    void noun(std::string_view n, bool feminine = false) {
        if (prepositionAt_ == std::string::npos) { phrase(n); return; }
        const std::string_view prep = std::string_view(out_).substr(prepositionAt_);
        const char* contracted = feminine ? (prep == "a" ? "à" : prep == "de" ? "da" : "na")
                                          : (prep == "a" ? "ao" : prep == "de" ? "do" : "no");
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
    void scopeEnd(std::string_view marker = {}) {
        scopeEnded_ = productEnded_ = true;
        productMarker_ = marker;
    }

    // A fraction, root, exponent, index, modulus or argument has just been read with no end
    // marker: an operand right after it, a product with it, comes after its end marker ("raiz
    // quadrada de 3, fim da raiz, y"), so that it is not heard inside; after a pause when it has
    // none.
    void productEnd(std::string_view marker) {
        productEnded_ = true;
        productMarker_ = marker;
    }
    bool productEnded() const { return productEnded_; }
    std::string_view productMarker() const { return productMarker_; }

    void pause() { addMark(','); }

    // A comma that separates items: a pause, or its name right after an end marker, whose own
    // pause would hide it ("fim da fração, vírgula, y" is not "fim da fração, y").
    void separator(std::string_view name) {
        if (trailingEndsFrom_ == std::string::npos) {
            pause();
            return;
        }
        phrase(name);
        pause();
    }

    // A pause before whatever comes next, if anything does.
    void pauseBeforeNext() { pendingPause_ = true; }
    void semicolon() { addMark(';'); }
    void colon() { addMark(':'); }

    // The end of a structure: a pause, the marker, and a pause before what follows. When the
    // last thing read was a structure of the same kind left open because it held one item
    // ("raiz quadrada de (x mais raiz quadrada de y)"), its marker is said first, so that a
    // single "fim da raiz" after it always closes the inner one: "..., fim da raiz, fim da raiz".
    void end(std::string_view marker) { endWith(marker, productEnded_ && productMarker_ == marker); }

    // The end of the one-item structure just read, because a product with it follows.
    void endPending() { endWith(productMarker_, false); }

    bool empty() const { return out_.empty(); }

    // The reading; with `dropTrailingEnds`, without the end markers that nothing follows.
    std::string take(bool dropTrailingEnds = false) {
        if (dropTrailingEnds && trailingEndsFrom_ != std::string::npos && trailingEndsFrom_ > 0)
            out_.resize(trailingEndsFrom_);
        return std::move(out_);
    }

private:
    void endWith(std::string_view marker, bool innerFirst) {
        const std::size_t from = trailingEndsFrom_ == std::string::npos ? out_.size() : trailingEndsFrom_;
        pause();
        if (innerFirst) {
            phrase(marker);
            pause();
        }
        phrase(marker);
        pendingPause_ = true;
        trailingEndsFrom_ = from;
    }

    void put(std::string_view w, bool fixed) {
        if (w.empty()) return;
        if (pendingPause_) addMark(',');
        if (!out_.empty()) out_ += ' ';
        out_ += w;
        prepositionAt_ = std::string::npos;
        trailingEndsFrom_ = std::string::npos;
        scopeEnded_ = productEnded_ = false;
        if (!fixed) return;
        const std::size_t blank = w.rfind(' ');
        const std::string_view last = blank == std::string_view::npos ? w : w.substr(blank + 1);
        if (last == "a" || last == "de" || last == "em") prepositionAt_ = out_.size() - last.size();
    }

    void addMark(char mark) {
        pendingPause_ = false;
        scopeEnded_ = productEnded_ = false;
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
    bool productEnded_ = false;
    std::string_view productMarker_;
};

using P = Phrase;

enum class Open : std::uint8_t { None, Sum, Product, Limit };

class Reader {
public:
    Reader(const Formula& f, Words& w, Verbosity v) : f_(f), w_(w), verbosity_(v), typingErrors_(f) {}

    void readChildren(std::int32_t parent);

    void readPart(std::int32_t node, PartReading how, std::uint32_t first, std::uint32_t count);

    void itemRuns(std::int32_t parent, std::vector<std::uint32_t>& runs);

    // The whole formula: a chemical equation as chemistry, anything else by the rules.
    void readFormula(std::int32_t root) {
        std::vector<std::int32_t> items;
        collect(root, items);
        if (isChemicalEquation(items)) readChemicalEquation(items);
        else readItems(items);
    }

private:
    // Whether a structure that holds a single item is closed all the same.
    bool closesEverything() const { return verbosity_ == Verbosity::Detalhada; }

    // The end of a root, exponent, index, modulus...: said unless what it holds is a single
    // item; then an operator after it comes after a pause, so that it is heard outside.
    void closeScope(bool single, std::string_view marker) {
        if (!single || closesEverything()) w_.end(marker);
        else w_.scopeEnd(marker);
    }

    const Node& at(std::int32_t i) const { return f_.at(i); }

    // The children of a row or group, with nested rows laid out flat, and the brackets "{:" and
    // ":}" too, which the page does not draw: "{:log^2 34:}NN" is read as "log^2 34 NN".
    void collect(std::int32_t parent, std::vector<std::int32_t>& items) const {
        for (std::int32_t c = at(parent).first; c >= 0; c = at(c).next) {
            const Node& n = at(c);
            const bool undrawn = n.kind == NodeKind::Group && !(n.flags & kMatrix) && n.symbol &&
                                 n.symbol->role == Role::Invisible && n.close && n.close->role == Role::Invisible;
            if (n.kind == NodeKind::Row || undrawn) collect(c, items);
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

    // ---- the row: named rules, tried in order on each item --------------------------------

    // What the rules of one row share: its items, the item being read, and what earlier
    // items left open.
    struct Row {
        explicit Row(const std::vector<std::int32_t>& all) : items(all) {}

        const std::vector<std::int32_t>& items;
        std::size_t k = 0;
        Open open = Open::None;  // a sum, product or limit whose body is being read
        std::size_t body = 0;    // items of that body so far
        bool quantifier = false;  // after "para todo" or "existe", until "tal que"
        std::size_t quantifierAt = 0;
        bool mapping = false;  // after the colon of "f: A -> B"
        std::vector<std::size_t> stops;  // for mapsAhead
        // the first and last relation of the row, found once when a rule first asks
        bool relationsFound = false;
        std::size_t firstRelation = 0, lastRelation = 0;  // size() when the row has none

        std::size_t size() const { return items.size(); }
        bool has(std::size_t j) const { return j < items.size(); }
        std::int32_t item(std::size_t j) const { return items[j]; }
        std::int32_t current() const { return items[k]; }
        std::int32_t next() const { return k + 1 < items.size() ? items[k + 1] : -1; }
    };

    // ---- classification (classify.cpp)
    bool isEmpty(std::int32_t i) const;
    static bool blankText(std::string_view t);
    bool isAtom(std::int32_t i) const;
    bool isSimple(std::int32_t i) const;
    bool isLetterRun(std::int32_t i) const;
    bool isShort(std::int32_t i, bool allowCalls = false) const;
    bool isOperand(std::int32_t i) const;
    bool isFunctionHead(std::int32_t i) const;
    bool isBigOperator(std::int32_t i) const;
    bool isLetterLike(std::int32_t i) const;
    bool isFunctionLetter(std::int32_t i) const;
    bool isCallBracket(std::int32_t i) const;
    bool isMinusOne(std::int32_t i) const;
    bool isNumberText(std::int32_t i, std::string_view text) const;
    bool isCapital(std::int32_t i) const;
    bool isSigned(std::int32_t i) const;
    bool letterIs(std::int32_t i, LetterRole role) const;
    std::size_t capitalsRun(std::int32_t i) const;

    // ---- the row: the rules tried in order on each item (reader.cpp)
    // A rule reads one or more items from r.k on and moves r.k past them, returning true; or
    // leaves them to the rules after it, returning false (it may still note something in r).
    using RowRule = bool (Reader::*)(Row&);
    static std::span<const RowRule> rulesFor(NodeKind kind);
    void readItems(const std::vector<std::int32_t>& items);
    void plainItem(Row& r);
    bool startsImplicitProduct(const Row& r) const;
    enum class ProductJoin : std::uint8_t { Nothing, Times, Pause, EndMarker };
    ProductJoin productJoin(const Row& r) const;
    bool isRootOrModulus(std::int32_t i) const;
    bool isClosedParen(std::int32_t i) const;
    bool startsProductArgumentFunction(std::int32_t i) const;
    bool isIndexedFactor(std::int32_t i) const;

    // ---- numbers and units (numbers.cpp)
    NumberMatch numberAt(const Row& r, std::size_t j, std::string& text, std::size_t& end) const;
    bool isEllipsis(std::int32_t i) const;
    UnitMatch unitAt(const Row& r, std::size_t j, bool plural, std::size_t& end) const;
    bool spellUnit(std::int32_t i, std::string& text, int depth) const;
    bool spellUnitRow(std::int32_t i, std::string& text) const;
    std::string_view unitPower(std::int32_t exponent) const;
    bool isPowerOfTen(const Row& r, std::size_t j) const;
    bool isThousandsGroup(std::int32_t i) const;
    bool isMixedNumber(const Row& r, const NumberMatch& m, std::size_t end) const;
    static bool singularAmount(const NumberMatch& m);
    bool numberRule(Row& r);
    bool currencyRule(Row& r);
    bool isDecimalComma(const Row& r, std::size_t k) const;
    bool isOperandComma(const Row& r, std::size_t k) const;
    bool isBarredNumber(std::int32_t i) const;
    bool isGroupedComma(std::int32_t i) const;
    bool hasSemicolon(std::int32_t group) const;
    bool commaRule(Row& r);
    bool dotRule(Row& r);
    bool isSingleAmount(const std::vector<std::int32_t>& items) const;
    bool isDegreeSign(std::int32_t i) const;
    void readNumber(std::string_view digits);
    void sayNumber(const NumberMatch& m);
    bool isDegreeMark(std::int32_t sup, const Node& base) const;

    // ---- layout of rows, brackets and scripts (layout.cpp)
    bool symbolRules(Row& r);
    bool semicolonRule(Row& r);
    bool prescriptRule(Row& r);
    bool danglingScriptRule(Row& r);
    void readNode(std::int32_t i);
    void readSymbol(const Node& n);
    void readSymbolAlone(const Node& n);
    void sayTypingError(std::int32_t i);
    // Says the slip of an unclosed bracket i where it opens; true when there was one.
    bool saySlipAtOpening(std::int32_t i, bool bracketSaid);
    void readLetter(std::string_view letter);
    void readText(std::string_view text);
    void readGroup(std::int32_t i, bool baseOfScript);
    // True when it said the bracket's slip where the bracket opens.
    bool readGroupAlone(std::int32_t i, bool baseOfScript);
    void readUnary(std::int32_t i);
    void readTypeface(const Symbol& typeface, std::int32_t a, bool shortArg);
    void readBinary(const Node& n);
    static int smallNumber(std::string_view digits);
    void readFraction(std::int32_t top, std::int32_t bottom);
    void readRoot(std::int32_t index, std::int32_t radicand);
    void readSubscript(std::int32_t sub);
    bool readMatrixOrder(const Node& script);
    void readExponent(std::int32_t sup, bool feminine);
    void readScript(std::int32_t i);

    // ---- sets and logic (sets.cpp)
    bool colonRule(Row& r);
    bool mappingArrowRule(Row& r);
    bool quantifierRule(Row& r);
    bool quantifiedInRule(Row& r);
    bool relationRule(Row& r);
    bool approximationRule(Row& r);
    bool setBuilderBarRule(Row& r);
    bool connectiveRule(Row& r);
    std::size_t spelledWordEnd(const Row& r, std::string_view word) const;
    void findRelations(Row& r) const;
    bool implicationArrowRule(Row& r);
    bool conditionalRule(Row& r);
    bool dividesRule(Row& r);
    bool dividingBarsRule(Row& r);
    bool tildeRule(Row& r);
    bool congruenceRule(Row& r);
    bool mapsAhead(const std::vector<std::int32_t>& items, std::size_t colon,
                   std::vector<std::size_t>& stops) const;
    bool isSquareSign(std::int32_t i, bool opening) const;
    bool splitEnds(const std::vector<std::int32_t>& items, std::size_t from, std::size_t to,
                   std::vector<std::int32_t>& left, std::vector<std::int32_t>& right, bool& semicolon);
    void sayInterval(bool closedLeft, bool closedRight, const std::vector<std::int32_t>& left,
                     const std::vector<std::int32_t>& right, bool semicolon);
    bool readInterval(std::int32_t i);
    bool reversedIntervalRule(Row& r);

    // ---- functions and calculus (functions.cpp)
    bool bodyEndRule(Row& r);
    bool bigOperatorRule(Row& r);
    bool bodyItemRule(Row& r);
    bool functionHeadRule(Row& r);
    bool functionProductRule(Row& r);
    bool imageOfMapRule(Row& r);
    const Symbol* quotedFunction(std::int32_t i) const;
    bool quotedFunctionRule(Row& r);
    bool isArgumentFactor(std::int32_t i) const;
    std::size_t argumentProductEnd(const Row& r, std::size_t j) const;
    void readProductArgument(std::int32_t first, const Row& r, std::size_t from, std::size_t end);
    bool compositionRule(Row& r);
    bool inverseFunctionRule(Row& r);
    bool higherDerivativeRule(Row& r);
    bool composedCallRule(Row& r);
    std::size_t sayPrimes(const Row& r, std::size_t j);
    bool primesRule(Row& r);
    std::int32_t derivativeVariable(std::int32_t below, bool& partial) const;
    static bool isDifferential(const Node& n);
    bool derivativeRule(Row& r);
    void sayVariable(std::int32_t i);
    bool functionCallRule(Row& r);
    bool expectationRule(Row& r);
    bool evaluationBarRule(Row& r);
    bool callReads(std::int32_t letter, std::int32_t bracket) const;
    bool isCountingLetter(std::int32_t letter, std::int32_t bracket) const;
    bool calledElsewhere(std::int32_t letter) const;
    std::int32_t conditionalBar(std::int32_t letter, std::int32_t bracket) const;
    void readCall(std::int32_t letter, std::int32_t bracket);
    void readArgument(std::int32_t arg, bool withDe);
    void readFunctionHead(const Symbol* s, std::int32_t sub, std::int32_t sup);
    bool namesMap(std::int32_t i) const;
    bool isImageOf(const Symbol* s, std::int32_t argument) const;
    void readFunctionName(const Symbol* s, std::int32_t argument);
    Open readBigOperator(std::int32_t i, bool bodyFollows);
    bool containsTends(std::int32_t i) const;

    // ---- geometry and vectors (geometry.cpp)
    bool vectorAngleRule(Row& r);
    bool vectorProductRule(Row& r);
    bool isVector(std::int32_t i) const;
    bool isSet(std::int32_t i) const;
    bool isSquaredSet(std::int32_t i) const;
    bool isNumberSet(std::int32_t i) const;
    bool speaksOfSets(const Row& r) const;
    bool parallelRule(Row& r);
    bool isAngle(const std::vector<std::int32_t>& items) const;
    void readMatrix(std::int32_t i);

    // ---- chemistry (chemistry.cpp)
    bool isChemicalEquation(const std::vector<std::int32_t>& items);
    bool isChemicalArrow(std::int32_t i) const;
    bool isCharged(std::int32_t i) const;
    void readChemicalEquation(const std::vector<std::int32_t>& items);
    bool chemicalEquation(const std::vector<std::int32_t>& items, bool read);
    bool chemicalSpecies(const std::vector<std::int32_t>& items, std::size_t& k, bool read);
    bool isInteger(std::int32_t i) const;
    std::size_t nuclideSymbol(const std::vector<std::int32_t>& items, std::size_t k, bool read);
    bool nuclide(const std::vector<std::int32_t>& items, std::size_t& k, bool species, bool read);
    bool chemicalScripts(std::int32_t i, bool read, const std::function<void()>& say);

    // ---- combinatorics and statistics (combinatorics.cpp)
    bool combinatoricsRule(Row& r);
    bool readBinomial(std::int32_t i, const std::vector<std::int32_t>& rows);
    bool isBinomial(std::int32_t top, std::int32_t bottom) const;
    bool isWholeNumber(std::int32_t i) const;

    // ---- sets (sets.cpp)
    bool isComplement(std::int32_t overbar) const;
    bool holdsSetOperation(std::int32_t i) const;
    bool isCapitalLetter(std::int32_t i) const;

    const Formula& f_;
    Words& w_;
    const Verbosity verbosity_;
    std::vector<std::uint32_t>* runs_ = nullptr;  // see itemRuns
    int bracketDepth_ = 0;
    bool manyArguments_ = false;  // the function whose argument comes next takes several
    bool decimalCommas_ = false;  // inside brackets, a comma between numbers is the decimal mark: in
                                  // a function's argument, and in brackets whose items ";" separates
    bool afterTends_ = false;  // the node being read follows "tende a"
    Role bracket_ = Role::None;  // the bracket around the row being read
    TypingErrors typingErrors_;  // the formula's slips, said where they stand
    mutable std::vector<bool> complements_;  // see isComplement; made when first needed
};

}  // namespace reader::rules
