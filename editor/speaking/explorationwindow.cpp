#include "editor/speaking/explorationwindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVBoxLayout>

#include "platform/codepage.h"
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"

namespace {

// For every byte offset of s's UTF-8 text, the position in s (UTF-16 units) of the character
// that holds that byte; offsets inside a character round up to the next character, so a byte
// range maps to the characters it touches. One more entry for the end.
std::vector<int> Utf16Positions(const QString& s) {
    std::vector<int> at;
    at.reserve(static_cast<std::size_t>(s.size()) * 3 + 1);
    for (qsizetype i = 0; i < s.size();) {
        const char32_t c = s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()
                               ? QChar::surrogateToUcs4(s.at(i), s.at(i + 1))
                               : s.at(i).unicode();
        const int units = c > 0xFFFF ? 2 : 1;
        const int bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        at.push_back(static_cast<int>(i));
        for (int b = 1; b < bytes; ++b) at.push_back(static_cast<int>(i) + units);
        i += units;
    }
    at.push_back(static_cast<int>(s.size()));
    return at;
}

}  // namespace

ExplorationWindow::ExplorationWindow(QPlainTextEdit* memo, int start, const QString& formula, reader::Verbosity verbosity,
                           QWidget* parent)
    : QDialog(parent),
      memo_(memo),
      before_(memo->extraSelections()),
      start_(start),
      exploration_(reader::Explore(formula.toStdString())),
      verbosity_(verbosity),
      unitAt_(Utf16Positions(formula)) {
    setObjectName(QStringLiteral("ExplorarDlg"));
    setWindowTitle(QStringLiteral("Explorar fórmula"));
    setModal(true);
    st_fala = new QLabel(this);
    st_fala->setObjectName(QStringLiteral("st_fala"));
    st_fala->setWordWrap(true);
    st_fala->setMinimumWidth(360);
    st_fala->setTextFormat(Qt::PlainText);
    // The label takes the focus, so a screen reader and a braille display show what it says.
    st_fala->setFocusPolicy(Qt::StrongFocus);
    auto* help = new QLabel(QStringLiteral("Setas para andar, Espaço repete, Enter seleciona, Esc volta."), this);
    help->setObjectName(QStringLiteral("st_ajuda"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(st_fala);
    layout->addWidget(help);
    st_fala->setFocus();
}

QString ExplorationWindow::spoken() const { return st_fala->text(); }

void ExplorationWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    go(0);
}

void ExplorationWindow::go(std::int32_t piece) {
    current_ = piece;
    const reader::Piece& p = exploration_.pieces[static_cast<std::size_t>(piece)];
    const auto position = [&](std::uint32_t byte) {
        return start_ + unitAt_[std::min<std::size_t>(byte, unitAt_.size() - 1)];
    };
    // The piece is shown as a selection would be, but the editor's own caret and selection stay
    // put until Enter: moving them would have the screen reader announce every step's source
    // text and "selecionado" over the piece's reading.
    QTextEdit::ExtraSelection shown;
    shown.cursor = QTextCursor(memo_->document());
    shown.cursor.setPosition(position(p.begin));
    shown.cursor.setPosition(position(p.end), QTextCursor::KeepAnchor);
    shown.format.setBackground(memo_->palette().brush(QPalette::Highlight));
    shown.format.setForeground(memo_->palette().brush(QPalette::HighlightedText));
    memo_->setExtraSelections(before_ + QList<QTextEdit::ExtraSelection>{shown});
    piece_ = shown.cursor;
    const QString reading = QString::fromStdString(reader::ReadPiece(exploration_, piece, verbosity_));
    say(p.role.empty() ? reading : QString::fromStdString(p.role) + QStringLiteral(": ") + reading);
}

void ExplorationWindow::say(const QString& text) {
    st_fala->setText(text);
    st_fala->setAccessibleName(text);
    // A walk moves on before a long reading ends: the new piece is said at once.
    speechcommands::Silence();
    formulaspeech::SpeakText(codepage::Utf8ToCp1252(text.toStdString()));
}

void ExplorationWindow::keyPressEvent(QKeyEvent* event) {
    const reader::Piece& p = exploration_.pieces[static_cast<std::size_t>(current_)];
    // The first and the last of the pieces beside the current one.
    const auto first = [&] {
        std::int32_t i = current_;
        while (exploration_.pieces[static_cast<std::size_t>(i)].previousSibling >= 0)
            i = exploration_.pieces[static_cast<std::size_t>(i)].previousSibling;
        return i;
    };
    const auto last = [&] {
        std::int32_t i = current_;
        while (exploration_.pieces[static_cast<std::size_t>(i)].nextSibling >= 0)
            i = exploration_.pieces[static_cast<std::size_t>(i)].nextSibling;
        return i;
    };
    const auto moveTo = [&](std::int32_t piece, const char* edge) {
        if (piece >= 0) go(piece);
        else say(QString::fromUtf8(edge));
    };
    switch (event->key()) {
    case Qt::Key_Down: moveTo(p.firstChild, kEnd); break;
    case Qt::Key_Up: moveTo(p.parent, kStart); break;
    case Qt::Key_Right: moveTo(p.nextSibling, kEnd); break;
    case Qt::Key_Left: moveTo(p.previousSibling, kStart); break;
    case Qt::Key_Home: go(first()); break;
    case Qt::Key_End: go(last()); break;
    case Qt::Key_Space: go(current_); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: accept(); break;
    case Qt::Key_Escape: reject(); break;
    default: QDialog::keyPressEvent(event); return;
    }
    event->accept();
}

void ExplorationWindow::accept() {
    memo_->setExtraSelections(before_);
    memo_->setTextCursor(piece_);
    QDialog::accept();
}

void ExplorationWindow::reject() {
    memo_->setExtraSelections(before_);
    QDialog::reject();
}
