#include "editor/text/caretformula.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include "speech/formulaspans.h"

CaretFormula FormulaAtCaret(const QPlainTextEdit* textEdit) {
    const QTextCursor cursor = textEdit->textCursor();
    const QTextBlock block = textEdit->document()->findBlock(cursor.selectionStart());
    const QString line = block.text();
    const auto spans = formulaspeech::FormulaSpans(
        std::u16string_view(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size())));
    const int at = formulaspeech::FormulaAt(spans, static_cast<std::size_t>(cursor.selectionStart() - block.position()));
    if (at < 0) return {};
    const formulaspeech::FormulaSpan& span = spans[static_cast<std::size_t>(at)];
    return {line.mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)),
            block.position() + static_cast<int>(span.begin),
            static_cast<qsizetype>(span.end) < line.size() && line.at(static_cast<qsizetype>(span.end)) == QLatin1Char('`')};
}
