// Inputs at the edges: each must finish quickly and give a sane page.
#include <gtest/gtest.h>

#include <random>

#include "generator/generator.h"
#include "tests/generator/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class Pathological : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
    testing_support::RecordingSink sink;
    void SetUp() override {
        testing_support::ResetGeneratorSettings();
        WriteFile("modelo.mdl",
                  "<<<CABE\xC7" "ALHO>>>\r\nH\r\n<<<FIM>>>\r\n<<<T\xD3PICO>>>\r\n<h2>[T\xD3PICO]</h2>\r\n"
                  "<<<FIM>>>\r\n<<<ASSINATURA>>>\r\nS\r\n");
    }
    std::string generate(const std::string& document) {
        WriteFile("d.vloq", document);
        EXPECT_TRUE(testing_support::Generate("d.vloq", "d.htm"));
        return ReadFile("d.htm");
    }
};

TEST_F(Pathological, TenMegabyteLine) {
    const std::string line(10 << 20, '\xE9');
    const std::string page = generate("\r\n" + line + "\r\n");
    EXPECT_EQ(page.size(), 3 + (10u << 20) * 8 + 2 + 3);
    EXPECT_EQ(page.substr(0, 11), "H\r\n&eacute;");
    EXPECT_EQ(page.substr(page.size() - 6), ";\r\nS\r\n");
}

TEST_F(Pathological, HundredThousandTitleLines) {
    std::string doc = "\r\n";
    for (int i = 0; i < 100000; ++i) doc += "*t" + std::to_string(i) + "\r\n";
    const std::string page = generate(doc);
    EXPECT_NE(page.find("<h2>t0</h2>\r\n<h2>t1</h2>\r\n"), std::string::npos);
    const std::string tail = "<h2>t99999</h2>\r\nS\r\n";
    EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(Pathological, UnclosedBlocksEndAtTheDocumentsEnd) {
    const std::pair<std::string, std::string> rows[] = {
        {"<pre>\r\na\r\n", "H\r\n<pre>\r\na\r\nS\r\n"},
        {"&A x\r\na\r\n", "H\r\n<TEXTAREA NAME=\"x\">\r\na\r\n</TEXTAREA>\r\nS\r\n"},
        {"&S x\r\na\r\n", "H\r\n<SELECT NAME=\"x\">\r\n<OPTION VALUE=\"a\"></OPTION>\r\n</SELECT>\r\nS\r\n"},
        {"{a.htm\r\nb\r\n", "H\r\n<A HREF=\"a.htm\">b\r\nS\r\n"},
        {"&A x\r\n", "H\r\n<TEXTAREA NAME=\"x\">\r\n</TEXTAREA>\r\nS\r\n"},
    };
    for (const auto& [body, page] : rows) EXPECT_EQ(generate("\r\n" + body), page) << body;
}

TEST_F(Pathological, NulAndBinaryBytesPassThrough) {
    std::string doc = "\r\n";
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) doc += static_cast<char>(random() & 0xFF);
    const std::string page = generate(doc);
    EXPECT_EQ(page.substr(0, 3), "H\r\n");
    EXPECT_EQ(page.substr(page.size() - 3), "S\r\n");
}

TEST_F(Pathological, BinaryGarbageAsTemplate) {
    std::string garbage;
    std::mt19937 random(11);
    for (int i = 0; i < 100000; ++i) garbage += static_cast<char>(random() & 0xFF);
    WriteFile("modelo.mdl", garbage);
    EXPECT_EQ(generate("\r\n*t\r\nx\r\n"), "x\r\n");
    EXPECT_EQ(sink.shown.size(), 3u);  // header, topic and signature are all missing
}

TEST_F(Pathological, DeepNestingIsPlainText) {
    const std::string nested = std::string(10000, '(') + std::string(10000, ')');
    EXPECT_EQ(generate("\r\n`" + nested + "`\r\n"), "H\r\n`" + nested + "`\r\nS\r\n");
}

}  // namespace
