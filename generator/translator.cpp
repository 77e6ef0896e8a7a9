// The markup translator: reads the document line by line, classifies each line and hands it
// to its handler.
#include <cerrno>
#include <utility>
#include <new>

#include "generator/run.h"
#include "generator/generator.h"
#include "platform/codepage.h"
#include "platform/filelimits.h"
#include "platform/messages.h"

namespace pagegen {
namespace {

// An include line "%name": the file's lines go to the page as text, unclassified, piece by
// piece, so that an include file of any size or line length passes through bounded memory.
void writeInclude(Run& run, std::string_view line) {
    const std::string name(line.substr(1));
    const std::string path = codepage::NativePath(name);
    LineReader include;
    if (!include.Open(path)) {
        // A folder is no file of that name, and no file name holds a NUL: both are not found,
        // and the run goes on.
        if (errno == ENOENT || errno == ENOTDIR || errno == EISDIR || errno == ELOOP || errno == ENAMETOOLONG) {
            messages::ShowWarning("Arquivo de inclus\xC3\xA3o n\xC3\xA3o encontrado: \r" + codepage::Cp1252ToUtf8(name));
            run.includeLeftOut = true;
            return;
        }
        // An include file past the bound is left out, as one that is not there; the rest of the
        // page is written.
        if (errno == EFBIG) {
            messages::ShowWarning("Arquivo de inclus\xC3\xA3o maior que o limite de " +
                                  std::to_string(filelimits::kMaxTextFileMegabytes) +
                                  " MB, n\xC3\xA3o inclu\xC3\xAD" "do: \r" + codepage::Cp1252ToUtf8(name));
            run.includeLeftOut = true;
            return;
        }
        throw FileError(path, errno, "abrir");
    }
    if (include.id() == run.pageId) throw PageIsInputError(run.page.name(), "o arquivo de inclus\xC3\xA3o", path);
    std::string outer = std::exchange(run.reading, path);
    std::string_view piece;
    bool lineEnds = false;
    while (include.NextPiece(piece, lineEnds)) {
        run.page.WriteTranslated(piece);
        if (lineEnds) run.page.EndLine();
    }
    run.reading = std::move(outer);
}

// A preformatted block: lines copied as they stand up to and including "</PRE>".
void writePreformatted(Run& run) {
    run.page.WriteLine("<pre>");
    std::string_view line;
    while (run.document.Next(line)) {
        run.page.WriteTranslatedLine(line);
        if (EqualsUpperAscii(line, "</PRE>")) break;
    }
}

// Handles one non-empty line whose leading blanks are gone.
void handleLine(Run& run, std::string_view line) {
    if (line.front() == '%') {
        writeInclude(run, line);
    } else if (line.front() == '.') {
        run.page.Write("<li>");
        run.page.WriteTranslatedLine(line.substr(1));
    } else if (EqualsUpperAscii(line, "<PAGE>")) {
        run.page.WriteLine("<div style=\"page-break-after: always\"></div>");
    } else if (EqualsUpperAscii(line, "<PRE>")) {
        writePreformatted(run);
    } else if (line == "}") {
        run.page.WriteLine("</a>");
    } else if (line == ">>") {
        run.page.WriteLine("<blockquote>");
    } else if (line == "<<") {
        run.page.WriteLine("</blockquote>");
    } else if (line.front() == '#') {
        WriteLabel(run, line);
    } else if (line.front() == '@') {
        WriteTableLine(run, line);
    } else if (line.front() == '&') {
        WriteFormCommand(run, line);
    } else if (line.front() == '$') {
        WriteImage(run, line);
    } else if (line.front() == '{') {
        WriteLink(run, line);
    } else if (line.front() == '*') {
        WriteTitle(run, line);
    } else if (line.substr(0, 5) == "-----") {
        run.page.WriteLine("<hr>");
    } else if (run.tableMode) {
        WriteTableCell(run, line);
    } else {
        run.checkedOutput = true;
        run.page.WriteTranslatedLine(line);
    }
}

// Handles one document line. The outputs of empty lines, leading blanks and text lines are
// marked as checked: a write failure on them takes the "VQERRDSK" exit.
void handleDocumentLine(Run& run, std::string_view line) {
    run.checkedOutput = false;
    if (TrimControls(line).empty()) {
        if (run.tableMode) {
            WriteTableCell(run, "");
        } else {
            run.checkedOutput = true;
            run.page.WriteLine(run.afterBlank ? "<br>" : "<p>");
        }
        run.afterBlank = true;
        return;
    }
    run.afterBlank = false;
    if (line.front() == ' ') {
        run.checkedOutput = true;
        run.page.WriteLine("<br>");
        line.remove_prefix(1);
        while (!line.empty() && line.front() == ' ') {
            run.page.Write("&nbsp;");
            line.remove_prefix(1);
        }
        run.checkedOutput = false;
    }
    handleLine(run, line);
}

// What the run met that did not stop it.
void tellReport(const Run& run, PageReport* report) {
    if (!report) return;
    report->templateIncomplete = run.templateIncomplete;
    report->includeLeftOut = run.includeLeftOut;
}

}  // namespace

bool GeneratePage(const std::string& document, const std::string& page, const PageSettings& settings,
                  PageReport* report) {
    Run run;
    run.settings = settings;
    run.report = report;
    run.reading = document;
    try {
        if (!run.document.Open(document)) {
            if (errno == EFBIG) throw FileError(document, "abrir", TooLargeReason());
            throw FileError(document, errno, "abrir");
        }
        run.pageId = safefile::IdOf(page);
        if (run.pageId == run.document.id()) throw PageIsInputError(page, "o documento", document);
        run.page.Create(page);
        run.templateWarned = false;
        ReadPageHeader(run);
        WriteTemplateSection(run, kHeaderMarker);
        run.tableMode = false;
        run.afterBlank = true;

        std::string_view line;
        while (run.document.Next(line)) {
            try {
                handleDocumentLine(run, line);
            } catch (const FileError& error) {
                if (!run.checkedOutput || !dynamic_cast<const PageWriteError*>(&error)) throw;
                messages::ShowWarning(error.what());
                run.page.Abandon();
                tellReport(run, report);
                return false;
            }
        }
        WriteTemplateSection(run, kSignatureMarker);
        run.page.Close();
    } catch (const FileError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw FileError(run.reading, ENOMEM, "ler");
    } catch (const std::exception& error) {
        throw FileError(run.reading, "ler", std::string("falha inesperada (") + error.what() + ")");
    } catch (...) {
        throw FileError(run.reading, "ler", "falha inesperada");
    }
    tellReport(run, report);
    return true;
}

}  // namespace pagegen
