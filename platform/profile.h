#pragma once
// Settings files in the private-profile format: "[SECTION]" lines and "key=value" lines,
// CR LF line ends, Windows-1252 bytes. Section, key and value are file contents
// (Windows-1252); the file name is a native path.
#include <string>
#include <string_view>

namespace profile {

// Longest value a read gives; a longer one arrives cut to this many characters.
inline constexpr size_t kMaxValue = 254;

// The value of key in section of file, or fallback when the file, the section or the key is
// missing. Section and key names match without regard to ASCII letter case; blanks around
// the value are dropped, and so are matching double or single quotes around it. When a
// section or key stands twice, the first one counts. Never fails.
std::string ReadString(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view fallback);

// Sets key in section of file to value: replaces the key's line in place, or appends the key
// at the end of its section, or the section at the end of the file, creating the file when
// it is missing. The file is replaced whole (written beside it, then renamed over it), so a
// failure leaves the old file as it was. Line breaks in value become blanks, so a value can
// never add lines to the file. Returns false when the file cannot be written.
bool WriteString(const std::string& file, std::string_view section, std::string_view key,
                 std::string_view value);

}  // namespace profile
