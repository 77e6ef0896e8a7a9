#pragma once
// The work folder: opening it, choosing or creating it with the folder chooser, the five
// recent folders behind "&Reabrir pasta de trabalho", showing it in the file manager, loading
// what the user picks in the file list, the list's extension buttons, and the start-up step.
#include <QObject>
#include <string>

class Documents;
class FileList;
class PageCommands;
class TForm1;
class Tform_dir;

class WorkFolderCommands : public QObject {
    Q_OBJECT
public:
    // Connects the work-folder entries, the file list, the extension buttons (also reached
    // by Alt+1 to Alt+4, since they take no keyboard focus) and the start-up timer of form.
    WorkFolderCommands(TForm1& form, Documents& documents, FileList& list);

    // The chooser that "&Selecionar pasta de trabalho" runs; created after the main window.
    void setFolderDialog(Tform_dir* dialog) { folderDialog_ = dialog; }

    // Makes path the work folder and the current directory, with an empty untitled text, the
    // folder's list and settings, and the information dialog. When path cannot be entered,
    // only WorkFolder changes and the user is told.
    void OpenWorkFolder(const std::string& path);
    // Opens a recent folder, asking first when the text is modified.
    void ReopenFolder(const std::string& path);

public slots:
    void escolherPastaBase1Click();
    void CriaMenuReabrir1Click();
    void N11Click();
    void N21Click();
    void N31Click();
    void N41Click();
    void N51Click();
    void Mostrarpastaatual1Click();
    // Loads the entry called name that the user picked in the list.
    void lb_arquivosClick(const std::string& name);
    void btnExtensaoClick();
    void Timer1Timer();

private:
    TForm1& form_;
    Documents& documents_;
    FileList& list_;
    Tform_dir* folderDialog_ = nullptr;
};

// The document, page and work-folder commands of a main window, made and connected at once;
// they live as long as the window.
struct DocumentCommands {
    FileList* list;
    Documents* documents;
    PageCommands* pages;
    WorkFolderCommands* workFolder;
};
DocumentCommands ConnectDocumentCommands(TForm1& form);
