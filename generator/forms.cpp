// Form commands: a line "&" + letter + fields writes a FORM, INPUT, TEXTAREA or SELECT element.
#include "generator/run.h"
#include "generator/generator.h"

namespace pagegen {
namespace {

constexpr size_t kMaxQuotedField = 998;

// The optional number field (size, rows, columns): present when rest begins with 1 to 9.
int optionalNumber(std::string_view& rest) {
    if (rest.empty() || rest.front() < '1' || rest.front() > '9') return 0;
    return LeadingNumber(NextField(rest));
}

// The optional id field: present when rest begins with "[".
std::string_view optionalId(std::string_view& rest) {
    if (rest.empty() || rest.front() != '[') return {};
    return NextField(rest).substr(1);
}

// Writes an attribute " NAME=\"value\"" (translated or not) when the value is not empty.
void writeAttribute(PageWriter& page, std::string_view name, std::string_view value, bool translated) {
    if (value.empty()) return;
    page.Write(name);
    if (translated) page.WriteTranslated(value);
    else page.Write(value);
    page.Write("\"");
}

void writeNumberAttribute(PageWriter& page, std::string_view name, int value, bool translated) {
    if (value != 0) writeAttribute(page, name, std::to_string(value), translated);
}

// The selection mark of an INPUT or OPTION: nothing for an empty mark, a PHP snippet that
// compares the variable with compared at the server for a mark beginning with "$", and
// " " + word for any other mark.
void writeMark(PageWriter& page, std::string_view mark, std::string_view compared, std::string_view word,
               bool translated) {
    if (mark.empty()) return;
    if (mark.front() != '$') {
        page.Write(" ");
        page.Write(word);
        return;
    }
    auto write = [&](std::string_view text) { translated ? page.WriteTranslated(text) : page.Write(text); };
    page.Write(" <?php echo ");
    write(mark);
    page.Write("=='");
    write(compared);
    page.Write("'? '");
    page.Write(word);
    page.Write("':''; ?>");
}

void writeForm(Run& run, std::string_view rest) {
    PageWriter& page = run.page;
    const std::string_view methodField = NextField(rest);
    const bool get = methodField.size() == 1 && (methodField[0] == 'G' || methodField[0] == 'g');
    const std::string_view action = NextField(rest);
    page.Write(get ? "<FORM method=\"GET\" action=\"" : "<FORM method=\"POST\" action=\"");
    if (!action.empty() && action.front() == '$') {
        page.Write("<?php echo ");
        page.WriteTranslated(action);
        page.Write(";?>");
    } else {
        page.WriteTranslated(action);
    }
    page.Write("\" enctype=\"multipart/form-data\"");
    if (rest == "*") page.Write(" TARGET=blank");
    else page.WriteTranslated(rest);
    page.WriteLine(">");
}

void writeInputControl(Run& run, std::string_view rest, std::string_view type) {
    const int size = optionalNumber(rest);
    const std::string_view id = optionalId(rest);
    const std::string_view name = NextField(rest);
    const bool checkbox = type == "checkbox";
    const std::string_view value = checkbox ? std::string_view("x") : NextField(rest);
    const std::string_view label = NextField(rest);
    const std::string_view mark = NextField(rest);

    PageWriter& page = run.page;
    page.Write("<INPUT TYPE=\"");
    page.Write(type);
    page.Write("\" NAME=\"");
    page.WriteTranslated(name);
    page.Write("\"");
    writeAttribute(page, " ID=\"", id, true);
    writeNumberAttribute(page, " SIZE=\"", size, true);
    writeAttribute(page, " VALUE=\"", value, true);
    writeMark(page, mark, (checkbox || type == "radio") ? value : name, "CHECKED", true);
    page.Write(">");
    page.WriteTranslated(label);
    page.WriteLine("</input>");
}

void writeTextArea(Run& run, std::string_view rest) {
    if (rest == "*") return;  // a stray end line "&A*"
    const int rows = optionalNumber(rest);
    const int columns = optionalNumber(rest);
    const std::string_view id = optionalId(rest);
    const std::string_view name = NextField(rest);
    const std::string_view content = NextField(rest);

    PageWriter& page = run.page;
    page.Write("<TEXTAREA NAME=\"");
    page.Write(name);
    page.Write("\"");
    writeAttribute(page, " ID=\"", id, false);
    writeNumberAttribute(page, " ROWS=\"", rows, false);
    writeNumberAttribute(page, " COLS=\"", columns, false);
    page.WriteLine(">");
    if (content.empty()) {
        std::string_view line;
        while (run.document.Next(line) && line != "&A*") page.WriteLine(line);
    } else if (content.front() == '$') {
        page.Write("<?php echo ");
        page.Write(content);
        page.WriteLine("; ?>");
    } else {
        page.WriteLine(content);
    }
    page.WriteLine("</TEXTAREA>");
}

void writeSelect(Run& run, std::string_view rest) {
    const std::string_view name = NextField(rest);
    const int size = optionalNumber(rest);
    const std::string_view id = optionalId(rest);
    PageWriter& page = run.page;
    page.Write("<SELECT NAME=\"");
    page.WriteTranslated(name);
    page.Write("\"");
    writeAttribute(page, " ID=\"", id, true);
    writeNumberAttribute(page, " SIZE=\"", size, true);
    page.WriteLine(">");

    std::string_view line;
    while (run.document.Next(line) && line != "&S") {
        std::string_view option = line;
        const std::string_view value = NextField(option);
        const std::string_view label = NextField(option);
        const std::string_view mark = NextField(option);
        page.Write("<OPTION VALUE=\"");
        page.Write(value);
        page.Write("\"");
        writeMark(page, mark, value, "SELECTED", false);
        page.Write(">");
        page.WriteTranslated(label);
        page.WriteLine("</OPTION>");
    }
    page.WriteLine("</SELECT>");
}

}  // namespace

std::string_view NextField(std::string_view& rest) {
    rest = TrimControls(rest);
    if (rest.empty()) return {};
    std::string_view field;
    if (rest.front() == '"') {
        const size_t close = rest.find('"', 1);
        if (close == std::string_view::npos) {
            field = rest.substr(1, kMaxQuotedField);
            rest = {};
        } else {
            field = rest.substr(1, close - 1);
            rest.remove_prefix(close + 1);
        }
    } else {
        const size_t blank = rest.find(' ');
        if (blank == std::string_view::npos) {
            field = rest;
            rest = {};
        } else {
            field = rest.substr(0, blank);
            rest.remove_prefix(blank + 1);
        }
    }
    rest = TrimControls(rest);
    return field;
}

void WriteFormCommand(Run& run, std::string_view line) {
    const std::string_view body = line.substr(1);
    if (body.empty()) {
        run.page.WriteLine("</form>");
        return;
    }
    char letter = body.front();
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    const std::string_view rest = TrimControls(body.substr(1));
    switch (letter) {
        case 'F': writeForm(run, rest); break;
        case 'T': writeInputControl(run, rest, "text"); break;
        case 'P': writeInputControl(run, rest, "password"); break;
        case 'H': writeInputControl(run, rest, "hidden"); break;
        case 'D': writeInputControl(run, rest, "date"); break;
        case 'U': writeInputControl(run, rest, "file"); break;
        case 'R': writeInputControl(run, rest, "radio"); break;
        case 'C': writeInputControl(run, rest, "checkbox"); break;
        case '*': writeInputControl(run, rest, "submit"); break;
        case '/': writeInputControl(run, rest, "reset"); break;
        case 'A': writeTextArea(run, rest); break;
        case 'S': writeSelect(run, rest); break;
        default: break;  // no element for this letter
    }
}

}  // namespace pagegen
