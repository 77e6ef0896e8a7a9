#include "speech/ssmltext.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "speech/socketclient.h"

namespace ssmltext {
namespace {

// HTML names of the characters 160 to 255, in order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

constexpr std::array<std::string_view, 9> kSpeechElements = {
    "break", "emphasis", "lang", "mark", "phoneme", "prosody", "say-as", "sub", "voice"};

constexpr std::array<std::string_view, 22> kBlockElements = {
    "br", "p",  "div", "li", "td", "th", "tr", "hr", "h1", "h2", "h3",
    "h4", "h5", "h6",  "ul", "ol", "dd", "dt", "table", "pre", "blockquote", "center"};

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == ':' || c == '.';
}
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

bool IsXmlChar(unsigned long cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

std::string CodePointToUtf8(char32_t cp) {
    std::string out;
    codepage::AppendUtf8(out, cp);
    return out;
}

// One character of text, escaped for XML, in UTF-8.
void AppendTextChar(std::string& out, unsigned char c) {
    switch (c) {
        case '<': out += "&lt;"; return;
        case '>': out += "&gt;"; return;
        case '&': out += "&amp;"; return;
        case '"': out += "&quot;"; return;
        default: break;
    }
    const char32_t cp = codepage::Cp1252ToCodePoint(c);
    if (!IsXmlChar(cp) || (cp >= 0x7F && cp <= 0x9F)) {
        out += ' ';
        return;
    }
    out += CodePointToUtf8(cp);
}

// The entity or reference at text[pos] ("&..."), as it goes into the output, and its length;
// nullopt when "&" starts none.
std::optional<std::pair<std::string, std::size_t>> Entity(std::string_view text, std::size_t pos) {
    const std::size_t semi = text.find(';', pos + 1);
    if (semi == std::string_view::npos || semi - pos > 12) return std::nullopt;
    const std::string_view body = text.substr(pos + 1, semi - pos - 1);
    const std::size_t length = semi - pos + 1;
    if (body.size() >= 2 && body[0] == '#') {
        char32_t cp = 0;
        if (codepage::NumericReference(text, pos, cp) != length || !IsXmlChar(cp)) return std::nullopt;
        return std::pair{std::string(text.substr(pos, length)), length};
    }
    if (body == "amp" || body == "lt" || body == "gt" || body == "quot" || body == "apos")
        return std::pair{std::string(text.substr(pos, length)), length};
    for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
        if (kLatin1Names[i] == body) {
            const char32_t cp = static_cast<char32_t>(160 + i);
            return std::pair{cp == 160 ? std::string(" ") : CodePointToUtf8(cp), length};
        }
    }
    return std::nullopt;
}

struct Tag {
    bool closing = false;
    bool empty = false;  // <name ... />
    std::string name;    // lower case
    std::string attributes;  // re-written, UTF-8, each with a leading blank
    std::vector<std::string> attributeNames;
};

// Escapes an attribute value (between its quotes) for the output.
std::string AttributeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '&') {
            if (auto entity = Entity(value, i)) {
                out += entity->first;
                i += entity->second - 1;
                continue;
            }
        }
        AppendTextChar(out, c);
    }
    return out;
}

// Parses "<...>" (both brackets included); nullopt when it is not a well-formed tag.
std::optional<Tag> ParseTag(std::string_view t) {
    Tag tag;
    std::size_t i = 1;
    if (i < t.size() && t[i] == '/') {
        tag.closing = true;
        ++i;
    }
    if (i >= t.size() || !IsNameStart(t[i])) return std::nullopt;
    const std::size_t nameStart = i;
    while (i < t.size() && IsNameChar(t[i])) ++i;
    tag.name = Lower(t.substr(nameStart, i - nameStart));
    const std::size_t end = t.size() - 1;  // the '>'
    while (true) {
        const std::size_t before = i;
        while (i < end && IsBlank(t[i])) ++i;
        if (i == end) break;
        if (t[i] == '/' && i + 1 == end && !tag.closing) {
            tag.empty = true;
            break;
        }
        if (tag.closing || i == before || !IsNameStart(t[i])) return std::nullopt;
        const std::size_t attrStart = i;
        while (i < end && IsNameChar(t[i])) ++i;
        const std::string attrName(t.substr(attrStart, i - attrStart));
        while (i < end && IsBlank(t[i])) ++i;
        if (i == end || t[i] != '=') return std::nullopt;
        ++i;
        while (i < end && IsBlank(t[i])) ++i;
        if (i == end || (t[i] != '"' && t[i] != '\'')) return std::nullopt;
        const char quote = t[i++];
        const std::size_t close = t.find(quote, i);
        if (close == std::string_view::npos || close >= end) return std::nullopt;
        if (std::find(tag.attributeNames.begin(), tag.attributeNames.end(), attrName) !=
            tag.attributeNames.end())
            return std::nullopt;
        tag.attributeNames.push_back(attrName);
        tag.attributes += ' ' + attrName + "=\"" + AttributeValue(t.substr(i, close - i)) + '"';
        i = close + 1;
    }
    return tag;
}

