#pragma once
// The page generator: turns a document in the page markup into an HTML page framed by the
// template. Documents, templates, include files and pages are Windows-1252 bytes; file names
// given here are native paths.
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/fileerror.h"

namespace ugerahtml {

// A file that could not be opened, read or written: the file layer's error type.
using FileError = safefile::FileError;

// The page would be written over a file that the run reads: the document, an include file or
// the template (the same file by device and inode, so links count too). Nothing is written.
class PageIsInputError : public FileError {
public:
    // input names what the file is to the run: "o documento", "o arquivo de inclusão", ...
    PageIsInputError(const std::string& page, const std::string& input, const std::string& file);
};

// What a run met that did not stop it.
struct PageReport {
    bool templateIncomplete = false;  // the template was missing or lacked a section
};

// Generates the page of a document. Warnings (a missing include file, a missing or damaged
// template) go through the message seam and the run goes on; report, when given, tells of
// them. The page is written beside the old one and takes its place only when whole. Returns
// true when the page was written whole; false when a write to the page failed while the body
// was translated, which is reported as "VQERRDSK: " and the file error's message through the
// message seam. Any other failure throws FileError (PageIsInputError when the page is a file
// the run reads) with a message naming the file, also for a lack of memory. After a false
// return or a throw the old page is as it was (a device or a pipe keeps what was written). Reads and may change runstate::TemplateFile; reads
// runstate::Author and runstate::Contact.
bool GeneratePage(const std::string& document, const std::string& page, PageReport* report = nullptr);

// The text with each accented letter of the accent table replaced by its HTML entity; every
// other byte is kept. Cannot fail.
std::string TranslateAccents(std::string_view text);

// The entity of a Windows-1252 byte, or nullptr when it has none.
const char* AccentEntity(unsigned char byte);

// The page name of a document: a final ".vloq" in any letter case becomes ".htm", any other
// name gets ".htm" appended.
std::string PageNameFor(const std::string& document);

}  // namespace ugerahtml
