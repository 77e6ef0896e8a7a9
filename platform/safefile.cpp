#include "platform/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace safefile {
namespace {

FileId idOf(const struct stat& st) { return {st.st_dev, st.st_ino, true}; }

bool refused(int error) { return error == EACCES || error == EPERM; }

// Writes all bytes to fd, going on after interruptions; at offset when one is given. Returns 0
// or the errno of the failure.
int writeAll(int fd, std::string_view bytes, std::optional<off_t> offset = std::nullopt) {
    size_t done = 0;
    while (done < bytes.size()) {
        const char* data = bytes.data() + done;
        const size_t left = bytes.size() - done;
        const ssize_t n = offset ? ::pwrite(fd, data, left, *offset + off_t(done)) : ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// The size bytes of fd from its start, or nullopt when they cannot be read.
std::optional<std::string> readAll(int fd, off_t size) {
    std::string content(static_cast<size_t>(size), '\0');
    size_t have = 0;
    while (have < content.size()) {
        const ssize_t n = ::pread(fd, content.data() + have, content.size() - have, off_t(have));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        have += static_cast<size_t>(n);
    }
    content.resize(have);
    return content;
}

// Reserves length bytes of fd from offset without changing its size. A file system that keeps
// no reservations of its own gets the C library's, which writes the missing blocks (and may
// grow the file; the writer sets the size at the end). Only a lack of space counts as a
// failure: where nothing can be reserved the write goes on and meets the disk as it is.
int reserve(int fd, off_t offset, size_t length) {
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, offset, off_t(length)) == 0) return 0;
    int error = errno;
    if (error == EOPNOTSUPP || error == ENOSYS) error = ::posix_fallocate(fd, offset, off_t(length));
    return error == ENOSPC || error == EDQUOT || error == EFBIG ? error : 0;
}

// Makes a new file given to the old file's owner this process's own again.
void takeBack(const std::string& file) {
    if (::lchown(file.c_str(), ::geteuid(), gid_t(-1)) != 0) {
        // Then it was never given away.
    }
}

// Makes the folder's entries (a rename) reach the disk.
void syncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

}  // namespace

mode_t NewFileMode() {
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
            break;
        }
    }
    return 0666 & ~mask;
}

FileId IdOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return {};
    return idOf(st);
}

FileId IdOfOpen(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return {};
    return idOf(st);
}

std::string ResolvedTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string target(real);
    std::free(real);
    return target;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int Replacement::Open(const std::string& path, Special special) {
    Abandon();
    target_ = ResolvedTarget(path);
    struct stat old;
    exists_ = ::stat(target_.c_str(), &old) == 0;
    if (exists_) {
        if (S_ISDIR(old.st_mode)) return EISDIR;
        if (!S_ISREG(old.st_mode)) return special == Special::WriteThrough ? openSpecial() : EINVAL;
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return errno;
        oldMode_ = old.st_mode & 07777;
        oldOwner_ = old.st_uid;
        oldGroup_ = old.st_gid;
        // A new file would take only this name: the file's other names would keep the old text.
        if (old.st_nlink > 1) return openInPlace();
    }
    temp_ = FolderOf(target_) + "/.velloq-XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        temp_.clear();
        return exists_ && refused(error) ? openInPlace() : error;
    }
    mode_ = Mode::NewFile;
    written_ = 0;
    return 0;
}

int Replacement::openSpecial() {
    // Non-blocking, so that a pipe nobody reads from cannot hang the writer.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return errno;
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    mode_ = Mode::Special;
    return 0;
}

int Replacement::openInPlace() {
    bool readable = true;
    fd_ = ::open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0 && errno == EACCES) {
        readable = false;
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd_ < 0) return errno;
    struct stat st;
    const int error = ::fstat(fd_, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
    if (error) {
        ::close(fd_);
        fd_ = -1;
        return error;
    }
    old_.reset();
    if (readable && st.st_size <= kMaxKeptBytes) old_ = readAll(fd_, st.st_size);
    mode_ = Mode::InPlace;
    written_ = 0;
    touched_ = false;
    return 0;
}

