// Parse and read any bytes: as UTF-8 (the --ler path) and as Windows-1252 (the wire path).
// The reading holds no control character, and the reply is well formed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "oxserver/framing.h"
#include "reader/reader.h"
#include "reply_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string reading = reader::ReadFormula(input);
    for (char c : reading) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) std::abort();
    }
    CheckReply(oxserver::BuildReply(reading));
    CheckReply(oxserver::ReplyToRequest(input));
    return 0;
}
