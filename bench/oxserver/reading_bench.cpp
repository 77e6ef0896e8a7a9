// Reading time: per construct (each against the time to parse alone), and over the 233
// formulas of the catalogue (median and worst per formula, in microseconds). Braille per
// construct beside the reading, and over the catalogue as a ratio to the reading measured in
// the same run (braille_over_reading: 1 costs as much as the reading).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "oxserver/framing.h"
#include "reader/braille.h"
#include "reader/reader.h"

namespace {

std::vector<std::string> catalogue() {
    std::vector<std::string> formulas;
    std::ifstream in(OXSERVER_CATALOGUE);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        formulas.push_back(line.substr(line.rfind('\t') + 1));
    }
    return formulas;
}

std::string repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// One input per construct, named by what it stresses.
const std::vector<std::pair<std::string, std::string>>& samples() {
    static const std::vector<std::pair<std::string, std::string>> s = {
        {"simple", "P=2.(b+h)"},
        {"fraction_root", "x=(-b +- sqrt(b^2 - 4ac))/(2a)"},
        {"sum_scripts", "(a + b)^n = sum_(k=0)^n C_k^n.a^(n-k).b^k"},
        {"logic", "~(p hArr q) hArr [(p ^^ ~q) vv (q ^^ ~p)]"},
        {"long_complex", "(a+bi)/(c+di)=(a+bi)/(c+di)xx(c-di)/(c-di)=(ac+bd)/(c^2+d^2)+(bc-ad)/(c^2+d^2)i"},
        {"nesting_100", repeat("sqrt(", 100) + "x"},
        {"row_10k_symbols", repeat("x_1+", 2500)},
        {"brackets_10k", repeat("(", 10000) + "x" + repeat(")", 10000)},
    };
    return s;
}

void BM_Parse(benchmark::State& state, const std::string& formula) {
    for (auto _ : state) benchmark::DoNotOptimize(reader::Parse(formula));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(formula.size()));
}

void BM_Read(benchmark::State& state, const std::string& formula) {
    for (auto _ : state) benchmark::DoNotOptimize(reader::ReadFormula(formula));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(formula.size()));
}

void BM_Braille(benchmark::State& state, const std::string& formula) {
    for (auto _ : state) benchmark::DoNotOptimize(reader::FormulaToBraille(formula));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(formula.size()));
}

// The catalogue in braille and read, alternately, the same number of times each.
void BM_CatalogueBrailleAgainstReading(benchmark::State& state) {
    const auto formulas = catalogue();
    double brailleSeconds = 0, readingSeconds = 0;
    for (auto _ : state) {
        for (int round = 0; round < 20; ++round) {
            auto start = std::chrono::steady_clock::now();
            for (const std::string& f : formulas) benchmark::DoNotOptimize(reader::ReadFormula(f));
            auto middle = std::chrono::steady_clock::now();
            for (const std::string& f : formulas) benchmark::DoNotOptimize(reader::FormulaToBraille(f));
            auto end = std::chrono::steady_clock::now();
            readingSeconds += std::chrono::duration<double>(middle - start).count();
            brailleSeconds += std::chrono::duration<double>(end - middle).count();
        }
    }
    state.counters["braille_over_reading"] = brailleSeconds / readingSeconds;
}
BENCHMARK(BM_CatalogueBrailleAgainstReading)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole answer to a request: Windows-1252 in, parse, read, escape, convert, CR LF.
void BM_Reply(benchmark::State& state, const std::string& formula) {
    for (auto _ : state) benchmark::DoNotOptimize(oxserver::ReplyToRequest(formula));
}

// Each catalogue formula read many times; counters give the median and the worst formula's
// mean time per reading, in microseconds.
void BM_Catalogue(benchmark::State& state) {
    const auto formulas = catalogue();
    std::vector<double> perFormula;
    for (auto _ : state) {
        perFormula.clear();
        for (const std::string& f : formulas) {
            constexpr int kRounds = 200;
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < kRounds; ++i) benchmark::DoNotOptimize(reader::ReadFormula(f));
            const auto end = std::chrono::steady_clock::now();
            perFormula.push_back(std::chrono::duration<double, std::micro>(end - start).count() / kRounds);
        }
    }
    std::sort(perFormula.begin(), perFormula.end());
    state.counters["formulas"] = static_cast<double>(perFormula.size());
    state.counters["median_us"] = perFormula[perFormula.size() / 2];
    state.counters["worst_us"] = perFormula.back();
}
BENCHMARK(BM_Catalogue)->Unit(benchmark::kMillisecond)->Iterations(3);

const bool registered = [] {
    for (const auto& [name, formula] : samples()) {
        benchmark::RegisterBenchmark(("BM_Parse/" + name).c_str(), BM_Parse, formula);
        benchmark::RegisterBenchmark(("BM_Read/" + name).c_str(), BM_Read, formula);
        benchmark::RegisterBenchmark(("BM_Braille/" + name).c_str(), BM_Braille, formula);
    }
    benchmark::RegisterBenchmark("BM_Reply/fraction_root", BM_Reply, samples()[1].second);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
