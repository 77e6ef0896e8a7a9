#pragma once
// "Setas andam por linhas do &texto": Up and Down move by the document's lines, not by the
// rows the screen wraps them into, keeping the column within the line; Home and End go to the
// start and end of the document line. A screen reader reads a whole document line at a time,
// so with it every Down reaches the next line and a wrapped line is heard once.
//
// The choice is kept in the program settings file (key "SETASLINHAS" of section "VELLOQ",
// "1" or "0"); while the user has made none, it follows the screen reader: lines while one
// runs, screen rows otherwise, switching at the next key when one starts or stops.
#include <optional>
#include <string>

#include "settings/settings.h"

struct EditorParts;
struct RunState;
class QPlainTextEdit;

namespace linemoves {

inline constexpr const char* kKey = settings::kLineMovesKey;

// The user's choice in the settings file: true, false, or none.
std::optional<bool> ReadChoice(const std::string& file);

// Connects the "linesAsUnits" action and takes over the arrow keys of the document's text.
// The user's choice is read from run's program settings file when first needed.
void Connect(EditorParts& parts, const RunState& run);

// Whether Up, Down, Home and End of the editor move by document lines now.
bool ByLines(const QPlainTextEdit* editor);

}  // namespace linemoves
