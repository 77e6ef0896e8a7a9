#include "settings/settings.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <vector>

#include "platform/profile.h"

namespace settings {

std::string RecentFolderKey(int index) { return "arq" + std::to_string(index + 1); }

std::string CurrentDirectory() {
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    std::string dir(buf.data());
    if (!dir.empty() && dir.back() == '/') dir.pop_back();
    return dir;
}

std::string FileIn(const std::string& folder) { return folder + "/" + kFileName; }

PageValues ReadPageValues(const std::string& folderFile, const std::string& programFile) {
    auto read = [&](const char* key, const char* fallback) {
        std::string value = profile::ReadString(folderFile, kSection, key, "");
        if (value.empty()) value = profile::ReadString(programFile, kSection, key, fallback);
        return value;
    };
    PageValues values{read(kTemplateKey, kDefaultTemplate), read(kAuthorKey, kDefaultAuthor),
                      read(kContactKey, kDefaultContact)};
    if (values.templateFile.empty()) values.templateFile = kDefaultTemplate;
    return values;
}

bool WritePageValues(const std::string& file, const PageValues& values) {
    bool written = profile::WriteString(file, kSection, kTemplateKey, values.templateFile);
    written = profile::WriteString(file, kSection, kAuthorKey, values.author) && written;
    return profile::WriteString(file, kSection, kContactKey, values.contact) && written;
}

std::optional<bool> ReadFlag(const std::string& file, const char* key) {
    const std::string value = profile::ReadString(file, kSection, key, "");
    if (value == "1") return true;
    if (value == "0") return false;
    return std::nullopt;
}

bool WriteFlag(const std::string& file, const char* key, bool on) {
    return profile::WriteString(file, kSection, key, on ? "1" : "0");
}

int ReadLevel(const std::string& file, const char* key, int fallback) {
    const std::string text = profile::ReadString(file, kSection, key, "");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return fallback;
    return value >= -100 && value <= 100 ? value : fallback;
}

std::string ReadText(const std::string& file, const char* key, const std::string& fallback) {
    return profile::ReadString(file, kSection, key, fallback);
}

bool WriteText(const std::string& file, const char* key, const std::string& value) {
    return profile::WriteString(file, kSection, key, value);
}

}  // namespace settings
