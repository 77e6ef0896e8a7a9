#include "editor/speaking/braillecells.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QVBoxLayout>

#include "editor/text/caretformula.h"
#include "editor/text/saydone.h"
#include "editor/window/dialogparts.h"
#include "editor/window/editorparts.h"
#include "reader/braille.h"
#include "speech/formulaspans.h"

namespace {

constexpr const char* kPieceBraille = "velloqPieceBraille";

// Told to a formula that text follows with no blank: a cell the formula's end must not read on
// into, so that a short fraction is written in its general form there ("`1/2`," as "1/2,").
constexpr const char* kTextFollows = "\u2802";

// The cells of a formula given as text; its uncovered signs join uncovered, each once.
QString FormulaCells(const QString& formula, const char* following, QStringList* uncovered) {
    const reader::BrailleText braille = reader::FormulaToBraille(formula.toStdString(), following);
    if (uncovered)
        for (const std::string& sign : braille.uncovered)
            if (!uncovered->contains(QString::fromStdString(sign))) uncovered->append(QString::fromStdString(sign));
    return QString::fromStdString(braille.cells);
}

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
        out += FormulaCells(line.mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)),
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

PieceBrailleLine::PieceBrailleLine(const QString& formula, const std::vector<formulapieces::Piece>& pieces, QWidget* parent)
    : QLineEdit(parent), formula_(formula), cells_(pieces.size()), made_(pieces.size(), false) {
    setObjectName(QStringLiteral("pieceBraille"));
    setReadOnly(true);
    // The keys walk the pieces; the words' line, which has the focus, tells a reader these cells.
    setFocusPolicy(Qt::NoFocus);
    for (const formulapieces::Piece& p : pieces) ranges_.emplace_back(p.begin, p.end);
}

QString PieceBrailleLine::showPiece(std::int32_t piece) {
    const auto at = static_cast<std::size_t>(piece);
    if (!made_[at]) {
        const auto [begin, end] = ranges_[at];
        cells_[at] = FormulaCells(formula_.mid(begin, end - begin), "", nullptr).replace(QLatin1Char('\n'), QLatin1Char(' '));
        made_[at] = true;
    }
    setText(cells_[at]);
    setCursorPosition(0);
    return cells_[at];
}

PieceTextAccessible::PieceTextAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::Client) {}

QString PieceTextAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name) return static_cast<const QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
}

void* PieceTextAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString PieceTextAccessible::shown() const {
    const QString cells = widget()->property(kPieceBraille).toString();
    return cells.isEmpty() ? static_cast<const QLabel*>(widget())->text() : cells;
}

QString PieceTextAccessible::text(int start, int end) const {
    const QString all = shown();
    start = qBound(0, start, static_cast<int>(all.size()));
    end = end < 0 ? static_cast<int>(all.size()) : qBound(start, end, static_cast<int>(all.size()));
    return all.mid(start, end - start);
}

int PieceTextAccessible::characterCount() const { return static_cast<int>(shown().size()); }

QString PieceTextAccessible::attributes(int offset, int* start, int* end) const {
    *start = *end = offset;
    return {};
}

void SetPieceBraille(QLabel* label, const QString& cells) { label->setProperty(kPieceBraille, cells); }
