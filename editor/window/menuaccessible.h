#pragma once
// Menu entries as screen readers meet them. An entry may be named apart from its caption (a
// formula of the catalogue is named by its reading, while its caption shows the notation), and
// a check entry tells that it can be checked, so that a reader says "not checked" too, not only
// "checked".
#include <QString>

class QAction;

// A caption as said aloud: without the "&" that marks its Alt letter ("&&" is one "&").
QString WithoutAccessMark(const QString& caption);

// Makes name what screen readers say for entry in place of its caption. Call it before the menu
// is first shown to a screen reader (as the menu is built).
void SetSpokenName(QAction* entry, const QString& name);

// Serves every menu and menu entry from now on (a check entry presents itself as a check box, so
// that its state is said either way). Safe to call more than once.
void InstallMenuEntryAccessibility();
