#pragma once
// The bound on the text files that the system reads: documents, include files and templates.
#include <cstdint>

namespace filelimits {

// The largest document, include file or template that is read: far above any real one, small
// enough that the editor's copies of a document fit in memory, and an end to a sparse or
// runaway file that would otherwise be read for minutes. A file of exactly this size is read.
inline constexpr std::int64_t kMaxTextFileBytes = std::int64_t{256} << 20;

// The same bound in megabytes, as messages give it.
inline constexpr std::int64_t kMaxTextFileMegabytes = kMaxTextFileBytes >> 20;

}  // namespace filelimits
