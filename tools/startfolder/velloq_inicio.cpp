// velloq-inicio: writes the files of the start folder that depend on the build: the page
// template with the location of the local formula renderer, and the formula list page.
// Run by the build and by the installation; not installed itself.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "editor/catalogue/catalogue.h"
#include "generator/readings.h"
#include "oxserver/framing.h"
#include "platform/codepage.h"
#include "platform/safefile.h"

namespace {

constexpr std::string_view kMathJaxToken = "@VELLOQ_MATHJAX@";
constexpr std::string_view kCrLf = "\r\n";

constexpr const char* kUsage =
    "Uso: velloq-inicio modelo MODELO-FONTE MODELO PASTA-MATHJAX\n"
    "     velloq-inicio formulas MODELO P\xC3\x81GINA\n"
    "     velloq-inicio pagina MODELO CORPO P\xC3\x81GINA T\xC3\x8DTULO\n"
    "\n"
    "modelo: copia o modelo de p\xC3\xA1gina, escrevendo nele o endere\xC3\xA7o da c\xC3\xB3pia local do\n"
    "MathJax (a pasta que cont\xC3\xA9m mathjax/ e @mathjax/).\n"
    "formulas: escreve a lista geral de f\xC3\xB3rmulas do cat\xC3\xA1logo, com o cabe\xC3\xA7" "alho do modelo\n"
    "e a leitura de cada f\xC3\xB3rmula pelo servidor de fala.\n"
    "pagina: escreve uma p\xC3\xA1gina com o cabe\xC3\xA7" "alho do modelo, o t\xC3\xADtulo dado (UTF-8) e o\n"
    "corpo (HTML em Windows-1252), como o manual; o coment\xC3\xA1rio <!--velloq:catalogo--> do corpo\n"
    "recebe o tamanho e os grupos do cat\xC3\xA1logo de f\xC3\xB3rmulas.\n";

bool readFile(const std::string& name, std::string& bytes) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return true;
}

// Writes through the safe writer, so a build never leaves half a file. A page may go to a
// device or a pipe, as the generator's pages may.
bool writeFile(const std::string& name, const std::string& bytes) {
    return safefile::WriteWhole(name, bytes, safefile::Special::WriteThrough, false) == 0;
}

