#pragma once
// "Explorar fórmula": a small modal window that walks a formula of the editor piece by piece,
// with the keyboard alone. Down goes into the current piece, Up back out of it, Right and Left
// to the next and previous piece beside it, Home and End to the first and last of them, Space
// says the current piece again. Each move says the piece's place and reading ("denominador: 2 a"),
// shows that text in the window with the piece in braille under it (the cells are what a
// braille display shows) and highlights the piece's source in the editor as a selection. Enter closes the window with the piece selected and says so; Esc
// closes it with the caret and selection as they were. F9 says the caret's line, Shift+F9 the
// whole formula, F8 silences.
//
// Every text is heard once, from one voice: while a screen reader runs, the window's text is
// what it reads (each text takes the focus, which the screen reader says in its own voice and
// shows in braille) and the program's own voice stays silent; otherwise the program's voice
// says it. Which of the two is asked at every key.
#include <QDialog>
#include <QString>
#include <QTextCursor>
#include <QTextEdit>
#include <vector>

#include "editor/speaking/formulapieces.h"

class PieceBrailleLine;
class QLabel;
class QPlainTextEdit;

class ExplorationWindow : public QDialog {
    Q_OBJECT
public:
    // Said at the edges of a walk: no piece further on, no piece further back, nothing above
    // the whole formula; and before the reading of the piece that Enter selects.
    static constexpr const char* kEnd = "fim";
    static constexpr const char* kStart = "in\u00edcio";
    static constexpr const char* kFormulaStart = "in\u00edcio da f\u00f3rmula";
    static constexpr const char* kSelected = "selecionado: ";
    static constexpr const char* kTitle = "Explorar f\u00f3rmula";

    // Walks the formula whose text starts at document position start in textEdit; closed is false
    // when its closing backquote is missing.
    ExplorationWindow(QPlainTextEdit* textEdit, int start, const QString& formula, reader::Verbosity verbosity,
                      QWidget* parent = nullptr, bool closed = true);

    // What was said last (the window's text).
    QString spoken() const;
    int current() const { return current_; }

    // The window's text: what was said last. One of two labels, the one on top with the focus.
    QLabel* spokenText;

    // The piece highlighted in the editor (the caret and selection stay put during the walk).
    QTextCursor shownPiece() const { return piece_; }
    // The reading of the piece shown, without its place: what Enter selects.
    QString pieceReading() const;
    // What Enter says: "selecionado: " and that reading.
    QString selectedText() const;

signals:
    // The window's text changed for the screen reader to announce (only while one runs).
    void announced(const QString& text);

public slots:
    // Enter: the piece becomes the editor's selection.
    void accept() override;
    // Esc, or the window closed: the editor's caret and selection were never moved.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void go(std::int32_t piece);
    void highlight(std::int32_t piece);
    // cells: the text in braille for a display, where it is a piece; else the words are shown.
    void say(const QString& text, const QString& cells = {});
    QString caretLine() const;

    QLabel* texts_[2] = {};
    PieceBrailleLine* braille_ = nullptr;  // the current piece in braille
    QPlainTextEdit* textEdit_;
    QList<QTextEdit::ExtraSelection> before_;  // the editor's own highlights, kept
    QTextCursor piece_;  // the piece shown
    int start_;
    QString formula_;
    reader::Verbosity verbosity_;
    std::vector<formulapieces::Piece> pieces_;
    std::int32_t current_ = 0;
    bool started_ = false;
};
