#pragma once
// The editor operations shared by the formatting, insertion, find and speech commands. They
// work on any QPlainTextEdit and touch nothing else but the system clipboard.
#include <QString>

class QLabel;
class QPlainTextEdit;

struct LineColumn {
    int line = 0;    // 0-based index of the text line (screen rows made by wrapping do not count)
    int column = 0;  // 0-based column within that line
};

// The line and column of the selection's start (never its end). An empty editor gives (0, 0);
// a caret just after a line's last character belongs to that line.
LineColumn CaretLineColumn(const QPlainTextEdit* textEdit);

// Writes "L=" + line + " C=" + column, both 1-based, into the caret indicator; the column
// counts characters, so that an emoji is one column as a letter is.
void UpdateLineColumnLabel(const QPlainTextEdit* textEdit, QLabel* indicator);

// Puts text in place of the selection, the caret after it, as one undoable step; the system
// clipboard is left empty, as after every insertion.
void InsertAtCaret(QPlainTextEdit* textEdit, const QString& text);

// Replaces the selection s by "<tag>" + s + "</tag>" (the empty pair when nothing is
// selected), the caret after the closing tag; the clipboard holds the wrapped text afterwards.
void WrapSelectionInTag(QPlainTextEdit* textEdit, const QString& tag);

// Puts "*" in front of the caret's line, the caret at the end of that line. No toggle.
void MakeTitleLine(QPlainTextEdit* textEdit);

// Inserts the line "<page>" after the caret's line when the caret's column is above 0,
// before it otherwise.
void InsertPageBreak(QPlainTextEdit* textEdit);

// The number of columns a table prompt's answer gives: its leading whole number (blanks
// skipped, optional sign), or 3 when that is not from 1 to 10.
int TableColumns(const QString& answer);

// The table skeleton of n columns: "@n", two rows of numbered placeholder cells, "@", each
// line ended by CR LF.
QString TableSkeleton(int columns);

// The rule line's and the indentation lines' texts, each between CR LF.
QString RuleText();
QString IndentText(const QString& caption);
