// File errors: what the page holds afterwards, what is reported, and the command's exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "generator/run.h"
#include "generator/generator.h"
#include "platform/filelimits.h"
#include "tests/generator/test_support.h"

namespace {

using namespace pagegen;
using testing_support::ReadFile;
using testing_support::WriteFile;

class Failures : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
    testing_support::RecordingSink sink;
    void SetUp() override {
        testing_support::ResetGeneratorSettings();
        WriteFile("modelo.mdl", "<<<CABE\xC7" "ALHO>>>\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\nfim\r\n");
    }
    void TearDown() override { PageWriter::SetBufferLimit(1 << 20); }
};

TEST_F(Failures, MissingDocumentLeavesNoPage) {
    EXPECT_THROW(testing_support::Generate("falta.vloq", "falta.htm"), FileError);
    EXPECT_FALSE(std::filesystem::exists("falta.htm"));
    try {
        testing_support::Generate("falta.vloq", "falta.htm");
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("falta.vloq"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("inexistente"), std::string::npos);
    }
}

TEST_F(Failures, FolderAsDocumentLeavesAnExistingPageUntouched) {
    std::filesystem::create_directory("pasta.vloq");
    WriteFile("pasta.htm", "antiga");
    EXPECT_THROW(testing_support::Generate("pasta.vloq", "pasta.htm"), FileError);
    EXPECT_EQ(ReadFile("pasta.htm"), "antiga");
}

TEST_F(Failures, PageInMissingFolderThrows) {
    WriteFile("d.vloq", "x\r\n");
    EXPECT_THROW(testing_support::Generate("d.vloq", "nao/existe/d.htm"), FileError);
}

// Names that no file has: a folder, a name with a NUL (which must not open the file named by
// the bytes before it). The include is not found, the template is not present; the run goes on.
TEST_F(Failures, NamesOfNoFileAreNotFound) {
    std::filesystem::create_directory("inc");
    WriteFile("inc2", "dentro\r\n");
    using namespace std::string_literals;
    WriteFile("d.vloq", "MODELO: modelo.mdl\0x\r\n\r\nantes\r\n%inc\r\n%inc2\0zzz\r\ndepois\r\n"s);
    EXPECT_TRUE(testing_support::Generate("d.vloq", "d.htm"));
    EXPECT_EQ(ReadFile("d.htm"), "antes\r\ndepois\r\n");
    EXPECT_EQ(sink.shown,
              (std::vector<std::string>{
                  "Arquivo de modelos modelo.mdl\0x n\xC3\xA3o est\xC3\xA1 presente, transcri\xC3\xA7\xC3\xA3o incompleta"s,
                  "Arquivo de inclus\xC3\xA3o n\xC3\xA3o encontrado: \rinc",
                  "Arquivo de inclus\xC3\xA3o n\xC3\xA3o encontrado: \rinc2\0zzz"s}));
}

TEST_F(Failures, WriteFailureOnATextLineIsVqerrdsk) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    PageWriter::SetBufferLimit(1);
    WriteFile("d.vloq", "\r\ntexto\r\n");
    EXPECT_FALSE(testing_support::Generate("d.vloq", "/dev/full"));
    EXPECT_EQ(sink.shown, std::vector<std::string>{"VQERRDSK: Erro ao gravar o arquivo /dev/full: "
                                                   "n\xC3\xA3o h\xC3\xA1 espa\xC3\xA7o no disco"});
}

