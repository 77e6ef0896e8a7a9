#include "platform/codepage.h"

namespace codepage {
namespace {

// Code points of the bytes 0x80 to 0x9F; the rest of the table is Latin-1.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

size_t NumericReference(std::string_view text, size_t pos, char32_t& cp) {
    if (pos + 3 > text.size() || text[pos] != '&' || text[pos + 1] != '#') return 0;
    size_t i = pos + 2;
    const bool hex = text[i] == 'x' || text[i] == 'X';
    if (hex) ++i;
    const size_t first = i;
    char32_t value = 0;
    for (; i < text.size() && i - first < 8; ++i) {
        const char d = text[i];
        const int v = d >= '0' && d <= '9'          ? d - '0'
                      : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                      : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                    : -1;
        if (v < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(v);
    }
    const size_t digits = i - first;
    if (digits == 0 || digits > 7 || i >= text.size() || text[i] != ';') return 0;
    cp = value;
    return i + 1 - pos;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    size_t len;
    char32_t min;
    if (b0 < 0x80) { cp = b0; return 1; }
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

char32_t Cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
    return byte;
}

int CodePointToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char b : bytes) AppendUtf8(out, Cp1252ToCodePoint(b));
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8, Unmappable policy) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {  // a stray byte: keep it as it is
            out += utf8[i++];
            continue;
        }
        i += len;
        const int b = CodePointToCp1252(cp);
        if (b >= 0) {
            out += static_cast<char>(b);
        } else if (policy == Unmappable::NumericReference) {
            out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
        } else {
            out += '?';
        }
    }
    return out;
}

void Utf8Sniffer::Feed(std::string_view bytes) {
    size_t i = 0;
    // Complete a sequence cut at the end of the last chunk; DecodeUtf8 judges it once whole.
    while (valid_ && pendingLength_ > 0 && i < bytes.size()) {
        pending_[pendingLength_++] = static_cast<unsigned char>(bytes[i++]);
        const unsigned char lead = pending_[0];
        const size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (pendingLength_ < want) continue;
        char32_t cp;
        const std::string_view held(reinterpret_cast<const char*>(pending_), pendingLength_);
        valid_ = DecodeUtf8(held, 0, cp) == want;
        multibyte_ = multibyte_ || valid_;
        pendingLength_ = 0;
    }
    while (valid_ && i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) { ++i; continue; }
        char32_t cp;
        const size_t len = DecodeUtf8(bytes, i, cp);
        if (len > 0) {
            multibyte_ = true;
            i += len;
            continue;
        }
        // Malformed, unless the chunk ends inside a sequence that more bytes may complete.
        const size_t want = b >= 0xF8 ? 0 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        const size_t rest = bytes.size() - i;
        bool cut = want > rest;
        for (size_t k = 1; cut && k < rest; ++k)
            cut = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (!cut) { valid_ = false; break; }
        for (size_t k = 0; k < rest; ++k) pending_[k] = static_cast<unsigned char>(bytes[i + k]);
        pendingLength_ = rest;
        i = bytes.size();
    }
}

bool IsUtf8Text(std::string_view bytes) {
    Utf8Sniffer sniffer;
    sniffer.Feed(bytes);
    return sniffer.IsUtf8();
}

}  // namespace codepage
