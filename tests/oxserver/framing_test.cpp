// The framing of requests and the building of replies, as pure functions over bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oxserver/framing.h"

namespace {

using oxserver::FrameKind;
using oxserver::NextFrame;

// What a stream of bytes yields: "R:formula" for each request, "L" for each too-long one.
// The stream is fed in pieces of the given sizes (0: all at once), as a connection receives
// it; unconsumed bytes are kept, as the server keeps them.
std::vector<std::string> frames(const std::string& stream, std::size_t piece, std::size_t max) {
    std::vector<std::string> out;
    oxserver::FrameState state;
    std::string pending;
    std::size_t fed = 0;
    while (fed < stream.size() || fed == 0) {
        const std::size_t n = piece == 0 ? stream.size() : std::min(piece, stream.size() - fed);
        pending += stream.substr(fed, n);
        fed += n;
        std::size_t done = 0;
        for (;;) {
            const auto f = NextFrame(std::string_view(pending).substr(done), state, max);
            EXPECT_LE(done + f.consumed, pending.size());
            done += f.consumed;
            state = f.next;
            if (f.kind == FrameKind::NeedMore) break;
            out.push_back(f.kind == FrameKind::Request ? "R:" + std::string(f.body) : "L");
        }
        pending.erase(0, done);
        // bytes kept back are only ever one partial request
        EXPECT_LE(pending.size(), max + 1);
        if (stream.empty()) break;
    }
    return out;
}

struct Case {
    const char* name;
    std::string stream;
    std::vector<std::string> expected;
};

std::vector<Case> cases() {
    return {
        {"nothing", "", {}},
        {"one request", "`x^2`", {"R:x^2"}},
        {"two requests back to back", "`a``b`", {"R:a", "R:b"}},
        {"line ends between requests", "`a`\r\n`b`\r\n", {"R:a", "R:b"}},
        {"garbage before and between", "lixo`a`mais lixo\r\n`b`fim", {"R:a", "R:b"}},
        {"an empty request", "``", {"R:"}},
        {"blanks kept", "` a + b `", {"R: a + b "}},
        {"an unclosed request", "`a`  `b", {"R:a"}},
        {"NUL and control bytes", std::string("\0`a\0b`\x01\x7f`\r`", 11), {std::string("R:a\0b", 5), "R:\r"}},
        {"Windows-1252 bytes", "`\xe1rea`", {"R:\xe1rea"}},
        {"exactly the longest", "`" + std::string(8, 'x') + "`", {"R:" + std::string(8, 'x')}},
        {"one byte too long, then a request", "`" + std::string(9, 'x') + "``ok`", {"L", "R:ok"}},
        {"far too long, closed later", "`" + std::string(40, 'x') + "` `b`", {"L", "R:b"}},
        {"too long and never closed", "`" + std::string(40, 'x'), {"L"}},
        {"too long, its rest holds no request", "`" + std::string(20, 'x') + "`a`", {"L"}},
    };
}

// The same events whether the bytes come all at once, byte by byte, or in pieces of any size.
TEST(Framing, SameRequestsWholeAndInPiecesOfEverySize) {
    const std::size_t max = 8;
    for (const Case& c : cases()) {
        EXPECT_EQ(frames(c.stream, 0, max), c.expected) << c.name << ", whole";
        for (std::size_t piece = 1; piece <= c.stream.size(); ++piece)
            EXPECT_EQ(frames(c.stream, piece, max), c.expected) << c.name << ", pieces of " << piece;
    }
}

// Split at every point in two, the second part arriving later.
TEST(Framing, SameRequestsSplitAtEveryPoint) {
    const std::size_t max = 8;
    for (const Case& c : cases()) {
        for (std::size_t cut = 0; cut <= c.stream.size(); ++cut) {
            std::vector<std::string> out;
            oxserver::FrameState state;
            std::string pending;
            for (const std::string& part : {c.stream.substr(0, cut), c.stream.substr(cut)}) {
                pending += part;
                std::size_t done = 0;
                for (;;) {
                    const auto f = NextFrame(std::string_view(pending).substr(done), state, max);
                    done += f.consumed;
                    state = f.next;
                    if (f.kind == FrameKind::NeedMore) break;
                    out.push_back(f.kind == FrameKind::Request ? "R:" + std::string(f.body) : "L");
                }
                pending.erase(0, done);
            }
            EXPECT_EQ(out, c.expected) << c.name << ", cut at " << cut;
        }
    }
}

// A request of the real limit fed a byte at a time: each call looks only at the new byte, so
// this is linear, and the request comes out whole.
TEST(Framing, LongestRequestByteByByte) {
    const std::string body(oxserver::kMaxRequestBytes, 'x');
    const auto out = frames("`" + body + "`", 1, oxserver::kMaxRequestBytes);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], "R:" + body);
    EXPECT_EQ(frames("`" + body + "x`", 1, oxserver::kMaxRequestBytes), std::vector<std::string>{"L"});
}

