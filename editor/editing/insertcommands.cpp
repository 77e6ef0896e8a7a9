#include "editor/editing/insertcommands.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "editor/editing/editoperations.h"
#include "editor/editing/finddialog.h"
#include "editor/help/aboutbox.h"
#include "editor/help/tipswindow.h"
#include "editor/editing/linkdialog.h"
#include "editor/editing/figuredialog.h"
#include "editor/window/mainwindow.h"
#include "platform/messages.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kSearchOver = QStringLiteral("Busca terminada");

// The text of the last search, from either dialog, which F3 looks for again.
QString lastSearch;

// The child window of form named name, created as a child of form when there is none.
template <typename Window>
Window* ownedWindow(MainWindow* form, const char* name) {
    if (auto* found = form->findChild<Window*>(QLatin1String(name), Qt::FindDirectChildrenOnly)) return found;
    return new Window(form);
}

void onEntry(MainWindow* form, const char* name, void (*command)(MainWindow*)) {
    if (QAction* entry = form->action(QLatin1String(name)))
        QObject::connect(entry, &QAction::triggered, form, [form, command] { command(form); });
}

}  // namespace

QString LinkLine(const QString& reference, const QString& text) {
    return kLineEnd + QLatin1Char('{') + reference + QLatin1Char(' ') + text + QLatin1Char('}') + kLineEnd;
}

QString LabelLine(const QString& name) { return kLineEnd + QLatin1Char('#') + name + kLineEnd; }

QString ImageLine(const QString& file, const QString& comment) {
    return kLineEnd + QLatin1Char('$') + file + QLatin1Char(' ') + comment + QLatin1Char('$') + kLineEnd;
}

LinkDialog* LinkDialogOf(MainWindow* form) { return ownedWindow<LinkDialog>(form, "OKEloDlg"); }
FigureDialog* FigureDialogOf(MainWindow* form) { return ownedWindow<FigureDialog>(form, "OKFiguraDlg"); }
AboutBox* AboutBoxOf(MainWindow* form) { return ownedWindow<AboutBox>(form, "AboutBox"); }
TipsWindow* TipsWindowOf(MainWindow* form) { return ownedWindow<TipsWindow>(form, "dicasForm"); }
FindDialog* FindDialogOf(MainWindow* form) { return ownedWindow<FindDialog>(form, "FindDialog1"); }

FindDialog* ReplaceDialogOf(MainWindow* form) {
    if (auto* found = form->findChild<FindDialog*>(QStringLiteral("ReplaceDialog1"), Qt::FindDirectChildrenOnly))
        return found;
    return new FindDialog(form, FindDialog::Kind::Replace);
}

void ConnectInsertCommands(MainWindow* form) {
    onEntry(form, "link", insertLink);
    onEntry(form, "label", insertLabel);
    onEntry(form, "image", insertImage);
    onEntry(form, "find", showFind);
    onEntry(form, "findNext", findAgain);
    onEntry(form, "replace", showReplace);
    onEntry(form, "formula", insertFormulaQuotes);
    onEntry(form, "about", showAbout);
    onEntry(form, "formTips", showFormTips);
    FindDialog* find = FindDialogOf(form);
    QObject::connect(find, &FindDialog::Find, form, [form] { findNext(form); });
    FindDialog* replace = ReplaceDialogOf(form);
    QObject::connect(replace, &FindDialog::Find, form, [form] { replaceDialogFindNext(form); });
    QObject::connect(replace, &FindDialog::Replace, form, [form] { replaceOne(form); });
    QObject::connect(replace, &FindDialog::ReplaceAll, form, [form] { replaceAll(form); });
}

void insertLink(MainWindow* form) {
    LinkDialog* dialog = LinkDialogOf(form);
    dialog->exec();
    if (!dialog->Confirmed) return;
    InsertAtCaret(form->textEdit, LinkLine(dialog->e_referencia->text(), dialog->e_texto->text()));
}

void insertLabel(MainWindow* form) {
    const std::optional<std::string> name =
        messages::AskText("Nome do rótulo", "Como se chama esta posição?", std::string());
    if (!name) return;
    InsertAtCaret(form->textEdit, LabelLine(QString::fromStdString(*name)));
}

void insertImage(MainWindow* form) {
    FigureDialog* dialog = FigureDialogOf(form);
    dialog->exec();
    if (!dialog->Confirmed) return;
    InsertAtCaret(form->textEdit, ImageLine(dialog->e_nomeFig->text(), dialog->e_comentFig->text()));
}

