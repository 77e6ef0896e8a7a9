// The document for an embosser: the text in Portuguese braille through liblouis, every formula
// in the Brazilian unified mathematics code, laid out in lines and pages as embossers take them.
#include <liblouis.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <new>
#include <stdexcept>

#include "generator/generator.h"
#include "generator/run.h"
#include "platform/codepage.h"
#include "reader/braille.h"
#include "reader/reader.h"

namespace pagegen {
namespace {

// Portuguese braille without contractions, as Brazilian schools write it.
constexpr const char* kTextTable = "pt-pt-g1.utb";

constexpr std::size_t kCellBytes = 3;
constexpr std::size_t kMaxHeaderValue = 999;  // the page's bound on a header line's value
constexpr std::string_view kBlank = "\u2800";

std::size_t cellCount(std::string_view cells) { return cells.size() / kCellBytes; }

// Text in Portuguese braille, UTF-8 Unicode cells; blanks are blank cells.
std::string textCells(std::string_view utf8) {
    std::vector<widechar> in;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t n = codepage::DecodeUtf8(utf8, i, cp);
        if (n == 0) {
            cp = '?';
            i += 1;
        } else {
            i += n;
        }
        in.push_back(cp < 0x20 ? static_cast<widechar>(' ') : static_cast<widechar>(cp));
    }
    if (in.empty()) return {};
    std::vector<widechar> out(in.size() * 4 + 16);
    int inLength = static_cast<int>(in.size());
    int outLength = static_cast<int>(out.size());
    if (!lou_translateString(kTextTable, in.data(), &inLength, out.data(), &outLength, nullptr, nullptr, ucBrl | dotsIO))
        throw std::runtime_error(std::string("a tabela braille do portugu\xC3\xAAs (") + kTextTable +
                                 ") n\xC3\xA3o foi encontrada; instale o pacote liblouis-data");
    std::string cells;
    for (int k = 0; k < outLength; ++k) {
        const widechar c = out[static_cast<std::size_t>(k)];
        // ucBrl gives U+2800 and up; dotsIO without it, the dot bits over 0x8000.
        const char32_t cell = c >= 0x2800 && c < 0x2900 ? c : (c & 0x8000) ? 0x2800 + (c & 0x3F) : 0x2800;
        codepage::AppendUtf8(cells, 0x2800 + ((cell - 0x2800) & 0x3F));
    }
    return cells;
}

// A line of the document as text: Windows-1252 with character references, as the page shows it,
// to UTF-8, HTML tags left out.
std::string plainText(std::string_view line) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool tag = c == '<' && i + 1 < line.size() &&
                         (std::isalpha(static_cast<unsigned char>(line[i + 1])) || line[i + 1] == '/' || line[i + 1] == '!');
        const std::size_t close = tag ? line.find('>', i) : std::string_view::npos;
        if (close != std::string_view::npos) {
            i = close;
            continue;
        }
        text += c;
    }
    return reader::DecodeCharacterReferences(codepage::Cp1252ToUtf8(text));
}

// The cells of the document, paragraph by paragraph, and the lines and pages they make.
class BrailleLayout {
public:
    explicit BrailleLayout(BrailleReport* report) : report_(report) {}

    // A paragraph of cells: filled into lines of at most kBrailleLineCells, broken at blank
    // cells (a word longer than a line is cut); "\n" in the cells starts a new line.
    void paragraph(std::string_view cells, std::size_t indent = 0) {
        std::string line;
        for (std::size_t k = 0; k < indent; ++k) line += kBlank;
        std::size_t from = 0;
        while (from <= cells.size()) {
            std::size_t to = cells.find('\n', from);
            if (to == std::string_view::npos) to = cells.size();
            fill(line, cells.substr(from, to - from));
            endLine(line);
            from = to + 1;
        }
    }

    void blankLine() {
        if (!lines_.empty() && !lines_.back().empty() && lines_.back() != "\f") lines_.emplace_back();
    }
    void pageBreak() {
        if (!lines_.empty() && lines_.back() != "\f") lines_.emplace_back("\f");
    }

