#include "editor/insertcommands.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "editor/editops.h"
#include "editor/finddialog.h"
#include "editor/uabout.h"
#include "editor/udicasform.h"
#include "editor/uelo.h"
#include "editor/ufigura.h"
#include "editor/velloqPrinc.h"
#include "platform/messages.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kSearchOver = QStringLiteral("Busca terminada");

// The text of the last search, from either dialog, which F3 looks for again.
QString lastSearch;

// The child window of form named name, created as a child of form when there is none.
template <typename Window>
Window* ownedWindow(TForm1* form, const char* name) {
    if (auto* found = form->findChild<Window*>(QLatin1String(name), Qt::FindDirectChildrenOnly)) return found;
    return new Window(form);
}

void onEntry(TForm1* form, const char* name, void (*command)(TForm1*)) {
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

TOKEloDlg* LinkDialog(TForm1* form) { return ownedWindow<TOKEloDlg>(form, "OKEloDlg"); }
TOKFiguraDlg* FigureDialog(TForm1* form) { return ownedWindow<TOKFiguraDlg>(form, "OKFiguraDlg"); }
TAboutBox* AboutDialog(TForm1* form) { return ownedWindow<TAboutBox>(form, "AboutBox"); }
TdicasForm* TipsWindow(TForm1* form) { return ownedWindow<TdicasForm>(form, "dicasForm"); }
TFindDialog* FindDialog(TForm1* form) { return ownedWindow<TFindDialog>(form, "FindDialog1"); }

TFindDialog* ReplaceDialog(TForm1* form) {
    if (auto* found = form->findChild<TFindDialog*>(QStringLiteral("ReplaceDialog1"), Qt::FindDirectChildrenOnly))
        return found;
    return new TFindDialog(form, TFindDialog::Kind::Replace);
}

void ConnectInsertCommands(TForm1* form) {
    onEntry(form, "Link1", Link1Click);
    onEntry(form, "Rotulo1", Rotulo1Click);
    onEntry(form, "Imagem1", Imagem1Click);
    onEntry(form, "Localizar1", Localizar1Click);
    onEntry(form, "LocalizarProxima1", LocalizarProxima1Click);
    onEntry(form, "Substituir1", Substituir1Click);
    onEntry(form, "FormulaMatematica1", FormulaMatematica1Click);
    onEntry(form, "Sobreesteprograma1", Sobreesteprograma1Click);
    onEntry(form, "Dicasparacriarformulario1", Dicasparacriarformulario1Click);
    TFindDialog* find = FindDialog(form);
    QObject::connect(find, &TFindDialog::Find, form, [form] { FindDialog1Find(form); });
    TFindDialog* replace = ReplaceDialog(form);
    QObject::connect(replace, &TFindDialog::Find, form, [form] { ReplaceDialog1Find(form); });
    QObject::connect(replace, &TFindDialog::Replace, form, [form] { ReplaceDialog1Replace(form); });
    QObject::connect(replace, &TFindDialog::ReplaceAll, form, [form] { ReplaceDialog1ReplaceAll(form); });
}

void Link1Click(TForm1* form) {
    TOKEloDlg* dialog = LinkDialog(form);
    dialog->exec();
    if (!dialog->Confirmed) return;
    InsertAtCaret(form->Memo1, LinkLine(dialog->e_referencia->text(), dialog->e_texto->text()));
}

void Rotulo1Click(TForm1* form) {
    const std::optional<std::string> name =
        messages::AskText("Nome do rótulo", "Como se chama esta posição?", std::string());
    if (!name) return;
    InsertAtCaret(form->Memo1, LabelLine(QString::fromStdString(*name)));
}

void Imagem1Click(TForm1* form) {
    TOKFiguraDlg* dialog = FigureDialog(form);
    dialog->exec();
    if (!dialog->Confirmed) return;
    InsertAtCaret(form->Memo1, ImageLine(dialog->e_nomeFig->text(), dialog->e_comentFig->text()));
}

void Localizar1Click(TForm1* form) {
    FindDialog(form)->Open();
    UpdateLineColumnLabel(form->Memo1, form->l_lincol);
}

namespace {

// Selects the next occurrence of what after the editor's selection and moves the caret
// indicator to it; false when there is none, the selection then staying as it was. The
// keyboard stays where it is.
bool selectNext(TForm1* form, const QString& what) {
    lastSearch = what;
    QPlainTextEdit* memo = form->Memo1;
    const int at = FindForward(memo->toPlainText(), memo->textCursor().selectionEnd(), what);
    if (at < 0) return false;
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(at);
    cursor.setPosition(at + int(what.size()), QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    UpdateLineColumnLabel(memo, form->l_lincol);
    return true;
}

// A search asked for in dialog: the outcome on its status line. When nothing is left the box
// says so too, and the keyboard then goes back to the dialog, whatever window the system
// activates when the box closes.
void searchFrom(TForm1* form, TFindDialog* dialog) {
    if (selectNext(form, dialog->FindText())) {
        const QTextBlock line = form->Memo1->textCursor().block();
        dialog->SetStatus(FoundStatus(line.blockNumber(), line.text()));
        return;
    }
    dialog->SetStatus(kSearchOver);
    messages::ShowInformation(kSearchOver.toStdString());
    if (dialog->isVisible()) dialog->Open();
}

}  // namespace

void FindDialog1Find(TForm1* form) { searchFrom(form, FindDialog(form)); }

void LocalizarProxima1Click(TForm1* form) {
    if (lastSearch.isEmpty()) {
        Localizar1Click(form);
        return;
    }
    if (!selectNext(form, lastSearch)) messages::ShowInformation(kSearchOver.toStdString());
}

void Substituir1Click(TForm1* form) {
    ReplaceDialog(form)->Open();
    UpdateLineColumnLabel(form->Memo1, form->l_lincol);
}

void ReplaceDialog1Find(TForm1* form) { searchFrom(form, ReplaceDialog(form)); }

void ReplaceDialog1Replace(TForm1* form) {
    TFindDialog* dialog = ReplaceDialog(form);
    const QString what = dialog->FindText();
    QTextCursor cursor = form->Memo1->textCursor();
    // Only an occurrence is replaced: a selection the user made by hand is a place to search
    // from, never text to overwrite.
    if (!what.isEmpty() && cursor.selectedText().compare(what, Qt::CaseInsensitive) == 0) {
        cursor.insertText(dialog->ReplaceText());
        form->Memo1->setTextCursor(cursor);
    }
    searchFrom(form, dialog);
}

void ReplaceDialog1ReplaceAll(TForm1* form) {
    TFindDialog* dialog = ReplaceDialog(form);
    QPlainTextEdit* memo = form->Memo1;
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
        UpdateLineColumnLabel(memo, form->l_lincol);
    }
    dialog->SetStatus(ReplacedStatus(count));
}

void FormulaMatematica1Click(TForm1* form) {
    QPlainTextEdit* memo = form->Memo1;
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

void Sobreesteprograma1Click(TForm1* form) { AboutDialog(form)->exec(); }

void Dicasparacriarformulario1Click(TForm1* form) { TipsWindow(form)->Open(); }
