#pragma once
// Puts a text in an editor with a chosen selection, for the editor command tests.
#include <QPlainTextEdit>
#include <QTextCursor>

// Puts text in the editor and selects from anchor to position (character offsets; equal for
// a plain caret).
inline void setText(QPlainTextEdit* memo, const QString& text, int anchor, int position) {
    memo->setPlainText(text);
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}
