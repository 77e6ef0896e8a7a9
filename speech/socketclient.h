#pragma once
// socketclient: a small blocking TCP client over IPv4. It opens a connection to a host and port,
// sends one text and receives one text; it knows nothing of what the texts mean.
//
// Texts are byte strings (the program's Windows-1252 text), sent and received as they are.
// Failures are returned by value and never shown: -1 for a connection, 0 for an address,
// false for a send, and the text "<desconectado>" for a receive.
//
// Every socket carries a send and a receive time-out (Timeout(), 3 s unless changed), so a
// peer that accepts a connection and then never answers cannot hold the caller: a receive
// that times out is a failed receive. Sends never raise SIGPIPE.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace socketclient {

inline constexpr const char* kDisconnected = "<desconectado>";
inline constexpr std::size_t kMaxReceive = 4096;

// The IPv4 address of host, in network byte order. A name starting with a decimal digit is
// read as a dotted address and never looked up; a malformed one gives the all-ones
// no-address value, unchanged. Any other name is looked up; 0 when that fails.
std::uint32_t ResolveHost(const std::string& host);

// Opens a TCP connection to host:port (port in host byte order). The socket is created and
// bound to any local address and port before the host is resolved. Returns the connection
// handle (greater than 0), or -1; a socket whose attempt failed is closed.
int OpenConnection(const std::string& host, std::uint16_t port);

// Sends the text's bytes with one send, adding nothing. True when more than 0 bytes went out;
// a partial send is not continued.
bool SendText(int handle, const std::string& text);

// One receive of at most 4,096 bytes, cut at the first NUL, then one trailing LF and after it
// one trailing CR removed. "<desconectado>" when the peer closed the connection, on an error
// and on a time-out. The result is also stored in text.
std::string ReceiveText(int handle, std::string& text);

// As ReceiveText, but says whether a reply came: false (and text "<desconectado>") when the
// connection ended, failed or timed out, so a caller can tell that from a reply of that text.
bool ReceiveReply(int handle, std::string& text);

// The platform's send and recv, results passed straight through (an interrupted call is
// repeated). SendRaw always adds MSG_NOSIGNAL.
long SendRaw(int handle, const void* buffer, std::size_t length, int flags);
long ReceiveRaw(int handle, void* buffer, std::size_t length, int flags);

// What ReceiveText makes of the bytes one receive delivered (pure, for any input).
std::string ReplyText(std::string_view received);

// Shuts both directions of a connection down but keeps its handle: later sends fail and
// later receives give "<desconectado>" at once. For a stream whose framing is lost.
void Disconnect(int handle);

// Closes a connection handle; handles 0 or less are ignored.
void CloseConnection(int handle);

// The send and receive time-out given to connections opened from now on (also bounds
// connect), and the longest WaitForReply waits. Safe on any thread.
void SetTimeout(std::chrono::milliseconds timeout);
std::chrono::milliseconds Timeout();

enum class Wait { Readable, TimedOut, Woken };

// Waits until handle has something to read (a reply, or the end of the connection) or until
// the time-out has passed; returns Woken as soon as wake (a descriptor, -1 for none) becomes
// readable, leaving it so. Reads nothing.
Wait WaitForReply(int handle, int wake, std::chrono::steady_clock::time_point deadline);

}  // namespace socketclient
