// Hostile files for the generator and the settings layer: pages that are the files a run reads,
// full disks, folders that take no new file, pipes, devices, links, huge and unreadable files.
// Each row sets the scene in a scratch folder, acts, and says what must hold afterwards.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "generator/run.h"
#include "generator/generator.h"
#include "platform/filelimits.h"
#include "platform/profile.h"
#include "tests/generator/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;
namespace fs = std::filesystem;

constexpr const char* kTemplate = "<<<CABE\xC7" "ALHO>>>\r\nH\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\nS\r\n";

// The names in a folder, hidden ones included: a row that fails must leave no new file.
std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// Runs body where the superuser's rights would hide the fault: as an ordinary user in a child
// process when this one is the superuser. The child's exit status is body's result.
int withoutPrivileges(const std::function<int()>& body) {
    if (::geteuid() != 0) return body();
    ::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

// A small memory-backed file system, where the machine lets the tests mount one.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, const char* size) : folder_(folder) {
        fs::create_directory(folder);
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

struct Outcome {
    bool whole = false;
    std::string error;  // what() of a FileError, empty when none was thrown
    bool refused = false;
};

// A sparse file of that many bytes: a huge file that costs no disk space.
void writeSparse(const char* name, std::int64_t bytes) {
    std::FILE* f = std::fopen(name, "w");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(::ftruncate(::fileno(f), static_cast<off_t>(bytes)), 0);
    std::fclose(f);
}

Outcome generate(const std::string& document, const std::string& page, pagegen::PageReport* report = nullptr) {
    Outcome o;
    try {
        o.whole = testing_support::Generate(document, page, report);
    } catch (const pagegen::PageIsInputError& e) {
        o.error = e.what();
        o.refused = true;
    } catch (const pagegen::FileError& e) {
        o.error = e.what();
    }
    return o;
}

class Hostile : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
    testing_support::RecordingSink sink;
    void SetUp() override {
        testing_support::ResetGeneratorSettings();
        WriteFile("modelo.mdl", kTemplate);
        WriteFile("aula.vloq", "\r\ntexto\r\n%inc.htm\r\n");
        WriteFile("inc.htm", "<b>incluido</b>\r\n");
        WriteFile("aula.htm", "pagina antiga\r\n");
    }
    void TearDown() override {
        pagegen::PageWriter::SetBufferLimit(1 << 20);
        pagegen::LineReader::SetLineLimit(pagegen::LineReader::kMaxLine);
    }
};

struct Row {
    const char* name;
    std::function<void()> scene;
    std::function<void()> actAndCheck;
};

