#pragma once
// The page generator: turns a document in the page markup into an HTML page framed by the
// template. Documents, templates, include files and pages are Windows-1252 bytes; file names
// given here are native paths.
#include <stdexcept>
#include <string>
#include <string_view>

namespace ugerahtml {

// A file that could not be opened, read or written. what() is a UTF-8 message naming the
// file and the system's reason, ready to be shown to the user.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& file, int error, const std::string& action);
    const std::string& file() const { return file_; }
    int error() const { return error_; }

private:
    std::string file_;
    int error_;
};

// Generates the page of a document. Warnings (a missing include file, a missing or damaged
// template) go through the message seam and the run goes on. Returns true when the page was
// written whole; false when a write to the page failed while the body was translated, which
// is reported as "VQERRDSK" through the message seam and leaves the page as far as it got.
// Any other file error throws FileError: a document that cannot be read leaves no page at
// all, and a page that cannot be written keeps what was written before. Reads and may change
// uvars::TemplateFile; reads uvars::Author and uvars::Contact.
bool GeneratePage(const std::string& document, const std::string& page);

// The text with each accented letter of the accent table replaced by its HTML entity; every
// other byte is kept. Cannot fail.
std::string TranslateAccents(std::string_view text);

// The entity of a Windows-1252 byte, or nullptr when it has none.
const char* AccentEntity(unsigned char byte);

// The page name of a document: a final ".vloq" in any letter case becomes ".htm", any other
// name gets ".htm" appended.
std::string PageNameFor(const std::string& document);

}  // namespace ugerahtml
