#pragma once
// The word tables of reader/words/ as constant data. The build generates their definitions
// (words.cpp) from the tables; only the reader's own files look at them.
#include <cstddef>
#include <string_view>

#include "reader/symbol.h"

namespace reader::words {

extern const Symbol kSymbols[];
extern const std::size_t kSymbolCount;

struct CharacterEntry {
    char32_t cp;
    Symbol symbol;
};
extern const CharacterEntry kCharacters[];
extern const std::size_t kCharacterCount;

// A character that takes the words and role of an ASCIIMath spelling: "∈" of "in".
struct CharacterAlias {
    char32_t cp;
    std::string_view spelling;
};
extern const CharacterAlias kAliases[];
extern const std::size_t kAliasCount;

extern const std::string_view kPhrases[];  // by Phrase

struct UnitEntry {
    std::string_view spelling, singular, plural;
    bool feminine;
    bool length;    // squared or cubed after "por": "centímetro cúbico"
    bool prefixed;  // takes the decimal prefixes
};
extern const UnitEntry kUnits[];
extern const std::size_t kUnitCount;

struct Prefix {
    std::string_view spelling, words;
};
extern const Prefix kPrefixes[];
extern const std::size_t kPrefixCount;

struct AccentEntry {
    std::string_view input;
    AccentWords words;
};
extern const AccentEntry kAccents[];
extern const std::size_t kAccentCount;

extern const std::string_view kOrdinals[10][2];     // 1 to 10: feminine, masculine
extern const std::string_view kDenominators[9][2];  // 2 to 10: singular, plural
extern const std::string_view kRootNames[9];        // 2 to 10

extern const std::string_view kLetterRoles[];     // by LetterRole: its letters, separated by blanks
extern const std::string_view kLetterNames[128];  // by ASCII letter: its name, or empty

struct Abbreviation {
    std::string_view spelling, words;
};
extern const Abbreviation kAbbreviations[];
extern const std::size_t kAbbreviationCount;

extern const std::string_view kElements[];  // the chemical elements' symbols
extern const std::size_t kElementCount;
extern const Abbreviation kStates[];  // "aq": "aquoso"
extern const std::size_t kStateCount;

// The braille code's cells, as UTF-8 Unicode braille: the signs of its structure by BrailleSign,
// and the signs of symbols and characters by their spelling ("spelling" holds the spelling).
extern const std::string_view kBrailleSigns[];
extern const Abbreviation kBrailleSymbols[];
extern const std::size_t kBrailleSymbolCount;

}  // namespace reader::words
