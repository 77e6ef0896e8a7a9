#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "generator/run.h"
#include "generator/ugerahtml.h"

namespace ugerahtml {
namespace {

// The system's reason in Portuguese for the failures users meet; the system's own text
// for the rest.
std::string reasonText(int error) {
    switch (error) {
        case ENOENT: return "arquivo ou pasta inexistente";
        case EACCES: case EPERM: return "permiss\xC3\xA3o negada";
        case ENOSPC: return "n\xC3\xA3o h\xC3\xA1 espa\xC3\xA7o no disco";
        case EDQUOT: return "cota de disco esgotada";
        case EISDIR: return "\xC3\xA9 uma pasta";
        case ENOTDIR: return "parte do caminho n\xC3\xA3o \xC3\xA9 uma pasta";
        case EROFS: return "disco somente para leitura";
        case EFBIG: return "arquivo grande demais";
        case ENAMETOOLONG: return "nome longo demais";
        case EINVAL: return "n\xC3\xA3o \xC3\xA9 um arquivo comum";
        case EIO: return "erro de entrada/sa\xC3\xAD" "da";
        default: return std::strerror(error);
    }
}

}  // namespace

FileError::FileError(const std::string& file, int error, const std::string& action)
    : std::runtime_error("Erro ao " + action + " o arquivo " + file + ": " + reasonText(error)),
      file_(file),
      error_(error) {}

bool LineReader::Next(std::string_view& line) {
    if (pos_ >= content_.size()) return false;
    const size_t start = pos_;
    const void* lf = std::memchr(content_.data() + start, '\n', content_.size() - start);
    size_t end;
    if (lf) {
        end = static_cast<size_t>(static_cast<const char*>(lf) - content_.data());
        pos_ = end + 1;
    } else {
        end = content_.size();
        pos_ = end;
    }
    if (end > start && content_[end - 1] == '\r') --end;
    line = std::string_view(content_).substr(start, end - start);
    return true;
}

std::optional<std::string> ReadFileBytes(const std::string& nativePath) {
    // No file name holds a NUL; the system would read the name only up to it.
    if (nativePath.find('\0') != std::string::npos) {
        errno = ENOENT;
        return std::nullopt;
    }
    // Non-blocking, so that opening a pipe nobody writes to cannot hang the run.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::string content;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Only plain files are read: a folder, a device such as /dev/zero or a pipe would
        // give no end or no lines.
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return std::nullopt;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (st.st_size > 0) content.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            throw FileError(nativePath, error, "ler");
        }
        content.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

size_t PageWriter::bufferLimit_ = 1 << 20;

void PageWriter::SetBufferLimit(size_t bytes) { bufferLimit_ = bytes ? bytes : 1; }

PageWriter::~PageWriter() { Abandon(); }

void PageWriter::Create(const std::string& nativePath) {
    Abandon();
    name_ = nativePath;
    fd_ = ::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) throw FileError(nativePath, errno, "criar");
    buffer_.clear();
    buffer_.reserve(bufferLimit_ + 4096);
}

void PageWriter::WriteTranslated(std::string_view text) {
    if (scanner_) scanner_->Feed(text);
    AppendAccents(buffer_, text);
    if (buffer_.size() >= bufferLimit_) Flush();
}

void PageWriter::Flush() {
    if (fd_ < 0) {
        buffer_.clear();
        return;
    }
    size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            buffer_.clear();
            throw FileError(name_, error, "gravar");
        }
        done += static_cast<size_t>(n);
    }
    buffer_.clear();
}

void PageWriter::Close() {
    Flush();
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0) throw FileError(name_, errno, "gravar");
}

void PageWriter::Abandon() {
    buffer_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool EqualsUpperAscii(std::string_view text, std::string_view upperLiteral) {
    if (text.size() != upperLiteral.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (c != upperLiteral[i]) return false;
    }
    return true;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

std::string UpperAnsi(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
            c = static_cast<char>(b - 32);
        else if (b == 0x9A || b == 0x9C || b == 0x9E)
            c = static_cast<char>(b - 16);
        else if (b == 0xFF)
            c = static_cast<char>(0x9F);
    }
    return out;
}

std::string_view TrimControls(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
    return text;
}

int LeadingNumber(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

std::string PageNameFor(const std::string& document) {
    if (document.size() >= 5 && EqualsUpperAscii(std::string_view(document).substr(document.size() - 5), ".VLOQ"))
        return document.substr(0, document.size() - 5) + ".htm";
    return document + ".htm";
}

}  // namespace ugerahtml
