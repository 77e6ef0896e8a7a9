#pragma once
// What every reply must be, whatever the request: checked by both fuzz targets.
#include <cstdlib>
#include <string>

#include "oxserver/framing.h"

inline void CheckReply(const std::string& reply) {
    if (reply.size() < 2 || reply.size() > oxserver::kMaxReplyBytes) std::abort();
    if (reply.compare(reply.size() - 2, 2, "\r\n") != 0) std::abort();
    for (std::size_t i = 0; i + 2 < reply.size(); ++i) {
        const auto b = static_cast<unsigned char>(reply[i]);
        if (b < 0x20 || b == 0x7F) std::abort();  // no NUL, no line end inside, no control
        if (b == '<' || b == '>') std::abort();   // markup characters are escaped
    }
}
