#pragma once
// Find and replace: the two dialogs, F3, and what the status lines say, wired to the main
// window's actions.
#include <QString>

struct EditorParts;
class FindDialog;

// Connects "Localizar", "Localizar próxima" and "Substituir", and makes the find and replace
// dialogs.
void ConnectFindCommands(EditorParts& parts);

// The find and replace dialogs, found by their names (made when missing).
FindDialog* FindDialogOf(EditorParts& parts);
FindDialog* ReplaceDialogOf(EditorParts& parts);

// "Localizar": shows the find dialog beside the window and updates the caret indicator.
void showFind(EditorParts& parts);
// The find dialog's "Localizar próxima": selects the next occurrence after the selection in
// the editor, the keyboard staying in the dialog, and says on the dialog's status line where
// it was found; or says "Busca terminada", in a box and on the status line.
void findNext(EditorParts& parts);
// "Localizar próxima" (F3) from the main window: the next occurrence of the last text looked
// for, the keyboard staying in the editor; with nothing looked for yet, the find dialog.
void findAgain(EditorParts& parts);
// "Substituir": shows the replace dialog beside the window.
void showReplace(EditorParts& parts);
// The replace dialog's buttons. "Localizar próxima" searches as the find dialog does;
// "Substituir" replaces the selection when it is an occurrence of the text to find, then
// searches for the next one; "Substituir todas" replaces every occurrence in the text as one
// undoable step and says how many on the status line.
void replaceDialogFindNext(EditorParts& parts);
void replaceOne(EditorParts& parts);
void replaceAll(EditorParts& parts);
