#include "editor/editing/insertcommands.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "editor/text/editoperations.h"
#include "editor/editing/figuredialog.h"
#include "editor/editing/linkdialog.h"
#include "editor/window/editorparts.h"
#include "platform/messages.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

}  // namespace

QString LinkLine(const QString& reference, const QString& text) {
    return kLineEnd + QLatin1Char('{') + reference + QLatin1Char(' ') + text + QLatin1Char('}') + kLineEnd;
}

QString LabelLine(const QString& name) { return kLineEnd + QLatin1Char('#') + name + kLineEnd; }

QString ImageLine(const QString& file, const QString& comment) {
    return kLineEnd + QLatin1Char('$') + file + QLatin1Char(' ') + comment + QLatin1Char('$') + kLineEnd;
}

LinkDialog* LinkDialogOf(EditorParts& parts) { return OwnedWindow<LinkDialog>(parts, "linkDialog"); }
FigureDialog* FigureDialogOf(EditorParts& parts) { return OwnedWindow<FigureDialog>(parts, "figureDialog"); }

void ConnectInsertCommands(EditorParts& parts) {
    OnAction(parts, "link", insertLink);
    OnAction(parts, "label", insertLabel);
    OnAction(parts, "image", insertImage);
    OnAction(parts, "formula", insertFormulaQuotes);
}

void insertLink(EditorParts& parts) {
    LinkDialog* dialog = LinkDialogOf(parts);
    dialog->exec();
    if (!dialog->Confirmed) return;
    InsertAtCaret(parts.textEdit, LinkLine(dialog->referenceEdit->text(), dialog->linkTextEdit->text()));
}

void insertLabel(EditorParts& parts) {
    const std::optional<std::string> name =
        messages::AskText("Nome do rótulo", "Como se chama esta posição?", std::string());
    if (!name) return;
    InsertAtCaret(parts.textEdit, LabelLine(QString::fromStdString(*name)));
}

void insertImage(EditorParts& parts) {
    FigureDialog* dialog = FigureDialogOf(parts);
    dialog->exec();
    if (!dialog->Confirmed) return;
    InsertAtCaret(parts.textEdit, ImageLine(dialog->figureNameEdit->text(), dialog->figureCommentEdit->text()));
}

void insertFormulaQuotes(EditorParts& parts) {
    QPlainTextEdit* textEdit = parts.textEdit;
    QTextCursor cursor = textEdit->textCursor();
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
    textEdit->setTextCursor(cursor);
}
