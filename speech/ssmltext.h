#pragma once
// The text handed to the voice: a line of Windows-1252 text, possibly holding HTML (from the
// document) and speech markup (from the formula server's readings), made into one well-formed
// SSML document in UTF-8 that the speech service speaks without reading any tag out.
#include <string>
#include <string_view>

namespace ssmltext {

// Wraps text in <speak> ... </speak>:
// - speech elements (break, emphasis, lang, mark, phoneme, prosody, say-as, voice, and sub
//   with an alias) are kept, with their attributes, and balanced: a stray end tag is dropped
//   and elements left open are closed at the end;
// - "<desconectado>", which stands for a formula whose reading could not be had, is spoken
//   as the word "desconectado";
// - every other tag, comment or declaration is removed, so HTML is skipped, not read; tags
//   that end a block of text (br, p, li, td, ...) leave one blank so words do not run together;
// - "&" that does not start an XML entity or a character reference becomes "&amp;"; the HTML
//   names of the Latin-1 characters (&nbsp;, &aacute;, ...) become the characters themselves;
// - "<" that does not start a tag becomes "&lt;", ">" outside a tag "&gt;";
// - control characters that XML does not allow become blanks;
// - three or more blanks between words become a pause.
// Never fails; any input gives well-formed output.
std::string ToSsml(std::string_view cp1252Text);

}  // namespace ssmltext
