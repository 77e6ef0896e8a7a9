// Runs every example of cases.txt: a document (with its template and include files) in, the
// page and the messages expected out.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "generator/generator.h"
#include "platform/codepage.h"
#include "tests/generator/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

struct Case {
    std::string name;
    int line = 0;
    std::map<std::string, std::vector<std::string>> sections;  // "template", "file x", ...
    std::set<std::string> utf8;  // sections written to their files as UTF-8
};

const char* const kDefaultTemplate[] = {
    "<<<CABEÇALHO>>>", "<head>[TÍTULO]|[AUTOR]|[CONTATO]", "<<<FIM>>>",
    "<<<TÓPICO>>>",    "<h2>[TÓPICO]</h2>",                 "<<<FIM>>>",
    "<<<ASSINATURA>>>", "<foot>[TÓPICO]|[AUTOR]|[CONTATO]", "<<<FIM>>>",
};

// Markers for bytes that a text file cannot show plainly.
std::string unescape(std::string text) {
    const std::pair<std::string, std::string> kEscapes[] = {
        {"«TAB»", "\t"}, {"«SP»", " "}, {"«CR»", "\r"}, {"«LF»", "\n"}, {"«FF»", "\f"}, {"«NUL»", std::string(1, '\0')},
        {"«E9»", "\xE9"},
    };
    for (const auto& [mark, byte] : kEscapes)
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + byte.size()))
            text.replace(at, mark.size(), byte);
    return text;
}

std::vector<Case> loadCases() {
    std::ifstream in(VELLOQ_CASES_FILE);
    std::vector<Case> cases;
    std::string line, section;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.rfind("=== ", 0) == 0) {
            // The empty lines before a case separate it from the one before.
            if (!cases.empty() && !section.empty()) {
                auto& last = cases.back().sections[section];
                while (!last.empty() && last.back().empty()) last.pop_back();
            }
            cases.push_back({line.substr(4), number, {}});
            section.clear();
        } else if (line.rfind("--- ", 0) == 0 && !cases.empty()) {
            section = line.substr(4);
            constexpr std::string_view kUtf8 = " utf8";
            if (section.size() > kUtf8.size() && section.compare(section.size() - kUtf8.size(), kUtf8.size(), kUtf8) == 0) {
                section.resize(section.size() - kUtf8.size());
                cases.back().utf8.insert(section);
            }
            cases.back().sections[section];
        } else if (!cases.empty() && !section.empty()) {
            cases.back().sections[section].push_back(line);
        }
    }
    return cases;
}

// The lines as Windows-1252 bytes (or UTF-8 ones), each ended by CR LF, unless the last line
// is «NOEOL».
std::string joinLines(const std::vector<std::string>& lines, bool utf8 = false) {
    std::string out;
    bool lineEnd = true;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + 1 == lines.size() && lines[i] == "«NOEOL»") {
            lineEnd = false;
            break;
        }
        out += (utf8 ? unescape(lines[i]) : codepage::Utf8ToCp1252(unescape(lines[i]))) + "\r\n";
    }
    if (!lineEnd && out.size() >= 2) out.resize(out.size() - 2);
    return out;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class GeneratorCases : public ::testing::TestWithParam<Case> {};

TEST_P(GeneratorCases, PageAndMessagesMatch) {
    const Case& c = GetParam();
    SCOPED_TRACE("cases.txt line " + std::to_string(c.line) + ": " + c.name);
    testing_support::ScratchFolder folder;
    testing_support::RecordingSink sink;
    testing_support::ResetGeneratorSettings();

    auto templ = c.sections.find("template");
    if (templ == c.sections.end()) {
        WriteFile("modelo.mdl", joinLines({std::begin(kDefaultTemplate), std::end(kDefaultTemplate)}));
    } else if (templ->second != std::vector<std::string>{"«NONE»"}) {
        WriteFile("modelo.mdl", joinLines(templ->second, c.utf8.count("template")));
    }
    for (const auto& [name, lines] : c.sections)
        if (name.rfind("file ", 0) == 0) WriteFile(name.substr(5), joinLines(lines, c.utf8.count(name)));

    ASSERT_TRUE(c.sections.count("document")) << "case without a document";
    WriteFile("doc.vloq", joinLines(c.sections.at("document"), c.utf8.count("document")));
    EXPECT_TRUE(testing_support::Generate("doc.vloq", "doc.htm"));

    EXPECT_EQ(ReadFile("doc.htm"), joinLines(c.sections.at("page")));
    // Messages are compared with a carriage return shown as «CR».
    auto showCr = [](std::string m) {
        for (size_t at = m.find('\r'); at != std::string::npos; at = m.find('\r')) m.replace(at, 1, "«CR»");
        return m;
    };
    std::vector<std::string> expected, shown;
    if (c.sections.count("messages"))
        for (const auto& m : c.sections.at("messages")) expected.push_back(showCr(unescape(m)));
    for (const auto& m : sink.shown) shown.push_back(showCr(m));
    EXPECT_EQ(shown, expected);
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return "line" + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(Examples, GeneratorCases, ::testing::ValuesIn(loadCases()), caseName);

TEST(GeneratorCasesFile, HoldsTheExamples) { EXPECT_GE(loadCases().size(), 50u); }

}  // namespace
