#pragma once
// What a command did, shown on the notice line and said once in one voice: the screen reader's
// when one runs (it announces the line), the program's own otherwise ("Salvo: tarefa.vloq",
// "Nova página").
#include <QString>

#include "reader/reader.h"

struct EditorParts;

// Says text. A command that moves the focus (a dialog closing) passes afterFocusMs, the time the
// screen reader takes to hear of the focus: the notice then follows what it says of the focus
// and cuts it short, instead of being cut by it.
void SayDone(const EditorParts& parts, const QString& text, int afterFocusMs = 0);

// How long a notice waits for the focus to come back from a window that has just closed.
inline constexpr int kFocusBackMs = 300;

// The words of text as F9 says them, each formula between backquotes read at the verbosity in
// effect ("Fórmula: `x^2`" gives "Fórmula: x ao quadrado").
QString ReadingOf(const QString& text);
QString ReadingOf(const QString& text, reader::Verbosity verbosity);

// The verbosity chosen in the voice settings.
reader::Verbosity VerbosityInEffect();
