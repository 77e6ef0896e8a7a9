#pragma once
// The Brazilian Portuguese reading of a formula: words a listener can follow without seeing it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reader/parser.h"
#include "reader/partreading.h"
#include "reader/verbosity.h"

namespace reader {

// Reads a parsed formula. The result is UTF-8 words and the punctuation ",", ";" and ":" that
// gives the voice its pauses; it holds no markup and no control character. Never fails; empty
// for a formula with nothing to read.
std::string Read(const Formula& formula, Verbosity verbosity = Verbosity::Normal);

// The characters that a document holds as references ("&#8804;", "&#x3B1;", "&amp;", "&lt;"),
// as the page shows them; other "&" text stays as written.
std::string DecodeCharacterReferences(std::string_view utf8);

// The same, with origin[i] the offset in `utf8` of the character that gave byte i of the result,
// and origin[result size] the size of `utf8`.
std::string DecodeCharacterReferences(std::string_view utf8, std::vector<std::uint32_t>& origin);

// Parses and reads an ASCIIMath formula given as UTF-8, character references decoded.
std::string ReadFormula(std::string_view utf8, Verbosity verbosity = Verbosity::Normal);

// Reads one part of a parsed formula alone: the node `node`, or for Items the `count` items of
// the row or group `node` from its item `first` on (nested rows laid out flat).
std::string ReadPart(const Formula& formula, std::int32_t node, PartReading how,
                     std::uint32_t first, std::uint32_t count, Verbosity verbosity);

// How the items of a row or group (nested rows laid out flat) go together in its reading: how
// many items each step reads at once. "3", ",", "5" and "cm" of "3,5 cm" make one step of 4;
// "f" and "(x)" of "f(x)" one of 2.
std::vector<std::uint32_t> ItemRuns(const Formula& formula, std::int32_t parent);

}  // namespace reader
