#pragma once
// The one writer of files that must never be left half written: documents, pages, settings
// files, recovery copies and the start folder's files all change through it.
//
// Where the file's folder takes a new file, the new content goes to a new file beside the old
// one and is renamed over it only when complete. Where it does not (a folder the user may not
// write to, another user's file in a sticky folder), and where the file has several hard links,
// the file itself is overwritten so that every name of it sees the new content: space is
// reserved before each write, and a write that fails or is abandoned puts the old content back.
// A symbolic link is written through to the file it names and stays a link. The file keeps its
// permission bits, and its owner and group where the system allows. Plain POSIX.
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/fileerror.h"

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

// What a write does where the name holds a device or a pipe rather than a plain file.
enum class Special {
    Refuse,        // fails with EINVAL: documents, settings files, recovery copies
    WriteThrough,  // writes into it, as it comes: pages and the start folder's files
};

// The largest old content kept to be put back after a failed write in place; a larger file is
// still written in place, without that safeguard.
inline constexpr off_t kMaxKeptBytes = off_t{256} << 20;

// One replacement of a file's content. Open, Write the content in as many pieces as wanted,
// then Commit. A replacement that is not committed (Abandon, the destructor) leaves the old file
// as it was and no new file behind.
class Replacement {
public:
    Replacement() = default;
    ~Replacement() { Abandon(); }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // Prepares the writing of path. Returns 0 or an errno, and changes nothing on disk when it
    // fails: EISDIR for a folder; EINVAL for a device or a pipe under Special::Refuse; EACCES
    // for an old file that is read-only (renaming would replace it as easily as any other);
    // ENXIO for a pipe nobody reads from (never waits for a reader); the system's error when
    // neither a new file nor the old one can be written.
    int Open(const std::string& path, Special special);
    // Appends bytes to the content. In place, the space they take is reserved first, so that a
    // full disk stops the write before it changes anything where the file system can tell.
    // Returns 0 or an errno; after a failure, abandon the replacement.
    int Write(std::string_view bytes);
    // Makes the written content the file's: with sync, it reaches the disk first, and the
    // folder after the rename. Returns 0 or an errno; on failure the old file is as it was.
    int Commit(bool sync);
    // Drops the replacement: a new file is removed; a file written in place gets its old
    // content back (unless it could not be read, or was larger than kMaxKeptBytes); a device
    // or a pipe keeps what it was given.
    void Abandon();
    // The open file, or -1 before Open and after Commit or Abandon.
    int fd() const { return fd_; }
    bool inPlace() const { return mode_ == Mode::InPlace; }

private:
    enum class Mode { Closed, NewFile, InPlace, Special };
    int openInPlace();
    int openSpecial();
    int copyInPlace(bool sync);
    int commitNewFile(bool sync);
    int commitInPlace(bool sync);
    void putBack();
    void discardNewFile();

    int fd_ = -1;
    Mode mode_ = Mode::Closed;
    std::string target_;
    std::string temp_;
    bool exists_ = false;
    mode_t oldMode_ = 0;
    uid_t oldOwner_ = 0;
    gid_t oldGroup_ = 0;
    off_t written_ = 0;
    bool touched_ = false;            // in place: the old file has been changed
    std::optional<std::string> old_;  // in place: its old content, when it could be read
};

// Makes bytes the whole content of the file at path, as Replacement does, in one call; sync as
// for Commit. Returns 0 or an errno; the old file is then as it was.
int WriteWhole(const std::string& path, std::string_view bytes, Special special, bool sync);

// The same, throwing FileError(path, error, "gravar") on failure.
void WriteFile(const std::string& path, std::string_view bytes, Special special, bool sync);

}  // namespace safefile
