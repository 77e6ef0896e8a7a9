#pragma once
// "Linha em &braille": the caret's line with each formula in the Brazilian unified mathematics
// code, read-only, for a student who reads on a braille display rather than hears.
#include <QDialog>
#include <QString>
#include <QStringList>

class QPlainTextEdit;
struct EditorParts;

// A line's text as typed, without its backquotes, each formula written in braille cells
// (Unicode braille); a formula left open runs to the end of the line, which then ends in
// ", " and kOpenFormula. A matrix keeps one row a line. Signs the code gives no cells for are
// added to uncovered, each once.
QString BrailleOfLine(const QString& line, QStringList* uncovered = nullptr);

// A small window showing a line in braille, read-only; Esc or "Fechar" closes it.
class BrailleLineDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Linha em braille";
    static constexpr const char* kUncovered = "Sinais sem braille no c\u00f3digo: ";

    BrailleLineDialog(const QString& line, QWidget* parent = nullptr);

    // The line in braille; its caret starts at the line's start, where a display shows it.
    QPlainTextEdit* cells;
};

// The command: the caret's line in the window above, the focus back in the text once it closes;
// on an empty line no window, and "linha vazia" said.
void showBrailleLine(EditorParts& parts);
