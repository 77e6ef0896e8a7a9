#pragma once
// The exploration's braille: the current piece of a formula in the Brazilian unified mathematics
// code, in a read-only line of the window and as the text a screen reader hands to a braille
// display for the focused piece, whose name stays the words it speaks.
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

#include "editor/speaking/formulapieces.h"

class QLabel;

// The cells (Unicode braille) of a formula given as its typed text. following: the cells of
// what comes right after it, if anything (see reader::TranslateToBraille). The signs the code
// gives no cells for join uncovered, each once. Never fails.
QString FormulaBraille(const QString& formula, const char* following = "", QStringList* uncovered = nullptr);

// The exploration's braille: a read-only line under the piece's words showing the current
// piece in braille. The piece's words tell a screen reader the same cells as their text (see
// PieceTextAccessible), so a braille display shows them as the words are spoken.
class PieceBrailleLine : public QLineEdit {
public:
    PieceBrailleLine(const QString& formula, const std::vector<formulapieces::Piece>& pieces, QWidget* parent);

    // Shows the cells of pieces[piece] (a matrix's rows side by side) and returns them.
    QString showPiece(std::int32_t piece);

private:
    QString formula_;
    std::vector<std::pair<int, int>> ranges_;  // each piece's text in the formula
    std::vector<QString> cells_;               // each piece's cells, made when first shown
    std::vector<bool> made_;
};

// A text of the exploration as screen readers see it: named by the words it shows, in a role
// readers say no word for, and holding as its text the braille set on it with SetPieceBraille
// (its words where none is set). A reader speaks the name and brailles the text.
class PieceTextAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PieceTextAccessible(QLabel* label);
    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override;
    int characterCount() const override;
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override;

private:
    QString shown() const;
};
void SetPieceBraille(QLabel* label, const QString& cells);
