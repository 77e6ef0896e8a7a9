#include "editor/doctext.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "generator/ugerahtml.h"
#include "platform/codepage.h"

namespace doctext {
namespace {

// Every CR LF, lone CR and lone LF as one LF.
std::string joinLineEnds(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            out += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The permission bits a new file gets from this process.
mode_t newFileMode() {
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

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file that a write to path changes: the end of a chain of links, or path itself.
std::string resolvedTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;  // a dangling link is replaced by the new file
    std::string target(real);
    std::free(real);
    return target;
}

bool writeAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

QString Decode(std::string_view bytes) {
    const std::string utf8 = codepage::Cp1252ToUtf8(joinLineEnds(bytes));
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string Encode(const QString& text) {
    QString lines = text;
    lines.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    const QByteArray utf8 = lines.toUtf8();
    const std::string cp1252 = codepage::Utf8ToCp1252(std::string_view(utf8.constData(), size_t(utf8.size())));
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 16);
    for (char c : cp1252) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string ReadFile(const std::string& path) {
    // Non-blocking, so that a pipe that nobody writes to cannot hang the editor.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw ugerahtml::FileError(path, errno, "abrir");
    struct stat st;
    int error = 0;
    if (::fstat(fd, &st) != 0) error = errno;
    else if (S_ISDIR(st.st_mode)) error = EISDIR;
    else if (!S_ISREG(st.st_mode)) error = EINVAL;
    if (error) {
        ::close(fd);
        throw ugerahtml::FileError(path, error, "abrir");
    }
    std::string content;
    content.reserve(static_cast<size_t>(st.st_size));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            ::close(fd);
            throw ugerahtml::FileError(path, error, "ler");
        }
        content.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

void WriteFile(const std::string& path, std::string_view bytes) {
    auto fail = [&path](int error) { throw ugerahtml::FileError(path, error, "gravar"); };
    const std::string target = resolvedTarget(path);

    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) fail(EISDIR);
        if (!S_ISREG(old.st_mode)) fail(EINVAL);
        // Renaming would replace a read-only file as easily as any other; it must stay.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) fail(errno);
    }

    std::string temp = folderOf(target) + "/.velloq-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) fail(errno);
    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        fail(error);
    };
    if (!writeAll(fd, bytes)) abandon(errno);
    if (::fsync(fd) != 0) abandon(errno);
    ::fchmod(fd, exists ? (old.st_mode & 07777) : newFileMode());
    if (exists && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the owner or an administrator may give a file away; the copy stays ours.
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        fail(error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        fail(error);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace doctext
