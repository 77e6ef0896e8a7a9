#include "editor/state/runstate.h"

#include "platform/codepage.h"
#include "platform/profile.h"
#include "settings/settings.h"

void RunState::SetStartValues() {
    startFolder = settings::CurrentDirectory();
    workFolder = startFolder + "/textos";
    helpFolder = startFolder + "/help";
    programSettingsFile = settings::FileIn(startFolder);
    listFilter = "*.vloq";
}

std::string RunState::FolderSettingsFile() const { return settings::FileIn(workFolder); }

void RunState::ReadSettings() {
    if (workFolder.empty()) workFolder = settings::CurrentDirectory();
    settings::PageValues values = settings::ReadPageValues(FolderSettingsFile(), programSettingsFile);
    templateFile = std::move(values.templateFile);
    author = std::move(values.author);
    contact = std::move(values.contact);
}

void RunState::WriteSettings() const {
    settings::WriteText(programSettingsFile, settings::kWorkFolderKey, codepage::FileContentName(workFolder));
    settings::WritePageValues(FolderSettingsFile(), {templateFile, author, contact});
}

pagegen::PageSettings RunState::PageSettings() const { return {templateFile, author, contact}; }
