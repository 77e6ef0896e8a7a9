// The word tables' loader on any bytes: it finishes, and every row it keeps has fields as the
// format promises: the right count, a first field, no control character, no blank at an end
// (quotes aside).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "reader/words/table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t minFields = 1 + data[0] % 3, maxFields = minFields + (data[0] >> 2) % 3;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<reader::words::Row> rows;
    std::string error;
    const bool ok = reader::words::ParseTable(text, minFields, maxFields, rows, error);
    if (ok != error.empty()) std::abort();
    for (const auto& row : rows) {
        if (row.fields.size() < minFields || row.fields.size() > maxFields || row.fields[0].empty()) std::abort();
        for (const std::string& f : row.fields)
            for (char c : f)
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    }
    return 0;
}
