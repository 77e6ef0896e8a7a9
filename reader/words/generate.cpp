// Turns the word tables of this folder into C++: reader/phrases.h (the names of the phrases and
// of the letters' roles) and words.cpp (every table as constant data). Run by the build:
//   reader_words_generate WORDS_FOLDER OUTPUT_FOLDER
// A malformed table stops the build with its file and line.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "reader/words/table.h"

namespace {

using reader::words::Row;

std::string g_folder;

[[noreturn]] void die(const std::string& file, int line, const std::string& what) {
    std::fprintf(stderr, "%s/%s:%d: %s\n", g_folder.c_str(), file.c_str(), line, what.c_str());
    std::exit(1);
}

std::vector<Row> load(const std::string& file, std::size_t minFields, std::size_t maxFields) {
    std::ifstream in(g_folder + "/" + file, std::ios::binary);
    if (!in) die(file, 0, "cannot be read");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<Row> rows;
    std::string error;
    if (!reader::words::ParseTable(text.str(), minFields, maxFields, rows, error)) {
        std::fprintf(stderr, "%s/%s: %s\n", g_folder.c_str(), file.c_str(), error.c_str());
        std::exit(1);
    }
    return rows;
}

// A C++ string literal of any bytes: octal escapes for all but plain printable ASCII.
std::string literal(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        }
    }
    return out + "\"";
}

bool identifier(const std::string& s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
    for (unsigned char c : s)
        if (!(std::isalnum(c) || c == '_')) return false;
    return true;
}

// The one character of a field, as a code point.
char32_t character(const std::string& file, const Row& row, const std::string& s) {
    const auto b = static_cast<unsigned char>(s[0]);
    const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : 4;
    if (s.size() != n) die(file, row.line, "\"" + s + "\" is not one character");
    char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[k]) & 0x3F);
    return cp;
}

// The numbered rows of a list (ordinals, denominators, roots): numbers `from` to `to`, in order.
void numbered(const std::string& file, const std::vector<Row>& rows, int from, int to) {
    if (rows.size() != static_cast<std::size_t>(to - from + 1)) die(file, 0, "wants the numbers " + std::to_string(from) + " to " + std::to_string(to));
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].fields[0] != std::to_string(from + static_cast<int>(i))) die(file, rows[i].line, "out of order");
}

const std::map<std::string, std::string> kFlags = {
    {"artigo", "kArticle"}, {"feminino", "kFeminine"}, {"antes_de_parentese", "kBeforeParen"},
    {"varios_argumentos", "kManyArguments"}, {"letras_na_pagina", "kPageLetters"},
    {"sinal_na_pagina", "kPageSign"}, {"produto_no_argumento", "kProductArgument"}};

std::string symbol(const std::string& file, const Row& row) {
    const std::string& spelling = row.fields[0];
    if (!identifier(row.fields[2]) || !identifier(row.fields[3])) die(file, row.line, "a kind or role that is no name");
    std::string flags = "0";
    if (row.fields.size() == 5) {
        std::istringstream marks(row.fields[4]);
        for (std::string mark; marks >> mark;) {
            const auto f = kFlags.find(mark);
            if (f == kFlags.end()) die(file, row.line, "unknown mark \"" + mark + "\"");
            flags += " | " + f->second;
        }
    }
    if (spelling[0] >= 'A' && spelling[0] <= 'Z') flags += " | kCapital";
    return "{" + literal(spelling) + ", SymbolKind::" + row.fields[2] + ", Role::" + row.fields[3] + ", " +
           literal(row.fields[1]) + ", static_cast<std::uint8_t>(" + flags + ")}";
}

