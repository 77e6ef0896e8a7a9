#pragma once
// Whether a screen reader is following the program. Asked at every key, so a screen reader
// that starts or stops while the program runs changes the editor's behaviour at once.
#include <optional>

namespace screenreader {

// True while a screen reader runs, as the accessibility bus tells; other assistive clients (a
// magnifier, an on-screen keyboard) do not count.
bool Running();

// Puts a fixed answer in place of the platform's (tests); std::nullopt gives the platform's
// answer back.
void Force(std::optional<bool> running);

}  // namespace screenreader
