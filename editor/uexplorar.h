#pragma once
// "Explorar fórmula": a small modal window that walks a formula of the editor piece by piece,
// with the keyboard alone. Down goes into the current piece, Up back out of it, Right and Left
// to the next and previous piece beside it, Home and End to the first and last of them, Space
// says the current piece again. Each move speaks the piece's place and reading ("denominador: 2 a"),
// shows that text in the window (for a braille display) and selects the piece's source in the
// editor. Enter closes the window with the piece selected; Esc closes it with the caret and
// selection back where they were.
#include <QDialog>
#include <QString>
#include <QTextCursor>
#include <vector>

#include "oxserver/explore.h"

class QLabel;
class QPlainTextEdit;

class TExplorarDlg : public QDialog {
    Q_OBJECT
public:
    // Spoken at the edges of a walk: no piece further on, no piece further back.
    static constexpr const char* kEnd = "fim";
    static constexpr const char* kStart = "início";

    // Walks the formula whose text starts at document position start in memo.
    TExplorarDlg(QPlainTextEdit* memo, int start, const QString& formula, oxserver::Verbosity verbosity,
                 QWidget* parent = nullptr);

    // What was spoken last (the window's text).
    QString spoken() const;
    int current() const { return current_; }

    QLabel* st_fala;

public slots:
    // Esc, or the window closed: the caret and selection go back to where they were.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void go(std::int32_t piece);
    void say(const QString& text);

    QPlainTextEdit* memo_;
    QTextCursor before_;  // the caret and selection to go back to
    int start_;
    oxserver::Exploration exploration_;
    oxserver::Verbosity verbosity_;
    std::vector<int> unitAt_;  // the UTF-16 position of each UTF-8 byte offset of the formula
    std::int32_t current_ = 0;
    bool started_ = false;
};
