// The speech settings in the program settings file: what each kept value reads back as, and
// the defaults that stand in for missing or nonsense values.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "speech/speechsettings.h"

namespace fs = std::filesystem;
using speechsettings::SpeechSettings;
using speechsettings::Verbosity;

namespace {

class SpeechSettingsTest : public testing::Test {
protected:
    SpeechSettingsTest() {
        char pattern[] = "/tmp/velloq-settings-XXXXXX";
        folder_ = mkdtemp(pattern);
        file = folder_ + "/velloq.ini";
    }
    ~SpeechSettingsTest() override { fs::remove_all(folder_); }
    void Write(const std::string& lines) { std::ofstream(file, std::ios::binary) << "[VELLOQ]\r\n" << lines; }
    std::string file;

private:
    std::string folder_;
};

TEST_F(SpeechSettingsTest, WhatIsWrittenReadsBack) {
    SpeechSettings s;
    s.autoConnect = true;
    s.voice = {"Portuguese (Brazil)+f2", 60, -35, 100};
    s.verbosity = Verbosity::Detalhada;
    ASSERT_TRUE(speechsettings::Write(file, s));
    EXPECT_EQ(speechsettings::Read(file), s);
    s.autoConnect = false;
    s.voice = {"", -100, 100, -100};
    s.verbosity = Verbosity::Breve;
    ASSERT_TRUE(speechsettings::Write(file, s));
    EXPECT_EQ(speechsettings::Read(file), s);
}

TEST_F(SpeechSettingsTest, NonsenseFallsBackToTheDefaults) {
    const SpeechSettings defaults;
    struct Row {
        const char* lines;
        SpeechSettings expected;
    };
    SpeechSettings fast = defaults;
    fast.voice.rate = 40;
    SpeechSettings brief = defaults;
    brief.verbosity = Verbosity::Breve;
    const Row rows[] = {
        {"", defaults},
        {"LIGARORMIVOX=sim\r\nVELOCIDADE=rapida\r\nTOM=\r\nVOLUME=101\r\nDETALHE=Breves\r\n", defaults},
        {"VELOCIDADE=40abc\r\nTOM=-101\r\nVOLUME=1e2\r\nDETALHE=muito\r\n", defaults},
        {"VELOCIDADE=99999999999999999999\r\nTOM=--5\r\nVOLUME= \r\n", defaults},
        {"velocidade= 40 \r\nDETALHE=\"breve\"\r\n", [&] {
             SpeechSettings s = fast;
             s.verbosity = Verbosity::Breve;
             return s;
         }()},
        {"DETALHE=breve\r\n", brief},
        {"DETALHE=Breve\r\n", brief},
        {"detalhe=DETALHADA\r\n", [&] {
             SpeechSettings s = defaults;
             s.verbosity = Verbosity::Detalhada;
             return s;
         }()},
    };
    for (const Row& row : rows) {
        Write(row.lines);
        EXPECT_EQ(speechsettings::Read(file), row.expected) << row.lines;
    }
    EXPECT_EQ(speechsettings::Read(file + ".nenhum"), defaults);
}

// The verbosity's word is read in any letter case; anything else gives the fallback.
TEST(ParseVerbosity, AnyLetterCase) {
    const struct {
        const char* word;
        Verbosity fallback;
        Verbosity expected;
    } rows[] = {
        {"NORMAL", Verbosity::Breve, Verbosity::Normal},
        {"Breve", Verbosity::Normal, Verbosity::Breve},
        {"DetalhadA", Verbosity::Normal, Verbosity::Detalhada},
        {"normais", Verbosity::Breve, Verbosity::Breve},
        {"", Verbosity::Detalhada, Verbosity::Detalhada},
    };
    for (const auto& row : rows)
        EXPECT_EQ(speechsettings::ParseVerbosity(row.word, row.fallback), row.expected) << row.word;
}

TEST_F(SpeechSettingsTest, AnUnwritableFileIsReported) {
    EXPECT_FALSE(speechsettings::Write(file + "/nao/existe", SpeechSettings{}));
}

}  // namespace
