#include "editor/speaking/piecebraille.h"

#include <QLabel>

#include "reader/braille.h"

namespace {

constexpr const char* kPieceBraille = "velloqPieceBraille";

}  // namespace

QString FormulaBraille(const QString& formula, const char* following, QStringList* uncovered) {
    const reader::BrailleText braille = reader::FormulaToBraille(formula.toStdString(), following);
    if (uncovered)
        for (const std::string& sign : braille.uncovered)
            if (!uncovered->contains(QString::fromStdString(sign))) uncovered->append(QString::fromStdString(sign));
    return QString::fromStdString(braille.cells);
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
        cells_[at] = FormulaBraille(formula_.mid(begin, end - begin)).replace(QLatin1Char('\n'), QLatin1Char(' '));
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
