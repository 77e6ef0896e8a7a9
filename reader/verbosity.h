#pragma once
// How much of a formula's structure a reading says: one level shared by the reader, the speech
// server's protocol and the speech settings the user keeps.
#include <cstdint>
#include <string_view>

namespace reader {

enum class Verbosity : std::uint8_t {
    Breve,      // the shortest reading that still tells the structure: no end marker that
                // nothing follows
    Normal,     // an end marker wherever what follows could be taken as still inside
    Detalhada,  // every structure announced and closed, even around a single item
};

// The level's name as the user sees it, as it is kept and as the server takes it: "breve",
// "normal", "detalhada".
constexpr const char* VerbosityName(Verbosity verbosity) {
    switch (verbosity) {
    case Verbosity::Breve: return "breve";
    case Verbosity::Detalhada: return "detalhada";
    case Verbosity::Normal: break;
    }
    return "normal";
}

// "breve", "normal" or "detalhada" to the level; false (and `out` unchanged) for other words.
constexpr bool ParseVerbosity(std::string_view word, Verbosity& out) {
    for (Verbosity v : {Verbosity::Breve, Verbosity::Normal, Verbosity::Detalhada}) {
        if (word == VerbosityName(v)) {
            out = v;
            return true;
        }
    }
    return false;
}

}  // namespace reader
