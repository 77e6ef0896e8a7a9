#include "oxserver/framing.h"

#include "oxserver/reader.h"
#include "oxserver/utf8.h"
#include "platform/codepage.h"

namespace oxserver {
namespace {

constexpr char kQuote = '`';
constexpr std::string_view kCutMarker = "; leitura cortada";

// Escapes the voice's markup characters and drops control characters and malformed bytes.
std::string escapeForVoice(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 16);
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const std::size_t len = DecodeUtf8(utf8, i, cp);
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
        state = FrameState{};
    }
    const std::size_t open = pending.find(kQuote, from);
    if (open == std::string_view::npos) {
        f.consumed = pending.size();
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

std::string ReplyToRequest(std::string_view cp1252Formula) {
    return BuildReply(ReadFormula(codepage::Cp1252ToUtf8(cp1252Formula)));
}

}  // namespace oxserver
