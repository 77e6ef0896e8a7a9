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

int WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

int Replacement::openInPlace(int flags) {
    // Non-blocking, so that a pipe nobody reads from cannot hang the writer.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | flags);
    if (fd_ < 0) return errno;
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    inPlace_ = true;
    return 0;
}

int Replacement::Open(const std::string& path, InPlace inPlace) {
    Abandon();
    target_ = ResolvedTarget(path);
    struct stat old;
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) return EISDIR;
        if (!S_ISREG(old.st_mode)) return inPlace == InPlace::WhenNeeded ? openInPlace(O_TRUNC) : EINVAL;
        // Renaming would replace a read-only file as easily as any other; it must stay.
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    }
    temp_ = FolderOf(target_) + "/.velloq-XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        temp_.clear();
        if (exists && inPlace == InPlace::WhenNeeded && (error == EACCES || error == EPERM))
            return openInPlace(O_TRUNC);
        return error;
    }
    ::fchmod(fd_, exists ? (old.st_mode & 07777) : NewFileMode());
    if (exists && ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
        // Only an administrator may give a file away; the new file stays ours.
    }
    return 0;
}

int Replacement::Commit(bool sync) {
    if (fd_ < 0) return EBADF;
    int error = 0;
    // A device written in place may not sync; that is no failure of the writing.
    if (sync && ::fsync(fd_) != 0 && errno != EINVAL) error = errno;
    if (::close(fd_) != 0 && !error) error = errno;
    fd_ = -1;
    if (inPlace_) {
        inPlace_ = false;
        return error;
    }
    if (!error && ::rename(temp_.c_str(), target_.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return error;
    }
    temp_.clear();
    if (sync) {
        // The rename itself reaches the disk with the folder.
        const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return 0;
}

void Replacement::Abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    inPlace_ = false;
}

}  // namespace safefile
