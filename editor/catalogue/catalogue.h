#pragma once
// The formula catalogue of the "&Matemática" menu, as plain data (UTF-8), so that the menu,
// the formula list page and the tests all read the same table.
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

// An entry that stands for a separator line.
inline constexpr const char* kSeparator = nullptr;

struct FormulaGroup {
    const char* caption;               // the submenu's caption
    std::vector<const char*> entries;  // captions in menu order; kSeparator for a separator
};

// The twenty groups in menu order.
const std::vector<FormulaGroup>& FormulaGroups();

// What choosing an entry inserts: its caption from the first backquote on, or the whole
// caption when it holds none.
inline std::string FormulaText(std::string_view caption) {
    const size_t tick = caption.find('`');
    return std::string(tick == std::string_view::npos ? caption : caption.substr(tick));
}

}  // namespace catalogue
