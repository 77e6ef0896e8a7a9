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
        {"LIGARORMIVOX=sim\r\nVELOCIDADE=rapida\r\nTOM=\r\nVOLUME=101\r\nDETALHE=Breve\r\n", defaults},
        {"VELOCIDADE=40abc\r\nTOM=-101\r\nVOLUME=1e2\r\nDETALHE=muito\r\n", defaults},
        {"VELOCIDADE=99999999999999999999\r\nTOM=--5\r\nVOLUME= \r\n", defaults},
        {"velocidade= 40 \r\nDETALHE=\"breve\"\r\n", [&] {
             SpeechSettings s = fast;
             s.verbosity = Verbosity::Breve;
             return s;
         }()},
        {"DETALHE=breve\r\n", brief},
    };
    for (const Row& row : rows) {
        Write(row.lines);
        EXPECT_EQ(speechsettings::Read(file), row.expected) << row.lines;
    }
    EXPECT_EQ(speechsettings::Read(file + ".nenhum"), defaults);
}

TEST_F(SpeechSettingsTest, AnUnwritableFileIsReported) {
    EXPECT_FALSE(speechsettings::Write(file + "/nao/existe", SpeechSettings{}));
}

}  // namespace
