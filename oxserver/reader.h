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

// The characters that a document holds as references ("&#8804;", "&#x3B1;", "&amp;", "&lt;"),
// as the page shows them; other "&" text stays as written.
std::string DecodeCharacterReferences(std::string_view utf8);

// Parses and reads an ASCIIMath formula given as UTF-8, character references decoded.
std::string ReadFormula(std::string_view utf8);

}  // namespace oxserver
