#include "tables.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace readertest {

std::vector<TableRow> ReadTable(const std::string& path, const std::string& name) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<TableRow> rows;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        TableRow row;
        row.file = name;
        row.line = number;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            row.fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TableRow> ReadingRows() {
    std::vector<std::filesystem::path> tables;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(READER_TEST_DATA) + "/readings"))
        if (entry.path().extension() == ".tsv") tables.push_back(entry.path());
    std::sort(tables.begin(), tables.end());
    std::vector<TableRow> rows;
    for (const auto& t : tables) {
        auto more = ReadTable(t.string(), "readings/" + t.filename().string());
        rows.insert(rows.end(), more.begin(), more.end());
    }
    return rows;
}

std::vector<TableRow> CatalogueRows() { return ReadTable(READER_CATALOGUE, "catalogue.tsv"); }

const std::string& FormulaOf(const TableRow& row) {
    return row.fields.size() == 3 ? row.fields[2] : row.fields[0];
}

}  // namespace readertest
