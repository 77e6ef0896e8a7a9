#pragma once
// The work folder: opening it, choosing or creating it with the folder chooser, the five
// recent folders behind "&Reabrir pasta de trabalho", showing it in the file manager, loading
// what the user picks in the file list, the list's extension buttons, and the start-up step.
#include <QObject>
#include <string>

class Documents;
class FileList;
struct EditorParts;
struct RunState;
class FolderChooser;

class WorkFolderCommands : public QObject {
    Q_OBJECT
public:
    // Connects the work-folder entries, the file list, the extension buttons (also reached
    // by Alt+1 to Alt+4, since they take no keyboard focus) and the start-up timer of the main window.
    WorkFolderCommands(EditorParts& parts, Documents& documents, FileList& list, RunState& run);

    // The chooser that "&Selecionar pasta de trabalho" runs; created after the main window.
    void setFolderDialog(FolderChooser* dialog) { folderDialog_ = dialog; }

    // Makes path the work folder and the current directory, with an empty untitled text, the
    // folder's list and settings, and the information dialog. When path cannot be entered,
    // only the work folder changes and the user is told.
    void OpenWorkFolder(const std::string& path);
    // Opens a recent folder, asking first when the text is modified.
    void ReopenFolder(const std::string& path);

public slots:
    void chooseWorkFolder();
    void refreshReopenMenu();
    void reopenFolder1();
    void reopenFolder2();
    void reopenFolder3();
    void reopenFolder4();
    void reopenFolder5();
    void showWorkFolder();
    // Loads the entry called name that the user picked in the list.
    void openPickedEntry(const std::string& name);
    void changeListFilter();
    void startUp();

private:
    EditorParts& parts_;
    Documents& documents_;
    FileList& list_;
    RunState& run_;
    FolderChooser* folderDialog_ = nullptr;
};
