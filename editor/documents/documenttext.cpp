#include "editor/documents/documenttext.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "generator/ugerahtml.h"
#include "platform/codepage.h"
#include "platform/safefile.h"

namespace doctext {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The UTF-16 unit of each Windows-1252 byte: every character of the code page lies in the
// Basic Multilingual Plane.
const std::array<char16_t, 256>& cp1252Units() {
    static const std::array<char16_t, 256> units = [] {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b)
            table[size_t(b)] = static_cast<char16_t>(codepage::Cp1252ToCodePoint(static_cast<unsigned char>(b)));
        return table;
    }();
    return units;
}

// Windows-1252 bytes straight into the editor's text, each line end made one "\n".
QString decodeCp1252(std::string_view bytes) {
    const auto& units = cp1252Units();
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r') {
            *out++ = u'\n';
            if (i + 1 < n && bytes[i + 1] == '\n') ++i;
        } else {
            *out++ = units[b];
        }
    }
    text.truncate(qsizetype(out - begin));
    return text;
}

// Makes every CR LF and lone CR of text one "\n", in place. True when the text held line
// ends and all of them were lone LF.
bool joinLineEnds(QString& text) {
    const qsizetype firstCr = text.indexOf(u'\r');
    if (firstCr < 0) return text.contains(u'\n');
    char16_t* const d = reinterpret_cast<char16_t*>(text.data());
    const qsizetype n = text.size();
    qsizetype w = firstCr;
    for (qsizetype r = firstCr; r < n; ++r) {
        if (d[r] == u'\r') {
            d[w++] = u'\n';
            if (r + 1 < n && d[r + 1] == u'\n') ++r;
        } else {
            d[w++] = d[r];
        }
    }
    text.truncate(w);
    return false;
}

void appendCp1252(std::string& out, char32_t cp) {
    const int b = codepage::CodePointToCp1252(cp);
    if (b >= 0) out += static_cast<char>(b);
    else out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
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

// Writes all of bytes at offset; false with errno set when the system refuses part of them.
bool writeAllAt(int fd, std::string_view bytes, off_t offset) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The size bytes of fd from its start, or nullopt when they cannot be read (a file open
// for writing only) or are more than a document may hold.
std::optional<std::string> readAll(int fd, off_t size) {
    if (size > kMaxDocumentBytes) return std::nullopt;
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

// Gives the file the old one's permission bits, and its owner and group as far as the system
// allows: only an administrator may give a file away, and a user may give it only to a group
// of their own. The bits go first, while the file is still ours to change.
void keepModeAndOwner(int fd, const struct stat& old) {
    ::fchmod(fd, old.st_mode & 07777);
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // The new file stays the user's, in the user's group.
    }
}

// Overwrites the file at target with bytes, keeping the file itself (its links, owner and
// permissions). Space is reserved first, so that a full disk stops the write before it
// changes anything where the file system can tell; when a write fails all the same, the old
// content goes back (when the file could be read).
void writeInPlace(const std::string& path, const std::string& target, std::string_view bytes) {
    auto fail = [&path](int error) { throw ugerahtml::FileError(path, error, "gravar"); };
    int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EACCES) fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) fail(errno);
    struct stat st;
    const int statError = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
    if (statError) {
        ::close(fd);
        fail(statError);
    }
    const std::optional<std::string> old = readAll(fd, st.st_size);
    if (!bytes.empty() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        const int error = errno;
        ::close(fd);
        fail(error);
    }
    if (!writeAllAt(fd, bytes, 0) || ::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (old && writeAllAt(fd, *old, 0) && ::ftruncate(fd, off_t(old->size())) == 0) ::fsync(fd);
        ::close(fd);
        fail(error);
    }
    if (::close(fd) != 0) fail(errno);
}

enum class Replaced { Done, NotHere };