TEST(Replies, EscapedConvertedAndEndedByCrLf) {
    struct ReplyCase {
        const char* name;
        std::string reading;
        std::string reply;
    } replyCases[] = {
        {"plain words", "x ao quadrado", "x ao quadrado\r\n"},
        {"markup characters", "a<b & c>d", "a&lt;b &amp; c&gt;d\r\n"},
        {"accented letters in Windows-1252", "fração, índice", "fra\xe7\xe3o, \xedndice\r\n"},
        {"beyond Windows-1252", "x ≤ y", "x &#8804; y\r\n"},
        {"control characters", std::string("a\0b\x01" "c\x7f" "d\xc2\x85", 9), "a b c d \r\n"},
        {"malformed UTF-8 dropped", "a\xff\xc3 b", "a b\r\n"},
        {"empty", "", "\r\n"},
    };
    for (const auto& c : replyCases) EXPECT_EQ(oxserver::BuildReply(c.reading), c.reply) << c.name;
}

TEST(Replies, LongReadingsAreCutAtAWordBoundary) {
    std::string reading;
    while (reading.size() < 10000) reading += "raiz quadrada de ";
    const std::string reply = oxserver::BuildReply(reading);
    ASSERT_LE(reply.size(), oxserver::kMaxReplyBytes);
    ASSERT_GE(reply.size(), oxserver::kMaxReplyBytes - 40);
    EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n");
    EXPECT_EQ(reply.find("\r\n"), reply.size() - 2);
    const std::string text = reply.substr(0, reply.size() - 2);
    const std::string marker = "; leitura cortada";
    ASSERT_GE(text.size(), marker.size());
    EXPECT_EQ(text.substr(text.size() - marker.size()), marker);
    const std::string kept = text.substr(0, text.size() - marker.size());
    EXPECT_EQ(reading.compare(0, kept.size(), kept), 0);
    EXPECT_EQ(reading[kept.size()], ' ');  // cut where a word ended
}

TEST(Replies, ACutNeverSplitsACharacterReference) {
    // one long word of escaped characters: no blank to cut at
    const std::string reply = oxserver::BuildReply(std::string(3000, '<'));
    ASSERT_LE(reply.size(), oxserver::kMaxReplyBytes);
    const std::string marker = "; leitura cortada\r\n";
    ASSERT_GT(reply.size(), marker.size());
    ASSERT_EQ(reply.substr(reply.size() - marker.size()), marker);
    const std::string text = reply.substr(0, reply.size() - marker.size());
    ASSERT_FALSE(text.empty());
    for (std::size_t i = 0; i < text.size(); i += 4) EXPECT_EQ(text.substr(i, 4), "&lt;") << i;
}

TEST(Replies, RequestsAreWindows1252) {
    EXPECT_EQ(oxserver::ReplyToRequest("text(\xe1rea) = b xx h"), "\xe1rea igual a b vezes h\r\n");
    EXPECT_EQ(oxserver::ReplyToRequest("x\xb2"), "x ao quadrado\r\n");  // "²"
    EXPECT_EQ(oxserver::TooLongReply(), "f\xf3rmula longa demais\r\n");
    const std::string binary("\0\x81\x8d\x90\x9d\xff", 6);
    const std::string reply = oxserver::ReplyToRequest(binary);
    EXPECT_EQ(reply.find('\0'), std::string::npos);
    EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n");
}

}  // namespace
