#pragma once
// The word tables' format: plain UTF-8 text, one entry a line, fields separated by one tab.
// Lines starting with "#" and blank lines are comments. A field in double quotes is taken as
// it stands between them, so that a spelling may end in a blank ("\ "). The loader refuses
// what a reviewer could not see or mean: a missing or extra field, a blank at either end of a
// field, a control character, bytes that are not UTF-8.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reader::words {

struct Row {
    int line = 0;
    std::vector<std::string> fields;
};

// The rows of a table whose entries have from `minFields` to `maxFields` fields; false with
// `error` ("line 12: ...") at the first malformed line, the rows before it kept.
bool ParseTable(std::string_view text, std::size_t minFields, std::size_t maxFields,
                std::vector<Row>& rows, std::string& error);

}  // namespace reader::words
