#pragma once
// A formula as a tree of pieces that a student can walk: up to the enclosing piece, down to
// the first piece inside, to the previous and next piece beside; each piece read alone.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reader/parser.h"
#include "reader/reader.h"

namespace reader {

struct Piece {
    std::uint32_t begin = 0, end = 0;  // byte range in the UTF-8 formula text given to Explore,
                                       // as written there (character references undecoded)
    std::string role;  // the piece's place in its parent: "numerador", "denominador",
                       // "expoente", "índice", "radicando", "argumento", "linha 2 da matriz",
                       // "limite inferior", "primeiro membro" (a side of an equation or
                       // inequality), "termo 2 de 3" (a term of a sum, with its sign)...; empty
                       // for the whole formula and for the other items of a row
    std::int32_t parent = -1, firstChild = -1, nextSibling = -1, previousSibling = -1;
};

struct Exploration {
    std::vector<Piece> pieces;  // pieces[0] is the whole formula; parents come before children

    // What each piece reads, for ReadPiece.
    struct Part {
        std::int32_t node = -1;
        PartReading how = PartReading::Node;
        std::uint32_t first = 0, count = 0;  // Items: the run of items of `node`
        bool cells = false;                  // a matrix row, whose children are its cells
        std::uint8_t level = 0;              // Items: 1 a side, whose children are its terms;
                                             // 2 a term, whose children are its steps
    };
    Formula formula;          // the formula parsed, character references decoded
    std::vector<Part> parts;  // parallel to pieces
};

// The pieces of a formula given as UTF-8. Never fails: any bytes give at least pieces[0].
// Children are the pieces a listener steps through: the items of a row, a fraction's numerator
// and denominator, a root's index and radicand, a script's base, index and exponent, a
// matrix's rows and then their cells, a function's argument; the sides of an equation or
// inequality, and the terms of a sum, each with its sign. Brackets that only delimit an operand
// are no piece of their own, nor is anything that reads as nothing.
Exploration Explore(std::string_view utf8);

// The reading of one piece alone. ReadPiece(e, 0, v) is ReadFormula of the same text at v.
// Empty for a piece index out of range.
std::string ReadPiece(const Exploration& exploration, std::int32_t piece, Verbosity verbosity);

}  // namespace reader