TEST_F(Hostile, Generator) {
    const std::string page = "pagina antiga\r\n";
    const std::string refusal = "seria gravada sobre ";
    const Row rows[] = {
        {"the page is the document", [] {},
         [&] {
             const Outcome o = generate("aula.vloq", "aula.vloq");
             EXPECT_TRUE(o.refused);
             EXPECT_EQ(o.error, "A p\xC3\xA1gina aula.vloq seria gravada sobre o documento aula.vloq, que a gera; nada foi gravado");
             EXPECT_EQ(ReadFile("aula.vloq"), "\r\ntexto\r\n%inc.htm\r\n");
         }},
        {"the page is a hard link of the document", [] { fs::create_hard_link("aula.vloq", "dura.htm"); },
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "dura.htm").refused);
             EXPECT_EQ(ReadFile("dura.htm"), "\r\ntexto\r\n%inc.htm\r\n");
         }},
        {"the page is a symbolic link to the document", [] { fs::create_symlink("aula.vloq", "link.htm"); },
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "link.htm").refused);
             EXPECT_EQ(ReadFile("aula.vloq"), "\r\ntexto\r\n%inc.htm\r\n");
         }},
        {"the page is an include file", [] {},
         [&] {
             const Outcome o = generate("aula.vloq", "inc.htm");
             EXPECT_TRUE(o.refused);
             EXPECT_NE(o.error.find(refusal + "o arquivo de inclus\xC3\xA3o inc.htm"), std::string::npos) << o.error;
             EXPECT_EQ(ReadFile("inc.htm"), "<b>incluido</b>\r\n");
         }},
        {"the page is the template", [] {},
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "modelo.mdl").refused);
             EXPECT_EQ(ReadFile("modelo.mdl"), kTemplate);
         }},
        {"a failure after the start keeps the old page", [] { ASSERT_EQ(::mkfifo("cano", 0600), 0); },
         [&] {
             WriteFile("aula.vloq", "\r\ntexto\r\n%cano\r\n");
             EXPECT_NE(generate("aula.vloq", "aula.htm").error.find("cano"), std::string::npos);
             EXPECT_EQ(ReadFile("aula.htm"), page);
         }},
        {"a page through a link replaces the file it names; the link stays",
         [] {
             fs::create_directory("destino");
             WriteFile("destino/real.htm", "velha");
             fs::create_symlink("destino/real.htm", "atalho.htm");
         },
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "atalho.htm").whole);
             EXPECT_TRUE(fs::is_symlink("atalho.htm"));
             EXPECT_EQ(ReadFile("destino/real.htm"), "H\r\ntexto\r\n<b>incluido</b>\r\nS\r\n");
         }},
        {"a page keeps its permission bits", [] { ::chmod("aula.htm", 0640); },
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(fs::status("aula.htm").permissions(), fs::perms(0640));
         }},
        {"a pipe as page that nobody reads ends the run, no hang", [] { ASSERT_EQ(::mkfifo("p.htm", 0600), 0); },
         [&] { EXPECT_NE(generate("aula.vloq", "p.htm").error.find("p.htm"), std::string::npos); }},
        {"a line past the limit ends the run naming the document",
         [] { WriteFile("longa.vloq", "\r\n" + std::string(5000, 'x')); },
         [&] {
             pagegen::LineReader::SetLineLimit(1000);
             EXPECT_EQ(generate("longa.vloq", "aula.htm").error,
                       "Erro ao ler o arquivo longa.vloq: uma linha \xC3\xA9 longa demais");
             EXPECT_EQ(ReadFile("aula.htm"), page);
         }},
        {"an include with a line past the limit passes whole",
         [] { WriteFile("inc.htm", "\xE9" + std::string(300000, 'y') + "\r"); },
         [&] {
             pagegen::LineReader::SetLineLimit(1000);
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(ReadFile("aula.htm"), "H\r\ntexto\r\n&eacute;" + std::string(300000, 'y') + "\r\nS\r\n");
         }},
        {"a UTF-8 include whose one line spans many pieces keeps every character",
         [] {
             std::string line = "\xC3\xA9";
             for (int i = 0; i < 50000; ++i) line += "\xC3\xA7\xC3\xA3o\xE2\x89\xA4";  // "ção≤"
             WriteFile("inc.htm", line + "\r\n");
         },
         [&] {
             std::string expected = "H\r\ntexto\r\n&eacute;";
             for (int i = 0; i < 50000; ++i) expected += "&ccedil;&atilde;o&#8804;";
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(ReadFile("aula.htm"), expected + "\r\nS\r\n");
         }},
        {"a folder that takes no new file: the writable page is written in place",
         [] {
             fs::create_directory("fixa");
             WriteFile("fixa/aula.htm", "velha");
             ::chmod("fixa/aula.htm", 0666);
             ::chmod("fixa", 0555);
             ::chmod(".", 0755);
             ::chmod("aula.vloq", 0644);
             ::chmod("inc.htm", 0644);
             ::chmod("modelo.mdl", 0644);
         },
         [&] {
             EXPECT_EQ(withoutPrivileges([] { return generate("aula.vloq", "fixa/aula.htm").whole ? 0 : 1; }), 0);
             EXPECT_EQ(ReadFile("fixa/aula.htm"), "H\r\ntexto\r\n<b>incluido</b>\r\nS\r\n");
             EXPECT_EQ(namesIn("fixa"), std::set<std::string>{"aula.htm"});
             ::chmod("fixa", 0755);
         }},
        {"a read-only page stays", [] { ::chmod("aula.htm", 0444); },
         [&] {
             EXPECT_EQ(withoutPrivileges([] { return generate("aula.vloq", "aula.htm").error.empty() ? 0 : 1; }), 1);
             EXPECT_EQ(ReadFile("aula.htm"), page);
         }},
        {"a byte-order mark before the document's header is no text",
         [] {
             WriteFile("modelo.mdl", "\xEF\xBB\xBF<<<CABE\xC3\x87" "ALHO>>>\r\n<title>[T\xC3\x8DTULO]</title>\r\n");
             WriteFile("aula.vloq", "\xEF\xBB\xBFT\xC3\xADtulo: Fra\xC3\xA7\xC3\xB5" "es\r\n\r\ntexto\r\n");
         },
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(ReadFile("aula.htm"), "<title>Fra&ccedil;&otilde;es</title>\r\ntexto\r\n");
         }},
        {"a byte-order mark before Windows-1252 text is no text either",
         [] {
             WriteFile("modelo.mdl", "<<<CABE\xC7" "ALHO>>>\r\n[T\xCDTULO]\r\n");
             WriteFile("aula.vloq", "\xEF\xBB\xBF" "Fra\xE7\xF5" "es\r\n%inc.htm\r\n");
         },
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(ReadFile("aula.htm"), "Fra&ccedil;&otilde;es\r\n<b>incluido</b>\r\n");
         }},
        {"a byte-order mark before an include file is no text",
         [] { WriteFile("inc.htm", "\xEF\xBB\xBF<b>inclu\xC3\xAD" "do</b>\r\n"); },
         [&] {
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(ReadFile("aula.htm"), "H\r\ntexto\r\n<b>inclu&iacute;do</b>\r\nS\r\n");
         }},
        {"a byte-order mark before the template keeps its first marker",
         [] { WriteFile("modelo.mdl", "\xEF\xBB\xBF<<<CABE\xC3\x87" "ALHO>>>\r\nH\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\nS\r\n"); },
         [&] {
             sink.shown.clear();
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(ReadFile("aula.htm"), "H\r\ntexto\r\n<b>incluido</b>\r\nS\r\n");
             EXPECT_TRUE(sink.shown.empty());
         }},
        {"an include file past the bound is left out with a message; the page is whole",
         [] { writeSparse("inc.htm", filelimits::kMaxTextFileBytes + 1); },
         [&] {
             sink.shown.clear();
             EXPECT_TRUE(generate("aula.vloq", "aula.htm").whole);
             EXPECT_EQ(ReadFile("aula.htm"), "H\r\ntexto\r\nS\r\n");
             EXPECT_EQ(sink.shown, std::vector<std::string>{"Arquivo de inclus\xC3\xA3o maior que o limite de 256 MB, "
                                                            "n\xC3\xA3o inclu\xC3\xAD" "do: \rinc.htm"});
         }},
        {"a template past the bound is left out with a message; the body is whole",
         [] { writeSparse("modelo.mdl", filelimits::kMaxTextFileBytes + 1); },
         [&] {
             sink.shown.clear();
             pagegen::PageReport report;
             EXPECT_TRUE(generate("aula.vloq", "aula.htm", &report).whole);
             EXPECT_TRUE(report.templateIncomplete);
             EXPECT_EQ(ReadFile("aula.htm"), "texto\r\n<b>incluido</b>\r\n");
             EXPECT_EQ(sink.shown, std::vector<std::string>{"Arquivo de modelos modelo.mdl \xC3\xA9 maior que o limite "
                                                            "de 256 MB, transcri\xC3\xA7\xC3\xA3o incompleta"});
         }},
        {"a document past the bound ends the run naming it and the bound; the old page stays",
         [] { writeSparse("enorme.vloq", filelimits::kMaxTextFileBytes + 1); },
         [&] {
             EXPECT_EQ(generate("enorme.vloq", "aula.htm").error,
                       "Erro ao abrir o arquivo enorme.vloq: \xC3\xA9 maior que o limite de 256 MB");
             EXPECT_EQ(ReadFile("aula.htm"), page);
         }},
    };
    ::chmod(folder.path().c_str(), 0755);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::ScratchFolder scene;
        ::chmod(".", 0755);
        SetUp();
        row.scene();
        const auto before = namesIn(".");
        row.actAndCheck();
        // No temporary file is left behind, whatever the outcome.
        EXPECT_EQ(namesIn("."), before);
        TearDown();
    }
}

