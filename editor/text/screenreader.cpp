#include "editor/text/screenreader.h"

#include <QAccessible>

namespace screenreader {
namespace {
std::optional<bool> forced;
}  // namespace

bool Running() { return forced ? *forced : QAccessible::isActive(); }

void Force(std::optional<bool> running) { forced = running; }

}  // namespace screenreader
