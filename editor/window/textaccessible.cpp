#include "editor/window/textaccessible.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

#include "editor/window/editabletextaccessible.h"

namespace {

constexpr const char* kMarker = "velloqDocumentLines";

class DocumentLinesAccessible final : public EditableTextAccessible {
public:
    explicit DocumentLinesAccessible(QPlainTextEdit* editor) : EditableTextAccessible(editor) {}

    QAccessible::State state() const override {
        QAccessible::State s = EditableTextAccessible::state();
        s.multiLine = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return editor()->toPlainText();
        return QAccessibleWidget::text(t);
    }

    // Text: offsets are the editor's positions, a line break counting one.
    QString text(int start, int end) const override { return editor()->toPlainText().mid(start, end - start); }
    int characterCount() const override { return editor()->document()->characterCount() - 1; }

    int cursorPosition() const override { return editor()->textCursor().position(); }
    void setCursorPosition(int position) override {
        QTextCursor c = editor()->textCursor();
        c.setPosition(clamp(position));
        editor()->setTextCursor(c);
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const QTextCursor c = editor()->textCursor();
        if (index != 0 || !c.hasSelection()) return;
        *start = c.selectionStart();
        *end = c.selectionEnd();
    }
    int selectionCount() const override { return editor()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index != 0) return;
        QTextCursor c = editor()->textCursor();
        c.clearSelection();
        editor()->setTextCursor(c);
    }
    void setSelection(int index, int start, int end) override {
        if (index != 0) return;
        QTextCursor c = editor()->textCursor();
        c.setPosition(clamp(start));
        c.setPosition(clamp(end), QTextCursor::KeepAnchor);
        editor()->setTextCursor(c);
    }

    QRect characterRect(int offset) const override {
        QTextCursor c(editor()->document());
        c.setPosition(clamp(offset));
        QRect r = editor()->cursorRect(c);
        const QChar ch = editor()->document()->characterAt(c.position());
        r.setWidth(std::max(1, editor()->fontMetrics().horizontalAdvance(ch)));
        return QRect(editor()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = editor()->viewport()->mapFromGlobal(point);
        if (!editor()->viewport()->rect().contains(local)) return -1;
        // The nearest caret position; the character is the one whose left edge the point passed.
        const QTextCursor c = editor()->cursorForPosition(local);
        const bool before = c.positionInBlock() > 0 && editor()->cursorRect(c).left() > local.x();
        return c.position() - (before ? 1 : 0);
    }
    void scrollToSubstring(int start, int end) override {
        // Shows the substring's end, then its start, leaving the caret where it was.
        const QTextCursor keep = editor()->textCursor();
        QTextCursor c(editor()->document());
        c.setPosition(clamp(end));
        editor()->setTextCursor(c);
        editor()->ensureCursorVisible();
        c.setPosition(clamp(start));
        editor()->setTextCursor(c);
        editor()->ensureCursorVisible();
        const int shown = editor()->verticalScrollBar()->value();
        editor()->setTextCursor(keep);
        editor()->verticalScrollBar()->setValue(shown);
    }
    // textAtOffset, textBeforeOffset and textAfterOffset are the interface's own: they take
    // lines (and paragraphs) as the text between line breaks, which is the point here.

    void replaceText(int start, int end, const QString& text) override {
        if (editor()->isReadOnly()) return;
        QTextCursor c(editor()->document());
        c.setPosition(clamp(start));
        c.setPosition(clamp(end), QTextCursor::KeepAnchor);
        c.insertText(text);
    }

private:
    bool readOnly() const override { return editor()->isReadOnly(); }
    QPlainTextEdit* editor() const { return static_cast<QPlainTextEdit*>(widget()); }
    int clamp(int position) const { return std::clamp(position, 0, characterCount()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className != QLatin1String("QPlainTextEdit") || !object || !object->property(kMarker).toBool()) return nullptr;
    return new DocumentLinesAccessible(static_cast<QPlainTextEdit*>(object));
}

}  // namespace

void ReportDocumentLines(QPlainTextEdit* editor) {
    QAccessible::installFactory(Factory);
    editor->setProperty(kMarker, true);
}
