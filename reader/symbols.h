#pragma once
// The ASCIIMath vocabulary: every spelling the tokenizer knows, what the parser does with it and
// the Brazilian Portuguese words that read it. The words, spellings and units are data: the
// tables of reader/words/, compiled in.
#include <cstdint>
#include <string>
#include <string_view>

#include "reader/phrases.h"  // generated from the word tables
#include "reader/symbol.h"

namespace reader {

// The longest symbol spelled at the start of `text`, or nullptr. `text` is UTF-8.
const Symbol* MatchSymbol(std::string_view text);

// The longest symbol at the start of `text` that the page knows too (none marked kPageLetters),
// or nullptr: where the page's own reading of the letters starts a sign ("nn" in "senn").
const Symbol* MatchPageSymbol(std::string_view text);

// The symbol for one character that has no entry of its own (an ASCII sign such as "#", or a
// non-ASCII sign such as "º"), or nullptr.
const Symbol* CharacterSymbol(char32_t cp);

// The fixed words of the reading that belong to no one symbol ("fim da raiz", "numerador"), by
// the names of reader/words/frases.tsv.
std::string_view Say(Phrase phrase);

// "primeira", "segunda"... (or "primeiro", "segundo"...) for n from 1 to 10; empty past them.
std::string_view OrdinalWord(std::size_t n, bool masculine = false);

// "meio" or "meios", "terço" or "terços"... for a denominator from 2 to 10.
std::string_view DenominatorWord(int denominator, bool plural);

// "raiz quadrada", "raiz cúbica"... for an index from 2 to 10.
std::string_view RootName(int index);

// The words around an accent over more than one symbol: "barra sobre" ... "fim da barra";
// empty for a symbol that is no such accent.
AccentWords AccentPhrases(const Symbol& accent);

// Whether a letter of the formula ("f", "P") takes the meaning `role` where it stands.
bool LetterHasRole(LetterRole role, std::string_view letter);

// The name the voice says for a letter that alone it would take for a word ("é" for "e");
// empty for other letters.
std::string_view LetterName(std::string_view letter);

// The letter whose name `reading` is ("a" for "á"); empty when it is no letter's name.
std::string_view LetterOfName(std::string_view reading);

// The abbreviation at the start of `text` ("nº"): its length and words; length 0 for none.
struct AbbreviationMatch {
    std::size_t length = 0;
    std::string_view words;
};
AbbreviationMatch MatchAbbreviation(std::string_view text);

// Whether `symbol` is a chemical element's: "H", "Na", "Cl".
bool IsElement(std::string_view symbol);

// The words of a physical state in a chemical equation ("aquoso" for "aq"); empty for none.
std::string_view StateWords(std::string_view state);

// A number as Brazilians write it, at the start of `text`: digits with a dot between groups of
// three ("4.500.000"), a decimal comma or point ("3.250,75", "2.5"), and a repeating part, in
// brackets after the decimals ("1,2(3)" for 1,2 with a bar over the 3) or shown by three dots
// after them ("0,666..."). `length` 0: no number there.
struct NumberMatch {
    std::size_t length = 0;
    std::string_view integer;  // the digits, with the dots of "4.500.000" still in
    std::string_view decimals;  // after the comma, without the repeating part
    std::string_view period;    // the repeating part; empty for a number that ends
};
NumberMatch MatchNumber(std::string_view text);

// A unit of measure at the start of `text`, as the reader spells what follows a number: "km",
// "m^2" (or "m²"), "km/h", "m/s^2", "°C". Only whole units: "m" in "mx" is none. `words`
// holds the reading, in the plural or the singular: "quilômetros por hora", "metro quadrado".
struct UnitMatch {
    std::size_t length = 0;  // 0: no unit there
    std::string words;
    bool oneLetter = false;  // a single letter ("m", "s", "h"), perhaps with a power
};
UnitMatch MatchUnit(std::string_view text, bool plural);

// Every ASCIIMath spelling known, for the fuzzing dictionary and tests.
std::string_view SymbolInput(std::size_t index);
std::size_t SymbolCount();

}  // namespace reader
