// The page template: the page-information lines at the top of a document, and the copying of
// template sections with their placeholders filled.
#include <cerrno>
#include <utility>

#include "generator/run.h"
#include "generator/generator.h"
#include "platform/codepage.h"
#include "platform/filelimits.h"
#include "platform/messages.h"

namespace pagegen {
namespace {

constexpr size_t kMaxHeaderValue = 999;

// The value of a header line from the given character on, cut and trimmed.
std::string headerValue(std::string_view line, size_t from) {
    if (from >= line.size()) return {};
    return std::string(TrimControls(line.substr(from, kMaxHeaderValue)));
}

bool isEnd(std::string_view line) { return EqualsUpperAscii(line, "<<<FIM>>>"); }

constexpr std::string_view kPlaceholders[] = {"[T\xCDTULO]", "[T\xD3PICO]", "[CONTATO]", "[AUTOR]"};

bool hasPlaceholder(std::string_view line) {
    if (line.find('[') == std::string_view::npos) return false;
    for (std::string_view p : kPlaceholders)
        if (line.find(p) != std::string_view::npos) return true;
    return line.find(kReadingsPlaceholder) != std::string_view::npos;
}

// Replaces the first occurrence of placeholder in line by value.
void fillFirst(std::string& line, std::string_view placeholder, const std::string& value) {
    const size_t at = line.find(placeholder);
    if (at != std::string::npos) line.replace(at, placeholder.size(), value);
}

// Reads the template of this run once; later sections are looked up in the same lines.
void loadTemplate(Run& run) {
    if (run.templ.loaded) return;
    run.templ.loaded = true;
    const std::string path = codepage::NativePath(run.settings.templateFile);
    LineReader reader;
    if (!reader.Open(path)) {
        run.templ.tooLarge = errno == EFBIG;
        return;
    }
    if (reader.id() == run.pageId) throw PageIsInputError(run.page.name(), "o arquivo de modelos", path);
    std::string outer = std::exchange(run.reading, path);
    run.templ.available = true;
    std::string_view line;
    while (reader.Next(line)) {
        // A template that wants the readings of the page's formulas has them found as the
        // page is written.
        if (line.find(kReadingsPlaceholder) != std::string_view::npos) {
            run.page.ShowTo(&run.formulas);
            run.validPage = true;
        }
        run.templ.lines.emplace_back(line);
        run.templ.kinds.push_back(isEnd(line) ? TemplateCache::End
                                  : hasPlaceholder(line) ? TemplateCache::Filled
                                                         : TemplateCache::Plain);
    }
    run.reading = std::move(outer);
}

// The index of the first marker line of a section, or the number of lines when it has none.
size_t markerLine(TemplateCache& templ, std::string_view marker) {
    for (const auto& [known, index] : templ.markers)
        if (known == marker) return index;
    const std::string upperMarker = UpperAnsi(marker);
    size_t i = 0;
    while (i < templ.lines.size() &&
           !(templ.lines[i].size() == marker.size() && UpperAnsi(templ.lines[i]) == upperMarker))
        ++i;
    templ.markers.emplace_back(std::string(marker), i);
    return i;
}

}  // namespace

PageInfo& Info() {
    static PageInfo info;
    return info;
}

namespace {

void readHeaderLines(Run& run) {
    PageInfo& info = Info();
    info.title.clear();
    info.topic.clear();
    info.author = run.settings.author;
    info.contact = run.settings.contact;
    std::string_view line;
    while (run.document.Next(line)) {
        if (line.empty()) return;
        if (line.find(':') == std::string_view::npos) {
            if (info.title.empty()) info.title = std::string(line);
            return;
        }
        const std::string upper = UpperAnsi(line.substr(0, 8));
        const std::string_view start(upper);
        if (start.substr(0, 7) == "T\xCDTULO:" || start.substr(0, 7) == "TITULO:")
            info.title = headerValue(line, 7);
        else if (start.substr(0, 6) == "AUTOR:")
            info.author = headerValue(line, 6);
        else if (start.substr(0, 8) == "CONTATO:")
            info.contact = headerValue(line, 8);
        else if (start.substr(0, 7) == "MODELO:")
            run.settings.templateFile = headerValue(line, 7);
    }
}

}  // namespace

void ReadPageHeader(Run& run) {
    readHeaderLines(run);
    if (run.settings.templateFile.empty()) run.settings.templateFile = kDefaultTemplate;
    if (run.report) run.report->templateFile = run.settings.templateFile;
}

void WriteTemplateSection(Run& run, std::string_view marker) {
    loadTemplate(run);
    if (!run.templ.available) {
        if (!run.templateWarned)
            messages::ShowWarning("Arquivo de modelos " + codepage::Cp1252ToUtf8(run.settings.templateFile) +
                                  (run.templ.tooLarge ? " \xC3\xA9 maior que o limite de " +
                                                            std::to_string(filelimits::kMaxTextFileMegabytes) + " MB"
                                                      : std::string(" n\xC3\xA3o est\xC3\xA1 presente")) +
                                  ", transcri\xC3\xA7\xC3\xA3o incompleta");
        run.templateWarned = true;
        run.templateIncomplete = true;
        return;
    }
    const auto& lines = run.templ.lines;
    const auto& kinds = run.templ.kinds;
    size_t i = markerLine(run.templ, marker);
    if (i == lines.size()) {
        messages::ShowWarning("Arquivo de modelo est\xC3\xA1 danificado");
        run.templateIncomplete = true;
        return;
    }
    const PageInfo& info = Info();
    std::string& filled = run.templ.scratch;
    for (++i; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (kinds[i] == TemplateCache::Plain) {
            run.page.WriteTranslatedLine(line);
            continue;
        }
        if (kinds[i] == TemplateCache::End) break;
        // Filling happens before the end test: a value may itself make the line "<<<FIM>>>".
        filled = line;
        // The readings first: the placeholder must be the template's own, not one that a
        // value brought in; the readings themselves never hold a placeholder.
        FillReadings(filled, run.formulas);
        fillFirst(filled, kPlaceholders[0], info.title);
        fillFirst(filled, kPlaceholders[1], info.topic);
        fillFirst(filled, kPlaceholders[2], info.contact);
        fillFirst(filled, kPlaceholders[3], info.author);
        if (isEnd(filled)) break;
        run.page.WriteTranslatedLine(filled);
    }
}

void WriteTitle(Run& run, std::string_view line) {
    Info().topic.assign(line.substr(1));
    WriteTemplateSection(run, kTopicMarker);
}

}  // namespace pagegen
