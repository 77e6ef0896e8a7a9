#pragma once
// The one place where text changes encoding: file contents are Windows-1252 bytes, the
// rest of the system (file names, terminal, Qt) speaks UTF-8.
#include <string>
#include <string_view>

namespace codepage {

// Decodes the UTF-8 sequence at s[i] into cp; returns its length, or 0 when it is malformed
// (overlong, a surrogate, beyond U+10FFFF, cut short).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);

// The numeric character reference at text[pos] ("&#8804;", "&#x3B1;": at most 7 digits): its
// code point in cp and its length, ";" included; 0 when text[pos] starts none. The code point
// is as written; whether it is a character the caller can take is the caller's to judge.
size_t NumericReference(std::string_view text, size_t pos, char32_t& cp);

// Unicode code point of a Windows-1252 byte. Every byte maps to one code point; the five
// bytes that Windows-1252 leaves undefined map to the C1 control of the same value, so
// decoding and encoding again gives back the same bytes.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a code point, or -1 when Windows-1252 cannot hold it.
int CodePointToCp1252(char32_t cp);

// Windows-1252 bytes to UTF-8. Never fails.
std::string Cp1252ToUtf8(std::string_view bytes);

// What to do with a character that Windows-1252 cannot hold.
enum class Unmappable {
    NumericReference,  // "&#8804;": what a document or page can show as that character
    QuestionMark,      // "?": for names, where a reference would mislead
};

// UTF-8 to Windows-1252. Bytes that are not well-formed UTF-8 are kept as they are, so that
// nothing is dropped.
std::string Utf8ToCp1252(std::string_view utf8, Unmappable policy = Unmappable::NumericReference);

// Tells whether file contents are UTF-8 rather than Windows-1252: bytes that are well-formed
// UTF-8 and hold at least one multi-byte sequence. Pure ASCII is not UTF-8 here (it reads the
// same either way, and a new document stays Windows-1252). Fed in chunks of any size, so a
// file read line by line or block by block is judged without holding it whole; a sequence cut
// between two chunks is carried over.
class Utf8Sniffer {
public:
    void Feed(std::string_view bytes);
    // The verdict on everything fed so far; a sequence still cut at the end counts as malformed.
    bool IsUtf8() const { return valid_ && multibyte_ && pendingLength_ == 0; }
    // False as soon as a malformed sequence was seen: the caller may stop feeding.
    bool StillPossible() const { return valid_; }

private:
    bool valid_ = true;
    bool multibyte_ = false;
    unsigned char pending_[4] = {};
    size_t pendingLength_ = 0;
};

// Utf8Sniffer over one whole text.
bool IsUtf8Text(std::string_view bytes);

// A file name taken from file contents (Windows-1252) as a native path (UTF-8), and back.
inline std::string NativePath(std::string_view cp1252Name) { return Cp1252ToUtf8(cp1252Name); }
inline std::string FileContentName(std::string_view nativePath) {
    return Utf8ToCp1252(nativePath, Unmappable::QuestionMark);
}

}  // namespace codepage
