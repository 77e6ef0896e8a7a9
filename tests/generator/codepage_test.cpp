#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace {

TEST(Codepage, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(codepage::Utf8ToCp1252(codepage::Cp1252ToUtf8(all)), all);
}

TEST(Codepage, Conversions) {
    EXPECT_EQ(codepage::Cp1252ToUtf8("a\xE7\x80\x9C"), "a\xC3\xA7\xE2\x82\xAC\xC5\x93");
    const std::pair<std::string, std::string> rows[] = {
        {"\xE2\x89\xA4", "&#8804;"},             // a character Windows-1252 lacks
        {"\xF0\x9F\x98\x80", "&#128512;"},       // outside the basic plane
        {"\xC3\xA7\xC3", "\xE7\xC3"},            // a cut sequence keeps its byte
        {"\xED\xA0\x80", "\xED\xA0\x80"},        // a surrogate is no character
        {"\xC0\xAF", "\xC0\xAF"},                // an overlong form neither
        {std::string("\0", 1), std::string("\0", 1)},
    };
    for (const auto& [utf8, cp1252] : rows) EXPECT_EQ(codepage::Utf8ToCp1252(utf8), cp1252);
    EXPECT_EQ(codepage::FileContentName("a\xE2\x89\xA4.txt"), "a?.txt");
}

TEST(Codepage, Utf8Sniffer) {
    const std::pair<std::string, bool> rows[] = {
        {"T\xC3\xADtulo: a\n", true},               // "Título" as other editors save it
        {"T\xEDtulo: a\n", false},                   // the same in Windows-1252
        {"plain ASCII", false},                       // reads alike either way: stays Windows-1252
        {"\xC3\xA1 then \xE1", false},                // one stray Windows-1252 byte decides
        {"\xE2\x89\xA4 \xF0\x9F\x98\x80", true},     // three and four bytes
        {"\xC3", false},                             // cut at the end of the file
        {"\xC0\xAF", false},                         // overlong
        {"\xED\xA0\x80", false},                     // a surrogate
    };
    for (const auto& [bytes, utf8] : rows) {
        EXPECT_EQ(codepage::IsUtf8Text(bytes), utf8) << bytes;
        // Fed one byte at a time the verdict is the same: a sequence may be cut between chunks.
        codepage::Utf8Sniffer sniffer;
        for (char c : bytes) sniffer.Feed(std::string_view(&c, 1));
        EXPECT_EQ(sniffer.IsUtf8(), utf8) << bytes;
    }
}

}  // namespace

