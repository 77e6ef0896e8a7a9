#pragma once
// Files that change whole or not at all: the new content goes to a new file in the same folder
// and is renamed over the old one only when it is complete. Plain POSIX, no exceptions.
#include <sys/types.h>

#include <string>
#include <string_view>

namespace safefile {

// A file on disk by device and inode: two names of one file (hard links, symbolic links) have
// the same identity.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;
    bool operator==(const FileId& other) const {
        return known && other.known && device == other.device && inode == other.inode;
    }
};

// The identity of the file a path names (links followed); unknown when there is none.
FileId IdOf(const std::string& path);
// The identity of an open file.
FileId IdOfOpen(int fd);

// The file that a write to path changes: the end of a chain of symbolic links, or path itself
// (also for a link that leads nowhere, which the new file then replaces).
std::string ResolvedTarget(const std::string& path);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

// The permission bits a new file gets from this process (0666 less the process's mask). The
// mask is read, not set and restored, so that no other thread ever sees it changed.
mode_t NewFileMode();

// Writes all bytes to fd, going on after interruptions. Returns 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes);

// One replacement of a file's content. Open, write through fd(), then Commit; a replacement
// that is not committed (Abandon, the destructor) leaves the old file as it was and no new file
// behind.
class Replacement {
public:
    Replacement() = default;
    ~Replacement() { Abandon(); }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    enum class InPlace {
        Never,          // fail when the folder takes no new file
        WhenNeeded,     // write the old file itself when the folder takes no new file but the file
                        // is writable, and when it is no plain file (a device, a pipe)
    };
    // Prepares the writing of path. A link is followed: the file it names changes and the link
    // stays. The new file gets the old one's permission bits (and owner, where the system lets
    // it), or the usual bits of a new file. Refuses, returning EISDIR, a folder; EINVAL, a file
    // that is no plain file when writing in place is not allowed; EACCES, an old file that is
    // read-only. Returns 0 or an errno; nothing is changed on disk when it fails.
    int Open(const std::string& path, InPlace inPlace);
    int fd() const { return fd_; }
    bool inPlace() const { return inPlace_; }
    // Makes the written content the file's: the new file reaches the disk when sync is asked,
    // replaces the old one, and the folder is synced with the rename. In place, the file is
    // only closed (and synced when asked). Returns 0 or an errno; on failure the old file is
    // left as it was (in place, as far as it was written).
    int Commit(bool sync);
    // Closes and removes the new file; the old one stays as it was.
    void Abandon();

private:
    int openInPlace(int flags);
    int fd_ = -1;
    bool inPlace_ = false;
    std::string target_;
    std::string temp_;
};

}  // namespace safefile
