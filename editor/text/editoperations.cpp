#include "editor/text/editoperations.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

constexpr const char* kLineEnd = "\r\n";

QClipboard* clipboard() { return QGuiApplication::clipboard(); }

// The selected text as plain text, with the widget's paragraph separators as CR LF.
QString selectedPlainText(const QTextCursor& cursor) {
    QString s = cursor.selectedText();
    s.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    s.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return s;
}

}  // namespace

LineColumn CaretLineColumn(const QPlainTextEdit* textEdit) {
    const QTextCursor cursor = textEdit->textCursor();
    const int start = cursor.selectionStart();
    const QTextBlock block = textEdit->document()->findBlock(start);
    if (!block.isValid()) return {};
    return {block.blockNumber(), start - block.position()};
}

void UpdateLineColumnLabel(const QPlainTextEdit* textEdit, QLabel* indicator) {
    const LineColumn at = CaretLineColumn(textEdit);
    // The column counts characters; one beyond the Basic Multilingual Plane (most emoji) takes
    // two UTF-16 units of the line.
    int characters = at.column;
    if (at.column > 0) {
        const QString line = textEdit->document()->findBlockByNumber(at.line).text();
        for (const QChar c : QStringView(line).left(at.column))
            if (c.isLowSurrogate()) --characters;
    }
    indicator->setText(QStringLiteral("L=%1 C=%2").arg(at.line + 1).arg(characters + 1));
}

void InsertAtCaret(QPlainTextEdit* textEdit, const QString& text) {
    // The widget keeps one paragraph per line: CR LF and lone CR or LF all become line breaks.
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    textEdit->textCursor().insertText(plain);
    textEdit->ensureCursorVisible();
    clipboard()->clear();
}

void WrapSelectionInTag(QPlainTextEdit* textEdit, const QString& tag) {
    QTextCursor cursor = textEdit->textCursor();
    const QString wrapped = QLatin1Char('<') + tag + QLatin1Char('>') + selectedPlainText(cursor) +
                            QStringLiteral("</") + tag + QLatin1Char('>');
    QString plain = wrapped;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    cursor.insertText(plain);
    textEdit->setTextCursor(cursor);
    textEdit->ensureCursorVisible();
    clipboard()->setText(wrapped);
}

void MakeTitleLine(QPlainTextEdit* textEdit) {
    QTextCursor cursor = textEdit->textCursor();
    const QTextBlock block = textEdit->document()->findBlock(cursor.selectionStart());
    cursor.setPosition(block.isValid() ? block.position() : 0);
    cursor.insertText(QStringLiteral("*"));
    cursor.movePosition(QTextCursor::EndOfBlock);
    textEdit->setTextCursor(cursor);
}

void InsertPageBreak(QPlainTextEdit* textEdit) {
    const LineColumn at = CaretLineColumn(textEdit);
    QTextDocument* doc = textEdit->document();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    if (at.column > 0) {
        // After the caret's line: at its end, a new line. The caret stays where it was, also
        // when it stood at the very end of that line; a selection reaching past that end keeps
        // covering the same text.
        const QString inserted = QStringLiteral("\n<page>");
        cursor.setPosition(doc->findBlockByNumber(at.line).position());
        cursor.movePosition(QTextCursor::EndOfBlock);
        const int end = cursor.position();
        const auto kept = [&](int offset) { return offset > end ? offset + int(inserted.size()) : offset; };
        const int anchor = kept(textEdit->textCursor().anchor());
        const int position = kept(textEdit->textCursor().position());
        cursor.insertText(inserted);
        QTextCursor restored(doc);
        restored.setPosition(anchor);
        restored.setPosition(position, QTextCursor::KeepAnchor);
        textEdit->setTextCursor(restored);
    } else {
        cursor.setPosition(doc->findBlockByNumber(at.line).position());
        cursor.insertText(QStringLiteral("<page>\n"));
    }
    cursor.endEditBlock();
}

int TableColumns(const QString& answer) {
    int i = 0;
    while (i < answer.size() && answer[i] == QLatin1Char(' ')) ++i;
    bool negative = false;
    if (i < answer.size() && (answer[i] == QLatin1Char('+') || answer[i] == QLatin1Char('-')))
        negative = answer[i++] == QLatin1Char('-');
    long long n = 0;
    for (; i < answer.size() && answer[i] >= QLatin1Char('0') && answer[i] <= QLatin1Char('9'); ++i) {
        n = n * 10 + (answer[i].unicode() - '0');
        if (n > 1000) n = 1000;  // far past the limit already
    }
    if (negative) n = -n;
    return (n < 1 || n > 10) ? 3 : static_cast<int>(n);
}

QString TableSkeleton(int columns) {
    QString text = QStringLiteral("@%1").arg(columns) + QLatin1String(kLineEnd);
    for (int row = 1; row <= 2; ++row)
        for (int column = 1; column <= columns; ++column)
            text += QString::number(row * 10 + column) + QLatin1String(kLineEnd);
    return text + QLatin1Char('@') + QLatin1String(kLineEnd);
}

QString RuleText() {
    return QLatin1String(kLineEnd) + QString(35, QLatin1Char('-')) + QLatin1String(kLineEnd);
}

QString IndentText(const QString& caption) {
    return QLatin1String(kLineEnd) + caption + QLatin1String(kLineEnd);
}
