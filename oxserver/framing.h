#pragma once
// The wire protocol, as pure functions over bytes. A request is everything from an opening
// backquote to the next backquote; bytes outside requests are ignored. Each request gets one
// reply: the reading in Windows-1252, ended by CR LF, at most 4,096 bytes in all.
//
// The one option: outside requests, the line "!verbosidade=breve" (or "=normal", "=detalhada"),
// ended by LF or CR, sets how much of the structure the connection's later readings say. It gets
// no reply. A connection that never sends it is read at "normal". Being outside backquotes, it
// is ignored by a server that does not know it, and it can never be taken for a formula.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "reader/reader.h"

namespace oxserver {

// How much of a formula's structure the replies say: the reader's levels.
using reader::Verbosity;

inline constexpr std::size_t kMaxRequestBytes = 64 * 1024;  // between the backquotes
inline constexpr std::size_t kMaxReplyBytes = 4096;         // with the CR LF

// What the framer carries from one call to the next.
struct FrameState {
    bool skipping = false;   // inside a request found too long, until its closing backquote
    std::size_t scanned = 0;  // bytes after the opening backquote already known to hold none
    Verbosity verbosity = Verbosity::Normal;  // as the last option line set it
    std::uint8_t optionMatched = 0;  // bytes of an option line matched so far, outside requests
    std::uint8_t optionLevel = 0;    // which level's line is being matched
};

enum class FrameKind {
    NeedMore,  // no whole request yet: keep the unconsumed bytes and call again with more
    Request,   // a whole request: body is the formula between the backquotes
    TooLong,   // a request passed kMaxRequestBytes: answer it once, its rest is skipped
};

struct Frame {
    FrameKind kind = FrameKind::NeedMore;
    std::size_t consumed = 0;  // bytes at the front of the input that are done with
    std::string_view body;     // Request: the formula, a view into the input
    FrameState next;           // the state for the following call
};

// Looks for the next request in `pending`, taking the option lines outside requests, the bytes received and not yet consumed, given the
// state that the previous call returned. Call again with the rest after a Request or TooLong;
// after NeedMore, drop the consumed bytes and call again once more bytes have arrived. Bytes
// before an opening backquote are consumed and dropped. Never fails.
Frame NextFrame(std::string_view pending, FrameState state,
                std::size_t maxRequest = kMaxRequestBytes);

// The reply to a formula: `reading` (UTF-8) with "&", "<" and ">" escaped for the voice's markup,
// control characters dropped, converted to Windows-1252, cut at a word boundary so that the
// whole reply, CR LF included, holds at most kMaxReplyBytes, then CR LF.
std::string BuildReply(std::string_view reading);

// The reading for a request that passed kMaxRequestBytes, as a whole reply.
std::string TooLongReply();

// The reply to a request body, which is Windows-1252 text.
std::string ReplyToRequest(std::string_view cp1252Formula, Verbosity verbosity = Verbosity::Normal);

}  // namespace oxserver
