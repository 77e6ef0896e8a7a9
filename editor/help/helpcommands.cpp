#include "editor/help/helpcommands.h"

#include "editor/help/aboutbox.h"
#include "editor/help/tipswindow.h"
#include "editor/window/editorparts.h"

AboutBox* AboutBoxOf(EditorParts& parts) { return OwnedWindow<AboutBox>(parts, "aboutBox"); }
TipsWindow* TipsWindowOf(EditorParts& parts) { return OwnedWindow<TipsWindow>(parts, "tipsWindow"); }

void ConnectHelpCommands(EditorParts& parts) {
    OnAction(parts, "about", showAbout);
    OnAction(parts, "formTips", showFormTips);
}

void showAbout(EditorParts& parts) { AboutBoxOf(parts)->exec(); }

void showFormTips(EditorParts& parts) { TipsWindowOf(parts)->Open(); }
