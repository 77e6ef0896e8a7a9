#pragma once
// The tips window and the about box, wired to the main window's actions.

struct EditorParts;
class AboutBox;
class TipsWindow;

// Connects "&Sobre este programa" and "&Dicas para criar formulário".
void ConnectHelpCommands(EditorParts& parts);

// The about box and the tips window, found by their names (made when missing).
AboutBox* AboutBoxOf(EditorParts& parts);
TipsWindow* TipsWindowOf(EditorParts& parts);

// "&Sobre este programa": the about box, modal.
void showAbout(EditorParts& parts);
// "&Dicas para criar formulário": shows the tips window beside the main window.
void showFormTips(EditorParts& parts);
