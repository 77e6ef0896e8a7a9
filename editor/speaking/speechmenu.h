#pragma once
// The "&Falar" commands beyond F9 and "&Ligar Ormivox", and the speech settings: wired to the
// main window's entries here, spoken by the speech module.
#include <QString>

class QPlainTextEdit;
class MainWindow;

// Connects "Fórmula no cursor", "Silenciar", "Ligar Ormivox automaticamente" and
// "Sintetizador" to their commands.
void ConnectSpeechCommands(MainWindow* form);

// Ctrl+F9, "&Explorar fórmula": walks the formula at the caret (as "Fórmula no cursor" finds
// it) in the exploration window; with none in the caret's line, says so.
void exploreFormula(MainWindow* form);

// "&Sintetizador": the voice settings dialog, modal. Ok puts the settings into effect and
// keeps them in the program settings file; Cancelar leaves them as they were.
void showVoiceSettings(MainWindow* form);

// Once the shared variables are set: reads the speech settings from the program settings file
// and puts them into effect; with connecting on demand, connects in the background at once.
void StartSpeech(MainWindow* form);

// The formula at the caret of memo, as "Fórmula no cursor" finds it: the one the caret stands
// in, else the next of its line, else the previous one. Its text and where it starts in the
// document; start is -1 when the caret's line holds no formula.
struct CaretFormula {
    QString text;
    int start = -1;
};
CaretFormula FormulaAtCaret(const QPlainTextEdit* memo);
