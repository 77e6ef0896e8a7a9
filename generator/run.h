#pragma once
// The state of one generation run and the line handlers that work on it. Internal to the
// generator and its tests.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/readings.h"
#include "generator/generator.h"
#include "platform/safefile.h"

namespace pagegen {

// Appends the text to out with the accented letters replaced by their entities.
void AppendAccents(std::string& out, std::string_view text);

// Whether text equals the upper-case literal once its ASCII letters are upper-cased.
bool EqualsUpperAscii(std::string_view text, std::string_view upperLiteral);
// Upper-cases the ASCII letters only.
std::string UpperAscii(std::string_view text);
// Upper-cases letters the way the system's Windows-1252 rules do, accented letters included.
std::string UpperAnsi(std::string_view text);
// Removes the characters of codes 0 to 32 from both ends.
std::string_view TrimControls(std::string_view text);
// The whole number at the start of text: optional sign, then decimal digits; 0 when text
// does not begin with a number. Saturates instead of overflowing.
int LeadingNumber(std::string_view text);

// The lines of a file, read in bounded chunks so that memory follows the longest line, not the
// file's size. A line ends at a line feed, a carriage return and a line feed, or a carriage
// return alone (as old editors end lines); a last line without a line end counts too. A file
// that is well-formed UTF-8 holding at least one multi-byte sequence is read as UTF-8: its
// lines arrive as Windows-1252, with a numeric character reference for each character that
// Windows-1252 lacks. Any other file arrives as its bytes. A UTF-8 byte-order mark at the file's start is no text and is dropped.
class LineReader {
public:
    // Longest line Next gives; a longer one ends the run with a FileError.
    static constexpr size_t kMaxLine = size_t{256} << 20;
    // Tests make the longest line short.
    static void SetLineLimit(size_t bytes);

