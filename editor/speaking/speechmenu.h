#pragma once
// The "&Falar" commands and the speech settings: wired to the main window's actions here,
// spoken by the speech module.
#include <QString>

class QPlainTextEdit;
struct EditorParts;

// Connects "&Fórmula", "Fórmula no cursor", "Silenciar", "&Ligar Ormivox", "Ligar Ormivox
// automaticamente" and "Sintetizador" to their commands.
void ConnectSpeechCommands(EditorParts& parts);

// Ctrl+F9, "&Explorar fórmula": walks the formula at the caret (as "Fórmula no cursor" finds
// it) in the exploration window; with none in the caret's line, says so.
void exploreFormula(EditorParts& parts);

// "&Sintetizador": the voice settings dialog, modal. Ok puts the settings into effect and
// keeps them in the program settings file; Cancelar leaves them as they were.
void showVoiceSettings(EditorParts& parts);

// Once the shared variables are set: reads the speech settings from the program settings file
// and puts them into effect; with connecting on demand, connects in the background at once.
void StartSpeech(EditorParts& parts);

// The formula at the caret of memo, as "Fórmula no cursor" finds it: the one the caret stands
// in, else the next of its line, else the previous one. Its text and where it starts in the
// document; start is -1 when the caret's line holds no formula.
struct CaretFormula {
    QString text;
    int start = -1;
};
CaretFormula FormulaAtCaret(const QPlainTextEdit* memo);
