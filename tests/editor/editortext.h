#pragma once
// Puts a text in an editor with a chosen selection, for the editor command tests.
#include <QPlainTextEdit>
#include <QTextCursor>

// Puts text in the editor and selects from anchor to position (character offsets; equal for
// a plain caret).
inline void setText(QPlainTextEdit* textEdit, const QString& text, int anchor, int position) {
    textEdit->setPlainText(text);
    QTextCursor cursor = textEdit->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    textEdit->setTextCursor(cursor);
}
