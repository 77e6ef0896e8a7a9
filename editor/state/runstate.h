#pragma once
// The state of one run: the texts through which the editor's commands, the page generator and
// the speech commands meet. The main window owns the one value of a run and hands it, by
// reference, to the commands that read or change it. Folder and file names are native paths
// (UTF-8); templateFile, author and contact are Windows-1252 texts, as they stand in settings
// files and documents.
#include <array>
#include <string>

#include "generator/generator.h"
#include "settings/settings.h"

struct RunState {
    std::string startFolder;
    std::string helpFolder;
    std::string workFolder;
    std::string currentFile;
    std::string pageFile;
    std::string templateFile;
    std::string author;
    std::string contact;
    std::string programSettingsFile;
    std::array<std::string, 5> recentFolders;
    std::string listFilter;

    // Sets the start values, in the order startFolder, workFolder, helpFolder,
    // programSettingsFile, listFilter, from the current directory. Reads no file.
    void SetStartValues();

    // Sets templateFile, author and contact from the work folder's settings file, falling back
    // on the program settings file and then on the defaults; workFolder becomes the current
    // directory first when it is empty. Never fails.
    void ReadSettings();

    // Writes "PASTAPADRAO" into the program settings file, then "ARQMODELO", "AUTOR" and
    // "CONTATO" into the work folder's settings file. A file that cannot be written is passed
    // over; the values stay as they are.
    void WriteSettings() const;

    // The settings file of the work folder in effect.
    std::string FolderSettingsFile() const;

    // The template, author and contact in effect, as the page generator takes them.
    pagegen::PageSettings PageSettings() const;
};
