#include "TransferProgress.h"

namespace quire::sync {

uint32_t OverallAtStepStart(const PhaseProgress& phase, uint64_t doneSize) {
    if (phase.total == 0) {
        return phase.base;
    }
    return phase.base + static_cast<uint32_t>(doneSize * phase.weight / phase.total);
}

uint32_t OverallDuringStep(const PhaseProgress& phase, uint64_t doneSize, uint32_t stepSize,
                           uint32_t percent) {
    if (phase.total == 0 || phase.weight == 0) {
        return phase.base;
    }
    const uint64_t done = percent > 100 ? 100 : percent;
    // The part of the current document still to go is taken off the whole of it.
    const uint64_t remaining = uint64_t{stepSize} * (100 - done);
    const uint64_t whole = doneSize * 100;
    const uint64_t reached = whole > remaining ? whole - remaining : 0;
    return phase.base + static_cast<uint32_t>(reached / (100 / phase.weight) / phase.total);
}

} // namespace quire::sync
