#include "editor/insertcommands.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
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

void ConnectInsertCommands(TForm1* form) {
    onEntry(form, "Link1", Link1Click);
    onEntry(form, "Rotulo1", Rotulo1Click);
    onEntry(form, "Imagem1", Imagem1Click);
    onEntry(form, "Localizar1", Localizar1Click);
    onEntry(form, "Sobreesteprograma1", Sobreesteprograma1Click);
    onEntry(form, "Dicasparacriarformulario1", Dicasparacriarformulario1Click);
    TFindDialog* find = FindDialog(form);
    QObject::connect(find, &TFindDialog::Find, form, [form] { FindDialog1Find(form); });
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

void FindDialog1Find(TForm1* form) {
    QPlainTextEdit* memo = form->Memo1;
    TFindDialog* dialog = FindDialog(form);
    const QString what = dialog->FindText();
    const int start = memo->textCursor().selectionEnd();
    const int at = FindForward(memo->toPlainText(), start, what);
    if (at < 0) {
        messages::ShowInformation("Busca terminada");
        // The keyboard goes back to the dialog's field, whatever window the system activates
        // when the message box closes.
        if (dialog->isVisible()) dialog->Open();
        return;
    }
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(at);
    cursor.setPosition(at + int(what.size()), QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    form->activateWindow();
    memo->setFocus();
    // The indicator follows the caret here too, so that it never names a line the caret has
    // left.
    UpdateLineColumnLabel(memo, form->l_lincol);
}

void Sobreesteprograma1Click(TForm1* form) { AboutDialog(form)->exec(); }

void Dicasparacriarformulario1Click(TForm1* form) { TipsWindow(form)->Open(); }
