// The field rules of the line handlers, one table per rule.
#include <gtest/gtest.h>

#include "generator/run.h"
#include "generator/generator.h"
#include "tests/generator/test_support.h"

namespace {

using namespace pagegen;

TEST(NextField, TakesFieldsInTurn) {
    struct Row {
        std::string line;
        std::vector<std::string> fields;
    };
    const Row rows[] = {
        {"a b c", {"a", "b", "c", ""}},
        {"  a   b  ", {"a", "b", ""}},
        {"\"dois nomes\" x", {"dois nomes", "x", ""}},
        {"\"\" x", {"", "x", ""}},
        {"\"sem fim", {"sem fim", ""}},
        {"a\"b c", {"a\"b", "c", ""}},
        {"\"a\"b c", {"a", "b", "c", ""}},
        {"\ta\tb", {"a\tb", ""}},
        {"", {""}},
    };
    for (const auto& row : rows) {
        std::string_view rest = row.line;
        for (const auto& expected : row.fields) EXPECT_EQ(NextField(rest), expected) << row.line;
        EXPECT_EQ(rest, "") << row.line;
    }
}

TEST(NextField, UnclosedQuoteStopsAt998Characters) {
    const std::string line = "\"" + std::string(2000, 'x');
    std::string_view rest = line;
    EXPECT_EQ(NextField(rest).size(), 998u);
}

TEST(SplitLink, Fields) {
    struct Row {
        std::string line, target;
        bool newWindow;
        std::string text, after;
    };
    const Row rows[] = {
        {"{capitulo2.htm Veja o cap}", "capitulo2.htm", false, "Veja o cap}", ""},
        {"{*pagina.htm Abrir}", "pagina.htm", true, "Abrir}", ""},
        {"{#topo Voltar}, e continue", "#topo", false, "Voltar}", ", e continue"},
        {"{pagina.htm}", "pagina.htm}", false, "", ""},
        {"{pagina.htm", "pagina.htm", false, "", ""},
        {"{a}b c", "a}b", false, "", "b c"},
        {"{", "", false, "", ""},
        {"{*", "", true, "", ""},
        {"{ texto}", "", false, "texto}", ""},
    };
    for (const auto& row : rows) {
        const LinkFields f = SplitLink(row.line);
        EXPECT_EQ(f.target, row.target) << row.line;
        EXPECT_EQ(f.newWindow, row.newWindow) << row.line;
        EXPECT_EQ(f.text, row.text) << row.line;
        EXPECT_EQ(f.after, row.after) << row.line;
    }
}

TEST(SplitLink, TextAndAfterAreCutAt999) {
    const LinkFields f = SplitLink("{x " + std::string(1500, 't') + "}" + std::string(1500, 'a'));
    EXPECT_EQ(f.text.size(), 999u);
    EXPECT_EQ(f.after.size(), 999u);
}

TEST(SplitImage, Fields) {
    struct Row {
        std::string line;
        bool centred;
        std::string file, comment;
    };
    const Row rows[] = {
        {"$grafico.jpg Gráfico$", true, "grafico.jpg", "Gráfico$"},
        {"$*foto.jpg Uma foto$", false, "foto.jpg", "Uma foto$"},
        {"$foto.jpg$", true, "foto.jpg", ""},
        {"$foto.jpg $", true, "foto.jpg", "$"},
        {"$", true, "", ""},
        {"$*", false, "", ""},
        {"$a", true, "", ""},
        {"$ só comentário", true, "", "só comentário"},
    };
    for (const auto& row : rows) {
        const ImageFields f = SplitImage(row.line);
        EXPECT_EQ(f.centred, row.centred) << row.line;
        EXPECT_EQ(f.file, row.file) << row.line;
        EXPECT_EQ(f.comment, row.comment) << row.line;
    }
}

TEST(LeadingNumber, Forms) {
    const std::pair<std::string, int> rows[] = {
        {"3", 3}, {"3 colunas", 3}, {"+4x", 4}, {"-2", -2}, {"abc", 0}, {"", 0},
        {"007", 7}, {"99999999999999999999", 2147483647}, {"-", 0}, {" 3", 0},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(LeadingNumber(text), value) << text;
}

TEST(TranslateAccents, Examples) {
    const std::pair<std::string, std::string> rows[] = {
        {"Fun\xE7\xE3o", "Fun&ccedil;&atilde;o"},
        {"\xC1GUA", "&Aacute;GUA"},
        {"freq\xFC\xEAncia", "freq&uuml;&ecirc;ncia"},
        {"&eacute; <b>", "&eacute; <b>"},
        {"\xD2\xF1\xBA\xAA\xB0\xB2\x7F", "\xD2\xF1\xBA\xAA\xB0\xB2\x7F"},
        {"", ""},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(TranslateAccents(in), out);
}

TEST(TranslateAccents, TableHasExactly27Letters) {
    int entries = 0;
    for (int b = 0; b < 256; ++b)
        if (AccentEntity(static_cast<unsigned char>(b))) ++entries;
    EXPECT_EQ(entries, 27);
    EXPECT_STREQ(AccentEntity(0xF2), "&ograve;");
    EXPECT_EQ(AccentEntity(0xD2), nullptr);  // no entry for the capital
}

TEST(PageNameFor, Rule) {
    const std::pair<std::string, std::string> rows[] = {
        {"aula.vloq", "aula.htm"}, {"AULA.VLOQ", "AULA.htm"}, {"a.VlOq", "a.htm"},
        {"aula.txt", "aula.txt.htm"}, {"aula", "aula.htm"}, {".vloq", ".htm"},
        {"vloq", "vloq.htm"}, {"/pasta/x.vloq", "/pasta/x.htm"},
    };
    for (const auto& [doc, page] : rows) EXPECT_EQ(PageNameFor(doc), page) << doc;
}

TEST(UpperAnsi, AccentedLetters) {
    EXPECT_EQ(UpperAnsi("t\xEDtulo: \xE7\xF7\xFF"), "T\xCDTULO: \xC7\xF7\x9F");
    EXPECT_EQ(UpperAscii("t\xEDtulo"), "T\xEDTULO");
}

class StateAcrossRuns : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
    testing_support::RecordingSink sink;
    void SetUp() override { testing_support::ResetGeneratorSettings(); }
    std::string generate(const std::string& document) {
        testing_support::WriteFile("d.vloq", document);
        EXPECT_TRUE(testing_support::Generate("d.vloq", "d.htm"));
        return testing_support::ReadFile("d.htm");
    }
};

TEST_F(StateAcrossRuns, ModeloLineChangesTheTemplateForLaterRuns) {
    testing_support::WriteFile("outro.mdl", "<<<CABE\xC7" "ALHO>>>\r\nOUTRO\r\n");
    EXPECT_EQ(generate("Modelo: outro.mdl\r\n\r\nx\r\n"), "OUTRO\r\nx\r\n");
    EXPECT_EQ(testing_support::GeneratorSettings().templateFile, "outro.mdl");
    EXPECT_EQ(generate("\r\ny\r\n"), "OUTRO\r\ny\r\n");
}

TEST_F(StateAcrossRuns, EmptyTemplateNameFallsBackOnTheDefault) {
    testing_support::GeneratorSettings().templateFile.clear();
    testing_support::WriteFile("modeloMat.mdl", "<<<ASSINATURA>>>\r\nFIM\r\n");
    EXPECT_EQ(generate("\r\nx\r\n"), "x\r\nFIM\r\n");
    EXPECT_EQ(testing_support::GeneratorSettings().templateFile, "modeloMat.mdl");
}

TEST_F(StateAcrossRuns, TemplateWarningShowsOncePerRun) {
    testing_support::GeneratorSettings().templateFile = "falta.mdl";
    generate("\r\n*a\r\n");
    generate("\r\n*b\r\n");
    EXPECT_EQ(sink.shown.size(), 2u);
}

TEST_F(StateAcrossRuns, TableCountersSurviveButTableModeDoesNot) {
    testing_support::WriteFile("modelo.mdl", "");
    generate("\r\n@2\r\na\r\n");  // left open mid-row
    // A new run starts outside any table: the plain line is text, not a cell.
    EXPECT_EQ(generate("\r\nb\r\n"), "b\r\n");
}

TEST_F(StateAcrossRuns, HeaderValuesAreCutAt999Characters) {
    testing_support::WriteFile("modelo.mdl", "<<<CABE\xC7" "ALHO>>>\r\n[T\xCDTULO]\r\n");
    const std::string page = generate("T\xCDTULO: " + std::string(1200, 'x') + "\r\n");
    EXPECT_EQ(page, std::string(998, 'x') + "\r\n");  // characters 8 on: a blank then 998
}

}  // namespace
