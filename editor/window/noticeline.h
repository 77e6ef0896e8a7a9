#pragma once
// The notice line of the tool bar: a short text of what a command did or why it could not, shown
// there and announced by screen readers as a notification, while the keyboard stays where it is
// ("Encontrado na linha 8: ...", "Abrindo a página no navegador.").
#include <QString>

class QLabel;
class QWidget;
struct EditorParts;

// Makes the notice line in parent (the tool bar). Its objectName is "noticeLine".
QLabel* MakeNoticeLine(QWidget* parent);

// Shows text on the window's notice line and has screen readers announce it, even when it is the
// text already shown.
void Announce(const EditorParts& parts, const QString& text);
