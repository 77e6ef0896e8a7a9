#pragma once
// Settings files in the private-profile format: "[SECTION]" lines and "key=value" lines,
// CR LF line ends, Windows-1252 bytes. Section, key and value are file contents
// (Windows-1252); the file name is a native path.
#include <string>
#include <string_view>

namespace profile {

// Longest value a read gives; a longer one arrives cut to this many characters.
inline constexpr size_t kMaxValue = 254;
// Largest settings file that is read; a larger one counts as empty and is never rewritten.
inline constexpr size_t kMaxFile = size_t{1} << 20;

// The value of key in section of file, or fallback when the file, the section or the key is
// missing. Section and key names match without regard to ASCII letter case; blanks around
// the value are dropped, and so are matching double or single quotes around it. When a
// section or key stands twice, the first one counts. A file that is no plain file (a pipe, a
// device), cannot be read or is larger than kMaxFile counts as empty; it is opened without
// blocking. A value that WriteString could not store in the file is given as written. Never
// fails.
std::string ReadString(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view fallback);

// Sets key in section of file to value: replaces the key's line in place, or appends the key
// at the end of its section, or the section at the end of the file, creating the file when
// it is missing. The file is replaced whole (written beside it, synced, renamed over it, and
// the folder synced), so a failure leaves the old file as it was; a link is followed and
// stays, and the file keeps its permissions. A file that could not be read (see ReadString)
// or is read-only is left as it is. Line breaks in value become blanks, so a value can never
// add lines to the file. Returns false when the file was not written; the value then holds
// for ReadString of the same file name until the process ends.
bool WriteString(const std::string& file, std::string_view section, std::string_view key,
                 std::string_view value);

}  // namespace profile
