#include "editor/documents/documenttext.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

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
    if (fd < 0) throw safefile::FileError(path, errno, "abrir");
    struct stat st;
    int error = 0;
    if (::fstat(fd, &st) != 0) error = errno;
    else if (S_ISDIR(st.st_mode)) error = EISDIR;
    else if (!S_ISREG(st.st_mode)) error = EINVAL;
    if (error) {
        ::close(fd);
        throw safefile::FileError(path, error, "abrir");
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
            throw safefile::FileError(path, error, "ler");
        }
        have += static_cast<size_t>(n);
    }
    ::close(fd);
    content.resize(have);
    return content;
}

void WriteFile(const std::string& path, std::string_view bytes) {
    safefile::WriteFile(path, bytes, safefile::Special::Refuse, true);
}

}  // namespace doctext
