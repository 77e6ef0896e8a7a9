// Start values and the settings fallbacks between the folder file and the program file.
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/state/runstate.h"
#include "platform/profile.h"
#include "tests/generator/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class Settings : public ::testing::Test {
protected:
    testing_support::ScratchFolder folder;
    RunState run;
    void SetUp() override {
        std::filesystem::create_directory("textos");
        run.SetStartValues();
    }
};

TEST_F(Settings, StartValuesFollowTheCurrentDirectory) {
    EXPECT_EQ(run.startFolder, folder.path());
    EXPECT_EQ(run.workFolder, folder.path() + "/textos");
    EXPECT_EQ(run.helpFolder, folder.path() + "/help");
    EXPECT_EQ(run.programSettingsFile, folder.path() + "/velloq.ini");
    EXPECT_EQ(run.listFilter, "*.vloq");
}

TEST(SettingsAtRoot, StartAtRootGivesEmptyStartFolder) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path("/");
    RunState run;
    run.SetStartValues();
    std::filesystem::current_path(previous);
    EXPECT_EQ(run.startFolder, "");
    EXPECT_EQ(run.workFolder, "/textos");
    EXPECT_EQ(run.helpFolder, "/help");
}

TEST_F(Settings, Fallbacks) {
    struct Row {
        std::string folderFile, programFile;
        std::string templ, author, contact;
    } const rows[] = {
        {"", "", "modeloMat.mdl", "Fulano de Tal", "fulano@exemplo.com.br"},
        {"[VELLOQ]\r\nAUTOR=\r\n", "[VELLOQ]\r\nAUTOR=Prog\r\n", "modeloMat.mdl", "Prog", "fulano@exemplo.com.br"},
        {"[VELLOQ]\r\nAUTOR=\r\n", "[VELLOQ]\r\nAUTOR=\r\nARQMODELO=\r\nCONTATO=\r\n", "modeloMat.mdl", "", ""},
        {"[VELLOQ]\r\nARQMODELO=p.mdl\r\nAUTOR=Ana\r\nCONTATO=a@b\r\n", "[VELLOQ]\r\nAUTOR=Prog\r\n", "p.mdl", "Ana", "a@b"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove("velloq.ini");
        std::filesystem::remove("textos/velloq.ini");
        if (!row.folderFile.empty()) WriteFile("textos/velloq.ini", row.folderFile);
        if (!row.programFile.empty()) WriteFile("velloq.ini", row.programFile);
        run.ReadSettings();
        EXPECT_EQ(run.templateFile, row.templ) << row.folderFile << row.programFile;
        EXPECT_EQ(run.author, row.author) << row.folderFile << row.programFile;
        EXPECT_EQ(run.contact, row.contact) << row.folderFile << row.programFile;
    }
}

TEST_F(Settings, WriteSettingsCreatesBothFiles) {
    run.ReadSettings();
    run.WriteSettings();
    EXPECT_EQ(ReadFile("textos/velloq.ini"),
              "[VELLOQ]\r\nARQMODELO=modeloMat.mdl\r\nAUTOR=Fulano de Tal\r\nCONTATO=fulano@exemplo.com.br\r\n");
    EXPECT_EQ(ReadFile("velloq.ini"), "[VELLOQ]\r\nPASTAPADRAO=" + folder.path() + "/textos\r\n");
}

TEST_F(Settings, EmptyWorkFolderBecomesTheCurrentDirectory) {
    run.workFolder.clear();
    run.ReadSettings();
    EXPECT_EQ(run.workFolder, folder.path());
}

}  // namespace
