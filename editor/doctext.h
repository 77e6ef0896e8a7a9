#pragma once
// Document files: how their bytes become the editor's text and back, and how they are read
// and written. A document is Windows-1252 bytes with CR LF between lines.
#include <QString>
#include <string>
#include <string_view>

namespace doctext {

// The editor's text of a document's bytes: each byte decoded from Windows-1252, and every
// CR LF pair, lone CR and lone LF made one line break ("\n"). Never fails.
QString Decode(std::string_view bytes);

// The document bytes of the editor's text: lines separated by CR LF with none added after the
// last, characters in Windows-1252, and a numeric character reference ("&#8804;") for each
// character that Windows-1252 cannot hold, so that the page shows it. Qt's paragraph and line
// separators count as line breaks. Never fails.
std::string Encode(const QString& text);

// The whole content of the file at path (a native path; a bare name resolves against the
// current directory). Throws ugerahtml::FileError when it is missing, unreadable, a folder or
// not a plain file.
std::string ReadFile(const std::string& path);

// Makes bytes the content of the file at path without ever leaving it half written: the
// bytes go to a new file in the same folder, reach the disk, and that file is renamed over the
// old one, which keeps its permission bits (a new file gets the usual ones). A link is
// followed, so the file it names is replaced and the link stays. Throws ugerahtml::FileError
// (the old file is then untouched) when the folder is missing or not writable, the old file
// is read-only, a folder or not a plain file, or the disk is full.
void WriteFile(const std::string& path, std::string_view bytes);

}  // namespace doctext
