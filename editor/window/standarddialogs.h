#pragma once
// The desktop's standard dialogs as the editor opens them, with their lists and boxes labelled
// in Portuguese for screen readers: the font dialog's family, style and size lists, and the file
// dialogs' type box and file list. Dialogs drawn by the desktop itself are left as they are.
class QFileDialog;
class QFontDialog;

// Labels dialog's parts now and every time it is shown (its parts may be made late).
void LabelInPortuguese(QFileDialog* dialog);
void LabelInPortuguese(QFontDialog* dialog);
