// Walking any formula: pieces[0] is the whole text, every piece lies in its parent and after
// its previous sibling, the links agree, and every piece reads at every level.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/explore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const reader::Exploration e = reader::Explore(input);
    if (e.pieces.empty() || e.pieces[0].begin != 0 || e.pieces[0].end != size) std::abort();
    for (std::size_t p = 1; p < e.pieces.size(); ++p) {
        const reader::Piece& piece = e.pieces[p];
        if (piece.parent < 0 || static_cast<std::size_t>(piece.parent) >= p) std::abort();
        const reader::Piece& parent = e.pieces[static_cast<std::size_t>(piece.parent)];
        if (piece.begin > piece.end || piece.begin < parent.begin || piece.end > parent.end) std::abort();
        if (piece.previousSibling >= 0) {
            const reader::Piece& before = e.pieces[static_cast<std::size_t>(piece.previousSibling)];
            if (before.nextSibling != static_cast<std::int32_t>(p) || before.end > piece.begin) std::abort();
        } else if (parent.firstChild != static_cast<std::int32_t>(p)) {
            std::abort();
        }
    }
    for (std::size_t p = 0; p < e.pieces.size() && p < 64; ++p)
        for (const auto v : {reader::Verbosity::Breve, reader::Verbosity::Normal, reader::Verbosity::Detalhada})
            for (char c : reader::ReadPiece(e, static_cast<std::int32_t>(p), v))
                if (static_cast<unsigned char>(c) < 0x20) std::abort();
    return 0;
}
