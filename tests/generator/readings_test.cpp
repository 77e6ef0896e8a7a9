// Which formulas a page holds for the browser's formula renderer, and how their readings are
// written into the page.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "generator/readings.h"

namespace {

struct ScanRow {
    const char* what;
    std::string page;  // Windows-1252
    std::set<std::string> formulas;  // UTF-8
};

const ScanRow kScanRows[] = {
    {"formulas in text, each once", "<p>`x^2` e `a+b` e `x^2`</p>", {"x^2", "a+b"}},
    {"blanks collapsed and trimmed", "`  a +\r\n\tb `", {"a + b"}},
    {"empty formula left out", "`` and ` `", {}},
    {"accents raw and as entities", "`text(\xE1rea)` `text(&aacute;rea)` `&#8804;` `a &lt; b`",
     {"text(\xC3\xA1rea)", "\xE2\x89\xA4", "a < b"}},
    {"a < that opens no tag is text", "`a < b` `c<=d`", {"a < b", "c<=d"}},
    {"backquotes in attributes are not formulas", "<img alt=\"`x`\" title='`y`'> `z`", {"z"}},
    {"a > inside a quoted attribute does not end the tag", "<a title=\"a>`b\">`c`</a>", {"c"}},
    {"a tag ends the run of text", "<p>`a <b>b</b></p><p>`c`</p>", {"c"}},
    {"br and comments keep the run", "`a<br>b` `c<!-- `x` -->d`", {"a b", "cd"}},
    {"script, style and title are not text", "<script>var s = `t`;</script><style>/*`u`*/</style><title>`v`</title>`w`",
     {"w"}},
    {"raw text ends only at its own end tag", "<script>`a` </scripts> </b> `b`</SCRIPT >`c`", {"c"}},
    {"pre and code show notation", "<pre>`a`</pre><code>`b`</code><p>`c`</p>", {"c"}},
    {"nested notation", "<pre><code>`a`</code>`b`</pre>`c`", {"c"}},
    {"options are read for their names", "<select><option value=\"1\">`x^2`</option></select>", {"x^2"}},
    {"a formula still open at a tag is dropped", "`a</p>b`", {}},
    {"doctype and processing instructions", "<!DOCTYPE html><?php echo 1; ?>`a`", {"a"}},
};

class FormulaScannerRows : public ::testing::TestWithParam<ScanRow> {};

TEST_P(FormulaScannerRows, FindsTheFormulasWholeAndByteByByte) {
    const ScanRow& row = GetParam();
    pagegen::FormulaScanner whole;
    whole.Feed(row.page);
    EXPECT_EQ(whole.Formulas(), row.formulas) << row.what;
    pagegen::FormulaScanner pieces;
    for (char c : row.page) pieces.Feed(std::string(1, c));
    EXPECT_EQ(pieces.Formulas(), row.formulas) << row.what << ", fed byte by byte";
}

void PrintTo(const ScanRow& row, std::ostream* os) { *os << row.what; }

INSTANTIATE_TEST_SUITE_P(Pages, FormulaScannerRows, ::testing::ValuesIn(kScanRows),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(FormulaScanner, AnOverlongFormulaGetsNoReading) {
    pagegen::FormulaScanner scanner;
    scanner.Feed("`" + std::string(70 * 1024, 'x') + "` `y`");
    EXPECT_EQ(scanner.Formulas(), std::set<std::string>{"y"});
}

struct JsonRow {
    std::string formula;  // UTF-8
    std::string key;      // as the JSON object writes it
};

// Keys are written in plain ASCII with the characters that a script element, the accent
// translation or the template's placeholders could take for their own escaped.
const JsonRow kJsonRows[] = {
    {"text(\xC3\xA1rea)", "\"text(\\u00e1rea)\""},
    {"a < b > c & d", "\"a \\u003c b \\u003e c \\u0026 d\""},
    {"[a,b]", "\"\\u005ba,b]\""},
    {"\"x\" \\ y", "\"\\\"x\\\" \\\\ y\""},
    {"\xF0\x9D\x91\xA5 + 1", "\"\\ud835\\udc65 + 1\""},
};

TEST(ReadingsJson, WritesEachFormulaAsAnAsciiKeyWithItsReading) {
    for (const JsonRow& row : kJsonRows) {
        const std::string json = pagegen::ReadingsJson({row.formula});
        SCOPED_TRACE(row.formula + " -> " + json);
        ASSERT_EQ(json.rfind("{" + row.key + ":\"", 0), 0u);
        EXPECT_GT(json.size(), row.key.size() + 5) << "a reading follows the key";
        EXPECT_EQ(json.back(), '}');
        for (char c : json) {
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << static_cast<int>(static_cast<unsigned char>(c));
            EXPECT_TRUE(c != '<' && c != '>' && c != '&' && c != '[');
        }
    }
    EXPECT_EQ(pagegen::ReadingsJson({}), "{}");
}

TEST(FillReadings, FillsTheFirstPlaceholderOnly) {
    pagegen::FormulaScanner scanner;
    scanner.Feed("`a`");
    std::string line = "<x>[LEITURAS]</x>[LEITURAS]";
    ASSERT_TRUE(pagegen::FillReadings(line, scanner));
    EXPECT_EQ(line.rfind("<x>{\"a\":\"", 0), 0u) << line;
    EXPECT_TRUE(line.ends_with("}</x>[LEITURAS]")) << line;
    std::string plain = "<x>[TÍTULO]</x>";
    EXPECT_FALSE(pagegen::FillReadings(plain, scanner));
    EXPECT_EQ(plain, "<x>[TÍTULO]</x>");
}

}  // namespace
