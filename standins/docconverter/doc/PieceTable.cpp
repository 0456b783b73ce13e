#include "PieceTable.h"

#include "LittleEndian.h"
#include "WordBinary.h"
#include "WordDamage.h"

namespace docconv::word {

std::vector<Piece> readPieces(std::span<const uint8_t> clx, size_t wordStreamSize) {
    size_t offset = 0;
    while (offset < clx.size() && clx[offset] == 0x01) {
        if (clx.size() - offset < 3) {
            damaged("the piece table is cut short");
        }
        const auto size = static_cast<int16_t>(le::u16(clx.data() + offset + 1));
        if (size < 0 || clx.size() - offset - 3 < static_cast<size_t>(size)) {
            damaged("a property block of the piece table is cut short");
        }
        offset += 3 + static_cast<size_t>(size);
    }
    if (clx.size() - offset < 5 || clx[offset] != 0x02) {
        damaged("no piece table");
    }
    const uint32_t lcb = le::u32(clx.data() + offset + 1);
    offset += 5;
    if (lcb > clx.size() - offset || lcb < 4 || (lcb - 4) % 12 != 0) {
        damaged("the piece table's size is wrong");
    }
    const size_t count = (lcb - 4) / 12;
    const uint8_t* cps = clx.data() + offset;
    const uint8_t* pcds = cps + 4 * (count + 1);
    std::vector<Piece> pieces;
    pieces.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        Piece piece;
        piece.cpStart = le::u32(cps + 4 * i);
        piece.cpEnd = le::u32(cps + 4 * (i + 1));
        const uint32_t fc = le::u32(pcds + 8 * i + 2);
        piece.compressed = (fc & kFcCompressed) != 0;
        piece.fc = piece.compressed ? (fc & kFcMask) / 2 : (fc & kFcMask);
        if (piece.cpEnd < piece.cpStart || (i > 0 && piece.cpStart != pieces.back().cpEnd)) {
            damaged("the pieces are out of order");
        }
        const uint64_t bytes = uint64_t{piece.cpEnd - piece.cpStart} * (piece.compressed ? 1 : 2);
        if (piece.fc > wordStreamSize || bytes > wordStreamSize - piece.fc) {
            damaged("a piece of text lies outside the document");
        }
        pieces.push_back(piece);
    }
    return pieces;
}

} // namespace docconv::word