// A file URL for an absolute path: every byte outside the unreserved set and "/" is
// percent-encoded, so the URL is plain ASCII and no page conversion can touch it.
std::string fileUrl(std::string_view path) {
    static const char* hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

void replaceFirst(std::string& line, std::string_view what, std::string_view with) {
    const std::size_t at = line.find(what);
    if (at != std::string::npos) line.replace(at, what.size(), with);
}

// The template line that asks for the readings of the page's formulas, when it has one.
std::string readingsLine(const std::string& templateBytes) {
    for (const std::string& line : splitLines(templateBytes))
        if (line.find(pagegen::kReadingsPlaceholder) != std::string::npos) return line;
    return {};
}

// The body lines of the template's header section, as the generator would take them.
bool headerSection(const std::string& templateBytes, std::vector<std::string>& body) {
    const std::string marker = "<<<CABE\xC7" "ALHO>>>";
    bool inside = false;
    for (const std::string& line : splitLines(templateBytes)) {
        if (!inside) {
            inside = line == marker;
        } else if (line == "<<<FIM>>>") {
            return true;
        } else {
            body.push_back(line);
        }
    }
    return inside;
}

// HTML text in Windows-1252 from UTF-8 catalogue text: "&", "<" and ">" escaped.
std::string htmlText(std::string_view utf8) {
    std::string out;
    for (char c : codepage::Utf8ToCp1252(utf8)) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

std::string trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

// What the speech server answers for one formula (Windows-1252, markup characters escaped),
// without its CR LF.
std::string serverReading(std::string_view formulaUtf8) {
    std::string reply = oxserver::ReplyToRequest(codepage::Utf8ToCp1252(formulaUtf8));
    if (reply.size() >= 2 && reply.compare(reply.size() - 2, 2, "\r\n") == 0) reply.resize(reply.size() - 2);
    return reply;
}

// The reading of a formula text as F9 speaks it when it stands alone on a line. The speech
// composes the line with each formula replaced by the server's reading and a blank on either
// side of it, and the voice pauses at a gap of three or more blanks between words (two
// formulas set apart by blanks alone): the pause is shown as a semicolon. Other gaps are one
// blank, and none stands before a comma or semicolon.
std::string spokenText(std::string_view formulaText) {
    std::string composed;
    std::string_view rest = formulaText;
    do {
        const std::size_t open = rest.find('`');
        composed += ' ';
        composed += htmlText(rest.substr(0, open));
        if (open == std::string_view::npos) break;
        rest.remove_prefix(open + 1);
        const std::size_t close = rest.find('`');
        const std::string_view formula = rest.substr(0, close);
        rest.remove_prefix(close == std::string_view::npos ? rest.size() : close + 1);
        if (!formula.empty()) {
            composed += ' ';
            composed += serverReading(formula);
        }
    } while (!rest.empty());

    std::string spoken;
    std::size_t i = 0;
    while (i < composed.size()) {
        std::size_t end = i;
        while (end < composed.size() && (composed[end] == ' ' || composed[end] == '\t')) ++end;
        if (end == i) {
            spoken += composed[i++];
            continue;
        }
        if (!spoken.empty() && end < composed.size()) {
            if (end - i >= 3) spoken += ';';
            if (composed[end] != ',' && composed[end] != ';') spoken += ' ';
        }
        i = end;
    }
    return spoken;
}

std::size_t formulaCount(const catalogue::FormulaGroup& group) {
    std::size_t n = 0;
    for (const char* e : group.entries) n += e != catalogue::kSeparator;
    return n;
}

std::size_t formulaCount() {
    std::size_t total = 0;
    for (const auto& g : catalogue::FormulaGroups()) total += formulaCount(g);
    return total;
}

std::string countedFormulas(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " f\xF3rmula" : " f\xF3rmulas");
}

// Where a page body holds this comment line, it gets the catalogue's size and its groups, so
// that the manual never tells other groups than the menu has.
constexpr std::string_view kCatalogueMarker = "<!--velloq:catalogo-->";

std::string catalogueSummary() {
    const auto& groups = catalogue::FormulaGroups();
    std::string out = "<p>O menu <b>Matem\xE1tica</b> insere " + countedFormulas(formulaCount()) + " prontas, em " +
                      std::to_string(groups.size()) + " grupos:</p>\r\n<ul id=\"grupos-catalogo\">\r\n";
    for (const auto& g : groups)
        out += "<li>" + htmlText(g.caption) + " (" + countedFormulas(formulaCount(g)) + ")</li>\r\n";
    out += "</ul>";
    return out;
}

std::string formulaListBody() {
    const auto& groups = catalogue::FormulaGroups();
    const std::size_t total = formulaCount();

    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += kCrLf;
    };
    line("<style>");
    line("ul.formulas { list-style: none; padding: 0; }");
    line("ul.formulas li { margin: 0 0 1.25em; padding: 0.5em 0.75em; border-left: 4px solid var(--realce, #0b4f8a); }");
    line("ul.formulas span { display: block; }");
    line("ul.formulas h3.nome { font-size: 1em; margin: 0; color: inherit; }");
    line("ul.formulas .formula { font-size: 1.15em; margin: 0.25em 0; }");
    line("ul.formulas code { font-size: 0.95em; }");
    line("</style>");
    line("<p>Estas s\xE3o as " + std::to_string(total) + " f\xF3rmulas do menu Matem\xE1tica do Velloq, em " +
         std::to_string(groups.size()) + " grupos. Cada uma aparece desenhada, com o texto que o menu "
         "insere no documento e a leitura que o Velloq faz dela quando voc\xEA aperta F9. Cada grupo tem "
         "um t\xEDtulo de n\xEDvel 2 e cada f\xF3rmula um de n\xEDvel 3; o leitor de tela l\xEA a leitura, "
         "com as pausas do F9, no lugar do desenho.</p>");
    line("<nav aria-label=\"Grupos de f\xF3rmulas\">");
    line("<h2 id=\"grupos\">Grupos</h2>");
    line("<ul class=\"grupos\">");
    for (std::size_t i = 0; i < groups.size(); ++i) {
        line("<li><a href=\"#grupo" + std::to_string(i + 1) + "\">" + htmlText(groups[i].caption) + "</a> (" +
             countedFormulas(formulaCount(groups[i])) + ")</li>");
    }
    line("</ul>");
    line("</nav>");
    for (std::size_t i = 0; i < groups.size(); ++i) {
        line("<section aria-labelledby=\"grupo" + std::to_string(i + 1) + "\">");
        line("<h2 id=\"grupo" + std::to_string(i + 1) + "\">" + htmlText(groups[i].caption) + "</h2>");
        line("<ul class=\"formulas\">");
        for (const char* entry : groups[i].entries) {
            if (entry == catalogue::kSeparator) {
                line("</ul>");
                line("<ul class=\"formulas\">");
                continue;
            }
            const std::string_view caption(entry);
            const std::string text = catalogue::FormulaText(caption);
            const std::string name = trimmed(caption.substr(0, caption.size() - text.size()));
            const std::string shown = trimmed(text);
            // A screen reader gets the reading as F9 speaks it, pauses included; the drawing
            // beside it is for the eye, so the formula is not heard twice.
            line("<li><h3 class=\"nome\">" + htmlText(name) + "</h3>");
            line("<span class=\"formula\" aria-hidden=\"true\">" + htmlText(shown) + "</span>");
            line("<span class=\"notacao\">Escreve-se: <code>" + htmlText(shown) + "</code></span>");
            line("<span class=\"leitura\">L\xEA-se: " + spokenText(shown) + "</span></li>");
        }
        line("</ul>");
        line("<p><a href=\"#grupos\">Voltar aos grupos</a></p>");
        line("</section>");
    }
    return out;
}

