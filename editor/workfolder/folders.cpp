#include "editor/workfolder/folders.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "editor/state/runstate.h"
#include "settings/settings.h"
#include "platform/codepage.h"

namespace folders {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool MatchesFilter(const std::string& name, const std::string& filter) {
    if (filter == "*.*") return true;
    return ::fnmatch(filter.c_str(), name.c_str(), 0) == 0;
}

std::vector<std::string> ListEntries(const std::string& folder, const std::string& filter) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "/" : folder.c_str()));
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (MatchesFilter(name, filter)) names.push_back(name);
    }
    return names;
}

void RememberFolder(RunState& run, const std::string& path) {
    auto& recent = run.recentFolders;
    const auto found = std::find(recent.begin(), recent.end(), path);
    if (found != recent.end()) {
        std::move(found + 1, recent.end(), found);
        recent.back().clear();
    }
    if (path.empty() || recent.front() == path) return;

    const std::string& file = run.programSettingsFile;
    settings::WriteText(file, settings::kWorkFolderKey, codepage::FileContentName(path));
    std::move_backward(recent.begin(), recent.end() - 1, recent.end());
    recent.front() = path;
    for (size_t i = 0; i < recent.size(); ++i)
        settings::WriteText(file, settings::RecentFolderKey(static_cast<int>(i)).c_str(),
                            codepage::FileContentName(recent[i]));
}

bool FolderIsEmpty(const std::string& path) {
    if (path.empty()) return false;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") return false;
    }
    return true;
}

void CopyTemplateFiles(const std::string& start, const std::string& target) {
    namespace fs = std::filesystem;
    for (const char* pattern : {"*.mdl", "*.iss"}) {
        for (const std::string& name : ListEntries(start, pattern)) {
            if (name.front() == '.') continue;
            std::error_code error;
            const fs::path from = start + "/" + name;
            if (!fs::is_regular_file(from, error)) continue;
            fs::copy_file(from, target + "/" + name, fs::copy_options::overwrite_existing, error);
        }
    }
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace folders
