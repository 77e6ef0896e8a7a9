#include "editor/text/screenreader.h"

#include <QAccessible>

#include "editor/text/screenreaderstatus.h"

namespace screenreader {
namespace {
std::optional<bool> forced;
}  // namespace

// The accessibility bus's screen-reader status; while it is unknown (no bus, or no answer
// yet), whether any assistive client listens.
bool Running() {
    if (forced) return *forced;
    return ScreenReaderStatus::OnSessionBus().value_or(QAccessible::isActive());
}

void Force(std::optional<bool> running) { forced = running; }

}  // namespace screenreader
