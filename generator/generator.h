#pragma once
// The page generator: turns a document in the page markup into an HTML page framed by the
// template. Documents, templates, include files and pages are Windows-1252 bytes; file names
// given here are native paths.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fileerror.h"
#include "settings/settings.h"

namespace pagegen {

// A file that could not be opened, read or written: the file layer's error type.
using FileError = safefile::FileError;

// The page would be written over a file that the run reads: the document, an include file or
// the template (the same file by device and inode, so links count too). Nothing is written.
class PageIsInputError : public FileError {
public:
    // input names what the file is to the run: "o documento", "o arquivo de inclusão", ...
    PageIsInputError(const std::string& page, const std::string& input, const std::string& file);
};

// A write to the page failed, at any point of the run (a full disk, as a rule). what() is the
// disk-error code "VQERRDSK: " followed by the message naming the page and the reason.
class PageWriteError : public FileError {
public:
    PageWriteError(const std::string& page, int error);
};

// The template that frames a page when neither the settings nor the document name one.
inline constexpr const char* kDefaultTemplate = settings::kDefaultTemplate;

// What a run takes besides the document and the page's name: the template, author and contact
// in effect (Windows-1252, as settings files hold them). A document's header lines override
// them for its own page.
struct PageSettings {
    std::string templateFile;  // empty: kDefaultTemplate
    std::string author;
    std::string contact;
};

// What a run met that did not stop it.
struct PageReport {
    bool templateIncomplete = false;  // the template was missing or lacked a section
    bool includeLeftOut = false;      // an include file was missing or larger than the bound
    // The template the run used: the settings' one, or the one a "Modelo:" line named, which
    // is then the template of later runs too. Set once the document's header is read, also
    // when the run later fails.
    std::string templateFile;
};

// Generates the page of a document. Warnings (a missing include file, a missing or damaged
// template) go through the message seam and the run goes on; report, when given, tells of
// them. The page is written beside the old one and takes its place only when whole. Returns
// true when the page was written whole; false when a write to the page failed on an empty
// line, leading blanks or a text line, which is reported through the message seam with the
// PageWriteError's message ("VQERRDSK: ..."). Any other failure throws FileError with a message
// naming the file, also for a lack of memory: PageWriteError, whose message carries the same
// code, for every other failed write to the page, the last one at the end of the run included;
// PageIsInputError when the page is a file the run reads. After a false
// return or a throw the old page is as it was (a page written in place, where the folder
// takes no new file, keeps what was written).
bool GeneratePage(const std::string& document, const std::string& page, const PageSettings& settings,
                  PageReport* report = nullptr);

// The text with each accented letter of the accent table replaced by its HTML entity; every
// other byte is kept. Cannot fail.
std::string TranslateAccents(std::string_view text);

// The entity of a Windows-1252 byte, or nullptr when it has none.
const char* AccentEntity(unsigned char byte);

// The page name of a document: a final ".vloq" in any letter case becomes ".htm", any other
// name gets ".htm" appended.
std::string PageNameFor(const std::string& document);

// The document for an embosser: lines of at most this many cells, pages of this many lines, the
// last line of each holding the page's number at its right end.
inline constexpr std::size_t kBrailleLineCells = 40;
inline constexpr std::size_t kBrailleLinesPerPage = 25;

// What writing a document for an embosser met.
struct BrailleReport {
    // The typed text of each sign of a formula that the mathematics code is not given cells for,
    // once each, UTF-8; the document writes it with a marker and lists it in a closing note.
    std::vector<std::string> uncovered;
};

// The name of an embosser file of a document: ".vloq" in any letter case, or the end of a name
// without it, becomes extension (".brf", ".txt").
std::string BrailleNameFor(const std::string& document, std::string_view extension);

// Writes the document for an embosser: the text in Portuguese braille (liblouis), every formula
// in the Brazilian unified mathematics code; brf in the North American ASCII braille, txt the
// same in Unicode braille (UTF-8). The first page starts with the title, the author and the
// contact, as the page shows them (from settings, unless the document's header lines name
// them). Links, images and forms give their text or a description, never markup. Both files go
// through the safe writer and take the place of old ones only when whole; a failure throws
// FileError with the page's messages (PageIsInputError when a file would be written over the
// document, PageWriteError "VQERRDSK: ..." for a failed write).
void GenerateBraille(const std::string& document, const std::string& brf, const std::string& txt,
                     const PageSettings& settings, BrailleReport* report = nullptr);

}  // namespace pagegen
