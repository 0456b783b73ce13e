#pragma once

#include "LittleEndian.h"
#include "WordBinary.h"

#include <cstdint>
#include <span>
#include <utility>

namespace docconv::word {

// The file information block at the start of the WordDocument stream.
class Fib {
public:
    // Checks the identifier, the version and the encryption flags, and that
    // the FIB's own arrays lie inside the stream.
    explicit Fib(std::span<const uint8_t> stream);

    bool tableStreamIsOne() const { return (flags_ & kFlagWhichTableStream) != 0; }
    uint32_t longWord(uint32_t index) const { return le::u32(stream_.data() + lw_ + 4 * index); }
    // The (offset, size) pair `index`; zero size when the FIB has no such pair.
    std::pair<uint32_t, uint32_t> pair(uint32_t index) const {
        if (index >= fcLcbCount_) {
            return {0, 0};
        }
        const uint8_t* p = stream_.data() + fcLcb_ + 8 * index;
        return {le::u32(p), le::u32(p + 4)};
    }

private:
    uint16_t read16(size_t offset, const char* what) const;

    std::span<const uint8_t> stream_;
    uint16_t flags_ = 0;
    size_t lw_ = 0;
    uint32_t lwCount_ = 0;
    size_t fcLcb_ = 0;
    uint32_t fcLcbCount_ = 0;
};

} // namespace docconv::word
