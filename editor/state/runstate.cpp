#include "editor/state/runstate.h"

#include <unistd.h>

#include <vector>

#include "platform/codepage.h"
#include "platform/profile.h"

namespace runstate {

std::string StartFolder;
std::string HelpFolder;
std::string WorkFolder;
std::string CurrentFile;
std::string PageFile;
std::string TemplateFile;
std::string Author;
std::string Contact;
std::string ProgramSettingsFile;
std::array<std::string, 5> RecentFolders;
std::string ListFilter;

std::string CurrentDirectory() {
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    std::string dir(buf.data());
    if (!dir.empty() && dir.back() == '/') dir.pop_back();
    return dir;
}

void SetStartValues() {
    StartFolder = CurrentDirectory();
    WorkFolder = StartFolder + "/textos";
    HelpFolder = StartFolder + "/help";
    ProgramSettingsFile = StartFolder + "/" + kSettingsName;
    ListFilter = "*.vloq";
}

std::string FolderSettingsFile() { return WorkFolder + "/" + kSettingsName; }

void ReadSettings() {
    if (WorkFolder.empty()) WorkFolder = CurrentDirectory();
    const std::string folderFile = FolderSettingsFile();
    auto read = [&](const char* key, const char* fallback) {
        std::string value = profile::ReadString(folderFile, kSettingsSection, key, "");
        if (value.empty())
            value = profile::ReadString(ProgramSettingsFile, kSettingsSection, key, fallback);
        return value;
    };
    TemplateFile = read("ARQMODELO", kDefaultTemplate);
    if (TemplateFile.empty()) TemplateFile = kDefaultTemplate;
    Author = read("AUTOR", kDefaultAuthor);
    Contact = read("CONTATO", kDefaultContact);
}

void WriteSettings() {
    profile::WriteString(ProgramSettingsFile, kSettingsSection, "PASTAPADRAO",
                         codepage::FileContentName(WorkFolder));
    const std::string folderFile = FolderSettingsFile();
    profile::WriteString(folderFile, kSettingsSection, "ARQMODELO", TemplateFile);
    profile::WriteString(folderFile, kSettingsSection, "AUTOR", Author);
    profile::WriteString(folderFile, kSettingsSection, "CONTATO", Contact);
}

pagegen::PageSettings PageSettings() { return {TemplateFile, Author, Contact}; }

}  // namespace runstate
