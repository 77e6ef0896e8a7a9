#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace profile {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::optional<std::vector<std::string>> readLines(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

// The section name of a "[name]" line, if the line is one.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// The key of a "key=value" line, if the line is one; value receives the raw rest.
std::optional<std::string_view> keyOf(std::string_view line, std::string_view* value = nullptr) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    if (value) *value = line.substr(eq + 1);
    return trim(line.substr(0, eq));
}

struct Location {
    std::optional<size_t> section;   // index of the section line
    std::optional<size_t> key;       // index of the key line
    size_t sectionEnd = 0;           // index after the section's last non-empty line
};

Location locate(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    Location loc;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionName(lines[i])) {
            if (loc.section) break;  // the next section ends ours
            if (equalsNoCase(*name, trim(section))) {
                loc.section = i;
                loc.sectionEnd = i + 1;
            }
            continue;
        }
        if (!loc.section) continue;
        if (!trim(lines[i]).empty()) loc.sectionEnd = i + 1;
        if (!loc.key) {
            auto k = keyOf(lines[i]);
            if (k && equalsNoCase(*k, trim(key))) loc.key = i;
        }
    }
    return loc;
}

std::string cleanValue(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

bool writeWhole(const std::string& file, const std::string& content) {
    // Keep the old file's permissions when there is one.
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) mode = st.st_mode & 07777;
    std::string tmp = file + ".XXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    const std::string tmpName(name.data());
    bool ok = true;
    for (size_t done = 0; ok && done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    ok = ok && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(tmpName.c_str(), file.c_str()) == 0;
    if (!ok) ::unlink(tmpName.c_str());
    return ok;
}

}  // namespace

std::string ReadString(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view fallback) {
    const auto lines = readLines(file);
    std::string value(fallback);
    if (lines) {
        const Location loc = locate(*lines, section, key);
        if (loc.key) {
            std::string_view raw;
            keyOf((*lines)[*loc.key], &raw);
            raw = trim(raw);
            if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
                raw = raw.substr(1, raw.size() - 2);
            value.assign(raw);
        }
    }
    if (value.size() > kMaxValue) value.resize(kMaxValue);
    return value;
}

bool WriteString(const std::string& file, std::string_view section, std::string_view key,
                 std::string_view value) {
    std::vector<std::string> lines = readLines(file).value_or(std::vector<std::string>{});
    const std::string keyLine = std::string(trim(key)) + "=" + cleanValue(value);
    const Location loc = locate(lines, section, key);
    if (loc.key) {
        lines[*loc.key] = keyLine;
    } else if (loc.section) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(loc.sectionEnd), keyLine);
    } else {
        lines.push_back("[" + std::string(trim(section)) + "]");
        lines.push_back(keyLine);
    }
    std::string content;
    for (const auto& l : lines) content += l + "\r\n";
    return writeWhole(file, content);
}

}  // namespace profile
