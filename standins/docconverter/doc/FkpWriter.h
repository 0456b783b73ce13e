#pragma once

#include <cstdint>
#include <vector>

namespace docconv::word {

// One run of text in the WordDocument stream, bytes [start, end), with its
// property bytes: a CHPX's grpprl, or a PAPX's style index and grpprl.
struct FormattedRun {
    uint32_t start = 0;
    uint32_t end = 0;
    std::vector<uint8_t> properties;
};

enum class FkpKind { Character, Paragraph };

// Packs contiguous runs into formatted disk pages appended to `word` (first
// padded to a page boundary) and returns the bin table that lists them.
std::vector<uint8_t> writeFkps(FkpKind kind, const std::vector<FormattedRun>& runs,
                               std::vector<uint8_t>& word);

} // namespace docconv::word
