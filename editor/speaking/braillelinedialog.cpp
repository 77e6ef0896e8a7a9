#include "editor/speaking/braillelinedialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "editor/speaking/formulapieces.h"
#include "editor/speaking/piecebraille.h"
#include "editor/text/caretformula.h"
#include "editor/text/saydone.h"
#include "editor/window/dialogparts.h"
#include "editor/window/editorparts.h"
#include "speech/formulaspans.h"

namespace {

// Told to a formula that text follows with no blank: a cell the formula's end must not read on
// into, so that a short fraction is written in its general form there ("`1/2`," as "1/2,").
constexpr const char* kTextFollows = "\u2802";

}  // namespace

QString BrailleOfLine(const QString& line, QStringList* uncovered) {
    const std::u16string_view text(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size()));
    // The text between formulas stays as typed (a screen reader writes it in the braille its
    // user chose), save the backquotes, which a display need not show.
    const auto plain = [&](std::size_t from, std::size_t to) {
        return line.mid(static_cast<qsizetype>(from), static_cast<qsizetype>(to - from)).remove(QLatin1Char('`'));
    };
    QString out;
    std::size_t from = 0;
    for (const formulaspeech::FormulaSpan& span : formulaspeech::FormulaSpans(text)) {
        out += plain(from, span.begin);
        from = std::min(span.end + 1, text.size());  // past the closing backquote
        const bool textFollows = from < text.size() && !line.at(static_cast<qsizetype>(from)).isSpace();
        out += FormulaBraille(line.mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)),
                              textFollows ? kTextFollows : "", uncovered);
    }
    out += plain(from, text.size());
    if (line.count(QLatin1Char('`')) % 2 != 0)  // a slip of typing, shown where it is
        out += QStringLiteral(", ") + QString::fromUtf8(formulapieces::kOpenFormula);
    return out.trimmed();
}

BrailleLineDialog::BrailleLineDialog(const QString& line, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("brailleLineDialog"));
    setWindowTitle(QString::fromUtf8(kTitle));
    QStringList uncovered;
    QString text = BrailleOfLine(line, &uncovered);
    if (!uncovered.isEmpty()) text += QLatin1Char('\n') + QString::fromUtf8(kUncovered) + uncovered.join(QStringLiteral(" "));
    cells = new QPlainTextEdit(text, this);
    cells->setObjectName(QStringLiteral("brailleCells"));
    cells->setAccessibleName(QString::fromUtf8(kTitle));
    cells->setReadOnly(true);
    // Read-only but walked with the arrows, as a display's reader moves along it.
    cells->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    cells->setTabChangesFocus(true);
    cells->setMinimumSize(480, 120);
    QFont font = cells->font();
    font.setPointSizeF(font.pointSizeF() * 1.5);  // the dots legible on the screen too
    cells->setFont(font);
    QPushButton* close = NamedButton(this, "closeButton", QStringLiteral("Fechar"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cells);
    layout->addWidget(close, 0, Qt::AlignRight);
    cells->setFocus();
}

void showBrailleLine(EditorParts& parts) {
    const QTextBlock line = parts.textEdit->textCursor().block();
    if (line.text().trimmed().isEmpty()) {
        SayDone(parts, QString::fromUtf8(kEmptyLine));
        return;
    }
    BrailleLineDialog dialog(line.text(), parts.window);
    dialog.exec();
    parts.textEdit->setFocus();
}

