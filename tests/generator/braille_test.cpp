// The document for an embosser: a sample lesson against its expected file, every kind of markup
// line, the layout of lines and pages, and failures with the page's messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generator/generator.h"
#include "reader/braille.h"
#include "tests/generator/test_support.h"

namespace {

using namespace pagegen;
using testing_support::ReadFile;
using testing_support::WriteFile;

const std::string kSamples = VELLOQ_BRAILLE_SAMPLES;

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

// Pages of 25 lines in CR LF, each ending in a form feed, no line longer than 40 cells, the
// last line of page k ending in k's number.
void expectEmbosserLayout(const std::string& brf) {
    ASSERT_FALSE(brf.empty());
    ASSERT_EQ(brf.back(), '\f');
    const std::vector<std::string> pages = split(brf.substr(0, brf.size() - 1), "\f");
    for (std::size_t p = 0; p < pages.size(); ++p) {
        std::vector<std::string> lines = split(pages[p], "\r\n");
        ASSERT_EQ(lines.back(), "") << "page " << p + 1;
        lines.pop_back();
        ASSERT_EQ(lines.size(), kBrailleLinesPerPage) << "page " << p + 1;
        for (const std::string& line : lines) EXPECT_LE(line.size(), kBrailleLineCells) << line;
        const std::string number = reader::BrailleToAscii(reader::BrailleNumber(static_cast<unsigned>(p + 1)));
        EXPECT_EQ(lines.back(), std::string(kBrailleLineCells - number.size(), ' ') + number);
    }
}

class Embosser : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
    testing_support::RecordingSink sink;
};

TEST_F(Embosser, LessonMatchesTheExpectedFile) {
    WriteFile("aula.vloq", ReadFile(kSamples + "/aula.vloq"));
    BrailleReport report;
    // The document's "Autor:" line names the author in place of the settings' one.
    const PageSettings settings{"", "Fulano de Tal", ""};
    GenerateBraille("aula.vloq", BrailleNameFor("aula.vloq", ".brf"), BrailleNameFor("aula.vloq", ".txt"), settings, &report);
    const std::string brf = ReadFile("aula.brf");
    EXPECT_EQ(brf, ReadFile(kSamples + "/aula.esperado.brf"));
    EXPECT_TRUE(report.uncovered.empty());
    expectEmbosserLayout(brf);
    // The Unicode file holds the same cells, lines ending in LF.
    std::string unicode = ReadFile("aula.txt");
    std::string asAscii;
    for (const std::string& page : split(unicode, "\f")) {
        if (!asAscii.empty()) asAscii += '\f';
        for (const std::string& line : split(page, "\n")) asAscii += reader::BrailleToAscii(line) + "\r\n";
        asAscii.resize(asAscii.size() - 2);
    }
    EXPECT_EQ(asAscii, brf);
    EXPECT_TRUE(sink.shown.empty());
}

// Links, images and forms give their text or what they are; labels, the ends of links and
// quotations give nothing; a sign without cells is marked and listed in a closing note.
TEST_F(Embosser, EveryKindOfMarkupLineGivesTextNeverMarkup) {
    WriteFile("linhas.vloq", ReadFile(kSamples + "/todas_as_linhas.vloq"));
    WriteFile("incluido.txt", "Texto <i>inclu\xED" "do</i>.\r\n");
    BrailleReport report;
    // The author comes from the settings, the contact from the document's "Contato:" line.
    GenerateBraille("linhas.vloq", "linhas.brf", "linhas.txt", PageSettings{"", "Fulano de Tal", "x@y.br"}, &report);
    const std::string brf = ReadFile("linhas.brf");
    expectEmbosserLayout(brf);
    // The first page starts with the title, the author and the contact, before the text.
    EXPECT_EQ(brf.substr(0, brf.find("\r\n\r\n")), ".TODAS AS LINHAS\r\n.AUTOR3 .FULANO DE .TAL\r\n.CONTATO3 MARIA:ESCOLA'EDU'BR");
    EXPECT_EQ(report.uncovered, std::vector<std::string>{"&"});
    for (const char* markup : {"HTTP", "EXEMPLO", "PNG", "PHP", "POST", "SEGREDO", "ROTULO", "<B>", "HREF", "&AMP"})
        EXPECT_EQ(brf.find(markup), std::string::npos) << markup;
    for (const char* shown : {"VEJA O SITE",                          // a link's text
                              ".FIGURA3 .UM TRI*NGULO RET*NGULO",     // an image's description
                              ".CAMPO3 .NOME", ".BOT>O3 .ENVIAR",     // a form's controls
                              ".FORMUL(RIO'", ".FIM DO FORMUL(RIO'",  //
                              "- .PRIMEIRO ITEM COM X*#B",            // a list item and its formula
                              ".TEXTO INCLU/DO'",                     // an include file, tags left out
                              "(#A #B\r\n#C #D)",                     // a matrix row by row
                              "A==&==B",                              // the marker and the typed sign
                              "TICO3 \"&"})                           // in the closing note
        EXPECT_NE(brf.find(shown), std::string::npos) << shown;
}

// The embosser's files fail as the page does: the same messages, nothing half written.
TEST_F(Embosser, FailuresGiveThePagesMessages) {
    auto pageMessage = [](const std::string& document, const std::string& page) {
        try {
            GeneratePage(document, page, PageSettings{});
        } catch (const FileError& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    auto brailleMessage = [](const std::string& document, const std::string& brf, const std::string& txt) {
        try {
            GenerateBraille(document, brf, txt, PageSettings{});
        } catch (const FileError& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(brailleMessage("falta.vloq", "falta.brf", "falta.txt"), pageMessage("falta.vloq", "falta.htm"));
    WriteFile("a.vloq", "texto\r\n");
    EXPECT_EQ(brailleMessage("a.vloq", "nada/a.brf", "a.txt"), pageMessage("a.vloq", "nada/a.brf"));
    EXPECT_EQ(brailleMessage("a.vloq", "a.vloq", "a.txt"), pageMessage("a.vloq", "a.vloq"));
    // A file that cannot be written leaves the other's old content as it was.
    WriteFile("a.brf", "antigo");
    EXPECT_NE(brailleMessage("a.vloq", "a.brf", "nada/a.txt"), "no failure");
    EXPECT_EQ(ReadFile("a.brf"), "antigo");
    EXPECT_FALSE(std::filesystem::exists("a.txt"));
}

TEST(EmbosserNames, BesideTheDocument) {
    EXPECT_EQ(BrailleNameFor("aula.vloq", ".brf"), "aula.brf");
    EXPECT_EQ(BrailleNameFor("pasta/Aula.VLOQ", ".txt"), "pasta/Aula.txt");
    EXPECT_EQ(BrailleNameFor("notas", ".brf"), "notas.brf");
}

}  // namespace