    // Text with formulas between backquotes: the text through liblouis, the formulas in the code,
    // each told what the text writes after it.
    std::string lineCells(std::string_view line) {
        std::vector<std::string_view> pieces;  // text, formula, text, formula, ..., text
        std::size_t from = 0;
        for (;;) {
            const std::size_t open = line.find('`', from);
            const std::size_t close = open == std::string_view::npos ? open : line.find('`', open + 1);
            if (close == std::string_view::npos) break;
            pieces.push_back(line.substr(from, open - from));
            pieces.push_back(line.substr(open + 1, close - open - 1));
            from = close + 1;
        }
        pieces.push_back(line.substr(from));
        std::vector<std::string> texts;
        for (std::size_t k = 0; k < pieces.size(); k += 2) texts.push_back(textCells(plainText(pieces[k])));
        std::string cells = texts[0];
        for (std::size_t k = 1; k < pieces.size(); k += 2) {
            const reader::BrailleText formula = reader::FormulaToBraille(codepage::Cp1252ToUtf8(pieces[k]), texts[(k + 1) / 2]);
            cells += formula.cells;
            cells += texts[(k + 1) / 2];
            if (report_)
                for (const std::string& sign : formula.uncovered)
                    if (std::find(report_->uncovered.begin(), report_->uncovered.end(), sign) == report_->uncovered.end())
                        report_->uncovered.push_back(sign);
        }
        return cells;
    }

    // The pages: kBrailleLinesPerPage lines each, the last one holding the page's number at its
    // right end; lines end in CR LF for the ASCII file and LF for the Unicode one, pages in a
    // form feed.
    std::string pages(bool ascii) const {
        std::string out;
        std::size_t onPage = 0;
        int page = 1;
        const std::string_view end = ascii ? "\r\n" : "\n";
        auto write = [&](std::string_view cells) {
            out += ascii ? reader::BrailleToAscii(trimmed(cells)) : std::string(trimmed(cells));
            out += end;
        };
        auto closePage = [&] {
            for (; onPage < kBrailleLinesPerPage - 1; ++onPage) out += end;
            const std::string number = reader::BrailleNumber(static_cast<unsigned>(page));
            std::string last;
            for (std::size_t k = cellCount(number); k < kBrailleLineCells; ++k) last += kBlank;
            write(last + number);
            out += '\f';
            onPage = 0;
            ++page;
        };
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i] == "\f") {
                if (onPage > 0) closePage();
                continue;
            }
            if (onPage == 0 && lines_[i].empty()) continue;  // no page starts with a blank line
            write(lines_[i]);
            if (++onPage == kBrailleLinesPerPage - 1) closePage();
        }
        if (onPage > 0 || page == 1) closePage();
        return out;
    }

private:
    // Blank cells at the end of a line are no text: the ASCII file writes none.
    static std::string_view trimmed(std::string_view cells) {
        while (cells.ends_with(kBlank)) cells.remove_suffix(kBlank.size());
        return cells;
    }

    void fill(std::string& line, std::string_view cells) {
        std::size_t from = 0;
        while (from < cells.size()) {
            std::size_t blank = cells.find(kBlank, from);
            if (blank == std::string_view::npos) blank = cells.size();
            std::string_view word = cells.substr(from, blank - from);
            from = blank + kBlank.size();
            while (!word.empty()) {
                const std::size_t used = cellCount(line);
                const std::size_t room = used == 0 ? kBrailleLineCells : kBrailleLineCells - std::min(kBrailleLineCells, used + 1);
                if (cellCount(word) <= room) {
                    if (used > 0 && !line.ends_with(kBlank)) line += kBlank;
                    line += word;
                    break;
                }
                if (used > 0 && !isIndent(line)) {
                    endLine(line);
                    continue;
                }
                // A word longer than a line: cut where the line is full.
                const std::size_t take = (kBrailleLineCells - used) * kCellBytes;
                line += word.substr(0, take);
                word.remove_prefix(std::min(take, word.size()));
                endLine(line);
            }
        }
    }

    static bool isIndent(const std::string& line) {
        for (std::size_t i = 0; i < line.size(); i += kCellBytes)
            if (line.compare(i, kCellBytes, kBlank) != 0) return false;
        return true;
    }

    void endLine(std::string& line) {
        lines_.push_back(std::move(line));
        line.clear();
    }

    BrailleReport* report_;
    std::vector<std::string> lines_;
};

// The markup lines of a document to braille paragraphs. Lines with no braille meaning (labels,
// the ends of links and quotations) write nothing; links, images and forms write their text or
// a description of what they are.
class BrailleTranslator {
public:
    BrailleTranslator(LineReader& document, const PageSettings& settings, BrailleLayout& layout)
        : document_(document), settings_(settings), layout_(layout) {}

