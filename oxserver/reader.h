#pragma once
// The Brazilian Portuguese reading of a formula: words a listener can follow without seeing it.
#include <string>
#include <string_view>

#include "oxserver/parser.h"

namespace oxserver {

// Reads a parsed formula. The result is UTF-8 words and the punctuation ",", ";" and ":" that
// gives the voice its pauses; it holds no markup and no control character. Never fails; empty
// for a formula with nothing to read.
std::string Read(const Formula& formula);

// Parses and reads an ASCIIMath formula given as UTF-8.
std::string ReadFormula(std::string_view utf8);

}  // namespace oxserver
