#include "oxserver/framing.h"

#include "reader/reader.h"

#include "platform/codepage.h"

namespace oxserver {
namespace {

constexpr char kQuote = '`';
constexpr std::string_view kCutMarker = "; leitura cortada";

// The option lines, without their line end, by level: one prefix, then the level's word.
constexpr std::string_view kOptionLines[] = {"!verbosidade=breve", "!verbosidade=normal",
                                             "!verbosidade=detalhada"};
constexpr Verbosity kOptionLevels[] = {Verbosity::Breve, Verbosity::Normal, Verbosity::Detalhada};
constexpr std::size_t kOptionPrefix = std::string_view("!verbosidade=").size();

// Follows the option lines through bytes outside requests, a byte at a time, so that a line
// split between reads is still taken.
void scanOptions(std::string_view outside, FrameState& state) {
    for (const char c : outside) {
        const std::size_t at = state.optionMatched;
        const std::string_view line = kOptionLines[state.optionLevel];
        bool matched = false;
        if (at == line.size()) {
            if (c == '\n' || c == '\r') state.verbosity = kOptionLevels[state.optionLevel];
        } else if (at == kOptionPrefix) {  // the first letter of the word picks the level
            for (std::uint8_t k = 0; k < std::size(kOptionLines) && !matched; ++k) {
                matched = kOptionLines[k][at] == c;
                if (matched) state.optionLevel = k;
            }
        } else {
            matched = line[at] == c;
        }
        if (matched) {
            state.optionMatched = static_cast<std::uint8_t>(at + 1);
        } else {
            state.optionMatched = c == '!' ? 1 : 0;
            state.optionLevel = 0;
        }
    }
}

// Escapes the voice's markup characters and drops control characters and malformed bytes.
std::string escapeForVoice(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 16);
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const std::size_t len = codepage::DecodeUtf8(utf8, i, cp);
        if (len == 0) { ++i; continue; }
        const bool control = cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
        if (cp == '&') out += "&amp;";
        else if (cp == '<') out += "&lt;";
        else if (cp == '>') out += "&gt;";
        else if (control) out += ' ';
        else out.append(utf8.substr(i, len));
        i += len;
    }
    return out;
}

// Cuts Windows-1252 text to at most `limit` bytes at a blank, never inside a character
// reference, and says that it was cut.
void cutAtWord(std::string& text, std::size_t limit) {
    if (text.size() <= limit) return;
    std::size_t cut = limit - kCutMarker.size();
    const std::size_t blank = text.rfind(' ', cut);
    if (blank != std::string::npos && blank > 0) {
        cut = blank;
    } else {
        const std::size_t amp = text.rfind('&', cut);
        if (amp != std::string::npos && text.find(';', amp) >= cut) cut = amp;
    }
    text.resize(cut);
    for (;;) {
        if (text.empty()) break;
        const char c = text.back();
        if (c == ';') {  // a pause, unless it ends a character reference
            const std::size_t amp = text.rfind('&');
            if (amp != std::string::npos && text.find(' ', amp) == std::string::npos) break;
        } else if (c != ' ' && c != ',' && c != ':') {
            break;
        }
        text.pop_back();
    }
    text += kCutMarker;
}

}  // namespace

Frame NextFrame(std::string_view pending, FrameState state, std::size_t maxRequest) {
    Frame f;
    std::size_t from = 0;
    if (state.skipping) {
        const std::size_t close = pending.find(kQuote);
        if (close == std::string_view::npos) {
            f.consumed = pending.size();
            f.next = state;
            return f;
        }
        from = close + 1;
        state.skipping = false;
        state.scanned = 0;
    }
    const std::size_t open = pending.find(kQuote, from);
    scanOptions(pending.substr(from, (open == std::string_view::npos ? pending.size() : open) - from), state);
    // Between requests the connection keeps its level; an option line is cut by a request.
    f.next.verbosity = state.verbosity;
    if (open == std::string_view::npos) {
        f.consumed = pending.size();
        f.next.optionMatched = state.optionMatched;
        f.next.optionLevel = state.optionLevel;
        return f;
    }
    const std::size_t bodyStart = open + 1;
    // What an earlier call scanned is only known when the request starts the input.
    std::size_t scanFrom = bodyStart;
    if (open == 0 && from == 0) scanFrom += state.scanned;
    if (scanFrom > pending.size()) scanFrom = pending.size();
    const std::size_t close = pending.find(kQuote, scanFrom);
    if (close != std::string_view::npos) {
        f.consumed = close + 1;
        if (close - bodyStart > maxRequest) {
            f.kind = FrameKind::TooLong;
        } else {
            f.kind = FrameKind::Request;
            f.body = pending.substr(bodyStart, close - bodyStart);
        }
        return f;
    }
    const std::size_t have = pending.size() - bodyStart;
    if (have > maxRequest) {
        f.kind = FrameKind::TooLong;
        f.consumed = pending.size();
        f.next.skipping = true;
        return f;
    }
    f.consumed = open;
    f.next.scanned = have;
    return f;
}

std::string BuildReply(std::string_view reading) {
    std::string reply = codepage::Utf8ToCp1252(escapeForVoice(reading));
    // Bytes that Windows-1252 leaves undefined decode to C1 controls; none may reach the voice.
    std::erase_if(reply, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    });
    cutAtWord(reply, kMaxReplyBytes - 2);
    reply += "\r\n";
    return reply;
}

std::string TooLongReply() { return BuildReply("fórmula longa demais"); }

std::string ReplyToRequest(std::string_view cp1252Formula, Verbosity verbosity) {
    return BuildReply(reader::ReadFormula(codepage::Cp1252ToUtf8(cp1252Formula), verbosity));
}

}  // namespace oxserver
