// Labels, links, images and tables.
#include "generator/run.h"
#include "generator/generator.h"

namespace pagegen {
namespace {

constexpr size_t kMaxField = 999;

std::string_view cut(std::string_view text, size_t from, size_t count = kMaxField) {
    if (from >= text.size()) return {};
    return text.substr(from, count);
}

// Counts a written cell and closes the row when it is full.
void countCell(Run& run) {
    TableCounters& t = Table();
    if (t.columns < 1) t.columns = 1;
    t.cells = (t.cells + 1) % t.columns;
    if (t.cells == 0) run.page.WriteLine("</tr>");
}

void openRowIfNeeded(Run& run) {
    if (Table().cells == 0) run.page.WriteLine("<tr>");
}

}  // namespace

TableCounters& Table() {
    static TableCounters counters;
    return counters;
}

LinkFields SplitLink(std::string_view line) {
    LinkFields f;
    const size_t blank = line.find(' ');
    f.target = std::string(blank == std::string_view::npos ? cut(line, 1, std::string_view::npos)
                                                           : line.substr(1, blank - 1));
    if (!f.target.empty() && f.target.front() == '*') {
        f.newWindow = true;
        f.target.erase(0, 1);
    }
    const size_t lastBrace = line.rfind('}');
    std::string_view withoutAfter = line;
    if (lastBrace != std::string_view::npos) {
        withoutAfter = line.substr(0, lastBrace + 1);
        if (lastBrace + 1 < line.size()) f.after = std::string(cut(line, lastBrace + 1));
    }
    if (blank != std::string_view::npos) f.text = std::string(cut(withoutAfter, blank + 1));
    return f;
}

ImageFields SplitImage(std::string_view line) {
    ImageFields f;
    std::string rest(line);
    if (rest.size() >= 2 && rest[1] == '*') {
        f.centred = false;
        rest.erase(1, 1);
    }
    const std::string_view r(rest);
    const size_t blank = r.find(' ');
    if (blank == std::string_view::npos) {
        if (r.size() > 2) f.file = std::string(r.substr(1, r.size() - 2));
    } else {
        f.file = std::string(r.substr(1, blank - 1));
        f.comment = std::string(cut(r, blank + 1));
    }
    return f;
}

void WriteLabel(Run& run, std::string_view line) {
    run.page.Write("<A NAME=\"");
    run.page.WriteTranslated(line.substr(1));
    run.page.WriteLine(run.validPage ? "\"></A>" : "\">");
}

void WriteLink(Run& run, std::string_view line) {
    LinkFields f = SplitLink(line);
    const std::string_view newWindow = f.newWindow ? " TARGET=\"blank\"" : "";
    if (run.tableMode) {
        openRowIfNeeded(run);
        if (!f.text.empty()) f.text.pop_back();
        run.page.Write("<td><A HREF=\"");
        run.page.Write(f.target);
        run.page.Write("\"");
        run.page.Write(newWindow);
        run.page.Write(">");
        run.page.WriteTranslated(f.text);
        run.page.WriteLine(run.validPage ? "</A></td>" : "</td>");
        countCell(run);
        return;
    }
    run.page.Write("<A HREF=\"");
    run.page.Write(f.target);
    run.page.Write("\"");
    run.page.Write(newWindow);
    run.page.Write(">");
    if (f.text.empty()) return;  // a link block: the following lines are its content
    if (f.text.back() == '}') f.text.pop_back();
    run.page.WriteTranslated(f.text);
    run.page.Write("</A>");
    run.page.WriteTranslatedLine(f.after);
}

void WriteImage(Run& run, std::string_view line) {
    ImageFields f = SplitImage(line);
    std::string_view next;
    if (f.comment.empty() && run.document.Next(next)) f.comment = std::string(next);
    if (!f.comment.empty() && f.comment.back() == '$') f.comment.pop_back();
    if (f.centred) run.page.Write("<CENTER>");
    run.page.Write("<IMG SRC=\"");
    run.page.Write(f.file);
    run.page.Write("\"");
    if (!f.comment.empty()) {
        run.page.Write(" ALT=\"");
        run.page.WriteTranslated(f.comment);
        run.page.Write("\" TITLE=\"");
        run.page.WriteTranslated(f.comment);
        run.page.Write("\"");
    }
    run.page.WriteLine(f.centred ? "></CENTER>" : ">");
}

void WriteTableLine(Run& run, std::string_view line) {
    const std::string_view rest = line.substr(1);
    if (rest.empty()) {
        run.tableMode = false;
        run.page.WriteLine("</table>");
        return;
    }
    run.tableMode = true;
    if (run.validPage) {
        run.page.WriteLine("<table>");
    } else {
        run.page.WriteLine("<table><style>");
        run.page.WriteLine("table {border-collapse: collapse;}");
        run.page.WriteLine("table, th, td {padding:10px; border: 1px solid black;}");
        run.page.WriteLine("</style>");
    }
    Table().cells = 0;
    Table().columns = LeadingNumber(TrimControls(rest));
}

void WriteTableCell(Run& run, std::string_view text) {
    if (Table().columns < 1) Table().columns = 1;
    openRowIfNeeded(run);
    run.page.Write("<td>");
    run.page.WriteTranslated(text);
    run.page.WriteLine("</td>");
    countCell(run);
}

}  // namespace pagegen
