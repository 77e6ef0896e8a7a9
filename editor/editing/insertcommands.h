#pragma once
// The link, label and figure commands, the find command, the tips window and the about box,
// wired to the main window's menu entries. The dialogs are the main window's children: the
// program entry creates them in their order, and a command that finds none creates its own.
#include <QString>

class MainWindow;
class AboutBox;
class TipsWindow;
class FindDialog;
class LinkDialog;
class FigureDialog;

// Connects "&Link", "&Ponto de acesso", "&Imagem", "Fórmula &Matemática", "Localizar",
// "Localizar próxima", "Substituir", "&Sobre este programa" and "&Dicas para criar
// formulário", and creates the find and replace dialogs.
void ConnectInsertCommands(MainWindow* form);

// The lines that the commands insert, each standing on a line of its own between CR LF. The
// parts go in exactly as typed, empty ones included.
QString LinkLine(const QString& reference, const QString& text);
QString LabelLine(const QString& name);
QString ImageLine(const QString& file, const QString& comment);

// The dialogs of form, found by their names (created when missing).
LinkDialog* LinkDialogOf(MainWindow* form);
FigureDialog* FigureDialogOf(MainWindow* form);
AboutBox* AboutBoxOf(MainWindow* form);
TipsWindow* TipsWindowOf(MainWindow* form);
FindDialog* FindDialogOf(MainWindow* form);
FindDialog* ReplaceDialogOf(MainWindow* form);

// "&Link": the link dialog, modal; a confirmed link goes in at the caret.
void insertLink(MainWindow* form);
// "&Ponto de acesso": asks for the label's name; any answer but a cancel goes in at the caret.
void insertLabel(MainWindow* form);
// "&Imagem": the figure dialog, modal; a confirmed figure goes in at the caret.
void insertImage(MainWindow* form);
// "Localizar": shows the find dialog beside the window and updates the caret indicator.
void showFind(MainWindow* form);
// The find dialog's "Localizar próxima": selects the next occurrence after the selection in
// the editor, the keyboard staying in the dialog, and says on the dialog's status line where
// it was found; or says "Busca terminada", in a box and on the status line.
void findNext(MainWindow* form);
// "Localizar próxima" (F3) from the main window: the next occurrence of the last text looked
// for, the keyboard staying in the editor; with nothing looked for yet, the find dialog.
void findAgain(MainWindow* form);
// "Substituir": shows the replace dialog beside the window.
void showReplace(MainWindow* form);
// The replace dialog's buttons. "Localizar próxima" searches as the find dialog does;
// "Substituir" replaces the selection when it is an occurrence of the text to find, then
// searches for the next one; "Substituir todas" replaces every occurrence in the text as one
// undoable step and says how many on the status line.
void replaceDialogFindNext(MainWindow* form);
void replaceOne(MainWindow* form);
void replaceAll(MainWindow* form);
// "Fórmula &Matemática": wraps the selection in backquotes, the caret after the closing one;
// with nothing selected, puts a pair of backquotes with the caret between them.
void insertFormulaQuotes(MainWindow* form);
// "&Sobre este programa": the about box, modal.
void showAbout(MainWindow* form);
// "&Dicas para criar formulário": shows the tips window beside the main window.
void showFormTips(MainWindow* form);
