#include "reader/words/table.h"

namespace reader::words {
namespace {

// The length of the UTF-8 character at `i`, or 0 for a malformed one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c >> 6) != 0x2) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool fail(std::string& error, int line, const std::string& what) {
    error = "line " + std::to_string(line) + ": " + what;
    return false;
}

}  // namespace

bool ParseTable(std::string_view text, std::size_t minFields, std::size_t maxFields,
                std::vector<Row>& rows, std::string& error) {
    int line = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++line;
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view l = text.substr(start, end - start);
        start = end + 1;
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        if (l.empty() || l[0] == '#') continue;
        for (std::size_t i = 0; i < l.size();) {
            const auto b = static_cast<unsigned char>(l[i]);
            if ((b < 0x20 && b != '\t') || b == 0x7F) return fail(error, line, "a control character");
            const std::size_t n = utf8Length(l, i);
            if (n == 0) return fail(error, line, "bytes that are not UTF-8");
            i += n;
        }
        Row row;
        row.line = line;
        std::size_t from = 0;
        for (;;) {
            const std::size_t tab = l.find('\t', from);
            std::string_view field = l.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from);
            if (!field.empty() && (field.front() == ' ' || field.back() == ' '))
                return fail(error, line, "a blank at the end of a field");
            if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = field.substr(1, field.size() - 2);
            row.fields.emplace_back(field);
            if (tab == std::string_view::npos) break;
            from = tab + 1;
        }
        if (row.fields.size() < minFields || row.fields.size() > maxFields)
            return fail(error, line, std::to_string(row.fields.size()) + " fields where " +
                                         (minFields == maxFields ? std::to_string(minFields)
                                                                 : std::to_string(minFields) + " to " + std::to_string(maxFields)) +
                                         " belong");
        if (row.fields[0].empty()) return fail(error, line, "an empty first field");
        rows.push_back(std::move(row));
    }
    return true;
}

}  // namespace reader::words
