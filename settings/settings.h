#pragma once
// The settings files: the program's, in the start folder, and each work folder's, both named
// "velloq.ini" with every key in section "VELLOQ". Every key, its default and the check of
// its value live here; other versions read the same files, so no key or value is ever renamed.
// Values are Windows-1252 texts, as the files hold them; paths are native (UTF-8).
#include <optional>
#include <string>

namespace settings {

inline constexpr const char* kSection = "VELLOQ";
inline constexpr const char* kFileName = "velloq.ini";

// What a work folder gives its pages; the work folder's file first, then the program's.
inline constexpr const char* kTemplateKey = "ARQMODELO";
inline constexpr const char* kAuthorKey = "AUTOR";
inline constexpr const char* kContactKey = "CONTATO";
inline constexpr const char* kDefaultTemplate = "modeloMat.mdl";
inline constexpr const char* kDefaultAuthor = "Fulano de Tal";
inline constexpr const char* kDefaultContact = "fulano@exemplo.com.br";

// The program's file only: the work folder and the recent ones ("arq1" to "arq5").
inline constexpr const char* kWorkFolderKey = "PASTAPADRAO";
inline constexpr int kRecentFolders = 5;
std::string RecentFolderKey(int index);  // index from 0: "arq1"

// The program's file only: the arrow keys' choice ("1" or "0", none while the user made none).
inline constexpr const char* kLineMovesKey = "SETASLINHAS";
// The program's file only: the typing-error notice's choice ("1" or "0", none while the user
// made none).
inline constexpr const char* kTypingNoticeKey = "AVISOERROS";

// The program's file only: the speech settings.
inline constexpr const char* kAutoConnectKey = "LIGARORMIVOX";
inline constexpr const char* kVoiceKey = "VOZ";
inline constexpr const char* kRateKey = "VELOCIDADE";
inline constexpr const char* kPitchKey = "TOM";
inline constexpr const char* kVolumeKey = "VOLUME";
inline constexpr const char* kVerbosityKey = "DETALHE";

// The process's current directory, with a trailing "/" removed (so "/" gives ""); the
// program's settings file lies there.
std::string CurrentDirectory();

// The settings file of folder.
std::string FileIn(const std::string& folder);

// The template, author and contact a work folder's pages take.
struct PageValues {
    std::string templateFile;
    std::string author;
    std::string contact;
};

// Each value from folderFile, else from programFile, else its default; an empty template
// is the default template. Never fails.
PageValues ReadPageValues(const std::string& folderFile, const std::string& programFile);

// Writes the three values into file; false when any cannot be written.
bool WritePageValues(const std::string& file, const PageValues& values);

// "1" is true and "0" false; a missing key or any other value gives none.
std::optional<bool> ReadFlag(const std::string& file, const char* key);
bool WriteFlag(const std::string& file, const char* key, bool on);

// A whole number from -100 to 100, or fallback for a missing key or any other value.
int ReadLevel(const std::string& file, const char* key, int fallback);

// The text of key, or fallback when the file has none.
std::string ReadText(const std::string& file, const char* key, const std::string& fallback = "");
bool WriteText(const std::string& file, const char* key, const std::string& value);

}  // namespace settings
