#pragma once
// Typing errors heard as they happen: when a formula's closing backquote is typed, or the caret
// leaves a line whose formulas hold a slip, the slip's words are said once ("parêntese sem
// fechamento"). The "Configurar" entry "Avisar erros de digitação" turns the notice on or off;
// while the user has chosen neither, it is on while a screen reader runs.
#include <optional>
#include <string>

#include <QString>

struct EditorParts;
struct RunState;

namespace typingnotice {

// The words of the slips in the formulas of line, in the order of the text, joined by ", ";
// a formula left open ends them with "fórmula sem crase de fechamento". Empty when there is none.
QString SlipsOf(const QString& line);

// The choice kept in file; std::nullopt when the user has made none.
std::optional<bool> ReadChoice(const std::string& file);

// Connects the "typingErrorNotice" action and starts listening to the document's text.
void Connect(EditorParts& parts, const RunState& run);

}  // namespace typingnotice
