#pragma once
// The formatting and structure commands and the formula catalogue, wired to the main
// window's menu entries and tool buttons.
#include <QString>

class QAction;
class QMenu;
class TForm1;

// Connects the formatting, structure, clipboard and undo entries, keeps the caret indicator
// up to date, and fills the "&Matemática" menu with the formula catalogue.
void ConnectFormattingCommands(TForm1* form);

// Adds the catalogue's submenus to menu, one entry per formula; choosing an entry inserts its
// formula at the caret of the form's editor.
void BuildFormulaMenu(TForm1* form, QMenu* menu);

// ">>" and "<<": the chosen entry's caption between line ends, at the caret.
void InsertLineMemo(TForm1* form, const QAction* entry);

// A catalogue entry: its formula text, from the caption's first backquote on, at the caret.
void formulaClick(TForm1* form, const QAction* entry);

// The editor's text changed, it was clicked, a key was released in it: the caret indicator
// names the caret's line and column again.
void Memo1Change(TForm1* form);
void Memo1Click(TForm1* form);
void Memo1KeyUp(TForm1* form);

// The caption an entry shows for a catalogue caption: "&" doubled so that it is no access
// key, tabs as blanks so that they start no shortcut text.
QString MenuCaption(const QString& caption);

// The catalogue caption of a formula entry (its real text, tabs included).
QString FormulaCaption(const QAction* entry);
