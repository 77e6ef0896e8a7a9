#include "generator/readings.h"

#include <array>

#include "generator/generator.h"
#include "reader/reader.h"
#include "platform/codepage.h"

namespace pagegen {
namespace {

// A formula longer than this gets no reading (the speech server refuses it too).
constexpr size_t kMaxFormulaBytes = 64 * 1024;

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Elements whose content the browser takes as plain text up to their end tag.
bool isRawText(std::string_view name) {
    static constexpr std::array<std::string_view, 9> kNames = {
        "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "noscript"};
    for (std::string_view n : kNames)
        if (n == name) return true;
    return false;
}

bool isNotation(std::string_view name) { return name == "pre" || name == "code" || name == "math"; }

// The accented letters that the page holds as entities ("&aacute;"), back as UTF-8.
std::string decodeAccentEntities(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '&') {
            const size_t semi = utf8.find(';', i);
            if (semi != std::string_view::npos && semi - i <= 8) {
                const std::string_view entity = utf8.substr(i, semi - i + 1);
                bool found = false;
                for (int b = 0xC0; b <= 0xFF && !found; ++b) {
                    const char* e = AccentEntity(static_cast<unsigned char>(b));
                    if (e != nullptr && entity == e) {
                        codepage::AppendUtf8(out, codepage::Cp1252ToCodePoint(static_cast<unsigned char>(b)));
                        found = true;
                    }
                }
                if (found) {
                    i = semi;
                    continue;
                }
            }
        }
        out += utf8[i];
    }
    return out;
}

// Runs of blanks (the no-break space included) become one blank; none is left at the ends.
std::string collapseBlanks(std::string_view utf8) {
    std::string out;
    bool pending = false;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const bool nbsp = utf8[i] == '\xC2' && i + 1 < utf8.size() && utf8[i + 1] == '\xA0';
        // The same blanks as the page's script treats as one when it looks a formula up.
        if (isBlank(utf8[i]) || utf8[i] == '\v' || nbsp) {
            pending = true;
            if (nbsp) ++i;
            continue;
        }
        if (pending && !out.empty()) out += ' ';
        pending = false;
        out += utf8[i];
    }
    return out;
}

// The formula as the browser shows its text.
std::string shownText(std::string_view cp1252) {
    return collapseBlanks(reader::DecodeCharacterReferences(decodeAccentEntities(codepage::Cp1252ToUtf8(cp1252))));
}

void appendJsonString(std::string& out, std::string_view utf8) {
    static const char* hex = "0123456789abcdef";
    auto unit = [&out](char32_t u) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += hex[(u >> shift) & 15];
    };
    out += '"';
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        size_t length = codepage::DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            cp = 0xFFFD;
            length = 1;
        }
        i += length;
        if (cp == '"' || cp == '\\') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp >= 0x20 && cp < 0x7F && cp != '<' && cp != '>' && cp != '&' && cp != '[') {
            out += static_cast<char>(cp);
        } else if (cp > 0xFFFF) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    out += '"';
}

}  // namespace

void FormulaScanner::gather(std::string_view run) {
    if (notationDepth_ > 0 || !inFormula_ || tooLong_) return;
    if (formula_.size() + run.size() > kMaxFormulaBytes) {
        tooLong_ = true;
        formula_.clear();
        return;
    }
    formula_ += run;
}

void FormulaScanner::text(char c) {
    if (notationDepth_ > 0) return;
    if (c == '`') {
        if (inFormula_) {
            // A formula met again is not decoded again.
            if (!tooLong_ && met_.insert(formula_).second) {
                std::string shown = shownText(formula_);
                if (!shown.empty()) formulas_.insert(std::move(shown));
            }
            endRun();
        } else {
            inFormula_ = true;
            tooLong_ = false;
        }
        return;
    }
    gather(std::string_view(&c, 1));
}

void FormulaScanner::finishTag() {
    state_ = State::Text;
    if (!endTag_ && isRawText(name_)) {
        endRun();
        state_ = State::RawText;
        rawMatched_ = 0;
        return;
    }
    if (name_ == "br" || name_ == "wbr") {
        if (name_ == "br") text('\n');
        return;
    }
    endRun();
    if (isNotation(name_)) notationDepth_ = endTag_ ? std::max(0, notationDepth_ - 1) : notationDepth_ + 1;
}

