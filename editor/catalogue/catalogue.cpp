// The formula catalogue: twenty groups of school formulas in ASCIIMath, as the "&Matemática"
// menu offers them, read once from editor/catalogue/catalogue.txt, which the build compiles in.
// Each caption is the entry's whole data: a short name, blanks for looks, and the formula text
// from the first backquote to the end (trailing blanks and tabs included).
#include "editor/catalogue/catalogue.h"

#include <deque>

namespace catalogue {

extern const char kCatalogueText[];

namespace {

// The groups of the catalogue file text; captions live in storage, which never moves them.
std::vector<FormulaGroup> ReadGroups(std::string_view text, std::deque<std::string>& storage) {
    constexpr std::string_view kTabMark = "\xC2\xABTAB\xC2\xBB";  // «TAB»
    std::vector<FormulaGroup> groups;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string line(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        for (size_t at = line.find(kTabMark); at != std::string::npos; at = line.find(kTabMark, at + 1))
            line.replace(at, kTabMark.size(), "\t");
        if (line.starts_with("# ")) {
            groups.push_back({storage.emplace_back(line.substr(2)).c_str(), {}});
        } else if (groups.empty() || line.empty()) {
            continue;  // the file's description, or an empty line
        } else if (line == "-") {
            groups.back().entries.push_back(kSeparator);
        } else {
            groups.back().entries.push_back(storage.emplace_back(std::move(line)).c_str());
        }
    }
    return groups;
}

}  // namespace

const std::vector<FormulaGroup>& FormulaGroups() {
    static std::deque<std::string> storage;
    static const std::vector<FormulaGroup> groups = ReadGroups(kCatalogueText, storage);
    return groups;
}

}  // namespace catalogue
