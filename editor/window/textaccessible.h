#pragma once
// What a screen reader is told of the document editor: its text by the document's own lines.
//
// The editor wraps long lines on screen, and Qt's own account of a plain-text editor gives the
// screen rows as its lines, so moving the caret down would have a screen reader say half a line
// and cut a formula in two. This account gives the text between two line breaks as a line,
// whatever the wrapping; everything else (caret, selection, characters, words, editing) is as
// the editor has it.
class QPlainTextEdit;

// Marks editor so that screen readers are given its text by document lines. Call as soon as
// editor is made: an account that Qt has already made of it (setting its accessible name makes
// one) stays in use.
void ReportDocumentLines(QPlainTextEdit* editor);
