// Generation speed on documents of about 50 MB, one per mix of constructs, beside three
// baselines: Cat/<mix> is the system's cat copying the document to a file; Copy/<mix> merely
// reads the same document and writes its lines back with CR LF; CopyPage/<mix> does the same
// with the generated page, whose constructs may be several times longer than the document's.
// Compare the times of Generate/<mix> with all three; every row is wall time, since cat's
// work happens in another process.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <cstdlib>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "generator/run.h"
#include "generator/generator.h"
#include "platform/messages.h"
#include "scratch_folder.h"

namespace {

constexpr size_t kTargetSize = 50u << 20;

const std::string& folder() {
    static const std::string dir = [] {
        const std::string d = MakeScratchFolder();
        std::ofstream(d + "/modelo.mdl", std::ios::binary)
            << "<<<CABE\xC7" "ALHO>>>\r\n<html><head><title>[T\xCDTULO]</title></head><body>\r\n<<<FIM>>>\r\n"
               "<<<T\xD3PICO>>>\r\n<h2>[T\xD3PICO]</h2>\r\n<<<FIM>>>\r\n"
               "<<<ASSINATURA>>>\r\n<p>[AUTOR] [CONTATO]</p></body></html>\r\n<<<FIM>>>\r\n";
        return d;
    }();
    return dir;
}

// Repeats the block of lines until the document is about 50 MB.
std::string buildDocument(const std::string& block) {
    std::string doc = "T\xCDTULO: Desempenho\r\n\r\n";
    doc.reserve(kTargetSize + block.size());
    while (doc.size() < kTargetSize) doc += block;
    return doc;
}

const std::map<std::string, std::string>& mixes() {
    static const std::map<std::string, std::string> m = {
        {"accents",
         buildDocument("A fun\xE7\xE3o quadr\xE1tica `f(x)=ax^2+bx+c` tem gr\xE1" "fico chamado par\xE1" "bola, "
                       "e sua \xE1rea \xE9 calculada por integra\xE7\xE3o.\r\n"
                       "Texto sem acento algum, com f\xF3rmulas `sqrt(x)` e `x/y` no meio da linha.\r\n"
                       "\r\n")},
        {"tables", buildDocument("@3\r\nc\xE9lula 1\r\nc\xE9lula 2\r\n{pagina.htm Link}\r\n\r\n`a+b`\r\ncinco\r\n@\r\n")},
        {"forms",
         buildDocument("&FP login.php\r\n&T 20 [id nome \"Seu nome\" \"R\xF3tulo\" $x\r\n"
                       "&R grupo um \"Op\xE7\xE3o um\" *\r\n&S lista 3\r\na \"A\"\r\nb \"B\" $s\r\n&S\r\n"
                       "&A 3 30 obs\r\nlinha\r\n&A*\r\n&\r\n")},
        {"titles", buildDocument("*T\xF3pico n\xFAmero um\r\ntexto\r\n*Outro\r\n")},
    };
    return m;
}

const pagegen::PageSettings kSettings{"modelo.mdl", "Autor", "contato"};

std::string writeDocument(const std::string& name) {
    const std::string path = folder() + "/" + name + ".vloq";
    if (!std::filesystem::exists(path)) std::ofstream(path, std::ios::binary) << mixes().at(name);
    return path;
}

void Generate(benchmark::State& state, const std::string& mix) {
    static messages::SilentSink sink;
    messages::Install(&sink);
    const std::string doc = writeDocument(mix);
    std::filesystem::current_path(folder());
    for (auto _ : state) {
        if (!pagegen::GeneratePage(doc, folder() + "/saida.htm", kSettings)) state.SkipWithError("page not whole");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * mixes().at(mix).size()));
}

// The baselines: the same reading, line splitting and buffered writing, with no translation.
void copyLines(benchmark::State& state, const std::string& file, size_t bytes) {
    for (auto _ : state) {
        pagegen::LineReader reader;
        if (!reader.Open(file)) state.SkipWithError("cannot open");
        pagegen::PageWriter page;
        page.Create(folder() + "/copia.htm");
        std::string_view line;
        while (reader.Next(line)) page.WriteLine(line);
        page.Close();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void Copy(benchmark::State& state, const std::string& mix) {
    copyLines(state, writeDocument(mix), mixes().at(mix).size());
}

void CopyPage(benchmark::State& state, const std::string& mix) {
    static messages::SilentSink sink;
    messages::Install(&sink);
    std::filesystem::current_path(folder());
    const std::string page = folder() + "/" + mix + ".htm";
    pagegen::GeneratePage(writeDocument(mix), page, kSettings);
    copyLines(state, page, std::filesystem::file_size(page));
}

// cat's processor time goes to the counter cat_cpu_ms (per copy), to set beside the CPU column
// of Generate on a busy machine, where wall times say little.
void Cat(benchmark::State& state, const std::string& mix) {
    const std::string command = "cat '" + writeDocument(mix) + "' > '" + folder() + "/gato.htm'";
    auto childrenCpu = [] {
        rusage r{};
        ::getrusage(RUSAGE_CHILDREN, &r);
        return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 +
               static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
    };
    const double before = childrenCpu();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cat failed");
    state.counters["cat_cpu_ms"] = (childrenCpu() - before) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * mixes().at(mix).size()));
}

const bool kRegistered = [] {
    for (const auto& [name, _] : mixes()) {
        benchmark::RegisterBenchmark(("Cat/" + name).c_str(), Cat, name)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
        benchmark::RegisterBenchmark(("Copy/" + name).c_str(), Copy, name)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
        benchmark::RegisterBenchmark(("CopyPage/" + name).c_str(), CopyPage, name)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
        benchmark::RegisterBenchmark(("Generate/" + name).c_str(), Generate, name)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
