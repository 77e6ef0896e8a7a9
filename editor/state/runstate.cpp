#include "editor/state/runstate.h"

#include "platform/codepage.h"
#include "platform/profile.h"
#include "settings/settings.h"

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

void SetStartValues() {
    StartFolder = settings::CurrentDirectory();
    WorkFolder = StartFolder + "/textos";
    HelpFolder = StartFolder + "/help";
    ProgramSettingsFile = settings::FileIn(StartFolder);
    ListFilter = "*.vloq";
}

std::string FolderSettingsFile() { return settings::FileIn(WorkFolder); }

void ReadSettings() {
    if (WorkFolder.empty()) WorkFolder = settings::CurrentDirectory();
    settings::PageValues values = settings::ReadPageValues(FolderSettingsFile(), ProgramSettingsFile);
    TemplateFile = std::move(values.templateFile);
    Author = std::move(values.author);
    Contact = std::move(values.contact);
}

void WriteSettings() {
    settings::WriteText(ProgramSettingsFile, settings::kWorkFolderKey, codepage::FileContentName(WorkFolder));
    settings::WritePageValues(FolderSettingsFile(), {TemplateFile, Author, Contact});
}

pagegen::PageSettings PageSettings() { return {TemplateFile, Author, Contact}; }

}  // namespace runstate