    void run() {
        header();
        std::string_view line;
        while (document_.Next(line)) handle(line);
    }

private:
    // The header lines at the top give the first page what the page shows of them, before the
    // text: the title (a "Título:" line, or the first line without a colon), then the author and
    // the contact, from the settings unless an "Autor:" or "Contato:" line names them.
    void header() {
        std::string_view line;
        std::string title, author = settings_.author, contact = settings_.contact;
        auto value = [&line](std::size_t from) { return std::string(TrimControls(line.substr(from, kMaxHeaderValue))); };
        while (document_.Next(line)) {
            if (line.empty()) break;
            if (line.find(':') == std::string_view::npos) {
                if (title.empty()) title = std::string(line);
                break;
            }
            const std::string start = UpperAnsi(line.substr(0, 8));
            if (start.starts_with("T\xCDTULO:") || start.starts_with("TITULO:")) title = value(7);
            else if (start.starts_with("AUTOR:")) author = value(6);
            else if (start.starts_with("CONTATO:")) contact = value(8);
        }
        if (!title.empty()) layout_.paragraph(layout_.lineCells(title));
        if (!author.empty()) layout_.paragraph(textCells("Autor: " + plainText(author)));
        if (!contact.empty()) layout_.paragraph(textCells("Contato: " + plainText(contact)));
        layout_.blankLine();
    }

    void text(std::string_view line, std::size_t indent = 0) { layout_.paragraph(layout_.lineCells(line), indent); }
    void words(const std::string& utf8Words, std::string_view cp1252Rest = {}) {
        layout_.paragraph(textCells(utf8Words) + (cp1252Rest.empty() ? "" : layout_.lineCells(cp1252Rest)));
    }

    void handle(std::string_view line) {
        if (TrimControls(line).empty()) {
            if (!tableMode_) layout_.blankLine();
            return;
        }
        std::size_t indent = 0;
        while (!line.empty() && line.front() == ' ') {
            line.remove_prefix(1);
            ++indent;
        }
        if (line.empty()) return;
        const char first = line.front();
        if (first == '%') include(line.substr(1));
        else if (first == '.') text(std::string("- ") + std::string(line.substr(1)));
        else if (EqualsUpperAscii(line, "<PAGE>")) layout_.pageBreak();
        else if (EqualsUpperAscii(line, "<PRE>")) preformatted();
        else if (line == "}" || line == ">>" || line == "<<" || first == '#') return;
        else if (first == '@') table(line.substr(1));
        else if (first == '&') form(line.substr(1));
        else if (first == '$') image(line);
        else if (first == '{') link(line);
        else if (first == '*') topic(line.substr(1));
        else if (line.substr(0, 5) == "-----") rule();
        else if (tableMode_) cell(line);
        else text(line, std::min<std::size_t>(indent, 10));
    }

    void include(std::string_view name) {
        LineReader file;
        if (!file.Open(codepage::NativePath(name))) return;  // the page warns of it; here it is left out too
        std::string_view line;
        while (file.Next(line))
            if (!TrimControls(line).empty()) text(line);
    }

    void preformatted() {
        std::string_view line;
        while (document_.Next(line)) {
            if (EqualsUpperAscii(line, "</PRE>")) break;
            text(line);
        }
    }

    void table(std::string_view rest) {
        tableMode_ = !rest.empty();
        columns_ = std::max(1, LeadingNumber(TrimControls(rest)));
        cells_ = 0;
        layout_.blankLine();
    }

    // A table cell by cell, one a line, a blank line after each row.
    void cell(std::string_view line) {
        text(line);
        if (++cells_ % columns_ == 0) layout_.blankLine();
    }

    void link(std::string_view line) {
        LinkFields f = SplitLink(line);
        if (f.text.empty()) return;  // a link block: its lines follow as text
        if (f.text.back() == '}') f.text.pop_back();
        if (tableMode_) {
            cell(f.text);
            return;
        }
        text(f.text + f.after);
    }

    void image(std::string_view line) {
        ImageFields f = SplitImage(line);
        std::string_view next;
        if (f.comment.empty() && document_.Next(next)) f.comment = std::string(next);
        if (!f.comment.empty() && f.comment.back() == '$') f.comment.pop_back();
        if (f.comment.empty()) words("Figura sem descri\xC3\xA7\xC3\xA3o.");
        else words("Figura: ", f.comment);
    }

    void topic(std::string_view title) {
        layout_.blankLine();
        text(title);
        layout_.blankLine();
    }

    void rule() {
        std::string line;
        for (std::size_t k = 0; k < kBrailleLineCells; ++k) line += "\u2812";
        layout_.paragraph(line);
    }

