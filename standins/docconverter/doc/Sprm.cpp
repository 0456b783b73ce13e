#include "Sprm.h"

#include "LittleEndian.h"
#include "WordBinary.h"

#include <cstdint>

namespace docconv::word {

namespace {

// Operand size from the modifier's spra bits; 0 means the size is stored.
size_t fixedOperandSize(uint16_t sprm) {
    static constexpr size_t kSizes[8] = {1, 1, 2, 4, 2, 2, 0, 3};
    return kSizes[sprm >> 13];
}

// The tab changes of a paragraph style that Word stores with the size 255:
// deleted tabs with their closing distances, then added tabs with their kinds.
size_t complexTabsSize(std::span<const uint8_t> operand) {
    if (operand.empty()) {
        return SIZE_MAX;
    }
    const size_t deleted = operand[0];
    const size_t addedAt = 1 + 4 * deleted;
    if (operand.size() <= addedAt) {
        return SIZE_MAX;
    }
    return addedAt + 1 + 3 * size_t{operand[addedAt]};
}

} // namespace

void forEachSprm(std::span<const uint8_t> grpprl,
                 const std::function<void(uint16_t, std::span<const uint8_t>)>& visit) {
    size_t offset = 0;
    while (grpprl.size() - offset >= 2) {
        const uint16_t sprm = le::u16(grpprl.data() + offset);
        offset += 2;
        size_t size = fixedOperandSize(sprm);
        size_t skip = 0;
        if (size == 0) {
            if (sprm == kSprmTDefTable) {
                // A two-byte size that counts itself minus one.
                if (grpprl.size() - offset < 2) {
                    return;
                }
                const uint16_t stored = le::u16(grpprl.data() + offset);
                skip = 2;
                size = stored == 0 ? 0 : stored - 1u;
            } else {
                if (grpprl.size() - offset < 1) {
                    return;
                }
                size = grpprl[offset];
                skip = 1;
                if (sprm == kSprmPChgTabs && size == 255) {
                    size = complexTabsSize(grpprl.subspan(offset + 1));
                }
            }
        }
        if (size == SIZE_MAX || grpprl.size() - offset < skip + size) {
            return;
        }
        visit(sprm, grpprl.subspan(offset + skip, size));
        offset += skip + size;
    }
}

} // namespace docconv::word
