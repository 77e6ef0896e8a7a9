#pragma once
// The link, label and figure commands, the find command, the tips window and the about box,
// wired to the main window's menu entries. The dialogs are the main window's children: the
// program entry creates them in their order, and a command that finds none creates its own.
#include <QString>

class TForm1;
class TAboutBox;
class TdicasForm;
class TFindDialog;
class TOKEloDlg;
class TOKFiguraDlg;

// Connects "&Link", "&Ponto de acesso", "&Imagem", "Localizar", "&Sobre este programa" and
// "&Dicas para criar formulário", and creates the find dialog.
void ConnectInsertCommands(TForm1* form);

// The lines that the commands insert, each standing on a line of its own between CR LF. The
// parts go in exactly as typed, empty ones included.
QString LinkLine(const QString& reference, const QString& text);
QString LabelLine(const QString& name);
QString ImageLine(const QString& file, const QString& comment);

// The dialogs of form, found by their names (created when missing).
TOKEloDlg* LinkDialog(TForm1* form);
TOKFiguraDlg* FigureDialog(TForm1* form);
TAboutBox* AboutDialog(TForm1* form);
TdicasForm* TipsWindow(TForm1* form);
TFindDialog* FindDialog(TForm1* form);

// "&Link": the link dialog, modal; a confirmed link goes in at the caret.
void Link1Click(TForm1* form);
// "&Ponto de acesso": asks for the label's name; any answer but a cancel goes in at the caret.
void Rotulo1Click(TForm1* form);
// "&Imagem": the figure dialog, modal; a confirmed figure goes in at the caret.
void Imagem1Click(TForm1* form);
// "Localizar": shows the find dialog beside the window and updates the caret indicator.
void Localizar1Click(TForm1* form);
// The find dialog's "Localizar próxima": selects the next occurrence after the selection in
// the editor and gives the editor the focus, or says "Busca terminada".
void FindDialog1Find(TForm1* form);
// "&Sobre este programa": the about box, modal.
void Sobreesteprograma1Click(TForm1* form);
// "&Dicas para criar formulário": shows the tips window beside the main window.
void Dicasparacriarformulario1Click(TForm1* form);
