#pragma once
// The shared variables of a run: the texts through which the editor's commands, the page
// generator and the speech commands meet. Folder and file names are native paths (UTF-8);
// TemplateFile, Author and Contact are Windows-1252 texts, as they stand in settings files
// and documents.
#include <array>
#include <string>

#include "generator/generator.h"
#include "settings/settings.h"

namespace runstate {

extern std::string StartFolder;
extern std::string HelpFolder;
extern std::string WorkFolder;
extern std::string CurrentFile;
extern std::string PageFile;
extern std::string TemplateFile;
extern std::string Author;
extern std::string Contact;
extern std::string ProgramSettingsFile;
extern std::array<std::string, 5> RecentFolders;
extern std::string ListFilter;

// Sets the start values, in the order StartFolder, WorkFolder, HelpFolder,
// ProgramSettingsFile, ListFilter, from the current directory. Reads no file.
void SetStartValues();

// Sets TemplateFile, Author and Contact from the work folder's settings file, falling back
// on the program settings file and then on the defaults; WorkFolder becomes the current
// directory first when it is empty. Never fails.
void ReadSettings();

// Writes "PASTAPADRAO" into the program settings file, then "ARQMODELO", "AUTOR" and
// "CONTATO" into the work folder's settings file. A file that cannot be written is passed
// over; the variables keep their values.
void WriteSettings();

// The settings file of the work folder in effect.
std::string FolderSettingsFile();

// The template, author and contact in effect, as the page generator takes them.
pagegen::PageSettings PageSettings();

}  // namespace runstate
