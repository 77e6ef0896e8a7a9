// What the formulas' readings cost a generation: the same document of about 8 MB generated with
// a template that asks for readings and with one that does not (the baseline). Two documents:
// one whose formulas repeat (a lesson: each is read once), one where every formula differs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "generator/generator.h"
#include "platform/messages.h"
#include "scratch_folder.h"

namespace {

constexpr size_t kTargetSize = 8u << 20;

const std::string& folder() {
    static const std::string dir = [] {
        const std::string d = MakeScratchFolder();
        const std::string head = "<<<CABE\xC7" "ALHO>>>\r\n<html><head><title>[T\xCDTULO]</title></head><body>\r\n<<<FIM>>>\r\n";
        std::ofstream(d + "/simples.mdl", std::ios::binary)
            << head << "<<<ASSINATURA>>>\r\n</body></html>\r\n<<<FIM>>>\r\n";
        std::ofstream(d + "/leituras.mdl", std::ios::binary)
            << head << "<<<ASSINATURA>>>\r\n<script type=\"application/json\">[LEITURAS]</script></body></html>\r\n"
                       "<<<FIM>>>\r\n";
        return d;
    }();
    return dir;
}

std::string lesson() {
    std::string doc = "T\xCDTULO: Desempenho\r\n\r\n";
    while (doc.size() < kTargetSize)
        doc += "A fun\xE7\xE3o `f(x)=ax^2+bx+c` tem ra\xEDzes `x = (-b +- sqrt(b^2 - 4ac))/(2a)`.\r\n"
               "<td>`Delta = b^2 - 4ac`</td> e texto sem f\xF3rmula alguma, como numa aula.\r\n";
    return doc;
}

std::string distinct() {
    std::string doc = "T\xCDTULO: Desempenho\r\n\r\n";
    for (long i = 0; doc.size() < kTargetSize; ++i)
        doc += "Termo `a_" + std::to_string(i) + " = (" + std::to_string(i) + "x^2 + 1)/(x - " +
               std::to_string(i % 97) + ")` da lista.\r\n";
    return doc;
}

const std::map<std::string, std::string>& documents() {
    static const std::map<std::string, std::string> d = {{"aula", lesson()}, {"distintas", distinct()}};
    return d;
}

void Generate(benchmark::State& state, const std::string& document, const std::string& templ) {
    static messages::SilentSink sink;
    messages::Install(&sink);
    const std::string path = folder() + "/" + document + ".vloq";
    if (!std::filesystem::exists(path)) std::ofstream(path, std::ios::binary) << documents().at(document);
    std::filesystem::current_path(folder());
    for (auto _ : state) {
        if (!pagegen::GeneratePage(path, folder() + "/saida.htm", {templ, "Autor", "contato"}))
            state.SkipWithError("page not whole");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * documents().at(document).size()));
}

const bool kRegistered = [] {
    for (const auto& [name, _] : documents()) {
        benchmark::RegisterBenchmark(("SemLeituras/" + name).c_str(), Generate, name, "simples.mdl")
            ->Unit(benchmark::kMillisecond)->MinTime(1);
        benchmark::RegisterBenchmark(("ComLeituras/" + name).c_str(), Generate, name, "leituras.mdl")
            ->Unit(benchmark::kMillisecond)->MinTime(1);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
