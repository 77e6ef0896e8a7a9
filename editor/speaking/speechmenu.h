#pragma once
// The "&Falar" commands and the speech settings: wired to the main window's actions here,
// spoken by the speech module.
#include <QString>

class QPlainTextEdit;
struct EditorParts;
struct RunState;

// Connects "&Fórmula", "Fórmula no cursor", "Linha em braille", "Silenciar", "&Ligar Ormivox", "Ligar Ormivox
// automaticamente" and "Sintetizador" to their commands. A key that moves the caret or edits
// the text, and a menu that opens, silence the program's own speech at once.
// The settings are kept in run's program settings file.
void ConnectSpeechCommands(EditorParts& parts, const RunState& run);

// Ctrl+F9, "&Explorar fórmula": walks the formula at the caret (as "Fórmula no cursor" finds
// it) in the exploration window; with none in the caret's line, says so. The piece that Enter
// selects is what "Fórmula no cursor" reads next, while it stays selected.
void exploreFormula(EditorParts& parts);

// "&Sintetizador": the voice settings dialog, modal. Ok puts the settings into effect and
// keeps them in the program settings file; Cancelar leaves them as they were.
void showVoiceSettings(EditorParts& parts, const RunState& run);

// Once run has its start values: reads the speech settings from its program settings file
// and puts them into effect; with connecting on demand, connects in the background at once.
void StartSpeech(EditorParts& parts, const RunState& run);