void showFind(MainWindow* form) {
    FindDialogOf(form)->Open();
    UpdateLineColumnLabel(form->textEdit, form->caretIndicator);
}

namespace {

// Selects the next occurrence of what after the editor's selection and moves the caret
// indicator to it; false when there is none, the selection then staying as it was. The
// keyboard stays where it is.
bool selectNext(MainWindow* form, const QString& what) {
    lastSearch = what;
    QPlainTextEdit* memo = form->textEdit;
    const int at = FindForward(memo->toPlainText(), memo->textCursor().selectionEnd(), what);
    if (at < 0) return false;
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(at);
    cursor.setPosition(at + int(what.size()), QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    UpdateLineColumnLabel(memo, form->caretIndicator);
    return true;
}

// A search asked for in dialog: the outcome on its status line. When nothing is left the box
// says so too, and the keyboard then goes back to the dialog, whatever window the system
// activates when the box closes.
void searchFrom(MainWindow* form, FindDialog* dialog) {
    if (selectNext(form, dialog->FindText())) {
        const QTextBlock line = form->textEdit->textCursor().block();
        dialog->SetStatus(FoundStatus(line.blockNumber(), line.text()));
        return;
    }
    // The box says it aloud.
    dialog->SetStatus(kSearchOver, false);
    messages::ShowInformation(kSearchOver.toStdString());
    if (dialog->isVisible()) dialog->Open();
}

}  // namespace

void findNext(MainWindow* form) { searchFrom(form, FindDialogOf(form)); }

void findAgain(MainWindow* form) {
    if (lastSearch.isEmpty()) {
        showFind(form);
        return;
    }
    if (!selectNext(form, lastSearch)) messages::ShowInformation(kSearchOver.toStdString());
}

void showReplace(MainWindow* form) {
    ReplaceDialogOf(form)->Open();
    UpdateLineColumnLabel(form->textEdit, form->caretIndicator);
}

void replaceDialogFindNext(MainWindow* form) { searchFrom(form, ReplaceDialogOf(form)); }

void replaceOne(MainWindow* form) {
    FindDialog* dialog = ReplaceDialogOf(form);
    const QString what = dialog->FindText();
    QTextCursor cursor = form->textEdit->textCursor();
    // Only an occurrence is replaced: a selection the user made by hand is a place to search
    // from, never text to overwrite.
    if (!what.isEmpty() && cursor.selectedText().compare(what, Qt::CaseInsensitive) == 0) {
        cursor.insertText(dialog->ReplaceText());
        form->textEdit->setTextCursor(cursor);
    }
    searchFrom(form, dialog);
}

void replaceAll(MainWindow* form) {
    FindDialog* dialog = ReplaceDialogOf(form);
    QPlainTextEdit* memo = form->textEdit;
    const QString what = dialog->FindText();
    lastSearch = what;
    const QString before = memo->toPlainText();
    int count = 0;
    const QString after = ReplaceEvery(before, what, dialog->ReplaceText(), count);
    if (count > 0) {
        // The caret keeps its place in the text before it, moved by what the replacements
        // there added or took away.
        int replacedBefore = 0;
        const int moved = int(ReplaceEvery(before.left(memo->textCursor().position()), what,
                                           dialog->ReplaceText(), replacedBefore).size());
        QTextCursor all(memo->document());
        all.beginEditBlock();
        all.select(QTextCursor::Document);
        all.insertText(after);
        all.endEditBlock();
        QTextCursor placed(memo->document());
        placed.setPosition(qMin(moved, int(after.size())));
        memo->setTextCursor(placed);
        UpdateLineColumnLabel(memo, form->caretIndicator);
    }
    dialog->SetStatus(ReplacedStatus(count));
}

void insertFormulaQuotes(MainWindow* form) {
    QPlainTextEdit* memo = form->textEdit;
    QTextCursor cursor = memo->textCursor();
    const bool wrapping = cursor.hasSelection();
    cursor.beginEditBlock();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    cursor.setPosition(end);
    cursor.insertText(QStringLiteral("`"));
    cursor.setPosition(start);
    cursor.insertText(QStringLiteral("`"));
    cursor.endEditBlock();
    // Between the pair, ready for the formula; after a wrapped one, ready to go on writing.
    cursor.setPosition(wrapping ? end + 2 : start + 1);
    memo->setTextCursor(cursor);
}

void showAbout(MainWindow* form) { AboutBoxOf(form)->exec(); }

void showFormTips(MainWindow* form) { TipsWindowOf(form)->Open(); }
