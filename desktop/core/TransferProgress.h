#pragma once

#include <cstdint>

// The overall bar of a transfer job.  A job runs in one or two phases, each
// weighted by its share of the bar in percent; sizes are summed in 64 bits so
// that documents of any 32-bit size give the right position.
namespace quire::sync {

struct PhaseProgress {
    uint32_t base = 0;    // position where the phase starts
    uint32_t weight = 50; // share of the bar, 50 or 100
    uint64_t total = 0;   // sum of the sizes of the job's documents
};

// At the start of a step: base + done × weight / total, where done counts the
// documents started in this phase, the current one included.  Nothing to show
// when the total is 0.
uint32_t OverallAtStepStart(const PhaseProgress& phase, uint64_t doneSize);

// While a document of stepSize bytes is percent done.
uint32_t OverallDuringStep(const PhaseProgress& phase, uint64_t doneSize, uint32_t stepSize,
                           uint32_t percent);

} // namespace quire::sync