TEST_F(Failures, WriteFailureOnOtherLinesThrows) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    PageWriter::SetBufferLimit(1);
    for (const char* doc : {"\r\n{a.htm b}\r\n", "\r\n#r\r\n", "\r\n-----\r\n", "\r\n&FP x\r\n"}) {
        WriteFile("d.vloq", doc);
        EXPECT_THROW(testing_support::Generate("d.vloq", "/dev/full"), FileError) << doc;
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(Failures, FailureAtTheLastFlushIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    WriteFile("d.vloq", "\r\ntexto\r\n");
    EXPECT_THROW(testing_support::Generate("d.vloq", "/dev/full"), FileError);
}

// Every failed write to the page carries the disk-error code, whatever the page's size and
// wherever the write falls: shown by the run for a text line, thrown for the rest.
TEST_F(Failures, EveryWriteFailureCarriesTheCode) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string message =
        "VQERRDSK: Erro ao gravar o arquivo /dev/full: n\xC3\xA3o h\xC3\xA1 espa\xC3\xA7o no disco";
    const struct {
        const char* name;
        const char* document;
        size_t bufferLimit;
    } rows[] = {
        {"a small page, written only at the end", "\r\ntexto\r\n", 1 << 20},
        {"a text line", "\r\ntexto\r\n", 1},
        {"a link", "\r\n{a.htm b}\r\n", 1},
        {"a label", "\r\n#r\r\n", 1},
        {"a rule", "\r\n-----\r\n", 1},
        {"a form command", "\r\n&FP x\r\n", 1},
        {"the template's signature section", "\r\n", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sink.shown.clear();
        PageWriter::SetBufferLimit(row.bufferLimit);
        WriteFile("d.vloq", row.document);
        std::vector<std::string> reported;
        try {
            EXPECT_FALSE(testing_support::Generate("d.vloq", "/dev/full"));
            reported = sink.shown;
        } catch (const FileError& e) {
            EXPECT_TRUE(sink.shown.empty());
            reported = {e.what()};
        }
        EXPECT_EQ(reported, std::vector<std::string>{message});
    }
}

// The command line: exit status and messages.
struct CommandResult {
    int status;
    std::string output;
};

CommandResult runCommand(const std::string& arguments) {
    const std::string command = std::string(VELLOQ_GERAR) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) output.append(buf, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST_F(Failures, CommandExitStatus) {
    WriteFile("modeloMat.mdl", "<<<CABE\xC7" "ALHO>>>\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\n<<<FIM>>>\r\n");
    WriteFile("c.vloq", "MODELO: outro.mdl\r\n\r\nx\r\n");
    WriteFile("a.vloq", "\r\nx\r\n");
    WriteFile("b.VLOQ", "\r\n%nada\r\n");
    // An include one byte past the bound, sparse: it takes no room on the disk.
    WriteFile("e.vloq", "\r\nantes\r\n%enorme.txt\r\ndepois\r\n");
    WriteFile("enorme.txt", "");
    std::filesystem::resize_file("enorme.txt", static_cast<std::uintmax_t>(filelimits::kMaxTextFileBytes) + 1);
    struct Row {
        std::string arguments;
        int status;
        std::string outputHas;
    } const rows[] = {
        {"a.vloq", 0, ""},
        {"b.VLOQ", 4, "Arquivo de inclus\xC3\xA3o n\xC3\xA3o encontrado: \nnada"},
        {"e.vloq", 4, "n\xC3\xA3o inclu\xC3\xAD" "do: \nenorme.txt"},
        {"a.vloq b.VLOQ", 4, "nada"},
        {"b.VLOQ c.vloq", 3, "outro.mdl"},
        {"c.vloq e.vloq", 3, "enorme.txt"},
        {"b.VLOQ falta.vloq", 1, "falta.vloq"},
        {"falta.vloq", 1, "falta.vloq"},
        {"a.vloq falta.vloq", 1, "falta.vloq"},
        {"c.vloq", 3, "Arquivo de modelos outro.mdl n\xC3\xA3o est\xC3\xA1 presente"},
        {"c.vloq falta.vloq", 1, "falta.vloq"},
        {"-o a.vloq a.vloq", 2, "seria gravada sobre o documento a.vloq"},
        {"", 2, "Uso:"},
        {"-o", 2, "Uso:"},
        {"-o x.htm a.vloq b.VLOQ", 2, "Uso:"},
        {"--desconhecida a.vloq", 2, "Uso:"},
        {"--help", 0, "velloq-gerar DOCUMENTO"},
        {"--help", 0, "  3  o modelo falta ou est\xC3\xA1 danificado"},
        {"--help", 0, "  4  um arquivo de inclus\xC3\xA3o falta ou passa do limite"},
    };
    for (const auto& row : rows) {
        const CommandResult r = runCommand(row.arguments);
        EXPECT_EQ(r.status, row.status) << row.arguments << "\n" << r.output;
        EXPECT_NE(r.output.find(row.outputHas), std::string::npos) << row.arguments << "\n" << r.output;
    }
    EXPECT_EQ(ReadFile("a.htm"), "x\r\n");
    EXPECT_TRUE(std::filesystem::exists("b.htm"));
    EXPECT_EQ(ReadFile("e.htm"), "antes\r\ndepois\r\n");
}

TEST_F(Failures, CommandNamesThePageAndReadsTheFolderSettings) {
    WriteFile("velloq.ini", "[velloq]\r\nARQMODELO=meu.mdl\r\nautor = \"Ana Lima\"\r\n");
    WriteFile("meu.mdl", "<<<CABE\xC7" "ALHO>>>\r\n[AUTOR]|[CONTATO]\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\n");
    WriteFile("a.vloq", "\r\nx\r\n");
    EXPECT_EQ(runCommand("-o pagina.html a.vloq").status, 0);
    EXPECT_EQ(ReadFile("pagina.html"), "Ana Lima|fulano@exemplo.com.br\r\nx\r\n");
}

}  // namespace

namespace {

TEST_F(Failures, DevicesAndPipesAreNotRead) {
    testing_support::WriteFile("d.vloq", "MODELO: /dev/zero\r\n\r\nx\r\n");
    EXPECT_TRUE(testing_support::Generate("d.vloq", "d.htm"));
    EXPECT_EQ(testing_support::ReadFile("d.htm"), "x\r\n");
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_NE(sink.shown[0].find("/dev/zero"), std::string::npos);

    ASSERT_EQ(::mkfifo("cano", 0600), 0);
    testing_support::WriteFile("d.vloq", "\r\n%cano\r\n");
    EXPECT_THROW(testing_support::Generate("d.vloq", "d.htm"), pagegen::FileError);
    EXPECT_THROW(testing_support::Generate("/dev/zero", "z.htm"), pagegen::FileError);
}

}  // namespace
