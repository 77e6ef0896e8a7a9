#pragma once
// The reader tests' data: the readings tables, one per family of notation in readings/, and the
// formula catalogue of the editor's menu.
#include <string>
#include <vector>

namespace readertest {

struct TableRow {
    std::string file;  // the table's name, for messages: "readings/layout.tsv"
    int line = 0;
    std::vector<std::string> fields;  // tab-separated
};

// The rows of a data file of the tests: "#" lines and blank lines skipped.
std::vector<TableRow> ReadTable(const std::string& path, const std::string& name);

// Every row of every readings table, the tables in the order of their names.
std::vector<TableRow> ReadingRows();

// The catalogue's rows: group, entry, formula.
std::vector<TableRow> CatalogueRows();

// The formula of a readings or catalogue row.
const std::string& FormulaOf(const TableRow& row);

}  // namespace readertest
