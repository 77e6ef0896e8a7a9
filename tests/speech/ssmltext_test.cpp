// The text handed to the voice: well-formed SSML, tags kept or skipped, the rest escaped.
#include <gtest/gtest.h>

#include <string>

#include "speech/ssmltext.h"

namespace {

struct SsmlCase {
    const char* name;
    std::string in;  // Windows-1252
    std::string out;  // UTF-8
};

void PrintTo(const SsmlCase& c, std::ostream* os) { *os << c.name; }

const SsmlCase kCases[] = {
    {"Empty", "", "<speak></speak>"},
    {"Plain", " um dois", "<speak> um dois</speak>"},
    {"Cp1252ToUtf8", "fun\xE7\xE3o \x80 \x96", "<speak>fun\xC3\xA7\xC3\xA3o \xE2\x82\xAC \xE2\x80\x93</speak>"},
    {"LoneLessThan", "a < b", "<speak>a &lt; b</speak>"},
    {"LessThanBeforeLetter", "x<y e y>z", "<speak>x&lt;y e y&gt;z</speak>"},
    {"LessThanWithoutEnd", "x<y", "<speak>x&lt;y</speak>"},
    {"LoneAmpersand", "a & b", "<speak>a &amp; b</speak>"},
    {"AmpersandNoSemicolon", "P&D", "<speak>P&amp;D</speak>"},
    {"XmlEntitiesKept", "&lt;&gt;&amp;&quot;&apos;", "<speak>&lt;&gt;&amp;&quot;&apos;</speak>"},
    {"NumericReferencesKept", "&#8804; &#x221A;", "<speak>&#8804; &#x221A;</speak>"},
    {"NulReferenceEscaped", "&#0;", "<speak>&amp;#0;</speak>"},
    {"HtmlLatin1Names", "&aacute;rea&nbsp;&ccedil;", "<speak>\xC3\xA1rea \xC3\xA7</speak>"},
    {"UnknownNameEscaped", "&foo; &hellip;", "<speak>&amp;foo; &amp;hellip;</speak>"},
    {"HtmlTagsSkipped", "<b>negrito</b> e <font color=\"red\">cor</font>",
     "<speak>negrito e cor</speak>"},
    {"BlockTagsSeparateWords", "um<br>dois<p>tr\xEAs", "<speak>um dois tr\xC3\xAAs</speak>"},
    {"OpenHtmlElementLeftOpen", "<table border=\"1\">", "<speak> </speak>"},
    {"WideGapIsAPause", "  a   b\t\t\tc  d   ", "<speak>  a <break strength=\"medium\"/> b <break strength=\"medium\"/> c  d   </speak>"},
    {"LostReadingSpoken", " a <desconectado> b <DESCONECTADO>", "<speak> a desconectado b </speak>"},
    {"CommentSkipped", "a<!-- nota -->b", "<speak>ab</speak>"},
    {"DeclarationSkipped", "<!DOCTYPE html>a", "<speak>a</speak>"},
    {"UnquotedAttributeIsText", "<a href=x>y</a>", "<speak>&lt;a href=x&gt;y</speak>"},
    {"SpeechTagsKept", "a <break time=\"200ms\"/> b <emphasis>c</emphasis>",
     "<speak>a <break time=\"200ms\"/> b <emphasis>c</emphasis></speak>"},
    {"SingleQuotesBecomeDouble", "<mark name='m1'/>x", "<speak><mark name=\"m1\"/>x</speak>"},
    {"OpenSpeechTagClosed", "<prosody rate=\"slow\">devagar", "<speak><prosody rate=\"slow\">devagar</prosody></speak>"},
    {"StrayEndTagDropped", "a</emphasis>b", "<speak>ab</speak>"},
    {"CrossedTagsBalanced", "<emphasis><prosody rate=\"slow\">a</emphasis>b</prosody>",
     "<speak><emphasis><prosody rate=\"slow\">a</prosody></emphasis>b</speak>"},
    {"HtmlSubscriptIsNotSsmlSub", "x<sub>2</sub>", "<speak>x2</speak>"},
    {"SsmlSubWithAlias", "<sub alias=\"raiz\">sqrt</sub>", "<speak><sub alias=\"raiz\">sqrt</sub></speak>"},
    {"NestedSpeakDropped", "<speak>a</speak>", "<speak>a</speak>"},
    {"DuplicateAttributeIsText", "<mark name=\"a\" name=\"b\"/>", "<speak>&lt;mark name=&quot;a&quot; name=&quot;b&quot;/&gt;</speak>"},
    {"AttributeValueEscaped", "<mark name=\"a&b\"/>", "<speak><mark name=\"a&amp;b\"/></speak>"},
    {"ControlCharactersBlank", std::string("a\0b\x01" "c\x7F" "d\x81", 8), "<speak>a b c d </speak>"},
    {"TabAndCrKept", "a\tb\rc", "<speak>a\tb\rc</speak>"},
    {"CdataEndEscaped", "]]>", "<speak>]]&gt;</speak>"},
    {"UpperCaseTagName", "<BR>x<EMPHASIS>y</EMPHASIS>", "<speak> x<emphasis>y</emphasis></speak>"},
};

class SsmlTest : public testing::TestWithParam<SsmlCase> {};

TEST_P(SsmlTest, Converts) { EXPECT_EQ(ssmltext::ToSsml(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Texts, SsmlTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Pathological input finishes and stays balanced.
TEST(Ssml, ManyOpenTagsAreAllClosed) {
    std::string in;
    for (int i = 0; i < 10000; ++i) in += "<emphasis>";
    const std::string out = ssmltext::ToSsml(in);
    std::size_t opens = 0, closes = 0;
    for (std::size_t p = 0; (p = out.find("<emphasis>", p)) != std::string::npos; ++p) ++opens;
    for (std::size_t p = 0; (p = out.find("</emphasis>", p)) != std::string::npos; ++p) ++closes;
    EXPECT_EQ(opens, 10000u);
    EXPECT_EQ(closes, 10000u);
    EXPECT_TRUE(out.ends_with("</emphasis></speak>"));
}

TEST(Ssml, ManyLessThanSignsFinish) {
    const std::string in(200000, '<');
    const std::string out = ssmltext::ToSsml(in);
    EXPECT_EQ(out.size(), std::string("<speak></speak>").size() + 4 * in.size());
}

}  // namespace
