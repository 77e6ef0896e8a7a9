#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/safefile.h"

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

// What reading a settings file found.
enum class Found {
    Lines,    // the file's lines
    Nothing,  // no file of that name: it may be created
    Refused,  // a file that is not read and must not be replaced: unreadable, no plain file, too large
};

// The lines of a settings file. Opened without blocking, so that a pipe or a device cannot hang
// the program, and read only when it is a plain file of at most kMaxFile bytes.
Found readLines(const std::string& file, std::vector<std::string>& lines) {
    lines.clear();
    if (file.find('\0') != std::string::npos) return Found::Nothing;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? Found::Nothing : Found::Refused;
    struct stat st {};
    std::string content;
    bool whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= static_cast<off_t>(kMaxFile);
    if (whole) {
        content.resize(kMaxFile + 1);  // one more, to see a file that grew past the bound
        size_t got = 0;
        while (got < content.size()) {
            const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) whole = false;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        whole = whole && got <= kMaxFile;
        content.resize(got);
    }
    ::close(fd);
    if (!whole) return Found::Refused;
    for (size_t start = 0; start < content.size();) {
        size_t end = content.find('\n', start);
        const size_t next = end == std::string::npos ? content.size() : end + 1;
        if (end == std::string::npos) end = content.size();
        if (end > start && content[end - 1] == '\r') --end;
        lines.emplace_back(content, start, end - start);
        start = next;
    }
    return Found::Lines;
}

// Values written for files that could not take them: they hold for the rest of the run.
using HeldKey = std::tuple<std::string, std::string, std::string>;  // file, SECTION, KEY
std::map<HeldKey, std::string>& held() {
    static std::map<HeldKey, std::string> values;
    return values;
}

HeldKey heldKey(const std::string& file, std::string_view section, std::string_view key) {
    auto upper = [](std::string_view s) {
        std::string out(trim(s));
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        return out;
    };
    // By absolute name: the current directory moves during a run.
    std::string path = file;
    if (path.empty() || path.front() != '/') {
        char* cwd = ::getcwd(nullptr, 0);
        if (cwd) path = std::string(cwd) + "/" + path;
        std::free(cwd);
    }
    return {path, upper(section), upper(key)};
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
    return safefile::WriteWhole(file, content, safefile::Special::Refuse, true) == 0;
}

}  // namespace

std::string ReadString(const std::string& file, std::string_view section, std::string_view key,
                       std::string_view fallback) {
    std::string value(fallback);
    const auto kept = held().find(heldKey(file, section, key));
    std::vector<std::string> lines;
    if (kept != held().end()) {
        value = kept->second;
    } else if (readLines(file, lines) == Found::Lines) {
        const Location loc = locate(lines, section, key);
        if (loc.key) {
            std::string_view raw;
            keyOf(lines[*loc.key], &raw);
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
    std::vector<std::string> lines;
    const Found found = readLines(file, lines);
    const std::string keyLine = std::string(trim(key)) + "=" + cleanValue(value);
    bool written = false;
    if (found != Found::Refused) {
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
        written = writeWhole(file, content);
    }
    // A file that was not read is never rewritten, so nothing of it is lost; a value that no
    // file took holds for the run.
    if (written)
        held().erase(heldKey(file, section, key));
    else
        held()[heldKey(file, section, key)] = cleanValue(value);
    return written;
}

}  // namespace profile
