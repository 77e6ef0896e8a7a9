#pragma once
// The formula the caret stands at, as the speech commands find it.
#include <QString>

class QPlainTextEdit;

// Said by F9, Shift+F9 and the exploration on a line with nothing to read.
inline constexpr const char* kEmptyLine = "linha vazia";

// The formula at the caret of textEdit, as "Fórmula no cursor" finds it: the one the caret stands
// in, else the next of its line, else the previous one. Its text and where it starts in the
// document; start is -1 when the caret's line holds no formula.
struct CaretFormula {
    QString text;
    int start = -1;
    bool closed = true;  // false: its closing backquote is missing
};
CaretFormula FormulaAtCaret(const QPlainTextEdit* textEdit);
