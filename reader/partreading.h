#pragma once
// The ways of reading one part of a formula alone, which the reader's entry points offer and its
// rules carry out.
#include <cstdint>

namespace reader {

// How a part of a formula is read on its own.
enum class PartReading : std::uint8_t {
    Node,      // the node as it reads in a row
    Argument,  // a function's argument: "x" for the "(x)" of "cos(x)", as after "cosseno de"
    Items,     // a run of items of a row or bracket (a cell of a matrix row)
};

}  // namespace reader