// A full disk, whatever the page's size: the failure carries VQERRDSK, the file and the reason;
// the old page stays byte for byte and nothing else is left on the disk. A page of over a
// megabyte fails on a text line and the run reports it; a small one fails at its one write, at
// the end of the run, and the run throws it.
TEST_F(Hostile, FullDiskKeepsTheOldPage) {
    struct {
        const char* name;
        std::size_t documentBytes;
        bool fillTheDisk;
        bool thrown;  // else reported through the message seam
    } const rows[] = {
        {"a page of over a megabyte", 2u << 20, false, false},
        {"a page under the write buffer", 100, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::ScratchFolder scene;
        SetUp();
        sink.shown.clear();
        SmallDisk disk("disco", "256k");
        if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
        std::string doc = "\r\n";
        while (doc.size() < row.documentBytes) doc += "uma linha de texto comum, sem nada de especial\r\n";
        WriteFile("grande.vloq", doc);
        WriteFile("disco/aula.htm", "pagina antiga\r\n");
        if (row.fillTheDisk) {
            std::FILE* filler = std::fopen("disco/cheio", "w");
            ASSERT_NE(filler, nullptr);
            const std::string block(4096, 'x');
            while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
            }
            std::fclose(filler);
        }
        const auto before = namesIn("disco");
        const Outcome o = generate("grande.vloq", "disco/aula.htm");
        EXPECT_FALSE(o.whole);
        EXPECT_EQ(!o.error.empty(), row.thrown);
        const std::vector<std::string> reported = o.error.empty() ? sink.shown : std::vector<std::string>{o.error};
        EXPECT_EQ(reported, std::vector<std::string>{"VQERRDSK: Erro ao gravar o arquivo disco/aula.htm: "
                                                     "n\xC3\xA3o h\xC3\xA1 espa\xC3\xA7o no disco"});
        EXPECT_EQ(ReadFile("disco/aula.htm"), "pagina antiga\r\n");
        EXPECT_EQ(namesIn("disco"), before);
    }
}

