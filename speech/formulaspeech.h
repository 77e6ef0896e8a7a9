#pragma once
// formulaspeech: the program's side of formula speech. It holds the one connection to the formula
// speech server and the one voice. To speak a line it sends each formula of the line (the text
// between a pair of backquotes) to the server, puts the server's reading in the formula's
// place and hands the whole line to the voice; with no connection it speaks the line as it is.
//
// Wire protocol, TCP to "localhost", port 51956: each request is a backquote, the formula's
// bytes as they stand, and a backquote, with nothing after it; each is answered by one reply
// (socketclient::ReceiveText), and the next request waits for the reply. Texts are Windows-1252.
//
// A request waits at most the socket time-out (socketclient::Timeout()) for its reply. The
// connection is used by one thread at a time: the speech commands' (speechcommands), or the
// caller's when nothing else speaks; the voice and the settings may be set from any thread.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "speech/voiceoutput.h"

namespace formulaspeech {

inline constexpr const char* kServerHost = "localhost";
inline constexpr std::uint16_t kServerPort = 51956;
inline constexpr const char* kDefaultVerbosity = "normal";
// Said after a formula whose closing backquote is missing (Windows-1252).
inline constexpr const char* kOpenFormula = "f\xF3rmula sem crase de fechamento";

// Runs a function on the thread that shows messages (the GUI thread).
using Deliver = std::function<void(std::function<void()>)>;

// Module start-up, once, before the main window exists: creates the voice (a SpeechDispatcherVoice that
// lives until the process ends). Voice errors are shown through the message seam
// (messages::Show); deliver carries them to the thread that may show messages, and without it
// they are shown on the voice's thread (fine for the terminal sink, not for dialogs).
void StartModule(Deliver deliver = {});

// The voice everything is spoken through (nullptr before StartModule).
VoiceOutput* Voice();
// Puts another voice in place (tests: a recorder); returns the one it replaces. The caller
// keeps ownership.
VoiceOutput* SetVoice(VoiceOutput* voice);

// The server connection: 0 at start, -1 after a failed attempt, greater than 0 when open.
int ServerSocket();

// Opens a new connection to the server and keeps it in ServerSocket; the connection it
// replaces, open or not, is closed. True when the new one is open.
bool ConnectServer();

// Opens a connection to the server without keeping it: the handle, or -1. Safe on any thread.
int OpenServerConnection();

// Keeps handle (from OpenServerConnection) as the server connection, closing the one it
// replaces. True when it is open.
bool AdoptConnection(int handle);

// True when ServerSocket is open and the server has neither closed it nor failed on it, as
// far as can be told without sending anything. Never blocks.
bool ConnectionWorks();

// How much of a formula's structure the server's readings say: "breve", "normal" or
// "detalhada". Sent to the server, as the option line "!verbosidade=" + word + LF outside any
// request, before the next request on a connection that holds another one.
void SetVerbosity(std::string_view word);

// The server's reading of one formula (Windows-1252, without backquotes, not empty), or
// "<desconectado>" when the exchange failed (the connection is then shut down).
std::string ReadFormula(std::string_view formula);

// How one exchange with the server ended.
enum class Outcome {
    Read,       // a reply came
    Failed,     // the server closed the connection or it failed: the reply is "<desconectado>"
    TimedOut,   // no reply within the time-out
    Cancelled,  // given up on before the reply came
};

// One request and its reply, as ReadFormula, waiting at most socketclient::Timeout() for the
// reply. Each time wake (a descriptor, -1 for none) becomes readable meanwhile, cancelled() is
// asked (and must empty wake): when it says true the exchange is given up at once. After anything but Read the stream can no longer be trusted (a late
// reply would be taken for the next formula's): Failed and TimedOut shut the connection down,
// Cancelled puts a new connection to the server in its place. reply holds the reply, or
// "<desconectado>".
Outcome Exchange(std::string_view formula, std::string& reply, int wake = -1,
                 const std::function<bool()>& cancelled = {});

// Speaks a line of document text: formulas read by the server when connected, the line as it
// stands otherwise.
void SpeakLine(const std::string& line);

// Hands a text to the voice; with no voice, says so through the message seam.
void SpeakText(const std::string& text);

// True when the line holds a formula that SpeakLine would send to the server.
bool HasFormula(std::string_view line);

// The text SpeakLine hands to the voice when connected, with read giving each formula's
// reading: every piece (text between formulas, or a reading) gets one blank before it; an
// empty formula ("``") adds nothing; a formula left open runs to the end of the line and is
// followed by ", " and kOpenFormula.
std::string ComposeLine(std::string_view line, const std::function<std::string(std::string_view)>& read);

// The server port used by ConnectServer from now on (tests and test servers; 0 restores
// kServerPort).
void SetServerPort(std::uint16_t port);

}  // namespace formulaspeech