// Writes bytes to a new file beside target and renames it over target. NotHere, with nothing
// changed, when the folder takes no new file or refuses the rename: the caller writes in
// place instead.
Replaced replaceByRename(const std::string& path, const std::string& target, std::string_view bytes,
                         const struct stat* old) {
    auto fail = [&path](int error) { throw ugerahtml::FileError(path, error, "gravar"); };
    const auto refused = [](int error) { return error == EACCES || error == EPERM; };
    std::string temp = folderOf(target) + "/.velloq-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (old && refused(errno)) return Replaced::NotHere;
        fail(errno);
    }
    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        fail(error);
    };
    if (!writeAllAt(fd, bytes, 0)) abandon(errno);
    if (::fsync(fd) != 0) abandon(errno);
    if (old) keepModeAndOwner(fd, *old);
    else ::fchmod(fd, safefile::NewFileMode());
    // A copy already given to the old file's owner is taken back first: in a sticky folder
    // only its owner may remove it.
    auto discard = [&temp] {
        if (::lchown(temp.c_str(), ::geteuid(), gid_t(-1)) != 0) {
            // Then it was never given away.
        }
        ::unlink(temp.c_str());
    };
    if (::close(fd) != 0) {
        const int error = errno;
        discard();
        fail(error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        discard();
        // A sticky folder lets only the owner of a file replace it.
        if (old && refused(error)) return Replaced::NotHere;
        fail(error);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Replaced::Done;
}

}  // namespace

Document Decode(std::string_view bytes) {
    Document document;
    if (codepage::IsUtf8Text(bytes)) {
        // The byte-order mark is no character of the text; it is written back on saving.
        document.format.byteOrderMark = bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark;
        if (document.format.byteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
        document.text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        document.format.utf8 = true;
        document.format.lfLineEnds = joinLineEnds(document.text);
    } else {
        document.text = decodeCp1252(bytes);
    }
    return document;
}

std::string Encode(const QString& text, Format format) {
    const std::string_view lineEnd = format.lfLineEnds && format.utf8 ? "\n" : "\r\n";
    const char16_t* const units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    std::string out;
    out.reserve(size_t(n) + size_t(n) / 16);
    if (format.utf8 && format.byteOrderMark) out += kByteOrderMark;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = units[i];
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += lineEnd;
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(units[i + 1]))
            cp = QChar::surrogateToUcs4(c, units[++i]);
        else if (QChar::isSurrogate(c))
            cp = QChar::ReplacementCharacter;
        if (format.utf8) codepage::AppendUtf8(out, cp);
        else appendCp1252(out, cp);
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
    const auto tooLarge = [&path] {
        return TooLargeError("O arquivo " + path + " \xC3\xA9 grande demais para editar: o limite \xC3\xA9 de " +
                             std::to_string(kMaxDocumentBytes >> 20) + " MB. O texto atual continua no editor.");
    };
    if (st.st_size > kMaxDocumentBytes) {
        ::close(fd);
        throw tooLarge();
    }
    // The size said by the file system, and one byte to find the end in, is all a file takes
    // unless it grows meanwhile: then it is read on, up to the bound.
    std::string content(static_cast<size_t>(st.st_size) + 1, '\0');
    size_t have = 0;
    for (;;) {
        if (have == content.size()) {
            if (have > size_t(kMaxDocumentBytes)) {
                ::close(fd);
                throw tooLarge();
            }
            content.resize(have + (1 << 16));
        }
        const ssize_t n = ::read(fd, content.data() + have, content.size() - have);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            ::close(fd);
            throw ugerahtml::FileError(path, error, "ler");
        }
        have += static_cast<size_t>(n);
    }
    ::close(fd);
    content.resize(have);
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
        // A new file would take only this name: the file's other names would keep the old text.
        if (old.st_nlink > 1) {
            writeInPlace(path, target, bytes);
            return;
        }
    }
    if (replaceByRename(path, target, bytes, exists ? &old : nullptr) == Replaced::NotHere)
        writeInPlace(path, target, bytes);
}

}  // namespace doctext
