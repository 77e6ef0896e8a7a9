#pragma once
// The formatting and structure commands and the formula catalogue, wired to the main
// window's menu entries and tool buttons.
#include <QString>

class QAction;
class QMenu;
class MainWindow;

// Connects the formatting, structure, clipboard and undo entries, keeps the caret indicator
// up to date, and fills the "&Matemática" menu with the formula catalogue.
void ConnectFormattingCommands(MainWindow* form);

// Adds the catalogue's submenus to menu, one entry per formula; choosing an entry inserts its
// formula at the caret of the form's editor.
void BuildFormulaMenu(MainWindow* form, QMenu* menu);

// ">>" and "<<": the chosen entry's caption between line ends, at the caret.
void insertIndentLine(MainWindow* form, const QAction* entry);

// A catalogue entry: its formula text, from the caption's first backquote on, at the caret.
void insertCatalogueFormula(MainWindow* form, const QAction* entry);

// The editor's text changed, it was clicked, a key was released in it: the caret indicator
// names the caret's line and column again.
void onTextChanged(MainWindow* form);
void onTextClicked(MainWindow* form);
void onTextKeyReleased(MainWindow* form);

// The caption an entry shows for a catalogue caption: "&" doubled so that it is no access
// key, tabs as blanks so that they start no shortcut text.
QString MenuCaption(const QString& caption);

// The catalogue caption of a formula entry (its real text, tabs included).
QString FormulaCaption(const QAction* entry);