void FormulaScanner::Feed(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        switch (state_) {
            case State::Text:
                if (c == '<') {
                    state_ = State::LessThan;
                } else if (c == '`') {
                    text(c);
                } else {
                    // The run up to the next tag or backquote is taken in one go.
                    size_t end = bytes.find_first_of("<`", i);
                    if (end == std::string_view::npos) end = bytes.size();
                    gather(bytes.substr(i, end - i));
                    i = end - 1;
                }
                break;
            case State::LessThan:
                if (isAsciiLetter(c)) {
                    endTag_ = false;
                    name_.assign(1, lower(c));
                    state_ = State::TagName;
                } else if (c == '/') {
                    state_ = State::EndTagOpen;
                } else if (c == '!') {
                    state_ = State::MarkupOpen;
                } else if (c == '?') {
                    state_ = State::Bogus;
                } else {
                    // A "<" that opens no tag is text.
                    state_ = State::Text;
                    text('<');
                    --i;
                }
                break;
            case State::EndTagOpen:
                if (isAsciiLetter(c)) {
                    endTag_ = true;
                    name_.assign(1, lower(c));
                    state_ = State::TagName;
                } else {
                    state_ = c == '>' ? State::Text : State::Bogus;
                }
                break;
            case State::TagName:
                if (c == '>') {
                    finishTag();
                } else if (isBlank(c) || c == '/') {
                    quote_ = 0;
                    afterEquals_ = false;
                    state_ = State::InTag;
                } else {
                    name_ += lower(c);
                }
                break;
            case State::InTag:
                if (quote_ != 0) {
                    if (c == quote_) {
                        quote_ = 0;
                        afterEquals_ = false;
                    }
                } else if (c == '>') {
                    finishTag();
                } else if ((c == '"' || c == '\'') && afterEquals_) {
                    quote_ = c;
                } else if (c == '=') {
                    afterEquals_ = true;
                } else if (!isBlank(c)) {
                    afterEquals_ = false;
                }
                break;
            case State::MarkupOpen:
                if (c == '-') {
                    state_ = State::MarkupDash;
                } else {
                    state_ = c == '>' ? State::Text : State::Bogus;
                }
                break;
            case State::MarkupDash:
                if (c == '-') {
                    state_ = State::Comment;
                    dashes_ = 0;
                } else {
                    state_ = c == '>' ? State::Text : State::Bogus;
                }
                break;
            case State::Comment:
                // A comment leaves the run of text whole.
                if (c == '>' && dashes_ >= 2) state_ = State::Text;
                dashes_ = c == '-' ? dashes_ + 1 : 0;
                break;
            case State::Bogus:
                if (c == '>') {
                    state_ = State::Text;
                    endRun();
                }
                break;
            case State::RawText: {
                // Looking for "</" + name_, then a blank, "/" or ">".
                const size_t want = name_.size() + 2;
                if (rawMatched_ == want) {
                    if (c == '>') {
                        endTag_ = true;
                        finishTag();
                    } else if (isBlank(c) || c == '/') {
                        endTag_ = true;
                        quote_ = 0;
                        afterEquals_ = false;
                        state_ = State::InTag;
                    } else {
                        rawMatched_ = c == '<' ? 1 : 0;
                    }
                } else if (rawMatched_ == 0) {
                    rawMatched_ = c == '<' ? 1 : 0;
                } else if (rawMatched_ == 1) {
                    rawMatched_ = c == '/' ? 2 : c == '<' ? 1 : 0;
                } else if (lower(c) == name_[rawMatched_ - 2]) {
                    ++rawMatched_;
                } else {
                    rawMatched_ = c == '<' ? 1 : 0;
                }
                break;
            }
        }
    }
}

std::string ReadingsJson(const std::set<std::string>& formulas) {
    std::string out = "{";
    for (const std::string& formula : formulas) {
        const std::string reading = reader::ReadFormula(formula, reader::Verbosity::Normal);
        if (reading.empty()) continue;
        if (out.size() > 1) out += ',';
        appendJsonString(out, formula);
        out += ':';
        appendJsonString(out, reading);
    }
    out += '}';
    return out;
}

bool FillReadings(std::string& line, const FormulaScanner& scanner) {
    const size_t at = line.find(kReadingsPlaceholder);
    if (at == std::string::npos) return false;
    line.replace(at, kReadingsPlaceholder.size(), ReadingsJson(scanner.Formulas()));
    return true;
}

}  // namespace pagegen
