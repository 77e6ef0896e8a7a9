#pragma once
// The commands on the document, its page and the work folder, which share the document and
// the file list, made together for a main window.
class Documents;
class FileList;
class PageCommands;
class WorkFolderCommands;
struct EditorParts;
struct RunState;

// The document, page and work-folder commands of a main window, made and connected at once;
// they live as long as the window and work on run, the window's run state.
struct DocumentCommands {
    FileList* list;
    Documents* documents;
    PageCommands* pages;
    WorkFolderCommands* workFolder;
};
DocumentCommands ConnectDocumentCommands(EditorParts& parts, RunState& run);
