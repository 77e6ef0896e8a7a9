// Settings files: reading with its fallbacks and cuts, writing in place, atomically.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/profile.h"
#include "tests/generator/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class Profile : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
};

TEST_F(Profile, Reads) {
    WriteFile("v.ini",
              "; comentario\r\n[OUTRA]\r\nAUTOR=errado\r\n"
              " [ velloq ] \r\nautor = Ana Lima \r\nCONTATO=\"entre aspas\"\r\nARQMODELO='simples'\r\n"
              "VAZIO=\r\nMEIA=\"aberta\r\nAUTOR=segunda\r\nIGUAL=a=b\r\n[VELLOQ]\r\nNOVA=nao\r\n");
    const std::pair<std::string, std::string> rows[] = {
        {"AUTOR", "Ana Lima"},        {"Autor", "Ana Lima"},      {"CONTATO", "entre aspas"},
        {"ARQMODELO", "simples"},     {"VAZIO", ""},              {"MEIA", "\"aberta"},
        {"IGUAL", "a=b"},             {"FALTA", "padrao"},        {"NOVA", "padrao"},
    };
    for (const auto& [key, value] : rows)
        EXPECT_EQ(profile::ReadString("v.ini", "VELLOQ", key, "padrao"), value) << key;
    EXPECT_EQ(profile::ReadString("v.ini", "NENHUMA", "AUTOR", "p"), "p");
    EXPECT_EQ(profile::ReadString("falta.ini", "VELLOQ", "AUTOR", "p"), "p");
}

TEST_F(Profile, ReadsLfOnlyFilesAndCutsLongValues) {
    WriteFile("v.ini", "[VELLOQ]\nA=" + std::string(300, 'x') + "\nB=b");
    EXPECT_EQ(profile::ReadString("v.ini", "VELLOQ", "A", ""), std::string(254, 'x'));
    EXPECT_EQ(profile::ReadString("v.ini", "VELLOQ", "B", ""), "b");
    EXPECT_EQ(profile::ReadString("v.ini", "VELLOQ", "C", std::string(300, 'd')), std::string(254, 'd'));
}

TEST_F(Profile, WritesInPlaceAppendsAndCreates) {
    ASSERT_TRUE(profile::WriteString("novo.ini", "VELLOQ", "AUTOR", "Ana"));
    EXPECT_EQ(ReadFile("novo.ini"), "[VELLOQ]\r\nAUTOR=Ana\r\n");

    WriteFile("v.ini", "[A]\r\nx=1\r\n\r\n[velloq]\r\nautor=velho\r\nCONTATO=c\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(profile::WriteString("v.ini", "VELLOQ", "AUTOR", "novo"));
    ASSERT_TRUE(profile::WriteString("v.ini", "VELLOQ", "ARQMODELO", ""));
    ASSERT_TRUE(profile::WriteString("v.ini", "C", "z", "3"));
    EXPECT_EQ(ReadFile("v.ini"),
              "[A]\r\nx=1\r\n\r\n[velloq]\r\nAUTOR=novo\r\nCONTATO=c\r\nARQMODELO=\r\n\r\n[B]\r\ny=2\r\n"
              "[C]\r\nz=3\r\n");
}

TEST_F(Profile, ValuesCannotAddLines) {
    ASSERT_TRUE(profile::WriteString("v.ini", "VELLOQ", "AUTOR", "a\r\n[X]\nb"));
    EXPECT_EQ(ReadFile("v.ini"), "[VELLOQ]\r\nAUTOR=a  [X] b\r\n");
}

TEST_F(Profile, RoundTripsWindows1252Bytes) {
    const std::string value = "Jo\xE3o \x80 \xFF";
    ASSERT_TRUE(profile::WriteString("v.ini", "VELLOQ", "AUTOR", value));
    EXPECT_EQ(profile::ReadString("v.ini", "VELLOQ", "AUTOR", ""), value);
}

TEST_F(Profile, FailedWriteLeavesTheOldFileAndNoLeftovers) {
    WriteFile("v.ini", "[VELLOQ]\r\nAUTOR=velho\r\n");
    EXPECT_FALSE(profile::WriteString("falta/v.ini", "VELLOQ", "AUTOR", "x"));
    if (::geteuid() != 0) {  // the superuser writes into read-only folders anyway
        std::filesystem::create_directory("ro");
        WriteFile("ro/v.ini", "[VELLOQ]\r\nAUTOR=velho\r\n");
        // A writable file in a read-only folder is written in place; a read-only one stays.
        ::chmod("ro/v.ini", 0444);
        ::chmod("ro", 0555);
        EXPECT_FALSE(profile::WriteString("ro/v.ini", "VELLOQ", "AUTOR", "novo"));
        EXPECT_EQ(ReadFile("ro/v.ini"), "[VELLOQ]\r\nAUTOR=velho\r\n");
        ::chmod("ro", 0755);
    }
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(".")) ++files;
    EXPECT_EQ(files, ::geteuid() != 0 ? 2 : 1);
}

TEST_F(Profile, KeepsPermissions) {
    WriteFile("v.ini", "[VELLOQ]\r\n");
    ::chmod("v.ini", 0600);
    ASSERT_TRUE(profile::WriteString("v.ini", "VELLOQ", "A", "1"));
    struct stat st {};
    ::stat("v.ini", &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
