#pragma once
// The formatting and structure commands and the formula catalogue, wired to the main
// window's menu entries and tool buttons.
#include <QString>

class QAction;
class QMenu;
struct EditorParts;

// Connects the formatting, structure, clipboard, undo and font entries, keeps the caret indicator
// up to date, and fills the "&Matemática" menu with the formula catalogue.
void ConnectFormattingCommands(EditorParts& parts);

// Adds the catalogue's submenus to menu, one entry per formula; choosing an entry inserts its
// formula at the caret of the main window's editor.
void BuildFormulaMenu(EditorParts& parts, QMenu* menu);

// ">>" and "<<": the chosen entry's caption between line ends, at the caret.
void insertIndentLine(EditorParts& parts, const QAction* entry);

// A catalogue entry: its formula text, from the caption's first backquote on, at the caret.
void insertCatalogueFormula(EditorParts& parts, const QAction* entry);

// The editor's text changed, it was clicked, a key was released in it: the caret indicator
// names the caret's line and column again.
void onTextChanged(EditorParts& parts);
void onTextClicked(EditorParts& parts);
void onTextKeyReleased(EditorParts& parts);

// The caption an entry shows for a catalogue caption: "&" doubled so that it is no access
// key, tabs as blanks so that they start no shortcut text.
QString MenuCaption(const QString& caption);

// The catalogue caption of a formula entry (its real text, tabs included).
QString FormulaCaption(const QAction* entry);

// What a screen reader says for a catalogue entry: its short name, a colon, and its formula text
// with each formula replaced by its reading at the normal verbosity, as F9 reads the formula
// once inserted ("Retângulo: A igual a c vezes l"). Holds no backquote; a caption without one
// is said as it stands.
QString CatalogueEntryName(const QString& caption);