bool IsSpeechTag(const Tag& tag) {
    if (!OneOf(kSpeechElements, tag.name)) return false;
    if (tag.name == "sub" && !tag.closing)  // HTML's subscript has no alias
        return std::find(tag.attributeNames.begin(), tag.attributeNames.end(), "alias") !=
               tag.attributeNames.end();
    return true;
}

class Builder {
public:
    explicit Builder(std::string_view text) : text_(text) {}

    std::string Build() {
        out_ = "<speak>";
        for (std::size_t i = 0; i < text_.size();) i = Step(i);
        while (!open_.empty()) {
            out_ += "</" + open_.back() + '>';
            open_.pop_back();
        }
        out_ += "</speak>";
        return out_;
    }

private:
    std::size_t Step(std::size_t i) {
        const unsigned char c = static_cast<unsigned char>(text_[i]);
        if (c == ' ' || c == '\t') {
            // A wide gap sets apart what stands on either side (two formulas of one line, say):
            // the voice pauses there instead of running them together.
            std::size_t end = i;
            while (end < text_.size() && (text_[end] == ' ' || text_[end] == '\t')) ++end;
            if (end - i >= 3 && i > 0 && end < text_.size()) {
                out_ += " <break strength=\"medium\"/> ";
                return end;
            }
        }
        if (c == '&') {
            if (auto entity = Entity(text_, i)) {
                out_ += entity->first;
                return i + entity->second;
            }
        } else if (c == '<') {
            if (const std::size_t next = Markup(i); next != i) return next;
        }
        AppendTextChar(out_, c);
        return i + 1;
    }

    // Handles the markup starting at text_[i]; returns where the text goes on, or i when
    // the "<" starts none.
    std::size_t Markup(std::size_t i) {
        const std::string_view rest = text_.substr(i);
        // A formula whose reading could not be had: the listener hears so, in its place,
        // rather than nothing.
        if (rest.starts_with(socketclient::kDisconnected)) {
            out_ += "desconectado";
            return i + std::string_view(socketclient::kDisconnected).size();
        }
        if (rest.starts_with("<!--")) {
            const std::size_t end = rest.find("-->", 4);
            return end == std::string_view::npos ? i : i + end + 3;
        }
        const std::size_t close = rest.find('>');
        if (close == std::string_view::npos) return i;
        const std::size_t nextOpen = rest.find('<', 1);
        if (nextOpen != std::string_view::npos && nextOpen < close) return i;
        if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?')) return i + close + 1;
        const auto tag = ParseTag(rest.substr(0, close + 1));
        if (!tag) return i;
        if (IsSpeechTag(*tag)) {
            Keep(*tag);
        } else if (OneOf(kBlockElements, tag->name) && !out_.ends_with(' ')) {
            out_ += ' ';
        }
        return i + close + 1;
    }

    void Keep(const Tag& tag) {
        if (tag.empty) {
            out_ += '<' + tag.name + tag.attributes + "/>";
        } else if (!tag.closing) {
            out_ += '<' + tag.name + tag.attributes + '>';
            open_.push_back(tag.name);
        } else {
            const auto it = std::find(open_.rbegin(), open_.rend(), tag.name);
            if (it == open_.rend()) return;  // a stray end tag
            const std::size_t keep = static_cast<std::size_t>(open_.rend() - it) - 1;
            while (open_.size() > keep) {
                out_ += "</" + open_.back() + '>';
                open_.pop_back();
            }
        }
    }

    std::string_view text_;
    std::string out_;
    std::vector<std::string> open_;
};

}  // namespace

std::string ToSsml(std::string_view cp1252Text) { return Builder(cp1252Text).Build(); }

}  // namespace ssmltext
