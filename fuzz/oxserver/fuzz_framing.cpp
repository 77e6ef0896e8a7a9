// Framing: a stream fed in pieces must give the same requests as the stream fed whole, and
// every request must get a well-formed reply.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "oxserver/framing.h"
#include "reply_check.h"

namespace {

std::vector<std::string> frames(std::string_view stream, std::size_t piece, std::size_t max) {
    std::vector<std::string> out;
    oxserver::FrameState state;
    std::string pending;
    for (std::size_t fed = 0; fed < stream.size();) {
        const std::size_t n = std::min(piece, stream.size() - fed);
        pending.append(stream.substr(fed, n));
        fed += n;
        std::size_t done = 0;
        for (;;) {
            const auto f = oxserver::NextFrame(std::string_view(pending).substr(done), state, max);
            if (f.consumed > pending.size() - done) std::abort();
            done += f.consumed;
            state = f.next;
            if (f.kind == oxserver::FrameKind::NeedMore) break;
            out.push_back(f.kind == oxserver::FrameKind::Request ? "R" + std::string(f.body) : "L");
        }
        pending.erase(0, done);
        if (pending.size() > max + 1) std::abort();  // only a partial request is kept
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t piece = data[0] % 17 + 1;
    const std::size_t max = data[1] % 2 ? 48 : oxserver::kMaxRequestBytes;
    const std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);
    const auto whole = frames(stream, stream.size() + 1, max);
    if (frames(stream, piece, max) != whole) std::abort();
    for (const std::string& f : whole)
        CheckReply(f[0] == 'L' ? oxserver::TooLongReply() : oxserver::ReplyToRequest(std::string_view(f).substr(1)));
    return 0;
}
