#include "FormattedPages.h"

#include "LittleEndian.h"
#include "WordBinary.h"
#include "WordDamage.h"

namespace docconv::word {

void forEachFkpRun(std::span<const uint8_t> bin, std::span<const uint8_t> word, bool papx,
                   const FkpVisit& visit) {
    if (bin.size() < 4 || (bin.size() - 4) % 8 != 0) {
        if (bin.empty()) {
            return;
        }
        damaged("a formatting table's size is wrong");
    }
    const size_t count = (bin.size() - 4) / 8;
    // Each page stands once in its table: more pages than the document holds
    // would only repeat some.
    if (count > word.size() / kFkpSize) {
        damaged("a formatting table lists more pages than the document holds");
    }
    const uint8_t* pns = bin.data() + 4 * (count + 1);
    for (size_t i = 0; i < count; ++i) {
        const uint64_t pageOffset = uint64_t{le::u32(pns + 4 * i) & 0x3FFFFF} * kFkpSize;
        if (pageOffset + kFkpSize > word.size()) {
            damaged("a formatting page lies outside the document");
        }
        const uint8_t* page = word.data() + pageOffset;
        const uint32_t runs = page[kFkpSize - 1];
        const uint32_t entry = papx ? 13 : 1;
        if (4 * (runs + 1) + entry * runs > kFkpSize - 1) {
            damaged("a formatting page holds too many runs");
        }
        for (uint32_t r = 0; r < runs; ++r) {
            const uint32_t start = le::u32(page + 4 * r);
            const uint32_t end = le::u32(page + 4 * (r + 1));
            const uint32_t at = 2u * page[4 * (runs + 1) + entry * r];
            std::span<const uint8_t> grpprl;
            if (at != 0) {
                uint32_t first = at + 1;
                uint32_t size = page[at];
                if (papx) {
                    if (size == 0) {
                        size = at + 1 < kFkpSize ? 2u * page[at + 1] : 0;
                        first = at + 2;
                    } else {
                        size = 2 * size - 1;
                    }
                }
                if (first > kFkpSize || size > kFkpSize - first) {
                    damaged("formatting runs past its page");
                }
                grpprl = std::span<const uint8_t>(page + first, size);
            }
            if (end > start) {
                visit(start, end, grpprl);
            }
        }
    }
}

} // namespace docconv::word
