#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "generator/run.h"
#include "generator/generator.h"
#include "platform/codepage.h"
#include "platform/filelimits.h"

namespace pagegen {

PageWriteError::PageWriteError(const std::string& page, int error)
    : FileError(Message{std::string("VQERRDSK: ") + FileError(page, error, "gravar").what()}, page, error) {}

PageIsInputError::PageIsInputError(const std::string& page, const std::string& input, const std::string& file)
    : FileError(Message{"A p\xC3\xA1gina " + page + " seria gravada sobre " + input + " " + file +
                        ", que a gera; nada foi gravado"},
                page) {}

namespace {

constexpr size_t kBufferSize = size_t{256} << 10;
constexpr size_t kSmallBuffer = size_t{4} << 10;
constexpr size_t kPieceSize = size_t{64} << 10;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// How many bytes the UTF-8 sequence led by c takes.
size_t sequenceLength(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

}  // namespace

std::string TooLargeReason() {
    return "\xC3\xA9 maior que o limite de " + std::to_string(filelimits::kMaxTextFileMegabytes) + " MB";
}

size_t LineReader::maxLine_ = LineReader::kMaxLine;

void LineReader::SetLineLimit(size_t bytes) { maxLine_ = bytes ? bytes : 1; }

LineReader::LineReader(std::string content) : buffer_(std::move(content)) { end_ = buffer_.size(); }

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineReader::Open(const std::string& nativePath) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    begin_ = scanned_ = end_ = 0;
    fileBytes_ = 0;
    atEnd_ = true;
    utf8_ = false;
    id_ = {};
    // No file name holds a NUL; the system would read the name only up to it.
    if (nativePath.find('\0') != std::string::npos) {
        errno = ENOENT;
        return false;
    }
    // Non-blocking, so that opening a pipe nobody writes to cannot hang the run.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Only plain files are read: a folder, a device such as /dev/zero or a pipe would
        // give no end or no lines.
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return false;
    }
    // A file past the bound, such as a sparse file of many gigabytes, is refused before any of
    // it is read: reading it would take minutes and fill the disk with the page.
    if (st.st_size > filelimits::kMaxTextFileBytes) {
        ::close(fd);
        errno = EFBIG;
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    name_ = nativePath;
    id_ = {st.st_dev, st.st_ino, true};
    atEnd_ = false;
    // A small file, such as an include file named on many lines, takes a small buffer.
    const auto size = static_cast<size_t>(std::max<off_t>(st.st_size, 0));
    buffer_.resize(std::clamp<size_t>(size + 1, kSmallBuffer, kBufferSize));
    // Whether the file is UTF-8 takes all of it; a Windows-1252 file shows it is none at its
    // first accented letter, so as a rule only text files in UTF-8 are read twice.
    codepage::Utf8Sniffer sniffer;
    bool byteOrderMark = false;
    for (off_t at = 0; sniffer.StillPossible() && at <= filelimits::kMaxTextFileBytes;) {
        const ssize_t n = ::pread(fd_, buffer_.data(), buffer_.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError(name_, errno, "ler");
        if (n == 0) break;
        const std::string_view got(buffer_.data(), static_cast<size_t>(n));
        if (at == 0) byteOrderMark = got.substr(0, kByteOrderMark.size()) == kByteOrderMark;
        sniffer.Feed(got);
        at += n;
    }
    utf8_ = sniffer.IsUtf8();
    // The mark that some editors put before UTF-8 text is dropped whatever the rest holds:
    // "\xEF\xBB\xBF" at a file's start is never meant as three Windows-1252 letters.
    if (byteOrderMark && ::lseek(fd_, static_cast<off_t>(kByteOrderMark.size()), SEEK_SET) < 0)
        throw FileError(name_, errno, "ler");
    return true;
}

void LineReader::fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        scanned_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        // A line longer than the buffer: the buffer grows for it.
        buffer_.resize(std::min(buffer_.size() * 2, maxLine_ + kBufferSize));
    } else if (buffer_.size() > kBufferSize && end_ < kBufferSize / 2) {
        // After a long line, the memory it took is given back.
        buffer_.resize(kBufferSize);
        buffer_.shrink_to_fit();
    }
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError(name_, errno, "ler");
        fileBytes_ += n;
        if (fileBytes_ > filelimits::kMaxTextFileBytes) throw FileError(name_, "ler", TooLargeReason());
        if (n == 0) {
            atEnd_ = true;
            ::close(fd_);
            fd_ = -1;
        }
        end_ += static_cast<size_t>(n);
        return;
    }
}

