#include "reader/symbols.h"

#include <algorithm>
#include <array>
#include <vector>

#include "reader/wordtables.h"

namespace reader {
namespace {

using words::kSymbols;
using words::kSymbolCount;

// Every ASCII character, so that a letter can be given as a view of one character.
constexpr auto kAsciiLetters = [] {
    std::array<char, 128> a{};
    for (std::size_t c = 0; c < a.size(); ++c) a[c] = static_cast<char>(c);
    return a;
}();

// The symbols by their first byte, longest spelling first.
struct Index {
    std::array<std::vector<const Symbol*>, 128> byFirstByte;
    Index() {
        for (std::size_t i = 0; i < kSymbolCount; ++i) {
            const Symbol& s = kSymbols[i];
            byFirstByte[static_cast<unsigned char>(s.input[0])].push_back(&s);
        }
        for (auto& list : byFirstByte) {
            std::stable_sort(list.begin(), list.end(), [](const Symbol* a, const Symbol* b) {
                return a->input.size() > b->input.size();
            });
        }
    }
};

const Index& index() {
    static const Index instance;
    return instance;
}

}  // namespace

const Symbol* MatchSymbol(std::string_view text) {
    if (text.empty()) return nullptr;
    const auto first = static_cast<unsigned char>(text[0]);
    if (first >= 128) return nullptr;
    for (const Symbol* s : index().byFirstByte[first]) {
        if (text.substr(0, s->input.size()) != s->input) continue;
        if ((s->flags & kBeforeParen) &&
            (text.size() <= s->input.size() || text[s->input.size()] != '('))
            continue;
        return s;
    }
    return nullptr;
}

const Symbol* MatchPageSymbol(std::string_view text) {
    if (text.empty()) return nullptr;
    const auto first = static_cast<unsigned char>(text[0]);
    if (first >= 128) return nullptr;
    for (const Symbol* s : index().byFirstByte[first])
        if (!(s->flags & kPageLetters) && text.substr(0, s->input.size()) == s->input) return s;
    return nullptr;
}

const Symbol* CharacterSymbol(char32_t cp) {
    for (std::size_t i = 0; i < words::kCharacterCount; ++i)
        if (words::kCharacters[i].cp == cp) return &words::kCharacters[i].symbol;
    for (std::size_t i = 0; i < words::kAliasCount; ++i)
        if (words::kAliases[i].cp == cp) return MatchSymbol(words::kAliases[i].spelling);
    return nullptr;
}

std::string_view Say(Phrase phrase) { return words::kPhrases[static_cast<std::size_t>(phrase)]; }

std::string_view OrdinalWord(std::size_t n, bool masculine) {
    return n >= 1 && n <= std::size(words::kOrdinals) ? words::kOrdinals[n - 1][masculine ? 1 : 0] : std::string_view{};
}

std::string_view DenominatorWord(int denominator, bool plural) {
    if (denominator < 2 || denominator > 10) return {};
    return words::kDenominators[denominator - 2][plural ? 1 : 0];
}

std::string_view RootName(int index) {
    return index >= 2 && index <= 10 ? words::kRootNames[index - 2] : std::string_view{};
}

AccentWords AccentPhrases(const Symbol& accent) {
    for (std::size_t i = 0; i < words::kAccentCount; ++i)
        if (words::kAccents[i].input == accent.input) return words::kAccents[i].words;
    return {};
}

bool LetterHasRole(LetterRole role, std::string_view letter) {
    // each role's letters as bits by ASCII code, found once: the rules ask this of every letter
    static const auto masks = [] {
        std::array<std::array<bool, 128>, static_cast<std::size_t>(LetterRole::Count)> m{};
        for (std::size_t r = 0; r < m.size(); ++r) {
            const std::string_view letters = words::kLetterRoles[r];
            for (std::size_t i = 0; i < letters.size(); ++i) {
                const bool alone = (i == 0 || letters[i - 1] == ' ') && (i + 1 == letters.size() || letters[i + 1] == ' ');
                const auto c = static_cast<unsigned char>(letters[i]);
                if (alone && c != ' ' && c < 128) m[r][c] = true;
            }
        }
        return m;
    }();
    if (letter.size() != 1 || static_cast<unsigned char>(letter[0]) >= 128) return false;
    return masks[static_cast<std::size_t>(role)][static_cast<unsigned char>(letter[0])];
}

std::string_view LetterName(std::string_view letter) {
    if (letter.size() != 1 || static_cast<unsigned char>(letter[0]) >= 128) return {};
    return words::kLetterNames[static_cast<unsigned char>(letter[0])];
}

std::string_view LetterOfName(std::string_view reading) {
    if (reading.empty() || reading.size() > 4) return {};
    for (std::size_t c = 0; c < std::size(words::kLetterNames); ++c)
        if (words::kLetterNames[c] == reading) return std::string_view(&kAsciiLetters[c], 1);
    return {};
}

AbbreviationMatch MatchAbbreviation(std::string_view text) {
    for (std::size_t i = 0; i < words::kAbbreviationCount; ++i) {
        const words::Abbreviation& a = words::kAbbreviations[i];
        if (text.starts_with(a.spelling)) return {a.spelling.size(), a.words};
    }
    return {};
}

bool IsElement(std::string_view symbol) {
    for (std::size_t i = 0; i < words::kElementCount; ++i)
        if (words::kElements[i] == symbol) return true;
    return false;
}

std::string_view StateWords(std::string_view state) {
    for (std::size_t i = 0; i < words::kStateCount; ++i)
        if (words::kStates[i].spelling == state) return words::kStates[i].words;
    return {};
}

std::string_view SymbolInput(std::size_t index) { return kSymbols[index].input; }
std::size_t SymbolCount() { return kSymbolCount; }

}  // namespace reader