int writeTemplate(const std::string& source, const std::string& target, const std::string& folder) {
    std::string bytes;
    if (!readFile(source, bytes)) {
        std::cerr << "velloq-inicio: n\xC3\xA3o consegui ler " << source << "\n";
        return 1;
    }
    std::string url = fileUrl(folder);
    while (url.size() > 8 && url.back() == '/') url.pop_back();
    const std::size_t at = bytes.find(kMathJaxToken);
    if (at == std::string::npos) {
        std::cerr << "velloq-inicio: o modelo " << source << " n\xC3\xA3o tem " << kMathJaxToken << "\n";
        return 1;
    }
    bytes.replace(at, kMathJaxToken.size(), url);
    if (!writeFile(target, bytes)) {
        std::cerr << "velloq-inicio: n\xC3\xA3o consegui gravar " << target << "\n";
        return 1;
    }
    return 0;
}

// A page of the start folder: the template's header section with the given title (Windows-1252),
// then `body`, then the closing tags.
int writePage(const std::string& templateName, const std::string& title, const std::string& body,
              const std::string& target) {
    std::string bytes;
    std::vector<std::string> header;
    if (!readFile(templateName, bytes) || !headerSection(bytes, header)) {
        std::cerr << "velloq-inicio: o modelo " << templateName << " falta ou n\xC3\xA3o tem cabe\xC3\xA7" "alho\n";
        return 1;
    }
    // A style block that opens the body goes into the head, the one place a page may hold it.
    std::string_view content = body;
    std::string style;
    if (content.starts_with("<style>")) {
        if (std::size_t end = content.find("</style>"); end != std::string_view::npos) {
            end += 8;
            if (content.substr(end, 2) == kCrLf) end += 2;
            style = std::string(content.substr(0, end));
            if (!style.ends_with(kCrLf)) style += kCrLf;
            content.remove_prefix(end);
        }
    }
    std::string page;
    for (std::string line : header) {
        if (line == "</head>") {
            page += style;
            style.clear();
        }
        replaceFirst(line, "[T\xCDTULO]", title);
        replaceFirst(line, "[AUTOR]", "Velloq");
        page += line;
        page += kCrLf;
    }
    page += style;
    page += content;
    if (!page.ends_with(kCrLf)) page += kCrLf;
    page += "</main>\r\n";
    // As in a generated page, the readings follow everything they read.
    if (std::string readings = readingsLine(bytes); !readings.empty()) {
        pagegen::FormulaScanner scanner;
        scanner.Feed(page);
        pagegen::FillReadings(readings, scanner);
        page += readings;
        page += kCrLf;
    }
    page += "</body>\r\n</html>\r\n";
    if (!writeFile(target, page)) {
        std::cerr << "velloq-inicio: n\xC3\xA3o consegui gravar " << target << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "modelo") return writeTemplate(args[1], args[2], args[3]);
    if (args.size() == 3 && args[0] == "formulas")
        return writePage(args[1], "Lista geral de f\xF3rmulas", formulaListBody(), args[2]);
    if (args.size() == 5 && args[0] == "pagina") {
        std::string body;
        if (!readFile(args[2], body)) {
            std::cerr << "velloq-inicio: n\xC3\xA3o consegui ler " << args[2] << "\n";
            return 1;
        }
        if (const std::size_t at = body.find(kCatalogueMarker); at != std::string::npos)
            body.replace(at, kCatalogueMarker.size(), catalogueSummary());
        return writePage(args[1], codepage::Utf8ToCp1252(args[4]), body, args[3]);
    }
    std::cerr << kUsage;
    return 2;
}
