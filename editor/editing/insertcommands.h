#pragma once
// The insertion commands: link, label, figure and the backquotes of a formula, wired to the
// main window's actions.
#include <QString>

struct EditorParts;
class FigureDialog;
class LinkDialog;

// Connects "&Link", "&Ponto de acesso", "&Imagem" and "Fórmula &Matemática".
void ConnectInsertCommands(EditorParts& parts);

// The lines that the commands insert, each standing on a line of its own between CR LF. The
// parts go in exactly as typed, empty ones included.
QString LinkLine(const QString& reference, const QString& text);
QString LabelLine(const QString& name);
QString ImageLine(const QString& file, const QString& comment);

// The link and figure dialogs, found by their names (made when missing).
LinkDialog* LinkDialogOf(EditorParts& parts);
FigureDialog* FigureDialogOf(EditorParts& parts);

// "&Link": the link dialog, modal; a confirmed link goes in at the caret.
void insertLink(EditorParts& parts);
// "&Ponto de acesso": asks for the label's name; any answer but a cancel goes in at the caret.
void insertLabel(EditorParts& parts);
// "&Imagem": the figure dialog, modal; a confirmed figure goes in at the caret.
void insertImage(EditorParts& parts);
// "Fórmula &Matemática": wraps the selection in backquotes, the caret after the closing one;
// with nothing selected, puts a pair of backquotes with the caret between them.
void insertFormulaQuotes(EditorParts& parts);
