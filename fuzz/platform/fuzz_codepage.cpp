// The encoding converter on fuzzed bytes. Every text that enters the system passes here:
// documents and templates (Windows-1252), file names and the editor's text (UTF-8), the speech
// server's replies. Nothing may be lost or invented on the way.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Walks s as UTF-8; true when every sequence is well formed. Each decoded sequence must be
// the one its code point encodes to.
bool WellFormed(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const size_t length = codepage::DecodeUtf8(s, i, cp);
        if (length == 0) return false;
        Check(length <= 4 && i + length <= s.size());
        std::string again;
        codepage::AppendUtf8(again, cp);
        Check(again == s.substr(i, length));
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // As Windows-1252: decoding gives well-formed UTF-8, and encoding it again gives back
    // the very same bytes, whatever the policy for characters it cannot hold.
    const std::string decoded = codepage::Cp1252ToUtf8(input);
    Check(WellFormed(decoded));
    Check(codepage::Utf8ToCp1252(decoded) == input);
    Check(codepage::Utf8ToCp1252(decoded, codepage::Unmappable::QuestionMark) == input);

    // As UTF-8: encoding never fails; a well-formed text whose characters Windows-1252 holds
    // comes back unchanged, and one it cannot hold comes back as references that decode to
    // plain ASCII, never as a NUL or a lost byte.
    const std::string encoded = codepage::Utf8ToCp1252(input);
    const std::string marked = codepage::Utf8ToCp1252(input, codepage::Unmappable::QuestionMark);
    Check(WellFormed(codepage::Cp1252ToUtf8(encoded)));
    if (WellFormed(input)) {
        Check(encoded.size() >= marked.size());
        bool allHeld = true;
        size_t characters = 0;
        for (size_t i = 0; i < input.size(); ++characters) {
            char32_t cp = 0;
            i += codepage::DecodeUtf8(input, i, cp);
            if (codepage::CodePointToCp1252(cp) < 0) allHeld = false;
        }
        Check(marked.size() == characters);
        if (allHeld) Check(codepage::Cp1252ToUtf8(encoded) == input && encoded == marked);
    }
    return 0;
}
