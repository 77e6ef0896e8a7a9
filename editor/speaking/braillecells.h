#pragma once
// Formulas in braille on the screen: the caret's line with each formula in the Brazilian
// unified mathematics code, and the line of the exploration window that shows the current
// piece's cells to a braille display.
#include <QAccessibleTextInterface>
#include <QAccessibleWidget>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "editor/speaking/formulapieces.h"

class QLabel;
class QPlainTextEdit;
struct EditorParts;

// A line's text as typed, without its backquotes, each formula written in braille cells
// (Unicode braille); a formula left open runs to the end of the line, which then ends in
// ", " and kOpenFormula. A matrix keeps one row a line. Signs the code gives no cells for are
// added to uncovered, each once.
QString BrailleOfLine(const QString& line, QStringList* uncovered = nullptr);

// "Linha em &braille": the caret's line with each formula in braille, read-only, in a small
// window; Esc or "Fechar" closes it and the focus goes back to the text.
class BrailleLineDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Linha em braille";
    static constexpr const char* kUncovered = "Sinais sem braille no c\u00f3digo: ";

    BrailleLineDialog(const QString& line, QWidget* parent = nullptr);

    // The line in braille; its caret starts at the line's start, where a display shows it.
    QPlainTextEdit* cells;
};
void showBrailleLine(EditorParts& parts);

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