int Replacement::Write(std::string_view bytes) {
    if (fd_ < 0) return EBADF;
    if (bytes.empty()) return 0;
    int error = 0;
    if (mode_ == Mode::InPlace) {
        touched_ = true;
        error = reserve(fd_, written_, bytes.size());
        if (!error) error = writeAll(fd_, bytes, written_);
    } else {
        error = writeAll(fd_, bytes);
    }
    if (!error) written_ += off_t(bytes.size());
    return error;
}

int Replacement::Commit(bool sync) {
    if (fd_ < 0) return EBADF;
    int error = 0;
    switch (mode_) {
        case Mode::NewFile: error = commitNewFile(sync); break;
        case Mode::InPlace: error = commitInPlace(sync); break;
        default:
            // A device may not sync; that is no failure of the writing.
            if (sync && ::fsync(fd_) != 0 && errno != EINVAL) error = errno;
            if (::close(fd_) != 0 && !error) error = errno;
            fd_ = -1;
            break;
    }
    Abandon();
    return error;
}

int Replacement::commitNewFile(bool sync) {
    int error = sync && ::fsync(fd_) != 0 ? errno : 0;
    if (!error) {
        // The bits go first, while the file is still ours to change; then the owner and group,
        // as far as the system allows: only an administrator may give a file away, and a user
        // may give it only to a group of their own.
        ::fchmod(fd_, exists_ ? oldMode_ : NewFileMode());
        if (exists_ && ::fchown(fd_, oldOwner_, oldGroup_) != 0 && ::fchown(fd_, uid_t(-1), oldGroup_) != 0) {
            // The new file stays the user's, in the user's group.
        }
    }
    if (::close(fd_) != 0 && !error) error = errno;
    fd_ = -1;
    if (error) return error;
    if (::rename(temp_.c_str(), target_.c_str()) == 0) {
        temp_.clear();
        if (sync) syncFolder(FolderOf(target_));
        return 0;
    }
    error = errno;
    // A sticky folder lets only the owner of a file replace it: then the file is written in
    // place from the new one.
    return exists_ && refused(error) ? copyInPlace(sync) : error;
}

int Replacement::copyInPlace(bool sync) {
    // The new file is read back as its maker's, whatever the old file's bits let others do.
    takeBack(temp_);
    const int in = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    int error = in < 0 ? errno : openInPlace();
    char buffer[1 << 16];
    while (!error) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : commitInPlace(sync);
            break;
        }
        error = Write(std::string_view(buffer, size_t(n)));
    }
    if (in >= 0) ::close(in);
    return error;
}

int Replacement::commitInPlace(bool sync) {
    int error = ::ftruncate(fd_, written_) != 0 ? errno : 0;
    if (!error && sync && ::fsync(fd_) != 0) error = errno;
    if (error) return error;  // Abandon puts the old content back
    touched_ = false;
    error = ::close(fd_) != 0 ? errno : 0;
    fd_ = -1;
    return error;
}

void Replacement::putBack() {
    if (!touched_ || !old_) return;
    if (writeAll(fd_, *old_, 0) == 0 && ::ftruncate(fd_, off_t(old_->size())) == 0) ::fsync(fd_);
}

void Replacement::discardNewFile() {
    // A new file already given to the old file's owner is taken back first: in a sticky folder
    // only its owner may remove it.
    takeBack(temp_);
    ::unlink(temp_.c_str());
}

void Replacement::Abandon() {
    if (fd_ >= 0 && mode_ == Mode::InPlace) putBack();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) discardNewFile();
    temp_.clear();
    old_.reset();
    touched_ = false;
    mode_ = Mode::Closed;
}

int WriteWhole(const std::string& path, std::string_view bytes, Special special, bool sync) {
    Replacement replacement;
    if (const int error = replacement.Open(path, special)) return error;
    if (const int error = replacement.Write(bytes)) return error;
    return replacement.Commit(sync);
}

void WriteFile(const std::string& path, std::string_view bytes, Special special, bool sync) {
    if (const int error = WriteWhole(path, bytes, special, sync)) throw FileError(path, error, "gravar");
}

}  // namespace safefile