    LineReader() = default;
    // The lines of a text held in memory, taken as Windows-1252.
    explicit LineReader(std::string content);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens a plain file. False, with errno set, when it cannot be opened or is no plain file
    // (EISDIR for a folder, EINVAL for a device or a pipe), or is larger than
    // filelimits::kMaxTextFileBytes (EFBIG, before any of it is read). Throws FileError when it
    // opens but cannot be read, or grows past the bound while it is read.
    bool Open(const std::string& nativePath);
    // The next whole line, or false at the end. The view lives until the next call. Throws
    // FileError on a read failure or a line longer than the limit, kMaxLine.
    bool Next(std::string_view& line);
    // The next piece of a line, at most about 64 KB, for lines that need not be held whole;
    // lineEnds tells whether the line ends after the piece. Throws as Next does.
    bool NextPiece(std::string_view& piece, bool& lineEnds);
    // The identity of the open file; unknown for a text in memory.
    const safefile::FileId& id() const { return id_; }
    bool utf8() const { return utf8_; }

private:
    void fill();
    bool findLineEnd(size_t& stop, size_t& next);
    std::string_view take(size_t stop, size_t next);
    static size_t maxLine_;
    int fd_ = -1;
    std::string name_;
    std::string buffer_;
    size_t begin_ = 0;    // start of the line under way
    size_t scanned_ = 0;  // bytes before this hold no line end
    size_t end_ = 0;      // end of the bytes read
    std::int64_t fileBytes_ = 0;  // bytes read from the file so far
    bool atEnd_ = true;   // nothing more to read
    bool utf8_ = false;
    std::string converted_;
    safefile::FileId id_;
};

// Writes the page through a buffer and the safe writer (platform/safefile), which puts it in
// place of the old page only when the run closes it: a failed run leaves the old page as it
// was. A device or a pipe is written as the page comes. A failed write throws FileError naming
// the page.
class PageWriter {
public:
    PageWriter() = default;
    ~PageWriter() { Abandon(); }
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    // Prepares the page; throws FileError when it cannot be created.
    void Create(const std::string& nativePath);
    void Write(std::string_view text) { append(text); }
    void WriteTranslated(std::string_view text);
    void EndLine() { append("\r\n"); }
    void WriteLine(std::string_view text) { append(text); append("\r\n"); }
    void WriteTranslatedLine(std::string_view text) { WriteTranslated(text); EndLine(); }
    void Flush();
    // Flushes and puts the page in place of the old one; throws FileError when that fails.
    void Close();
    // Drops the page under way after a failure: the old page stays (a device or a pipe keeps
    // what was written).
    void Abandon();
    // How many bytes are gathered before they go to the file; tests make it small.
    static void SetBufferLimit(size_t bytes);
    // Shows everything written from now on, before accent translation, to scanner as well.
    void ShowTo(FormulaScanner* scanner) { scanner_ = scanner; }
    // The page's name as the caller gave it.
    const std::string& name() const { return name_; }

private:
    void append(std::string_view text) {
        if (scanner_) scanner_->Feed(text);
        buffer_.append(text);
        if (buffer_.size() >= bufferLimit_) Flush();
    }
    static size_t bufferLimit_;
    safefile::Replacement file_;
    std::string name_;
    std::string buffer_;
    FormulaScanner* scanner_ = nullptr;
};

// The reason given for a file larger than filelimits::kMaxTextFileBytes, naming the bound.
std::string TooLargeReason();

// Page information, filled by ReadPageHeader; it lives until the next run.
struct PageInfo {
    std::string title;
    std::string topic;
    std::string author;
    std::string contact;
};

// The template, read once per run: every section is looked up in the same lines.
struct TemplateCache {
    bool loaded = false;
    bool available = false;
    bool tooLarge = false;  // the file is there but larger than the bound
    // A line without placeholders is written as it stands or ends the section; a line with
    // them is filled first, and only then is it known whether it ends the section.
    enum Kind : unsigned char { Plain, End, Filled };
    std::vector<std::string> lines;
    std::vector<Kind> kinds;
    std::vector<std::pair<std::string, size_t>> markers;  // marker, index of its line
    std::string scratch;  // a line being filled, kept to spare allocations
};

struct Run {
    PageSettings settings;               // the template, author and contact of this page
    PageReport* report = nullptr;        // where the caller wants to hear of the run, if anywhere
    LineReader document;
    PageWriter page;
    safefile::FileId pageId;             // the page's file before the run, if it has one
    std::string reading;                 // the file being read, for messages
    bool templateIncomplete = false;
    bool includeLeftOut = false;
    bool afterBlank = true;
    bool tableMode = false;
    bool templateWarned = false;
    bool checkedOutput = false;  // the writes under way are those of a checked line kind
    TemplateCache templ;
    FormulaScanner formulas;  // fed only when the template asks for readings
    // A template that asks for readings writes pages for today's browsers: it styles tables
    // in its own head, so tables carry no style element, and labels are closed anchors.
    bool validPage = false;
};

// Table state that outlives runs: the cell counter and columns per row.
struct TableCounters {
    int cells = 0;
    int columns = 0;
};
TableCounters& Table();
PageInfo& Info();

// Page-information lines at the top of the document.
void ReadPageHeader(Run& run);
// Copies one template section into the page, filling its placeholders.
void WriteTemplateSection(Run& run, std::string_view marker);
// A title line "*topic".
void WriteTitle(Run& run, std::string_view line);

// Label "#name", link "{...", image "$...", table "@..." and table cells.
void WriteLabel(Run& run, std::string_view line);
void WriteLink(Run& run, std::string_view line);
void WriteImage(Run& run, std::string_view line);
void WriteTableLine(Run& run, std::string_view line);
void WriteTableCell(Run& run, std::string_view text);

// Form commands "&...".
void WriteFormCommand(Run& run, std::string_view line);

// The fields of a link line "{target text}after".
struct LinkFields {
    std::string target;
    bool newWindow = false;
    std::string text;
    std::string after;
};
LinkFields SplitLink(std::string_view line);

// The fields of an image line "$file comment$", before the comment is taken from the next line.
struct ImageFields {
    bool centred = true;
    std::string file;
    std::string comment;
};
ImageFields SplitImage(std::string_view line);

// Takes one field from the front of rest and shortens rest. The field is a view into the
// same text as rest.
std::string_view NextField(std::string_view& rest);

// The embosser's two files of a document read from `document`: the ASCII braille and the
// Unicode braille.
struct BrailleFiles {
    std::string ascii, unicode;
};
BrailleFiles BrailleDocument(LineReader& document, const PageSettings& settings, BrailleReport* report);

// Section markers and placeholders, in Windows-1252.
inline constexpr std::string_view kHeaderMarker = "<<<CABE\xC7" "ALHO>>>";
inline constexpr std::string_view kTopicMarker = "<<<T\xD3PICO>>>";
inline constexpr std::string_view kSignatureMarker = "<<<ASSINATURA>>>";

}  // namespace pagegen
