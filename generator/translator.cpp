// The markup translator: reads the document line by line, classifies each line and hands it
// to its handler.
#include <cerrno>
#include <filesystem>

#include "editor/uvars.h"
#include "generator/run.h"
#include "generator/ugerahtml.h"
#include "platform/codepage.h"
#include "platform/messages.h"

namespace ugerahtml {
namespace {

// An include line "%name": the file's lines go to the page as text, unclassified.
void writeInclude(Run& run, std::string_view line) {
    const std::string name(line.substr(1));
    const std::string path = codepage::NativePath(name);
    // A folder is no file of that name, and no file name holds a NUL: both are not found,
    // and the run goes on.
    std::error_code ec;
    if (path.find('\0') != std::string::npos || !std::filesystem::exists(path, ec) ||
        std::filesystem::is_directory(path, ec)) {
        messages::Show("Arquivo de inclus\xC3\xA3o n\xC3\xA3o encontrado: \r" + codepage::Cp1252ToUtf8(name));
        return;
    }
    auto content = ReadFileBytes(path);
    if (!content) throw FileError(path, errno, "abrir");
    LineReader include(std::move(*content));
    std::string_view included;
    while (include.Next(included)) run.page.WriteTranslatedLine(included);
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

// After a failure that was not the page's own, the page keeps what was written before it.
void keepWhatWasWritten(PageWriter& page) {
    try {
        page.Flush();
    } catch (const FileError&) {
        // the first failure is the one to report
    }
    page.Abandon();
}

}  // namespace

bool GeneratePage(const std::string& document, const std::string& page) {
    auto content = ReadFileBytes(document);
    if (!content) throw FileError(document, errno, "abrir");

    Run run;
    run.document = LineReader(std::move(*content));
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
        } catch (const FileError&) {
            if (run.checkedOutput) {
                messages::Show("VQERRDSK");
                run.page.Abandon();
                return false;
            }
            keepWhatWasWritten(run.page);
            throw;
        }
    }
    WriteTemplateSection(run, kSignatureMarker);
    run.page.Close();
    return true;
}

}  // namespace ugerahtml
