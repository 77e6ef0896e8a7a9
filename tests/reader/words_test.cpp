// The word tables of reader/words/: their loader refuses what a reviewer could not see or mean,
// every phrase, role and letter that a rule names is in them, and none of their rows is unused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "reader/reader.h"
#include "reader/symbols.h"
#include "reader/words/table.h"

namespace {

using reader::words::Row;

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<Row> table(const std::string& name, std::size_t minFields, std::size_t maxFields) {
    std::vector<Row> rows;
    std::string error;
    EXPECT_TRUE(reader::words::ParseTable(fileText(std::string(READER_SOURCE_DIR) + "/words/" + name), minFields,
                                          maxFields, rows, error))
        << name << ": " << error;
    return rows;
}

// Every name that the reader's sources write after `prefix` ("P::", "Role::").
std::set<std::string> namesInSources(const std::string& prefix) {
    std::set<std::string> names;
    const std::regex name(prefix + "([A-Za-z_][A-Za-z0-9_]*)");
    for (const auto& entry : std::filesystem::directory_iterator(READER_SOURCE_DIR)) {
        const auto ext = entry.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        const std::string text = fileText(entry.path());
        for (std::sregex_iterator m(text.begin(), text.end(), name), end; m != end; ++m) names.insert((*m)[1]);
    }
    return names;
}

TEST(WordTables, TheLoaderRefusesMalformedRows) {
    struct Case {
        const char* name;
        std::string text;
        bool ok;
        std::size_t rows;
        std::string error;
    } cases[] = {
        {"two fields", "a\tb\n", true, 1, ""},
        {"comments and blank lines", "# nota\n\na\tb\n#\tc\n", true, 1, ""},
        {"CR LF line ends", "a\tb\r\nc\td\r\n", true, 2, ""},
        {"no line end at the end", "a\tb", true, 1, ""},
        {"a quoted spelling ending in a blank", "\"\\ \"\tb\n", true, 1, ""},
        {"an empty second field", "a\t\n", true, 1, ""},
        {"one field", "a\tb\nc\n", false, 1, "line 2: 1 fields where 2 belong"},
        {"three fields", "a\tb\tc\n", false, 0, "line 1: 3 fields where 2 belong"},
        {"an empty first field", "\tb\n", false, 0, "line 1: an empty first field"},
        {"a trailing blank", "a\tb \n", false, 0, "line 1: a blank at the end of a field"},
        {"a leading blank", " a\tb\n", false, 0, "line 1: a blank at the end of a field"},
        {"a control character", "a\tb\x01\n", false, 0, "line 1: a control character"},
        {"a lone CR inside", "a\tb\rc\n", false, 0, "line 1: a control character"},
        {"a NUL byte", std::string("a\tb\0c\n", 6), false, 0, "line 1: a control character"},
        {"Windows-1252 bytes", "a\tn\xBA\n", false, 0, "line 1: bytes that are not UTF-8"},
        {"an overlong encoding", "a\t\xC0\xAF\n", false, 0, "line 1: bytes that are not UTF-8"},
        {"a cut character at the end", "a\t\xC3", false, 0, "line 1: bytes that are not UTF-8"},
        {"a surrogate", "a\t\xED\xA0\x80\n", false, 0, "line 1: bytes that are not UTF-8"},
    };
    for (const Case& c : cases) {
        std::vector<Row> rows;
        std::string error;
        EXPECT_EQ(reader::words::ParseTable(c.text, 2, 2, rows, error), c.ok) << c.name;
        EXPECT_EQ(rows.size(), c.rows) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
    std::vector<Row> rows;
    std::string error;
    ASSERT_TRUE(reader::words::ParseTable("\"\\ \"\tb\n", 2, 2, rows, error));
    EXPECT_EQ(rows[0].fields[0], "\\ ");
}

// Each phrase of frases.tsv is said by some rule, and each letter role of letras.tsv taken by
// one; a phrase or role that a rule names and the tables lack does not compile.
TEST(WordTables, EveryPhraseAndLetterRoleIsUsedByARule) {
    const std::set<std::string> phrases = namesInSources("\\bP::"), more = namesInSources("\\bPhrase::");
    for (const Row& r : table("frases.tsv", 2, 2))
        EXPECT_TRUE(phrases.count(r.fields[0]) || more.count(r.fields[0])) << "frases.tsv line " << r.line << ": " << r.fields[0];
    const std::set<std::string> roles = namesInSources("\\bLetterRole::");
    for (const Row& r : table("letras.tsv", 2, 2))
        EXPECT_TRUE(roles.count(r.fields[0])) << "letras.tsv line " << r.line << ": " << r.fields[0];
}

// Every role that a rule names is given to some symbol or character of the tables, so that no
// rule waits for a sign that nothing spells.
TEST(WordTables, EveryRoleNamedByARuleIsInTheTables) {
    std::set<std::string> given;
    for (const char* name : {"simbolos.tsv", "caracteres.tsv"})
        for (const Row& r : table(name, 4, 5)) given.insert(r.fields[3]);
    for (const std::string& role : namesInSources("\\bRole::")) {
        if (role == "None" || role == "Escaped") continue;  // no symbol: the absence of a role, "\^"
        EXPECT_TRUE(given.count(role)) << role;
    }
}

// No row is shadowed: each spelling, character and alias finds its own row; each unit reads
// as its row says; each accent has its words; each letter name and abbreviation is said.
TEST(WordTables, NoRowIsUnused) {
    std::set<std::string> accents;
    for (const Row& r : table("acentos.tsv", 3, 3)) accents.insert(r.fields[0]);
    for (const Row& r : table("simbolos.tsv", 4, 5)) {
        const bool beforeParen = r.fields.size() == 5 && r.fields[4].find("antes_de_parentese") != std::string::npos;
        const reader::Symbol* s = reader::MatchSymbol(r.fields[0] + (beforeParen ? "(" : ""));
        ASSERT_NE(s, nullptr) << "simbolos.tsv line " << r.line;
        EXPECT_EQ(s->input, r.fields[0]) << "simbolos.tsv line " << r.line;
        EXPECT_EQ(reader::IsPostfixAccent(s->role), accents.count(r.fields[0]) == 1)
            << "simbolos.tsv line " << r.line << ": an accent has its words in acentos.tsv, and only an accent";
    }
    for (const char* name : {"caracteres.tsv", "equivalentes.tsv"}) {
        for (const Row& r : table(name, 2, 4)) {
            char32_t cp = 0;
            const std::string& c = r.fields[0];
            const auto b = static_cast<unsigned char>(c[0]);
            cp = b < 0x80 ? b : b < 0xE0 ? (b & 0x1F) : b < 0xF0 ? (b & 0x0F) : (b & 0x07);
            for (std::size_t k = 1; k < c.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(c[k]) & 0x3F);
            const reader::Symbol* s = reader::CharacterSymbol(cp);
            ASSERT_NE(s, nullptr) << name << " line " << r.line;
            EXPECT_EQ(s->input, r.fields.size() == 2 ? r.fields[1] : r.fields[0]) << name << " line " << r.line;
        }
    }
    std::string prefixable;
    for (const Row& r : table("unidades.tsv", 4, 5)) {
        for (const bool plural : {false, true}) {
            const reader::UnitMatch u = reader::MatchUnit(r.fields[0], plural);
            EXPECT_EQ(u.length, r.fields[0].size()) << "unidades.tsv line " << r.line;
            EXPECT_EQ(u.words, r.fields[plural ? 2 : 1]) << "unidades.tsv line " << r.line;
        }
        if (r.fields.size() == 5 && r.fields[4].find("prefixos") != std::string::npos) prefixable = r.fields[0];
    }
    for (const Row& r : table("prefixos.tsv", 2, 2)) {
        const reader::UnitMatch u = reader::MatchUnit(r.fields[0] + prefixable, false);
        EXPECT_EQ(u.length, r.fields[0].size() + prefixable.size()) << "prefixos.tsv line " << r.line;
        EXPECT_TRUE(u.words.starts_with(r.fields[1])) << "prefixos.tsv line " << r.line << ": " << u.words;
    }
    for (const Row& r : table("nomes_de_letras.tsv", 2, 2)) {
        EXPECT_EQ(reader::ReadFormula(r.fields[0] + " + 1").substr(0, r.fields[1].size()), r.fields[1])
            << "nomes_de_letras.tsv line " << r.line;
        EXPECT_EQ(reader::ReadFormula(r.fields[0]), r.fields[0]) << "nomes_de_letras.tsv line " << r.line;
    }
    for (const Row& r : table("abreviaturas.tsv", 2, 2))
        EXPECT_EQ(reader::ReadFormula("text(" + r.fields[0] + " 5)"), r.fields[1] + " 5") << "abreviaturas.tsv line " << r.line;
}

}  // namespace
