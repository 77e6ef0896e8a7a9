#pragma once
// Where the formulas of a line stand, by the rule with which a line is spoken: a backquote
// opens a formula, the next one closes it, and a formula left open runs to the line's end.
// Works on any character type, so the editor can use it on its own text.
#include <cstddef>
#include <string_view>
#include <vector>

namespace formulaspeech {

// A formula's text, [begin, end), between its backquotes.
struct FormulaSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const FormulaSpan&) const = default;
};

// The line's formulas in order; empty ones ("``") are left out, as nothing is read for them.
template <class Char>
std::vector<FormulaSpan> FormulaSpans(std::basic_string_view<Char> line) {
    std::vector<FormulaSpan> spans;
    const Char backquote = static_cast<Char>('`');
    std::size_t at = 0;
    while (true) {
        const std::size_t open = line.find(backquote, at);
        if (open == std::basic_string_view<Char>::npos) break;
        const std::size_t close = line.find(backquote, open + 1);
        const std::size_t end = close == std::basic_string_view<Char>::npos ? line.size() : close;
        if (end > open + 1) spans.push_back({open + 1, end});
        if (close == std::basic_string_view<Char>::npos) break;
        at = close + 1;
    }
    return spans;
}

// The formula a caret at that position stands in (between its backquotes, either end
// included); else the first one after the caret; else the last one before it. -1 when the
// line has none.
int FormulaAt(const std::vector<FormulaSpan>& spans, std::size_t caret);

}  // namespace formulaspeech