// Memory follows the longest line, not the file: a sparse include of 256 MB without a line end
// goes to the page with the process growing by far less than its size.
TEST_F(Hostile, HugeIncludePassesInBoundedMemory) {
    {
        std::FILE* f = std::fopen("enorme.inc", "w");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(::ftruncate(::fileno(f), off_t{256} << 20), 0);
        std::fclose(f);
    }
    WriteFile("aula.vloq", "\r\n%enorme.inc\r\n");
    ::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const bool whole = testing_support::Generate("aula.vloq", "/dev/null");
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        ::_exit(whole && after.ru_maxrss - before.ru_maxrss < 64 * 1024 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(Hostile, Settings) {
    const std::string kept = "[VELLOQ]\r\nAUTOR=Ana\r\nCONTATO=ana@escola.br\r\n";
    auto read = [](const char* file) { return profile::ReadString(file, "VELLOQ", "AUTOR", "padrao"); };
    const Row rows[] = {
        {"a pipe is empty and stays a pipe", [] { ASSERT_EQ(::mkfifo("velloq.ini", 0600), 0); },
         [&] {
             EXPECT_EQ(read("velloq.ini"), "padrao");
             EXPECT_FALSE(profile::WriteString("velloq.ini", "VELLOQ", "AUTOR", "Bia"));
             EXPECT_TRUE(fs::is_fifo("velloq.ini"));
             EXPECT_EQ(read("velloq.ini"), "Bia");  // the value holds for the run
         }},
        {"a device is empty", [] { fs::create_symlink("/dev/zero", "velloq.ini"); },
         [&] { EXPECT_EQ(read("velloq.ini"), "padrao"); }},
        {"a file past the bound is empty and is never rewritten",
         [&] { WriteFile("velloq.ini", kept + std::string(profile::kMaxFile, ';')); },
         [&] {
             EXPECT_EQ(read("velloq.ini"), "padrao");
             EXPECT_FALSE(profile::WriteString("velloq.ini", "VELLOQ", "AUTOR", "Bia"));
             EXPECT_EQ(ReadFile("velloq.ini"), kept + std::string(profile::kMaxFile, ';'));
         }},
        {"a file that cannot be read is left as it is",
         [&] {
             WriteFile("velloq.ini", kept);
             ::chmod("velloq.ini", 0222);
         },
         [&] {
             EXPECT_EQ(withoutPrivileges([] {
                           const bool wrote = profile::WriteString("velloq.ini", "VELLOQ", "AUTOR", "Bia");
                           return !wrote && profile::ReadString("velloq.ini", "VELLOQ", "AUTOR", "") == "Bia" ? 0 : 1;
                       }),
                       0);
             EXPECT_EQ(ReadFile("velloq.ini"), kept);
         }},
        {"a link is written through and stays a link",
         [&] {
             fs::create_directory("alvo");
             WriteFile("alvo/velloq.ini", kept);
             fs::create_symlink("alvo/velloq.ini", "velloq.ini");
         },
         [&] {
             EXPECT_TRUE(profile::WriteString("velloq.ini", "VELLOQ", "AUTOR", "Bia"));
             EXPECT_TRUE(fs::is_symlink("velloq.ini"));
             EXPECT_EQ(ReadFile("alvo/velloq.ini"), "[VELLOQ]\r\nAUTOR=Bia\r\nCONTATO=ana@escola.br\r\n");
         }},
        {"a folder of that name is empty and stays", [] { fs::create_directory("velloq.ini"); },
         [&] {
             EXPECT_FALSE(profile::WriteString("velloq.ini", "VELLOQ", "AUTOR", "Bia"));
             EXPECT_TRUE(fs::is_directory("velloq.ini"));
         }},
    };
    ::chmod(folder.path().c_str(), 0755);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::ScratchFolder scene;
        ::chmod(".", 0777);
        row.scene();
        const auto before = namesIn(".");
        row.actAndCheck();
        EXPECT_EQ(namesIn("."), before);
    }
}

// velloq-gerar with a pipe for its settings file starts and generates; the exit status tells
// a page over its own document (2) and a missing template (3).
TEST_F(Hostile, CommandLine) {
    ASSERT_EQ(::mkfifo("velloq.ini", 0600), 0);
    struct {
        const char* arguments;
        int status;
    } const rows[] = {
        {"aula.vloq", 3},  // the settings name modeloMat.mdl, which is not here
        {"-o aula.vloq aula.vloq", 2},
        {"-o inc.htm aula.vloq", 2},
        {"falta.vloq aula.vloq", 1},
    };
    for (const auto& row : rows) {
        const std::string command = std::string(VELLOQ_GERAR) + " " + row.arguments + " 2>/dev/null";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status)) << row.arguments;
        EXPECT_EQ(WEXITSTATUS(status), row.status) << row.arguments;
    }
    EXPECT_EQ(ReadFile("aula.vloq"), "\r\ntexto\r\n%inc.htm\r\n");
    EXPECT_EQ(ReadFile("inc.htm"), "<b>incluido</b>\r\n");
}

}  // namespace
