#include "editor/mainwindow/documentcommands.h"

#include "editor/documents/documents.h"
#include "editor/pages/pagecommands.h"
#include "editor/window/editorparts.h"
#include "editor/workfolder/filelist.h"
#include "editor/workfolder/workfoldercommands.h"

DocumentCommands ConnectDocumentCommands(EditorParts& parts, RunState& run) {
    DocumentCommands commands{};
    commands.list = new FileList(parts, run);
    commands.documents = new Documents(parts, *commands.list, run);
    commands.pages = new PageCommands(parts, *commands.documents, run);
    commands.workFolder = new WorkFolderCommands(parts, *commands.documents, *commands.list, run);
    return commands;
}
