#include "editor/editing/findcommands.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "editor/text/editoperations.h"
#include "editor/editing/finddialog.h"
#include "editor/window/editorparts.h"
#include "editor/window/noticeline.h"
#include "platform/messages.h"

namespace {

const QString kSearchOver = QStringLiteral("Busca terminada");

// The text of the last search, from either dialog, which F3 looks for again.
QString lastSearch;

}  // namespace

FindDialog* FindDialogOf(EditorParts& parts) { return OwnedWindow<FindDialog>(parts, "findDialog"); }

FindDialog* ReplaceDialogOf(EditorParts& parts) {
    if (auto* found = parts.window->findChild<FindDialog*>(QStringLiteral("replaceDialog"), Qt::FindDirectChildrenOnly))
        return found;
    return new FindDialog(parts.window, FindDialog::Kind::Replace);
}

void ConnectFindCommands(EditorParts& parts) {
    OnAction(parts, "find", showFind);
    OnAction(parts, "findNext", findAgain);
    OnAction(parts, "replace", showReplace);
    FindDialog* find = FindDialogOf(parts);
    QObject::connect(find, &FindDialog::Find, parts.window, [&parts] { findNext(parts); });
    FindDialog* replace = ReplaceDialogOf(parts);
    QObject::connect(replace, &FindDialog::Find, parts.window, [&parts] { replaceDialogFindNext(parts); });
    QObject::connect(replace, &FindDialog::Replace, parts.window, [&parts] { replaceOne(parts); });
    QObject::connect(replace, &FindDialog::ReplaceAll, parts.window, [&parts] { replaceAll(parts); });
}

void showFind(EditorParts& parts) {
    FindDialogOf(parts)->Open();
    UpdateLineColumnLabel(parts.textEdit, parts.caretIndicator);
}

namespace {

// Selects the next occurrence of what after the editor's selection and moves the caret
// indicator to it; false when there is none, the selection then staying as it was. The
// keyboard stays where it is.
bool selectNext(EditorParts& parts, const QString& what) {
    lastSearch = what;
    QPlainTextEdit* textEdit = parts.textEdit;
    const int at = FindForward(textEdit->toPlainText(), textEdit->textCursor().selectionEnd(), what);
    if (at < 0) return false;
    QTextCursor cursor = textEdit->textCursor();
    cursor.setPosition(at);
    cursor.setPosition(at + int(what.size()), QTextCursor::KeepAnchor);
    textEdit->setTextCursor(cursor);
    UpdateLineColumnLabel(textEdit, parts.caretIndicator);
    return true;
}

// A search asked for in dialog: the outcome on its status line. When nothing is left the box
// says so too, and the keyboard then goes back to the dialog, whatever window the system
// activates when the box closes.
void searchFrom(EditorParts& parts, FindDialog* dialog) {
    if (selectNext(parts, dialog->FindText())) {
        const QTextBlock line = parts.textEdit->textCursor().block();
        dialog->SetStatus(FoundStatus(line.blockNumber(), line.text()));
        return;
    }
    // The box says it aloud, once: the line shows it without a notice, and the field that had
    // the keyboard does not say it again when the keyboard comes back from the box.
    dialog->SetStatus(kSearchOver, false, FindDialog::Repeat::Once);
    messages::ShowInformation(kSearchOver.toStdString());
    if (dialog->isVisible()) dialog->Open();
}

}  // namespace

void findNext(EditorParts& parts) { searchFrom(parts, FindDialogOf(parts)); }

void findAgain(EditorParts& parts) {
    if (lastSearch.isEmpty()) {
        showFind(parts);
        return;
    }
    if (!selectNext(parts, lastSearch)) {
        messages::ShowInformation(kSearchOver.toStdString());
        return;
    }
    // The keyboard stays in the text: the line found is said as the find dialog says it.
    const QTextBlock line = parts.textEdit->textCursor().block();
    Announce(parts, FoundStatus(line.blockNumber(), line.text()));
}

void showReplace(EditorParts& parts) {
    ReplaceDialogOf(parts)->Open();
    UpdateLineColumnLabel(parts.textEdit, parts.caretIndicator);
}

void replaceDialogFindNext(EditorParts& parts) { searchFrom(parts, ReplaceDialogOf(parts)); }

void replaceOne(EditorParts& parts) {
    FindDialog* dialog = ReplaceDialogOf(parts);
    const QString what = dialog->FindText();
    QTextCursor cursor = parts.textEdit->textCursor();
    // Only an occurrence is replaced: a selection the user made by hand is a place to search
    // from, never text to overwrite.
    if (!what.isEmpty() && cursor.selectedText().compare(what, Qt::CaseInsensitive) == 0) {
        cursor.insertText(dialog->ReplaceText());
        parts.textEdit->setTextCursor(cursor);
    }
    searchFrom(parts, dialog);
}

void replaceAll(EditorParts& parts) {
    FindDialog* dialog = ReplaceDialogOf(parts);
    QPlainTextEdit* textEdit = parts.textEdit;
    const QString what = dialog->FindText();
    lastSearch = what;
    const QString before = textEdit->toPlainText();
    int count = 0;
    const QString after = ReplaceEvery(before, what, dialog->ReplaceText(), count);
    if (count > 0) {
        // The caret keeps its place in the text before it, moved by what the replacements
        // there added or took away.
        int replacedBefore = 0;
        const int moved = int(ReplaceEvery(before.left(textEdit->textCursor().position()), what,
                                           dialog->ReplaceText(), replacedBefore).size());
        QTextCursor all(textEdit->document());
        all.beginEditBlock();
        all.select(QTextCursor::Document);
        all.insertText(after);
        all.endEditBlock();
        QTextCursor placed(textEdit->document());
        placed.setPosition(qMin(moved, int(after.size())));
        textEdit->setTextCursor(placed);
        UpdateLineColumnLabel(textEdit, parts.caretIndicator);
    }
    // Said once: it does not follow the keyboard from control to control.
    dialog->SetStatus(ReplacedStatus(count), true, FindDialog::Repeat::Once);
}
