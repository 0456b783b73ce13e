#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace docconv::word {

// One piece of the text: character positions [cpStart, cpEnd) stored from
// byte fc of the WordDocument stream, as 8-bit or UTF-16 characters.
struct Piece {
    uint32_t cpStart = 0;
    uint32_t cpEnd = 0;
    uint32_t fc = 0; // byte offset in the WordDocument stream
    bool compressed = false;
};

// The pieces of the piece table inside the Clx structure, checked to follow
// one another and to lie inside the WordDocument stream.
std::vector<Piece> readPieces(std::span<const uint8_t> clx, size_t wordStreamSize);

} // namespace docconv::word
