#pragma once
// Document files: how their bytes become the editor's text and back, and how they are read
// and written. A document is Windows-1252 bytes with CR LF between lines, unless it came as
// UTF-8 from another editor: then it stays UTF-8, and keeps its LF line ends when it had only
// those.
#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/filelimits.h"

namespace doctext {

// How a document's text is stored on disk.
struct Format {
    bool utf8 = false;        // else Windows-1252
    bool lfLineEnds = false;  // LF between lines, else CR LF; only a UTF-8 document has it
    bool byteOrderMark = false;  // a UTF-8 document that starts with one

    bool operator==(const Format&) const = default;
};

// The editor's text of a document and the format it was read in.
struct Document {
    QString text;
    Format format;
};

// The largest document the editor opens: the bound the generator applies to every text file.
inline constexpr std::int64_t kMaxDocumentBytes = filelimits::kMaxTextFileBytes;

// A file too large to edit, or one that does not fit in memory: the editor keeps its text.
class TooLargeError : public std::runtime_error {
public:
    explicit TooLargeError(const std::string& message) : std::runtime_error(message) {}
};

// The editor's text of a document's bytes, read in one pass. Bytes that are well-formed UTF-8
// holding at least one multi-byte sequence are read as UTF-8 (a byte-order mark is noted in
// the format, not kept in the text); anything else byte by byte as Windows-1252. Every CR LF pair,
// lone CR and lone LF becomes one line break ("\n"). A UTF-8 text whose line ends are all
// lone LF keeps them (lfLineEnds). Never fails.
Document Decode(std::string_view bytes);

// The document bytes of the editor's text in format: lines separated by CR LF (LF with
// lfLineEnds) with none added after the last, after the byte-order mark of a UTF-8 document
// that had one. Windows-1252 writes a numeric character
// reference ("&#8804;") for each character that it cannot hold, so that the page shows it;
// UTF-8 holds every character as it is. Qt's paragraph and line separators count as line
// breaks. Never fails.
std::string Encode(const QString& text, Format format = {});

// The whole content of the file at path (a native path; a bare name resolves against the
// current directory). Throws TooLargeError when it holds more than kMaxDocumentBytes (before
// reading any of it), and safefile::FileError when it is missing, unreadable, a folder or not
// a plain file.
std::string ReadFile(const std::string& path);

// Makes bytes the content of the document file at path through the safe writer
// (platform/safefile): never half written, a link followed, a file with several names or in a
// folder that takes no new file written in place, permissions and owner kept; the bytes reach
// the disk before this returns. Throws safefile::FileError when the folder is missing, the old
// file is read-only, a folder, a device or a pipe, or the disk is full; the old file is then as
// it was.
void WriteFile(const std::string& path, std::string_view bytes);

}  // namespace doctext
