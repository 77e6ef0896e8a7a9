// Form commands: a line "&" + letter + fields writes a FORM, INPUT, TEXTAREA or SELECT element.
#include "generator/run.h"
#include "generator/ugerahtml.h"

namespace ugerahtml {
namespace {

constexpr size_t kMaxQuotedField = 998;

void trimRest(std::string& rest) {
    const std::string_view t = TrimControls(rest);
    if (t.size() != rest.size()) rest = std::string(t);
}

// The optional number field (size, rows, columns): present when rest begins with 1 to 9.
int optionalNumber(std::string& rest) {
    if (rest.empty() || rest.front() < '1' || rest.front() > '9') return 0;
    return LeadingNumber(NextField(rest));
}

// The optional id field: present when rest begins with "[".
std::string optionalId(std::string& rest) {
    if (rest.empty() || rest.front() != '[') return {};
    return NextField(rest).substr(1);
}

std::string phpEcho(const std::string& expression, std::string_view end) {
    return "<?php echo " + expression + std::string(end);
}

void writeForm(Run& run, std::string& rest) {
    const std::string method = UpperAscii(NextField(rest)) == "G" ? "GET" : "POST";
    std::string action = NextField(rest);
    if (!action.empty() && action.front() == '$') action = phpEcho(action, ";?>");
    std::string element = "<FORM method=\"" + method + "\" action=\"" + action + "\"" +
                          " enctype=\"multipart/form-data\"";
    if (rest == "*") element += " TARGET=blank";
    else element += rest;
    element += ">";
    run.page.WriteTranslatedLine(element);
}

void writeInputControl(Run& run, std::string& rest, std::string_view type) {
    const int size = optionalNumber(rest);
    const std::string id = optionalId(rest);
    const std::string name = NextField(rest);
    const bool checkbox = type == "checkbox";
    const std::string value = checkbox ? "x" : NextField(rest);
    const std::string label = NextField(rest);
    const std::string mark = NextField(rest);

    std::string element = "<INPUT TYPE=\"" + std::string(type) + "\" NAME=\"" + name + "\"";
    if (!id.empty()) element += " ID=\"" + id + "\"";
    if (size != 0) element += " SIZE=\"" + std::to_string(size) + "\"";
    if (!value.empty()) element += " VALUE=\"" + value + "\"";
    if (!mark.empty()) {
        if (mark.front() == '$') {
            const std::string& compared = (checkbox || type == "radio") ? value : name;
            element += " " + phpEcho(mark + "==" + "'" + compared + "'", "? 'CHECKED':''; ?>");
        } else {
            element += " CHECKED";
        }
    }
    element += ">" + label + "</input>";
    run.page.WriteTranslatedLine(element);
}

void writeTextArea(Run& run, std::string& rest) {
    if (rest == "*") return;  // a stray end line "&A*"
    const int rows = optionalNumber(rest);
    const int columns = optionalNumber(rest);
    const std::string id = optionalId(rest);
    const std::string name = NextField(rest);
    const std::string content = NextField(rest);

    std::string element = "<TEXTAREA NAME=\"" + name + "\"";
    if (!id.empty()) element += " ID=\"" + id + "\"";
    if (rows != 0) element += " ROWS=\"" + std::to_string(rows) + "\"";
    if (columns != 0) element += " COLS=\"" + std::to_string(columns) + "\"";
    element += ">";
    run.page.WriteLine(element);
    if (content.empty()) {
        std::string_view line;
        while (run.document.Next(line) && line != "&A*") run.page.WriteLine(line);
    } else if (content.front() == '$') {
        run.page.WriteLine(phpEcho(content, "; ?>"));
    } else {
        run.page.WriteLine(content);
    }
    run.page.WriteLine("</TEXTAREA>");
}

void writeSelect(Run& run, std::string& rest) {
    const std::string name = NextField(rest);
    const int size = optionalNumber(rest);
    const std::string id = optionalId(rest);
    std::string element = "<SELECT NAME=\"" + name + "\"";
    if (!id.empty()) element += " ID=\"" + id + "\"";
    if (size != 0) element += " SIZE=\"" + std::to_string(size) + "\"";
    element += ">";
    run.page.WriteTranslatedLine(element);

    std::string_view line;
    while (run.document.Next(line) && line != "&S") {
        std::string option(line);
        trimRest(option);
        const std::string value = NextField(option);
        const std::string label = NextField(option);
        const std::string mark = NextField(option);
        std::string selection;
        if (!mark.empty()) {
            selection = mark.front() == '$'
                            ? " " + phpEcho(mark + "==" + "'" + value + "'", "? 'SELECTED':''; ?>")
                            : " SELECTED";
        }
        run.page.Write("<OPTION VALUE=\"" + value + "\"" + selection + ">");
        run.page.WriteTranslated(label);
        run.page.WriteLine("</OPTION>");
    }
    run.page.WriteLine("</SELECT>");
}

}  // namespace

std::string NextField(std::string& rest) {
    trimRest(rest);
    if (rest.empty()) return {};
    std::string field;
    if (rest.front() == '"') {
        const size_t close = rest.find('"', 1);
        if (close == std::string::npos) {
            field = rest.substr(1, kMaxQuotedField);
            rest.clear();
        } else {
            field = rest.substr(1, close - 1);
            rest.erase(0, close + 1);
        }
    } else {
        const size_t blank = rest.find(' ');
        if (blank == std::string::npos) {
            field = std::move(rest);
            rest.clear();
        } else {
            field = rest.substr(0, blank);
            rest.erase(0, blank + 1);
        }
    }
    trimRest(rest);
    return field;
}

void WriteFormCommand(Run& run, std::string_view line) {
    std::string_view body = line.substr(1);
    if (body.empty()) {
        run.page.WriteLine("</form>");
        return;
    }
    char letter = body.front();
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    std::string rest(TrimControls(body.substr(1)));
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

}  // namespace ugerahtml