    // A form and its controls as what they ask: "Campo: nome", "Botão: Enviar"; a select's
    // options one a line; a text area's lines as text.
    void form(std::string_view body) {
        if (body.empty()) {
            words("Fim do formul\xC3\xA1rio.");
            return;
        }
        char letter = body.front();
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
        std::string_view rest = TrimControls(body.substr(1));
        auto skipNumberAndId = [&rest] {
            if (!rest.empty() && rest.front() >= '1' && rest.front() <= '9') NextField(rest);
            if (!rest.empty() && rest.front() >= '1' && rest.front() <= '9') NextField(rest);
            if (!rest.empty() && rest.front() == '[') NextField(rest);
        };
        switch (letter) {
            case 'F': words("Formul\xC3\xA1rio."); return;
            case 'H': return;  // a hidden field shows nothing
            case 'T': case 'P': case 'D': case 'U': case 'R': case 'C': case '*': case '/': {
                skipNumberAndId();
                const std::string_view name = NextField(rest);
                const std::string_view value = letter == 'C' ? std::string_view{} : NextField(rest);
                const std::string_view label = NextField(rest);
                const bool button = letter == '*' || letter == '/';
                const std::string_view shown = button ? (!value.empty() ? value : label) : (!label.empty() ? label : name);
                const char* kind = button ? "Bot\xC3\xA3o: " : (letter == 'R' || letter == 'C') ? "Op\xC3\xA7\xC3\xA3o: " : "Campo: ";
                words(kind, shown.empty() ? std::string_view(button ? (letter == '*' ? "Enviar" : "Limpar") : "") : shown);
                return;
            }
            case 'A': {
                if (rest == "*") return;
                skipNumberAndId();
                const std::string_view name = NextField(rest);
                const std::string_view content = NextField(rest);
                words("\xC3\x81rea de texto: ", name);
                if (!content.empty() && content.front() != '$') text(content);
                if (!content.empty()) return;
                std::string_view line;
                while (document_.Next(line) && line != "&A*") text(line);
                return;
            }
            case 'S': {
                const std::string_view name = NextField(rest);
                words("Lista de escolha: ", name);
                std::string_view line;
                while (document_.Next(line) && line != "&S") {
                    std::string_view option = line;
                    const std::string_view value = NextField(option);
                    const std::string_view label = NextField(option);
                    text(std::string("- ") + std::string(label.empty() ? value : label));
                }
                return;
            }
            default:
                return;
        }
    }

    LineReader& document_;
    const PageSettings& settings_;
    BrailleLayout& layout_;
    bool tableMode_ = false;
    int columns_ = 1;
    int cells_ = 0;
};

}  // namespace

std::string BrailleNameFor(const std::string& document, std::string_view extension) {
    const std::string page = PageNameFor(document);
    return page.substr(0, page.size() - 4) + std::string(extension);
}

BrailleFiles BrailleDocument(LineReader& document, const PageSettings& settings, BrailleReport* report) {
    BrailleReport own;
    if (!report) report = &own;
    BrailleLayout layout(report);
    BrailleTranslator(document, settings, layout).run();
    if (!report->uncovered.empty()) {
        // The closing note lists the signs written with the marker.
        std::string note = "Sinais sem braille no c\xC3\xB3" "digo matem\xC3\xA1tico:";
        for (const std::string& sign : report->uncovered) note += " " + sign;
        layout.blankLine();
        layout.paragraph(textCells(note));
    }
    return {layout.pages(true), layout.pages(false)};
}

void GenerateBraille(const std::string& document, const std::string& brf, const std::string& txt,
                     const PageSettings& settings, BrailleReport* report) {
    std::string reading = document;
    try {
        LineReader in;
        if (!in.Open(document)) {
            if (errno == EFBIG) throw FileError(document, "abrir", TooLargeReason());
            throw FileError(document, errno, "abrir");
        }
        for (const std::string* out : {&brf, &txt})
            if (safefile::IdOf(*out) == in.id()) throw PageIsInputError(*out, "o documento", document);
        const BrailleFiles files = BrailleDocument(in, settings, report);
        PageWriter ascii, unicode;
        ascii.Create(brf);
        unicode.Create(txt);
        ascii.Write(files.ascii);
        unicode.Write(files.unicode);
        ascii.Close();
        unicode.Close();
    } catch (const FileError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw FileError(reading, ENOMEM, "ler");
    } catch (const std::exception& error) {
        throw FileError(reading, "ler", std::string("falha inesperada (") + error.what() + ")");
    }
}

}  // namespace pagegen
