#include "editor/speaking/explorationwindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "editor/speaking/piecebraille.h"
#include "editor/text/caretformula.h"
#include "editor/text/screenreader.h"
#include "editor/text/saydone.h"
#include "editor/window/labelaccessible.h"
#include "editor/window/quietfocus.h"
#include "reader/reader.h"
#include "platform/codepage.h"
#include "speech/formulaspeech.h"
#include "speech/speechcommands.h"

namespace {

constexpr const char* kPieceText = "velloqPieceText";

// A text of the window is named by what it shows, in a role that screen readers say no word for,
// so that a step is heard as "denominador: 2 a" and nothing more. It is not a label either, so
// that the window's opening does not read it once among the window's texts and again as the
// focused one. Its text for a braille display is the piece in braille.
QAccessibleInterface* pieceTextInterface(const QString&, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || !label->property(kPieceText).toBool()) return nullptr;
    return new PieceTextAccessible(label);
}

}  // namespace

ExplorationWindow::ExplorationWindow(QPlainTextEdit* textEdit, int start, const QString& formula,
                                     reader::Verbosity verbosity, QWidget* parent, bool closed)
    : QDialog(parent),
      textEdit_(textEdit),
      before_(textEdit->extraSelections()),
      start_(start),
      formula_(formula),
      verbosity_(verbosity),
      pieces_(formulapieces::Pieces(formula, verbosity, closed)) {
    setObjectName(QStringLiteral("explorationWindow"));
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);
    // Two texts in one place, one on top of the other: each move writes the one below and gives
    // it the focus. A screen reader says the text that takes the focus, in its own voice, and a
    // braille display shows it; a text that merely changes while it has the focus is not said.
    auto* texts = new QWidget(this);
    auto* stack = new QStackedLayout(texts);
    stack->setStackingMode(QStackedLayout::StackAll);
    static const bool known = (QAccessible::installFactory(pieceTextInterface), true);
    Q_UNUSED(known);
    for (QLabel*& text : texts_) {
        text = new QLabel(texts);
        text->setProperty(kPieceText, true);
        text->setWordWrap(true);
        text->setMinimumWidth(360);
        text->setTextFormat(Qt::PlainText);
        text->setAutoFillBackground(true);  // the text below does not show through
        text->setFocusPolicy(Qt::StrongFocus);
        stack->addWidget(text);
    }
    spokenText = texts_[0];
    spokenText->setObjectName(QStringLiteral("spokenText"));
    auto* help = new QLabel(QStringLiteral("Setas para andar, Espaço repete, Enter seleciona, Esc volta."), this);
    help->setObjectName(QStringLiteral("helpText"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(texts);
    braille_ = new PieceBrailleLine(formula, pieces_, this);
    layout->addWidget(braille_);
    layout->addWidget(help);
    spokenText->raise();
    spokenText->setFocus();
    // The window opens showing the whole formula, so that the screen reader says it once, with
    // the window's title and help, as the window appears.
    highlight(0);
    spokenText->setText(pieces_[0].spoken());
    spokenText->setAccessibleName(pieces_[0].spoken());
    SetPieceBraille(spokenText, braille_->showPiece(0));
}

QString ExplorationWindow::spoken() const { return spokenText->text(); }

QString ExplorationWindow::selectedText() const { return QString::fromUtf8(kSelected) + pieceReading(); }

QString ExplorationWindow::pieceReading() const { return pieces_[static_cast<std::size_t>(current_)].reading; }

void ExplorationWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    speechcommands::Silence();
    if (screenreader::Running()) return;  // it reads the window's title and text
    formulaspeech::SpeakText(codepage::Utf8ToCp1252(kTitle));
    formulaspeech::SpeakText(codepage::Utf8ToCp1252(spokenText->text().toStdString()));
}

void ExplorationWindow::highlight(std::int32_t piece) {
    current_ = piece;
    const formulapieces::Piece& p = pieces_[static_cast<std::size_t>(piece)];
    // The piece is shown as a selection would be, but the editor's own caret and selection stay
    // put until Enter: moving them would have the screen reader announce every step's source
    // text and "selecionado" over the piece's reading.
    QTextEdit::ExtraSelection shown;
    shown.cursor = QTextCursor(textEdit_->document());
    shown.cursor.setPosition(start_ + p.begin);
    shown.cursor.setPosition(start_ + p.end, QTextCursor::KeepAnchor);
    shown.format.setBackground(textEdit_->palette().brush(QPalette::Highlight));
    shown.format.setForeground(textEdit_->palette().brush(QPalette::HighlightedText));
    textEdit_->setExtraSelections(before_ + QList<QTextEdit::ExtraSelection>{shown});
    piece_ = shown.cursor;
}

