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

namespace ugerahtml {

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

// The lines of a file held in memory: a line ends at a line feed, with or without a carriage
// return before it; a last line without a line feed counts too.
class LineReader {
public:
    LineReader() = default;
    explicit LineReader(std::string content) : content_(std::move(content)) {}
    bool AtEnd() const { return pos_ >= content_.size(); }
    // The next line, or false at the end. The view lives as long as the reader.
    bool Next(std::string_view& line);

private:
    std::string content_;
    size_t pos_ = 0;
};

// The whole content of a plain file, or nullopt with errno set when it cannot be opened or is
// no plain file (a folder, a device, a pipe). Throws FileError when it opens but cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& nativePath);

// Writes the page through a buffer. A failed write throws FileError.
class PageWriter {
public:
    PageWriter() = default;
    ~PageWriter();
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    // Creates (or empties) the file; throws FileError when it cannot.
    void Create(const std::string& nativePath);
    void Write(std::string_view text) { append(text); }
    void WriteTranslated(std::string_view text);
    void EndLine() { append("\r\n"); }
    void WriteLine(std::string_view text) { append(text); append("\r\n"); }
    void WriteTranslatedLine(std::string_view text) { WriteTranslated(text); EndLine(); }
    void Flush();
    // Flushes and closes; throws FileError when the last writes fail.
    void Close();
    // Closes without flushing, after a failure.
    void Abandon();
    // How many bytes are gathered before they go to the file; tests make it small.
    static void SetBufferLimit(size_t bytes);
    // Shows everything written from now on, before accent translation, to scanner as well.
    void ShowTo(FormulaScanner* scanner) { scanner_ = scanner; }

private:
    void append(std::string_view text) {
        if (scanner_) scanner_->Feed(text);
        buffer_.append(text);
        if (buffer_.size() >= bufferLimit_) Flush();
    }
    static size_t bufferLimit_;
    int fd_ = -1;
    std::string name_;
    std::string buffer_;
    FormulaScanner* scanner_ = nullptr;
};

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
    // A line without placeholders is written as it stands or ends the section; a line with
    // them is filled first, and only then is it known whether it ends the section.
    enum Kind : unsigned char { Plain, End, Filled };
    std::vector<std::string> lines;
    std::vector<Kind> kinds;
    std::vector<std::pair<std::string, size_t>> markers;  // marker, index of its line
    std::string scratch;  // a line being filled, kept to spare allocations
};

struct Run {
    LineReader document;
    PageWriter page;
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

// Section markers and placeholders, in Windows-1252.
inline constexpr std::string_view kHeaderMarker = "<<<CABE\xC7" "ALHO>>>";
inline constexpr std::string_view kTopicMarker = "<<<T\xD3PICO>>>";
inline constexpr std::string_view kSignatureMarker = "<<<ASSINATURA>>>";

}  // namespace ugerahtml