// The bytes from the line's start up to stop, converted when the file is UTF-8; the next
// line starts at next.
std::string_view LineReader::take(size_t stop, size_t next) {
    std::string_view bytes(buffer_.data() + begin_, stop - begin_);
    begin_ = scanned_ = next;
    if (!utf8_) return bytes;
    converted_ = codepage::Utf8ToCp1252(bytes);
    return converted_;
}

// Looks for the end of the line under way: a line feed, a carriage return and a line feed, or
// a carriage return alone. A carriage return that is the last byte read may still have its line
// feed to come: it waits for more bytes unless the file has ended.
bool LineReader::findLineEnd(size_t& stop, size_t& next) {
    const char* data = buffer_.data();
    for (size_t at = scanned_; at < end_; ++at) {
        if (data[at] == '\n') {
            stop = at;
            next = at + 1;
            return true;
        }
        if (data[at] != '\r') continue;
        if (at + 1 < end_) {
            stop = at;
            next = data[at + 1] == '\n' ? at + 2 : at + 1;
            return true;
        }
        if (atEnd_) {
            stop = at;
            next = end_;
            return true;
        }
        scanned_ = at;
        return false;
    }
    scanned_ = end_;
    return false;
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        size_t stop = 0, next = 0;
        if (findLineEnd(stop, next)) {
            line = take(stop, next);
            return true;
        }
        if (atEnd_) {
            if (begin_ >= end_) return false;
            line = take(end_, end_);
            return true;
        }
        if (end_ - begin_ > maxLine_) throw FileError(name_, "ler", "uma linha \xC3\xA9 longa demais");
        fill();
    }
}

bool LineReader::NextPiece(std::string_view& piece, bool& lineEnds) {
    for (;;) {
        size_t stop = 0, next = 0;
        if (findLineEnd(stop, next)) {
            lineEnds = true;
            piece = take(stop, next);
            return true;
        }
        if (atEnd_) {
            if (begin_ >= end_) return false;
            lineEnds = true;
            piece = take(end_, end_);
            return true;
        }
        if (end_ - begin_ >= kPieceSize) {
            // A carriage return may stand before a line feed still unread, and a UTF-8
            // sequence may be cut: both wait for the next piece.
            const char* data = buffer_.data();
            size_t cut = data[end_ - 1] == '\r' ? end_ - 1 : end_;
            if (utf8_) {
                size_t lead = cut;
                while (lead > begin_ && cut - lead < 4 && isContinuation(data[lead - 1])) --lead;
                if (lead > begin_ && sequenceLength(data[lead - 1]) > cut - lead + 1) cut = lead - 1;
            }
            lineEnds = false;
            piece = take(cut, cut);
            return true;
        }
        fill();
    }
}

size_t PageWriter::bufferLimit_ = 1 << 20;

void PageWriter::SetBufferLimit(size_t bytes) { bufferLimit_ = bytes ? bytes : 1; }

void PageWriter::Create(const std::string& nativePath) {
    Abandon();
    name_ = nativePath;
    if (nativePath.find('\0') != std::string::npos) throw FileError(nativePath, ENOENT, "criar");
    const int error = file_.Open(nativePath, safefile::Special::WriteThrough);
    if (error) throw FileError(nativePath, error, "criar");
    buffer_.clear();
    buffer_.reserve(bufferLimit_ + 4096);
}

void PageWriter::WriteTranslated(std::string_view text) {
    if (scanner_) scanner_->Feed(text);
    AppendAccents(buffer_, text);
    if (buffer_.size() >= bufferLimit_) Flush();
}

void PageWriter::Flush() {
    const int error = file_.fd() < 0 ? 0 : file_.Write(buffer_);
    buffer_.clear();
    if (error) throw PageWriteError(name_, error);
}

void PageWriter::Close() {
    Flush();
    if (file_.fd() < 0) return;
    if (const int error = file_.Commit(false)) throw PageWriteError(name_, error);
}

void PageWriter::Abandon() {
    buffer_.clear();
    file_.Abandon();
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

}  // namespace pagegen
