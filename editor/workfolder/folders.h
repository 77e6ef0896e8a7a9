#pragma once
// The work folder's plain procedures: listing a folder through the file list's pattern, the
// list of recent work folders, and seeding a new folder with the start folder's templates.
// Paths are native (UTF-8); none of these shows anything.
#include <string>
#include <vector>

struct RunState;

namespace folders {

// Whether an entry name matches the file list's wildcard pattern. Patterns are shell
// wildcards ("*.vloq"), letter case counts, and a leading dot needs no dot in the pattern;
// "*.*" stands for every entry, with or without a dot, as it does in the list's button.
bool MatchesFilter(const std::string& name, const std::string& filter);

// The names of the entries of folder that match filter: files, subfolders and hidden ones,
// in the order in which the file system gives them, "." and ".." left out. An unreadable
// folder gives none.
std::vector<std::string> ListEntries(const std::string& folder, const std::string& filter);

// Puts path at the front of run's recentFolders (taking it out of the place where it stood,
// if any; an empty path only takes it out) and stores "PASTAPADRAO" and the five entries
// "arq1" to "arq5" in run's program settings file. Nothing is written when path is empty or
// already first. Failures to write are passed over.
void RememberFolder(RunState& run, const std::string& path);

// True when path is an existing folder that holds no entry at all.
bool FolderIsEmpty(const std::string& path);

// Copies every plain, not hidden file of startFolder that matches "*.mdl", then "*.iss", into
// target, replacing files of the same name. A copy that fails is skipped.
void CopyTemplateFiles(const std::string& startFolder, const std::string& target);

// Whether path names an existing folder.
bool IsFolder(const std::string& path);

}  // namespace folders