// Braille cells written as dot numbers ("46 1", "0" for the blank cell) as UTF-8 Unicode braille.
std::string brailleCells(const std::string& file, const Row& row) {
    std::istringstream groups(row.fields[1]);
    std::string out;
    for (std::string dots; groups >> dots;) {
        unsigned bits = 0;
        if (dots != "0") {
            char last = '0';
            for (const char d : dots) {
                if (d < '1' || d > '6' || d <= last) die(file, row.line, "\"" + dots + "\" is no cell: dots 1 to 6, ascending, or 0");
                bits |= 1u << (d - '1');
                last = d;
            }
        }
        const char32_t cp = 0x2800 + bits;
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    if (out.empty()) die(file, row.line, "no cells");
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: reader_words_generate WORDS_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    const std::string out = argv[2];

    const auto symbols = load("simbolos.tsv", 4, 5);
    const auto characters = load("caracteres.tsv", 4, 4);
    const auto aliases = load("equivalentes.tsv", 2, 2);
    const auto phrases = load("frases.tsv", 2, 2);
    const auto units = load("unidades.tsv", 4, 5);
    const auto prefixes = load("prefixos.tsv", 2, 2);
    const auto accents = load("acentos.tsv", 3, 3);
    const auto ordinals = load("ordinais.tsv", 3, 3);
    const auto denominators = load("denominadores.tsv", 3, 3);
    const auto roots = load("raizes.tsv", 2, 2);
    const auto letters = load("letras.tsv", 2, 2);
    const auto letterNames = load("nomes_de_letras.tsv", 2, 2);
    const auto abbreviations = load("abreviaturas.tsv", 2, 2);
    const auto elements = load("elementos.tsv", 1, 1);
    const auto states = load("estados.tsv", 2, 2);
    const auto braille = load("braille.tsv", 3, 4);

    std::set<std::string> seen;
    for (const Row& r : symbols)
        if (!seen.insert(r.fields[0]).second) die("simbolos.tsv", r.line, "\"" + r.fields[0] + "\" appears twice");
    std::set<char32_t> chars;
    for (const Row& r : characters)
        if (!chars.insert(character("caracteres.tsv", r, r.fields[0])).second) die("caracteres.tsv", r.line, "twice");
    for (const Row& r : aliases) {
        if (!chars.insert(character("equivalentes.tsv", r, r.fields[0])).second) die("equivalentes.tsv", r.line, "twice");
        if (!seen.count(r.fields[1])) die("equivalentes.tsv", r.line, "\"" + r.fields[1] + "\" is no spelling of simbolos.tsv");
    }
    for (const auto* table : {&phrases, &letters}) {
        std::set<std::string> names;
        for (const Row& r : *table)
            if (!identifier(r.fields[0]) || !names.insert(r.fields[0]).second)
                die(table == &phrases ? "frases.tsv" : "letras.tsv", r.line, "\"" + r.fields[0] + "\" is no name, or a name twice");
    }
    for (const Row& r : letters) {
        std::istringstream each(r.fields[1]);
        for (std::string letter; each >> letter;)
            if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0])))
                die("letras.tsv", r.line, "\"" + letter + "\" is not one ASCII letter");
    }
    for (const Row& r : units) {
        if (r.fields[3] != "m" && r.fields[3] != "f") die("unidades.tsv", r.line, "the gender is m or f");
        std::istringstream marks(r.fields.size() == 5 ? r.fields[4] : "");
        for (std::string mark; marks >> mark;)
            if (mark != "comprimento" && mark != "prefixos") die("unidades.tsv", r.line, "unknown mark \"" + mark + "\"");
    }
    for (const Row& r : accents)
        if (!seen.count(r.fields[0])) die("acentos.tsv", r.line, "\"" + r.fields[0] + "\" is no spelling of simbolos.tsv");
    numbered("ordinais.tsv", ordinals, 1, 10);
    numbered("denominadores.tsv", denominators, 2, 10);
    numbered("raizes.tsv", roots, 2, 10);
    std::vector<std::pair<std::string, std::string>> brailleSigns, brailleSymbols;
    {
        std::set<std::string> keys;
        for (const Row& r : braille) {
            const std::string& key = r.fields[0];
            if (!keys.insert(key).second) die("braille.tsv", r.line, "\"" + key + "\" appears twice");
            const std::string cells = brailleCells("braille.tsv", r);
            if (key.rfind("sinal:", 0) == 0) {
                if (!identifier(key.substr(6))) die("braille.tsv", r.line, "\"" + key + "\" is no name");
                brailleSigns.emplace_back(key.substr(6), cells);
                continue;
            }
            const auto b = static_cast<unsigned char>(key[0]);
            const bool oneCharacter = key.size() == (b < 0x80 ? 1u : (b >> 5) == 0x6 ? 2u : (b >> 4) == 0xE ? 3u : 4u);
            if (!seen.count(key) && !(oneCharacter && (chars.count(character("braille.tsv", r, key)) || std::isalpha(b) || b >= 0x80)))
                die("braille.tsv", r.line, "\"" + key + "\" is no spelling of simbolos.tsv, no character and no sign");
            brailleSymbols.emplace_back(key, cells);
        }
    }
    std::string letterNameTable[128];
    for (const Row& r : letterNames) {
        const char32_t c = character("nomes_de_letras.tsv", r, r.fields[0]);
        if (c >= 128 || !std::isalpha(static_cast<int>(c))) die("nomes_de_letras.tsv", r.line, "not an ASCII letter");
        letterNameTable[c] = r.fields[1];
    }

    std::ofstream h(out + "/reader/phrases.h", std::ios::binary);
    h << "#pragma once\n// Generated from reader/words/frases.tsv and letras.tsv by reader_words_generate.\n"
         "#include <cstdint>\n\nnamespace reader {\n\n"
         "// The fixed words of the reading that belong to no one symbol, by name.\n"
         "enum class Phrase : std::uint8_t {\n";
    for (const Row& r : phrases) h << "    " << r.fields[0] << ",\n";
    h << "    Count\n};\n\n// The meanings that letters take by where they stand.\nenum class LetterRole : std::uint8_t {\n";
    for (const Row& r : letters) h << "    " << r.fields[0] << ",\n";
    h << "    Count\n};\n\n// The signs of the braille code's structure, by the names of braille.tsv.\nenum class BrailleSign : std::uint8_t {\n";
    for (const auto& [name, cells] : brailleSigns) h << "    " << name << ",\n";
    h << "    Count\n};\n\n}  // namespace reader\n";

    std::ofstream c(out + "/words.cpp", std::ios::binary);
    c << "// Generated from reader/words/*.tsv by reader_words_generate.\n#include \"reader/wordtables.h\"\n\n"
         "namespace reader::words {\n\nconst Symbol kSymbols[] = {\n";
    for (const Row& r : symbols) c << "    " << symbol("simbolos.tsv", r) << ",\n";
    c << "};\nconst std::size_t kSymbolCount = " << symbols.size() << ";\n\nconst CharacterEntry kCharacters[] = {\n";
    for (const Row& r : characters)
        c << "    {" << static_cast<unsigned long>(character("caracteres.tsv", r, r.fields[0])) << ", " << symbol("caracteres.tsv", r) << "},\n";
    c << "};\nconst std::size_t kCharacterCount = " << characters.size() << ";\n\nconst CharacterAlias kAliases[] = {\n";
    for (const Row& r : aliases)
        c << "    {" << static_cast<unsigned long>(character("equivalentes.tsv", r, r.fields[0])) << ", " << literal(r.fields[1]) << "},\n";
    c << "};\nconst std::size_t kAliasCount = " << aliases.size() << ";\n\nconst std::string_view kPhrases[] = {\n";
    for (const Row& r : phrases) c << "    " << literal(r.fields[1]) << ",\n";
    c << "};\n\nconst UnitEntry kUnits[] = {\n";
    for (const Row& r : units)
        c << "    {" << literal(r.fields[0]) << ", " << literal(r.fields[1]) << ", " << literal(r.fields[2]) << ", "
          << (r.fields[3] == "f" ? "true" : "false") << ", "
          << (r.fields.size() == 5 && r.fields[4].find("comprimento") != std::string::npos ? "true" : "false") << ", "
          << (r.fields.size() == 5 && r.fields[4].find("prefixos") != std::string::npos ? "true" : "false") << "},\n";
    c << "};\nconst std::size_t kUnitCount = " << units.size() << ";\n\nconst Prefix kPrefixes[] = {\n";
    for (const Row& r : prefixes) c << "    {" << literal(r.fields[0]) << ", " << literal(r.fields[1]) << "},\n";
    c << "};\nconst std::size_t kPrefixCount = " << prefixes.size() << ";\n\nconst AccentEntry kAccents[] = {\n";
    for (const Row& r : accents)
        c << "    {" << literal(r.fields[0]) << ", {" << literal(r.fields[1]) << ", " << literal(r.fields[2]) << "}},\n";
    c << "};\nconst std::size_t kAccentCount = " << accents.size() << ";\n\nconst std::string_view kOrdinals[10][2] = {\n";
    for (const Row& r : ordinals) c << "    {" << literal(r.fields[1]) << ", " << literal(r.fields[2]) << "},\n";
    c << "};\n\nconst std::string_view kDenominators[9][2] = {\n";
    for (const Row& r : denominators) c << "    {" << literal(r.fields[1]) << ", " << literal(r.fields[2]) << "},\n";
    c << "};\n\nconst std::string_view kRootNames[9] = {\n";
    for (const Row& r : roots) c << "    " << literal(r.fields[1]) << ",\n";
    c << "};\n\nconst std::string_view kLetterRoles[] = {\n";
    for (const Row& r : letters) c << "    " << literal(r.fields[1]) << ",\n";
    c << "};\n\nconst std::string_view kLetterNames[128] = {\n";
    for (int i = 0; i < 128; ++i) c << "    " << literal(letterNameTable[i]) << ",\n";
    c << "};\n\nconst Abbreviation kAbbreviations[] = {\n";
    for (const Row& r : abbreviations) c << "    {" << literal(r.fields[0]) << ", " << literal(r.fields[1]) << "},\n";
    c << "};\nconst std::size_t kAbbreviationCount = " << abbreviations.size() << ";\n\nconst std::string_view kElements[] = {\n";
    for (const Row& r : elements) c << "    " << literal(r.fields[0]) << ",\n";
    c << "};\nconst std::size_t kElementCount = " << elements.size() << ";\n\nconst Abbreviation kStates[] = {\n";
    for (const Row& r : states) c << "    {" << literal(r.fields[0]) << ", " << literal(r.fields[1]) << "},\n";
    c << "};\nconst std::size_t kStateCount = " << states.size() << ";\n\nconst std::string_view kBrailleSigns[] = {\n";
    for (const auto& [name, cells] : brailleSigns) c << "    " << literal(cells) << ",\n";
    c << "};\n\nconst Abbreviation kBrailleSymbols[] = {\n";
    for (const auto& [key, cells] : brailleSymbols) c << "    {" << literal(key) << ", " << literal(cells) << "},\n";
    c << "};\nconst std::size_t kBrailleSymbolCount = " << brailleSymbols.size() << ";\n\n}  // namespace reader::words\n";
    return h && c ? 0 : 1;
}