void ExplorationWindow::go(std::int32_t piece) {
    highlight(piece);
    say(pieces_[static_cast<std::size_t>(piece)].spoken(), braille_->showPiece(piece));
}

void ExplorationWindow::say(const QString& text, const QString& cells) {
    // Never two voices: whatever the program's own voice is saying stops first.
    speechcommands::Silence();
    QLabel* next = spokenText == texts_[0] ? texts_[1] : texts_[0];
    next->setText(text);
    next->setAccessibleName(text);
    SetPieceBraille(next, cells);
    next->raise();
    next->setFocus();
    spokenText->setObjectName(QString());
    spokenText->setText(QString());
    spokenText->setAccessibleName(QString());
    spokenText = next;
    spokenText->setObjectName(QStringLiteral("spokenText"));
    if (screenreader::Running()) emit announced(text);
    else formulaspeech::SpeakText(codepage::Utf8ToCp1252(text.toStdString()));
}

QString ExplorationWindow::caretLine() const {
    const QString line = textEdit_->document()->findBlock(start_).text();
    if (line.trimmed().isEmpty()) return {};
    return ReadingOf(line, verbosity_);
}

void ExplorationWindow::keyPressEvent(QKeyEvent* event) {
    const formulapieces::Piece& p = pieces_[static_cast<std::size_t>(current_)];
    // The first and the last of the pieces beside the current one.
    const auto first = [&] {
        std::int32_t i = current_;
        while (pieces_[static_cast<std::size_t>(i)].previousSibling >= 0) i = pieces_[static_cast<std::size_t>(i)].previousSibling;
        return i;
    };
    const auto last = [&] {
        std::int32_t i = current_;
        while (pieces_[static_cast<std::size_t>(i)].nextSibling >= 0) i = pieces_[static_cast<std::size_t>(i)].nextSibling;
        return i;
    };
    const auto moveTo = [&](std::int32_t piece, const char* edge) {
        if (piece >= 0) go(piece);
        else say(QString::fromUtf8(edge));
    };
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Down: moveTo(p.firstChild, kEnd); break;
    case Qt::Key_Up: moveTo(p.parent, current_ == 0 ? kFormulaStart : kStart); break;
    case Qt::Key_Right: moveTo(p.nextSibling, kEnd); break;
    case Qt::Key_Left: moveTo(p.previousSibling, kStart); break;
    case Qt::Key_Home: go(first()); break;
    case Qt::Key_End: go(last()); break;
    case Qt::Key_Space: go(current_); break;
    case Qt::Key_F9:
        if (modifiers == Qt::ShiftModifier) say(pieces_[0].reading);
        else if (modifiers == Qt::NoModifier) {
            const QString line = caretLine();
            say(line.isEmpty() ? QString::fromUtf8(kEmptyLine) : line);
        }
        break;
    case Qt::Key_F8:
        speechcommands::Silence();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: accept(); break;
    case Qt::Key_Escape: reject(); break;
    default: QDialog::keyPressEvent(event); return;
    }
    event->accept();
}

void ExplorationWindow::accept() {
    // The screen reader hears it once the editor has the focus back (from whoever opened the
    // window): said here, it would be cut by the editor's line as the focus comes back.
    if (screenreader::Running()) {
        spokenText->setText(selectedText());
        spokenText->setAccessibleName(selectedText());
    } else {
        say(selectedText());
    }
    textEdit_->setExtraSelections(before_);
    {
        // The selection is said as the reading above; the raw line would come before it.
        QuietWhileChanging quiet(textEdit_);
        textEdit_->setTextCursor(piece_);
    }
    TakeFocusQuietly(textEdit_);
    QDialog::accept();
}

void ExplorationWindow::reject() {
    textEdit_->setExtraSelections(before_);
    QDialog::reject();
}
