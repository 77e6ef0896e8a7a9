#pragma once
// "Explorar fórmula": a small modal window that walks a formula of the editor piece by piece,
// with the keyboard alone. Down goes into the current piece, Up back out of it, Right and Left
// to the next and previous piece beside it, Home and End to the first and last of them, Space
// says the current piece again. Each move speaks the piece's place and reading ("denominador: 2 a"),
// shows that text in the window (for a braille display) and highlights the piece's source in
// the editor as a selection. Enter closes the window with the piece selected; Esc closes it with
// the caret and selection as they were.
#include <QDialog>
#include <QString>
#include <QTextCursor>
#include <QTextEdit>
#include <vector>

#include "reader/explore.h"

class QLabel;
class QPlainTextEdit;

class ExplorationWindow : public QDialog {
    Q_OBJECT
public:
    // Spoken at the edges of a walk: no piece further on, no piece further back.
    static constexpr const char* kEnd = "fim";
    static constexpr const char* kStart = "início";

    // Walks the formula whose text starts at document position start in memo.
    ExplorationWindow(QPlainTextEdit* memo, int start, const QString& formula, reader::Verbosity verbosity,
                 QWidget* parent = nullptr);

    // What was spoken last (the window's text).
    QString spoken() const;
    int current() const { return current_; }

    QLabel* st_fala;

    // The piece highlighted in the editor (the caret and selection stay put during the walk).
    QTextCursor shownPiece() const { return piece_; }

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
    void say(const QString& text);

    QPlainTextEdit* memo_;
    QList<QTextEdit::ExtraSelection> before_;  // the editor's own highlights, kept
    QTextCursor piece_;  // the piece shown
    int start_;
    reader::Exploration exploration_;
    reader::Verbosity verbosity_;
    std::vector<int> unitAt_;  // the UTF-16 position of each UTF-8 byte offset of the formula
    std::int32_t current_ = 0;
    bool started_ = false;
};
