#pragma once
// Formulas in braille: the Brazilian unified mathematics code (CMU), written from the reader's own
// parse, in Unicode braille cells (U+2800 to U+283F). Every sign is in reader/words/braille.tsv.
#include <string>
#include <string_view>
#include <vector>

#include "reader/parser.h"

namespace reader {

struct BrailleText {
    // UTF-8 Unicode braille; a matrix writes one row a line, the lines separated by "\n".
    std::string cells;
    // The typed text of each sign the code has no cells for here, in the order of the formula.
    // Such a sign is written in the cells as a marker with the typed text spelled between two
    // markers, never left out.
    std::vector<std::string> uncovered;
};

// The braille of a parsed formula. Never fails; a slip of typing is written where the reading
// says it, as a marker and the same words. The output grows at most linearly with the formula.
// `followingCells`: what a text writes right after the formula, if anything, so that the
// formula's last sign is not read on into it (a short fraction before a comma).
BrailleText TranslateToBraille(const Formula& formula, std::string_view followingCells = {});

// Parses an ASCIIMath formula given as UTF-8, character references decoded, and translates it.
BrailleText FormulaToBraille(std::string_view utf8, std::string_view followingCells = {});

// The cells of a whole number: the number sign, then its digits.
std::string BrailleNumber(unsigned number);

// Unicode braille cells to the North American ASCII braille of embosser files (".brf"): one
// character a cell, capitals for letters; "\n" is kept; anything else becomes "?".
std::string BrailleToAscii(std::string_view unicodeBraille);

// The cells that the North American ASCII braille gives to printable ASCII text (the typed text
// of a sign not covered); other bytes become the cell of "?".
std::string AsciiToBraille(std::string_view ascii);

}  // namespace reader
